#include "render/movie/segment_preview.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <string>

#include "libs/moviejoin/movie_join.h"
#include "libs/moviejoin/movie_join_block.h"
#include "platform/media/fourcc.h"
#include "platform/prompts.h"
#include "platform/settings_store.h"
#include "render/output/board_native_format.h"
#include "timeline/basics/time_code.h"
#include "timeline/document/render_segments.h"
#include "timeline/document/render_timelines.h"
#include "timeline/records/filter_ids.h"

namespace sprocket {

namespace {

constexpr std::int32_t kMonitorWidth = 80;
constexpr std::int32_t kMonitorHeight = 60;
constexpr std::int32_t kConsoleRate = 2997;  // the board's rate the console's file is made at

// The document's two span lists for one call, freed on every way out.
class SpanListsScope {
public:
  explicit SpanListsScope(CTestDoc& doc) : doc_(doc) {}
  ~SpanListsScope() {
    FreeRenderSpanList(doc_.firstSpans);
    FreeRenderSpanList(doc_.secondSpans);
  }
  SpanListsScope(const SpanListsScope&) = delete;
  SpanListsScope& operator=(const SpanListsScope&) = delete;

private:
  CTestDoc& doc_;
};

// The timeline's times snapped to the board's rate for a scope.
class SnapScope {
public:
  SnapScope(CTestDoc& doc, ApplicationState& app, bool preview) : doc_(doc), app_(app), preview_(preview) {
    SnapTimesToBoardRate(doc_, app_, preview_);
  }
  ~SnapScope() { Restore(); }
  SnapScope(const SnapScope&) = delete;
  SnapScope& operator=(const SnapScope&) = delete;
  void Restore() {
    if (active_) RestoreSnappedTimes(doc_, app_, preview_);
    active_ = false;
  }

private:
  CTestDoc& doc_;
  ApplicationState& app_;
  bool preview_;
  bool active_ = true;
};

// Mode 0: a timeline that plays the render segments, installed in place of
// the document's own list (kept in its second list pointer) for a scope.
class PreviewTimelineScope {
public:
  explicit PreviewTimelineScope(CTestDoc& doc) : doc_(doc), keptRate_(doc.rate) {
    EventListSlot preview = BuildSegmentPreviewTimeline(doc_.Head(), doc_.duration);
    if (!preview) return;
    keptSecond_ = std::move(doc_.savedHead);
    doc_.savedHead = std::move(doc_.head);
    doc_.head = std::move(preview);
    doc_.head->boardClipMode = 1;
    doc_.rate = doc_.head->rate;
    installed_ = true;
  }
  ~PreviewTimelineScope() { Restore(); }
  PreviewTimelineScope(const PreviewTimelineScope&) = delete;
  PreviewTimelineScope& operator=(const PreviewTimelineScope&) = delete;

  bool installed() const { return installed_; }
  TLEvent* preview() const { return doc_.Head(); }
  TLEvent* own() const { return doc_.savedHead.get(); }

  void Restore() {
    if (!installed_) return;
    doc_.head = std::move(doc_.savedHead);  // the preview list is freed here
    doc_.savedHead = std::move(keptSecond_);
    doc_.rate = keptRate_;
    installed_ = false;
  }

private:
  CTestDoc& doc_;
  EventListSlot keptSecond_;
  std::int32_t keptRate_;
  bool installed_ = false;
};

// Mode 1: the head's segments, board-clip flag and both rates changed for a
// scope, and put back (with the board segments' pieces dropped).
class ConsoleSegmentsScope {
public:
  ConsoleSegmentsScope(CTestDoc& doc, TLEvent* head)
      : doc_(doc), head_(head), keptDocRate_(doc.rate), keptHeadRate_(head->rate), keptMode_(head->boardClipMode) {
    doc_.rate = kConsoleRate;
    head_->rate = kConsoleRate;
    head_->boardClipMode = 1;
    CopyFilterList(keptSegments_, head_->segments);
    FreeFilterList(head_->segments);
  }
  ~ConsoleSegmentsScope() {
    FreeFilterList(head_->segments);
    head_->segments = std::move(keptSegments_);
    head_->boardClipMode = keptMode_;
    doc_.rate = keptDocRate_;
    head_->rate = keptHeadRate_;
    DropBoardSegmentPieces(head_);
  }
  ConsoleSegmentsScope(const ConsoleSegmentsScope&) = delete;
  ConsoleSegmentsScope& operator=(const ConsoleSegmentsScope&) = delete;

  const FilterList& keptSegments() const { return keptSegments_; }

private:
  CTestDoc& doc_;
  TLEvent* head_;
  std::int32_t keptDocRate_;
  std::int32_t keptHeadRate_;
  std::int32_t keptMode_;
  FilterList keptSegments_;
};

// Drops the first `frames` frames of a segment's rendered pieces.
void DropLeadingFrames(std::vector<TLFilterParam>& pieces, std::int32_t frames) {
  while (frames > 0 && !pieces.empty()) {
    TLFilterParam& piece = pieces.front();
    const std::int32_t count = piece.lastFrame() - piece.firstFrame() + 1;
    if (count > frames) {
      piece.firstFrame() += frames;
      return;
    }
    frames -= std::max(count, 0);
    pieces.erase(pieces.begin());
  }
}

// The merge of board-clip records and the timeline's segments cuts copies
// of segments short at their start, while a segment's pieces count frames
// from the segment's own start: the frames before the copy's start are
// dropped, so that each copy plays the frames of its own time.
void AlignCutSegmentCopies(FilterList& merged, const FilterList& own, float fps) {
  for (TLFilter& copy : merged) {
    if (copy.id == kFilterSegmentPlayRecord) continue;
    for (const TLFilter& segment : own) {
      if (segment.start < copy.start && copy.start < segment.end) {
        DropLeadingFrames(copy.params, MsToFrames(copy.start - segment.start, fps));
        break;
      }
    }
  }
}

// Adds to the board-clip records the timeline's segments where no record
// covers them. The segments are taken whole, not cut to the previewed
// range: a segment's pieces count frames from its own start, and the spans
// are cut to the range later, so a segment cut at the range's start would
// play from its first frame.
void MergeBoardRecords(FilterList& records, const FilterList& own, float fps) {
  SubtractSegmentRanges(records, own, std::numeric_limits<std::int32_t>::min(),
                        std::numeric_limits<std::int32_t>::max());
  AlignCutSegmentCopies(records, own, fps);
}

std::vector<MovieJoinPiece> JoinPieces(const RenderSpanList& spans) {
  std::vector<MovieJoinPiece> pieces;
  pieces.reserve(spans.size());
  for (const RenderSpan& span : spans) pieces.push_back({span.pieceId, span.firstFrame, span.lastFrame, span.fileName});
  return pieces;
}

// The join block's values common to both modes.
MovieJoinJob BoardJoinJob(const std::string& path, std::int32_t startMs, std::int32_t endMs,
                          const RenderSpanList& spans) {
  MovieJoinJob job;
  job.outputPath = path;
  job.params.frameCount = static_cast<std::int32_t>(CountSpanFrames(spans));
  job.params.startMs = startMs;
  job.params.endMs = endMs;
  job.params.bitDepth = 24;
  job.params.compressor = MakeFourCC("CFCC");
  job.params.quality = 10000;
  job.params.dataRate = -1;
  job.params.keyFrameEvery = 1;
  job.params.interleave = 30;
  job.firstPieces = JoinPieces(spans);
  return job;
}

}  // namespace

SegmentPreview::SegmentPreview(CTestDoc& doc, SegmentPreviewServices services)
    : doc_(doc),
      services_(std::move(services)),
      app_(services_.app != nullptr ? *services_.app : TheApp()),
      family_(services_.family ? *services_.family : GetPlatformFamily(AppProfile())) {}

ScreenRect SegmentPreview::MonitorRect(std::int32_t screenWidth, std::int32_t screenHeight) {
  const std::int32_t left = (screenWidth - kMonitorWidth) / 2;
  const std::int32_t top = (screenHeight - kMonitorHeight) / 2;
  return ScreenRect{left, top, left + kMonitorWidth, top + kMonitorHeight};
}

bool SegmentPreview::IsNative(bool either, bool preview) const {
  return IsBoardNativeFormat(family_, app_, either, preview);
}

bool SegmentPreview::PreviewSegment(bool preview, int mode, std::int32_t startMs, std::int32_t endMs) {
  if (doc_.Head() == nullptr || services_.view == nullptr) return false;
  return mode == 1 ? WriteForConsole(preview, startMs, endMs) : PlayOnBoard(preview, startMs, endMs);
}

FilterList SegmentPreview::ReadBoardClipRecords(const TLEvent* ownHead, std::int32_t startMs, std::int32_t endMs) {
  NoBoardClipFiles noBoard;
  BoardClipFiles& files = services_.clipFiles != nullptr ? *services_.clipFiles : noBoard;
  std::vector<BoardClipPiece> pieces = services_.view->CollectBoardClipPieces(ownHead, startMs, endMs);
  FilterList records = ReadSegmentChunkLists(pieces, doc_.rate, files);
  services_.view->FreeBoardClipPieces(pieces);
  return records;
}

int SegmentPreview::WriteJoin(const MovieJoinJob& job) {
  GlobalBlock block = PackMovieJoinJob(job);
  if (!block) return -1;
  if (services_.writeMovieFile) return services_.writeMovieFile(block.get());
  return WriteMovieFile(block.get(), nullptr, nullptr, nullptr);
}

bool SegmentPreview::PlayOnBoard(bool preview, std::int32_t startMs, std::int32_t endMs) {
  if (!IsNative(false, preview)) return false;
  SegmentPreviewView& view = *services_.view;
  SnapScope snap(doc_, app_, preview);
  doc_.ClearSelection();
  SpanListsScope spans(doc_);

  const MovieSettings& record = app_.Settings(preview);
  {
    PreviewTimelineScope timeline(doc_);
    if (timeline.installed()) {
      timeline.preview()->segments = ReadBoardClipRecords(timeline.own(), startMs, endMs);
      MergeBoardRecords(timeline.preview()->segments, timeline.own()->segments, record.VFramesPerSec);
      doc_.firstSpans = CollectRenderSpans(timeline.preview(), record.VFramesPerSec, startMs, endMs, 1);
      doc_.secondSpans = CollectRenderSpans(timeline.preview(), record.VFramesPerSec, startMs, endMs, 0);
    }
  }
  snap.Restore();
  if (doc_.firstSpans.empty()) return true;

  view.SetWaitCursor(true);
  const std::string path = doc_.tempDir + kPreviewFileName;
  const bool withSound = record.VReserved1 != 0;
  const std::string soundPath = withSound ? doc_.tempDir + kPreviewSoundFileName : std::string();
  int audioResult = 1;
  if (withSound) {
    const RenderJob job{preview ? 1 : 0, startMs, endMs, OutputKind::kWav, soundPath};
    audioResult = services_.runRenderWindow ? services_.runRenderWindow(job) : -1;
  }
  bool joined = false;
  if (audioResult != -1) {
    MovieJoinJob job = BoardJoinJob(path, startMs, endMs, doc_.firstSpans);
    job.soundPath = soundPath;
    job.params.width = record.VResWidth;
    job.params.height = record.VResHeight;
    job.params.framesPerSecond = record.VFramesPerSec;
    job.params.soundMode = withSound ? kJoinSoundMixed : kJoinSoundNone;
    job.params.audioBits = record.ABitsPerSample;
    job.params.audioRate = record.ASamplesPerSec;
    job.params.audioChannels = record.AChannels;
    if (WriteJoin(job) == -1) {
      view.SetWaitCursor(false);
      ShowMessage(kPreviewJoinFailed, MB_OK | MB_ICONSTOP);
      view.SetWaitCursor(true);
      audioResult = -1;
    }
    joined = true;
  }
  view.SetWaitCursor(false);
  FreeRenderSpanList(doc_.firstSpans);
  FreeRenderSpanList(doc_.secondSpans);

  if (joined && audioResult != -1) {
    view.RepaintNow();
    PlayPreviewFile(startMs);
    view.RepaintNow();
  }
  return true;
}

bool SegmentPreview::PlayPreviewFile(std::int32_t startMs) {
  if (services_.player == nullptr) return false;
  SegmentPreviewView* view = services_.view;
  const auto [width, height] = view->ScreenSize();
  // The player reads the two words when it starts; it keeps no pointer to them.
  std::int32_t state1 = 0;
  std::int32_t state2 = 0;
  return services_.player->PlayFile(
             doc_.tempDir + kPreviewFileName, &state1, &state2, MonitorRect(width, height), 0, startMs,
             [view](float timeMs, std::int32_t flag, std::int32_t) { view->MovePlayLine(timeMs, flag); }) == 0;
}

bool SegmentPreview::PlayConsoleRange(std::int32_t startMs, std::int32_t endMs) {
  return PreviewSegment(false, 1, startMs, endMs) && PlayPreviewFile(startMs);
}

bool SegmentPreview::WriteForConsole(bool preview, std::int32_t startMs, std::int32_t endMs) {
  if (!IsNative(true, true)) return false;
  TLEvent* head = doc_.Head();
  SnapScope snap(doc_, app_, preview);
  doc_.ClearSelection();
  NoVideoBoard noBoard;
  ReadBoardSegments(head, services_.board != nullptr ? *services_.board : noBoard);
  SpanListsScope spans(doc_);
  // Declared after the snap, so the segments go back before the times.
  ConsoleSegmentsScope segments(doc_, head);
  head->segments = ReadBoardClipRecords(head, startMs, endMs);
  const MovieSettings& record = IsNative(false, false) ? app_.movie : app_.preview;
  MergeBoardRecords(head->segments, segments.keptSegments(), record.VFramesPerSec);

  for (const TLFilter& segment : head->segments) {
    if (segment.end > startMs && segment.start < endMs && segment.rendered == 0) {
      // The part of the segment inside the range is named.
      const double fps = doc_.rate / 100.0;
      char text[160];
      std::snprintf(text, sizeof text, kSegmentNotRendered,
                    FormatTimeCode(std::max(segment.start, startMs), fps).c_str(),
                    FormatTimeCode(std::min(segment.end, endMs), fps).c_str());
      ShowMessage(text, MB_OK | MB_ICONEXCLAMATION);
      return false;
    }
  }
  doc_.firstSpans = CollectRenderSpans(head, record.VFramesPerSec, startMs, endMs, 1);
  if (doc_.firstSpans.empty()) return false;
  doc_.secondSpans = CollectRenderSpans(head, record.VFramesPerSec, startMs, endMs, 0);

  MovieJoinJob job = BoardJoinJob(doc_.tempDir + kPreviewFileName, startMs, endMs, doc_.firstSpans);
  job.soundPath = std::string();
  job.params.width = app_.movie.VResWidth;
  job.params.height = app_.movie.VResHeight;
  job.params.framesPerSecond = record.VFramesPerSec;
  job.params.soundMode = kJoinSoundNone;
  job.params.audioBits = 8;
  job.params.audioRate = 11025;
  job.params.audioChannels = 1;
  return WriteJoin(job) != -1;
}

}  // namespace sprocket
