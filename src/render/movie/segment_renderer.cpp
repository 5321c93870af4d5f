#include "render/movie/segment_renderer.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/file_paths.h"
#include "platform/prompts.h"
#include "platform/settings_store.h"
#include "render/movie/filter_resources.h"
#include "render/movie/render_scopes.h"
#include "render/movie/render_space.h"
#include "render/output/board_native_format.h"
#include "render/output/render_pump.h"
#include "render/picture/picture_ops.h"
#include "timeline/basics/media_type.h"
#include "timeline/basics/time_code.h"
#include "timeline/document/render_timelines.h"

namespace sprocket {

namespace {

// RenderSegment's answer when the effects board does not take the segment.
inline constexpr int kNotForEffectsBoard = 2;
inline constexpr int kTfxPieceId = 1;
inline constexpr std::size_t kLogDashes = 36;

void RemoveFile(const std::string& path) {
  std::error_code ec;
  if (!path.empty()) std::filesystem::remove(path, ec);
}

bool NamesPatFile(const TLFilter& segment) {
  if (segment.params.empty()) return false;
  const std::string& name = segment.params.front().name;
  return name.find(".pat") != std::string::npos || name.find(".PAT") != std::string::npos;
}

// True when the segment's picture does not move: a still covers it, or the
// clips at its middle are stills without a transition.
bool PictureStandsStill(const TLEvent* plain, const RenderList& entries) {
  if (plain != nullptr && IsImageMediaType(plain->mediaType)) return true;
  if (entries.empty() || entries.TransitionLink() != nullptr) return false;
  for (const RenderEntry& entry : entries.entries) {
    if (!IsImageMediaType(entry.mediaType) || !entry.main.filters.empty()) return false;
  }
  return true;
}

std::string FreeMemoryText() { return std::to_string(FreeMemoryBytes() / 1000); }

// The clip-in record of a video track that spans `t` (in < t < out), or null.
const TLEvent* ClipSpanning(const TLEvent* head, std::int32_t trackNumber, std::int32_t t) {
  for (const TLEvent* event = head; event != nullptr; event = GetNextEvent(event)) {
    if (event->IsClipIn() && event->trackNumber == trackNumber && event->time < t && event->OutTime() > t) {
      return event;
    }
  }
  return nullptr;
}

// The transition clip of an 'X' track that spans `t`, or null.
const TLEvent* TransitionClipAt(const TLEvent* head, std::int32_t trackNumber, std::int32_t t) {
  const TLEvent* clip = ClipSpanning(head, trackNumber, t);
  return clip != nullptr && clip->trackType == kTrackTransition ? clip : nullptr;
}

std::int32_t SourceOrigin(const TLEvent& clip) {
  if (clip.speed <= 0) return clip.time;
  return clip.time - clip.playIn * 100 / clip.speed;
}

// The picture of a clip at timeline time t, scaled to width x height; an
// empty block when it cannot be read.
GlobalBlock ClipPictureAt(const TLEvent* clip, std::int32_t t, std::int32_t width, std::int32_t height,
                          double timelineFps) {
  if (clip == nullptr || clip->mediaType != kMediaAvi) return {};
  const ClipMediaHeader* header = clip->header ? &*clip->header : nullptr;
  double fps = timelineFps;
  if (header != nullptr && header->Avi() != nullptr && header->Avi()->video.scale != 0) {
    fps = static_cast<double>(header->Avi()->video.rate) / header->Avi()->video.scale;
  }
  const std::int64_t mediaMs = clip->playIn + static_cast<std::int64_t>(t - clip->time) * clip->speed / 100;
  const auto frame = static_cast<std::int32_t>(static_cast<double>(mediaMs) * fps * 0.001);
  std::uint8_t* source = ScaleClipFrame(clip->MediaPath(), frame, header);
  if (source == nullptr) return {};
  DibPicture scaled = ScaleDib24(source, width, height);
  FreeClipFrame(source);
  if (!scaled) return {};
  GlobalBlock block = GlobalBlock::Allocate(scaled.size());
  GlobalLockGuard<std::uint8_t> bytes(block.get());
  if (!bytes) return {};
  std::memcpy(bytes.get(), scaled.data(), scaled.size());
  return block;
}

}  // namespace

void WriteEditingLog(const std::string& text, bool startRecord) {
  const std::filesystem::path path = LogDir() / kEditingLogName;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return;
  std::ofstream log(path, std::ios::app);
  if (startRecord) log << std::string(kLogDashes, '-') << '\n';
  log << text << '\n';
}

SegmentRenderer::SegmentRenderer(CTestDoc& doc, ResolvedMovieServices& services) : doc_(doc), services_(services) {}

bool SegmentRenderer::Native(bool either, bool preview) {
  return services_.view().IsBoardNativeFormat(either, preview);
}

int SegmentRenderer::RunJob(const RenderJob& job) {
  return services_.RunInWindow([&](RenderUi& ui) {
    RenderJobRunner runner(doc_, ui, services_.get().job);
    return runner.Run(job);
  });
}

int SegmentRenderer::RenderSegment(int previewFlag, TLFilter& segment, int prepare) {
  TLEvent* head = doc_.Head();
  if (head == nullptr || segment.end <= segment.start) return 0;
  const bool preview = previewFlag != 0;
  const MovieSettings& record = services_.app().Settings(preview);
  const double fps = record.VFramesPerSec;
  const auto mid = static_cast<std::int32_t>((static_cast<std::int64_t>(segment.start) + segment.end) / 2);
  head->jobFrameRate = static_cast<std::int32_t>(fps);
  RenderList entries = BuildRenderList(mid, mid, head, previewFlag, 0, 160, 120, services_.get().turboTest);
  const TLEvent* plain = FindPlainClipForRange(head, segment.start, segment.end);

  if (Native(false, preview) && (segment.rendered == 0 || (segment.boardClip == 0 && NamesPatFile(segment))) &&
      PictureStandsStill(plain, entries)) {
    FreeRenderList(entries);
    return RenderStillOnBoard(previewFlag, segment, fps);
  }
  const RenderEntry* transition = entries.TransitionLink();
  if (transition != nullptr && services_.board().G_IsTfxBoardPresent()) {
    const int result = CompileOnEffectsBoard(previewFlag, segment, *transition, mid);
    if (result != kNotForEffectsBoard) {
      FreeRenderList(entries);
      return result;
    }
  }
  const int result = RenderFrames(previewFlag, segment, prepare, transition);
  FreeRenderList(entries);
  return result;
}

int SegmentRenderer::RenderStillOnBoard(int previewFlag, TLFilter& segment, double fps) {
  const bool preview = previewFlag != 0;
  ApplicationState& app = services_.app();
  MovieViewHooks& view = services_.view();
  services_.ui().SetWaitCursor(true);
  ChooseTempDir(doc_, services_.profile(), services_.get().freeSpace);
  const std::string scratch = doc_.tempDir + "junkz.avi";
  RemoveFile(scratch);
  const std::int32_t frames = MsToFrames(segment.end - segment.start, fps);
  const std::int32_t jobEnd = segment.start + FramesToMs(1, fps);

  int result = 0;
  {
    RangeOverride range(doc_, preview, segment.start, jobEnd);
    ValueOverride<std::int32_t> sound(app.Settings(preview).VReserved1, 0);
    ValueOverride<std::int32_t> flag(app.segmentRenderFlag, 1);
    BoardRateSnap snap;
    if (doc_.Head()->boardRateSnapped == 0) snap.Snap(doc_, app, preview, false);
    view.RepaintBelowMarkBands();
    result = RunJob(RenderJob{previewFlag, segment.start, jobEnd, OutputKind::kAvi, scratch});
    doc_.Head()->segmentRenderActive = 0;
  }

  VideoBoard& board = services_.board();
  board.dudWriteChunk(scratch, 0, 1);
  BoardChunkList chunks = board.dudReadChunk(scratch);
  RemoveFile(scratch);  // the scratch movie is the board's clip now, or of no use
  services_.ui().SetWaitCursor(false);
  // A stopped or failed render, or a clip the board did not take, leaves the segment as it was.
  if (result <= 0 || chunks.size() != 1) return 0;
  FreeFilterParamList(segment.params);
  segment.params.push_back(MakeRenderedPiece(0, 0, frames - 1, BoardClipSecondName(chunks.front().clipName), scratch));
  segment.rendered = 1;
  segment.params.front().secondName.clear();
  CopyClipFramesToAvi(segment);
  doc_.SetModifiedFlag();
  view.AutoSaveTimeline();
  return 1;
}

int SegmentRenderer::CompileOnEffectsBoard(int previewFlag, TLFilter& segment, const RenderEntry& transition,
                                           std::int32_t mid) {
  const TLEvent* head = doc_.Head();
  const MovieSettings& record = services_.app().Settings(previewFlag != 0);
  const TLEvent* clip = TransitionClipAt(head, transition.trackNumber, mid);

  TfxTransition tfx;
  tfx.transitionId = !transition.transitionFilters.empty() ? transition.transitionFilters.front().id
                     : clip != nullptr                     ? clip->transitionId
                                                           : 0;
  tfx.leftTrack = clip != nullptr ? clip->leftSide : 0;
  tfx.rightTrack = clip != nullptr ? clip->rightSide : 0;
  tfx.segmentStart = segment.start;
  tfx.segmentEnd = segment.end;
  tfx.width = record.VResWidth & ~3;
  tfx.height = record.VResHeight & ~3;
  tfx.framesPerSecond = record.VFramesPerSec;
  VideoBoard& board = services_.board();
  const int sides = board.G_HasTfxEffect(tfx);
  if (sides == 0) return kNotForEffectsBoard;

  std::int32_t trackA = 1, trackB = 3;
  if (sides == 2) {
    trackA = tfx.leftTrack != 0 ? tfx.leftTrack : transition.trackNumber - 1;
    trackB = tfx.rightTrack != 0 ? tfx.rightTrack : transition.trackNumber + 1;
  }
  const TLEvent* a = ClipSpanning(head, trackA, mid);
  const TLEvent* b = ClipSpanning(head, trackB, mid);
  if (a == nullptr || (sides == 1 && b == nullptr)) return 0;
  tfx.timing = {SourceOrigin(*a), SourceOrigin(b != nullptr ? *b : *a), a->time, (b != nullptr ? b : a)->time};

  const double timelineFps = RateToFps(doc_.rate);
  TfxFrameSource frames = [&](int side, std::int32_t t) {
    return ClipPictureAt(side == 0 ? a : b, t, tfx.width, tfx.height, timelineFps);
  };
  std::int32_t cancel = 0;
  std::optional<std::vector<TfxPiece>> pieces = board.G_CompileTfxEffect(
      tfx, frames, [] { return PumpRenderMessages(nullptr); }, &cancel);
  if (!pieces) {
    ShowMessage(kTfxCompileFailed, MB_OK);
    return -1;
  }
  if (cancel != 0 || pieces->empty()) return 0;
  FreeFilterParamList(segment.params);
  for (const TfxPiece& piece : *pieces) {
    segment.params.push_back(
        MakeRenderedPiece(kTfxPieceId, piece.firstFrame, piece.lastFrame, board.TfxPiecePath(piece)));
  }
  CopySegmentPiecesToAvi(segment);
  segment.rendered = 1;
  return 1;
}

int SegmentRenderer::RenderFrames(int previewFlag, TLFilter& segment, int prepare, const RenderEntry* transition) {
  const bool preview = previewFlag != 0;
  ApplicationState& app = services_.app();
  MovieViewHooks& view = services_.view();
  MovieSettings& record = app.Settings(preview);
  const double fps = record.VFramesPerSec;

  ValueOverride<std::int32_t> field;
  if (transition != nullptr && IsTurboEffectEntry(*transition, record.CompressionFourcc(), services_.get().turboTest)) {
    field.Set(record.VField, 0);
  }
  const bool native = Native(false, preview);
  const bool eitherNative = Native(true, true);
  // Outside the board's format the file holds the frames the movie shows
  // inside the segment, at the movie's own frame times.
  const MovieFrameGrid grid = MovieGrid(preview);
  const auto [firstGridFrame, gridFrames] = SegmentGridFrames(segment, grid);
  if (!eitherNative && gridFrames == 0) return 1;  // no frame of the movie falls inside it

  ChooseTempDir(doc_, services_.profile(), services_.get().freeSpace);
  std::string path;
  MakeTempAviName(doc_.tempDir, path);
  const int scale = record.Vb2xAA != 0 ? 2 : 1;
  const std::int32_t width = record.VResWidth * scale;
  const std::int32_t height = record.VResHeight * scale;
  RangeOverride range(doc_, preview, segment.start, segment.end);
  const std::int64_t length = static_cast<std::int64_t>(segment.end) - segment.start;
  const auto frames = eitherNative ? static_cast<std::int32_t>(static_cast<double>(length) * fps * 0.001) : gridFrames;
  ValueOverride<std::int32_t> sound;
  if (!native) {
    std::uint64_t need = VideoSpaceKB(width, height, frames);
    if (record.VReserved1 != 0) need += 2 * AudioSpaceKB(record, length);
    if (FolderFreeKB(doc_.tempDir, services_.get().freeSpace) < need &&
        ShowMessage(kTempSpaceQuestion, MB_OKCANCEL | MB_ICONQUESTION) == IDCANCEL) {
      return 0;
    }
  } else {
    sound.Set(record.VReserved1, 0);
  }

  int result = 0;
  {
    TLEvent* head = doc_.Head();
    view.MarkPassThroughClips(preview);
    ValueOverride<std::int32_t> flag(app.segmentRenderFlag, 1);
    FilterResourceScope effects;
    if (prepare != 0) effects.Prepare(head, width, height);
    view.ClearNativeClipFlags(head);
    BoardRateSnap snap;
    if (head->boardRateSnapped == 0 && eitherNative) snap.Snap(doc_, app, preview, false);
    ClipRenderScope clips;
    view.RepaintBelowMarkBands();
    const double timelineFps = RateToFps(doc_.rate);
    WriteEditingLog("start rendering seg. (" + FormatTimeCode(segment.start, timelineFps) + ", " +
                        FormatTimeCode(segment.end, timelineFps) + "), Free MM = " + FreeMemoryText(),
                    true);
    head->segmentRenderActive = 1;
    {
      InstalledTimeline copy;
      if (!native) copy.Install(doc_, BuildSegmentRenderTimeline(head));
      RenderJob job{previewFlag, segment.start, segment.end, OutputKind::kAvi, path};
      if (!eitherNative) {
        job.startMs = grid.TimeOf(firstGridFrame);
        job.gridPart = MovieGridPart{grid.originMs, firstGridFrame, gridFrames};
      }
      result = RunJob(job);
    }
    head->segmentRenderActive = 0;
  }

  if (result < frames || result <= 0) {
    if (eitherNative) {
      services_.board().dudWriteChunk(path, 0, 1);
    } else {
      RemoveFile(path);  // a partial segment file is of no use
    }
    return 0;
  }
  // A file this one replaces stays: a saved timeline may still name it.
  segment.fileName = path;
  FreeFilterParamList(segment.params);
  if (eitherNative) {
    VideoBoard& board = services_.board();
    board.dudWriteChunk(path, 0, 1);
    BoardChunkList chunks = board.dudReadChunk(path);
    if (chunks.size() == 1) {
      const BoardClipChunk& chunk = chunks.front();
      segment.params.push_back(
          MakeRenderedPiece(chunk.pieceId, chunk.firstFrame, chunk.lastFrame, chunk.clipName, path));
      segment.rendered = 1;
      WriteEditingLog("created " + path + " and " + chunk.clipName + ", Free MM = " + FreeMemoryText(), false);
    }
  } else {
    segment.params.push_back(MakeSegmentFilePiece(grid, frames, width, height));
    WriteEditingLog("created " + path + "(FreeMM = " + FreeMemoryText() + ")", false);
  }
  doc_.SetModifiedFlag();
  view.AutoSaveTimeline();
  view.RepaintNow();
  return 1;
}

bool SegmentRenderer::NeedsRendering(const TLFilter& segment, bool native, bool preview) {
  if (native) return segment.rendered == 0;
  // A file made for a movie of another rate or start holds other frames.
  return services_.singleUser() && (segment.fileName.empty() || !IsRegularFile(segment.fileName) ||
                                    !SegmentFileFitsGrid(segment, MovieGrid(preview)));
}

MovieFrameGrid SegmentRenderer::MovieGrid(bool preview) const {
  const TimeRange range = preview ? doc_.previewRange : doc_.movieRange;
  return MovieFrameGrid{services_.app().Settings(preview).VFramesPerSec, SnapToFrame(range.start, doc_.rate)};
}

int SegmentRenderer::RenderRangeSegments(int previewFlag) {
  const bool preview = previewFlag != 0;
  const TimeRange range = preview ? doc_.previewRange : doc_.movieRange;
  const bool native = Native(false, preview);
  MovieViewHooks& view = services_.view();
  for (std::size_t i = 0; doc_.Head() != nullptr && i < doc_.Head()->segments.size(); ++i) {
    TLFilter& segment = doc_.Head()->segments[i];
    if (segment.start < range.start || segment.end > range.end || segment.end <= segment.start) continue;
    if (!NeedsRendering(segment, native, preview)) continue;
    const int rendered = RenderSegment(previewFlag, segment, 0);
    view.RepaintSegmentBand();
    view.UpdateOtherViews();
    if (rendered <= 0) return 0;
  }
  return 1;
}

int SegmentRenderer::RenderMarkedSegments(int previewFlag, int all, int range, int marked) {
  const bool preview = previewFlag != 0;
  ApplicationState& app = services_.app();
  MovieViewHooks& view = services_.view();
  const bool native = Native(false, preview);
  const bool singleUser = services_.singleUser();
  TLEvent* head = doc_.Head();
  if (head == nullptr) return 0;

  if (!native) view.MarkPassThroughClips(preview);
  const MovieSettings& record = app.Settings(preview);
  const int scale = !preview && record.Vb2xAA != 0 ? 2 : 1;
  FilterResourceScope effects(head, record.VResWidth * scale, record.VResHeight * scale);
  view.CheckCroppingRange(head);
  ClipRenderScope clips;
  BoardRateSnap snap;
  if (native) snap.Snap(doc_, app, preview, true);

  auto renderOne = [&](TLFilter& segment, int flag) {
    const int rendered = RenderSegment(flag, segment, 0);
    view.RepaintSegmentBand();
    view.UpdateOtherViews();
    return rendered > 0;
  };
  auto fail = [&] {
    view.RepaintNow();
    return -1;
  };
  if (all != 0) {
    for (std::size_t i = 0; i < head->segments.size(); ++i) {
      TLFilter& segment = head->segments[i];
      head->jobFrameRate = static_cast<std::int32_t>(app.movie.VFramesPerSec);
      const auto mid = static_cast<std::int32_t>((static_cast<std::int64_t>(segment.start) + segment.end) / 2);
      RenderList entries = BuildRenderList(mid, mid, head, 0, 0, 160, 120, services_.get().turboTest);
      const bool plainPicture = !entries.empty() && entries.TransitionLink() == nullptr;
      FreeRenderList(entries);
      if (plainPicture) continue;
      if ((native && segment.rendered == 0) || (singleUser && segment.fileName.empty())) {
        if (!renderOne(segment, 0)) return fail();
      }
    }
  } else if (range != 0) {
    if (RenderRangeSegments(0) == 0) return fail();
  } else if (marked != 0) {
    for (std::size_t i = 0; i < head->segments.size(); ++i) {
      TLFilter& segment = head->segments[i];
      if (segment.marked == 0) continue;
      const bool wanted = (native && (segment.rendered == 0 || segment.boardClip == 0)) ||
                          (singleUser && (segment.fileName.empty() || segment.boardClip == 0));
      if (wanted && !renderOne(segment, previewFlag)) return fail();
    }
  }
  doc_.SetModifiedFlag();
  return 0;
}

int SegmentRenderer::CopyClipFramesToAvi(TLFilter& segment) { return CopyPiecesToAvi(segment, false, true); }

int SegmentRenderer::CopySegmentPiecesToAvi(TLFilter& segment) { return CopyPiecesToAvi(segment, true, false); }

int SegmentRenderer::CopyPiecesToAvi(TLFilter& segment, bool allPieces, bool wholeRange) {
  if (segment.params.empty() || !services_.get().job.joinMovie) return -1;
  ChooseTempDir(doc_, services_.profile(), services_.get().freeSpace);
  std::string name;
  MakeTempAviName(doc_.tempDir, name);
  segment.params.front().secondName = name;

  const ApplicationState& app = services_.app();
  const MovieSettings& record = Native(false, false) ? app.movie : app.preview;
  MovieJoinJob job;
  MovieJoinParams& p = job.params;
  p.width = record.VResWidth & ~3;
  p.height = record.VResHeight & ~3;
  p.startMs = wholeRange ? segment.start : 0;
  p.endMs = wholeRange ? segment.end : segment.end - segment.start;
  p.framesPerSecond = record.VFramesPerSec;
  p.bitDepth = 24;
  p.soundMode = kJoinSoundNone;
  p.compressor = MakeFourcc('C', 'F', 'C', 'C');
  p.quality = 10000;
  p.dataRate = -1;
  p.keyFrameEvery = 1;
  p.interleave = 30;
  p.audioBits = 8;
  p.audioRate = 11025;
  p.audioChannels = 1;
  for (const TLFilterParam& piece : segment.params) {
    job.firstPieces.push_back({piece.pieceId(), piece.firstFrame(), piece.lastFrame(), piece.name});
    if (!allPieces) break;
  }
  p.frameCount = static_cast<std::int32_t>(CountPieceFrames(job.firstPieces));
  job.outputPath = name;
  job.soundPath = std::string();
  return services_.get().job.joinMovie(job, {}, {}, {}, nullptr);
}

}  // namespace sprocket
