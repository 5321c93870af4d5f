#include "render/movie/movie_compiler.h"

#include <sys/stat.h>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <vector>

#include "platform/file_paths.h"
#include "platform/files/disk_space.h"
#include "platform/media/fourcc.h"
#include "platform/message_pump.h"
#include "platform/prompts.h"
#include "platform/settings/settings_keys.h"
#include "render/movie/filter_resources.h"
#include "render/movie/render_scopes.h"
#include "render/movie/render_space.h"
#include "render/output/board_native_format.h"
#include "render/output/render_format.h"
#include "timeline/basics/time_code.h"
#include "timeline/document/render_segments.h"

namespace sprocket {

namespace {

inline constexpr int kSaveChangesQuestion = 61301;
inline constexpr int kWrongFileType = 61427;
inline constexpr int kReservedName = 61492;
inline constexpr int kNameOnTimeline = 61493;
inline constexpr std::size_t kMaxTitleLength = 39;
inline constexpr std::int32_t kPlayWidth = 320;
inline constexpr std::int32_t kPlayHeight = 240;

OutputKind OutputKindOf(MovieOutputType type) {
  switch (type) {
    case MovieOutputType::kAvi:
      return OutputKind::kAvi;
    case MovieOutputType::kFlc:
      return OutputKind::kFlic;
    case MovieOutputType::kImageSequence:
      return OutputKind::kImageSequence;
    case MovieOutputType::kWav:
      break;
  }
  return OutputKind::kWav;
}

std::string FolderOf(const std::string& path) { return path.substr(0, path.size() - FileNamePart(path).size()); }

// Segments trimmed to the movie range for one job, put back afterwards.
class SegmentTrims {
public:
  ~SegmentTrims() { Undo(); }

  // Trims the segment's start (mark 1) or end (mark 2) to `time`.
  void Trim(TLFilter* segment, std::int32_t mark, std::int32_t time) {
    std::int32_t& edge = mark == 1 ? segment->start : segment->end;
    segment->savedTime = edge;
    edge = time;
    segment->length = segment->end - segment->start;
    segment->trimMark = mark;
    trimmed_.push_back(segment);
  }
  // Puts the trimmed times back and forgets the pieces rendered of the
  // trimmed parts; their files stay named until ForgetFiles.
  void Restore() {
    for (TLFilter* segment : trimmed_) {
      if (segment->trimMark == 0) continue;
      (segment->trimMark == 1 ? segment->start : segment->end) = segment->savedTime;
      segment->length = segment->end - segment->start;
      segment->rendered = 0;
      segment->trimMark = 0;
      segment->savedTime = 0;
      FreeFilterParamList(segment->params);
    }
  }
  // The files rendered for the trimmed parts cover only part of their
  // segments: they are deleted and no longer named.
  void ForgetFiles() {
    for (TLFilter* segment : trimmed_) {
      if (segment->fileName.empty()) continue;
      std::error_code error;
      std::filesystem::remove(segment->fileName, error);
      segment->fileName.clear();
    }
    trimmed_.clear();
  }
  // Restore and ForgetFiles: a failed road leaves the segments as they were.
  void Undo() {
    Restore();
    ForgetFiles();
  }
  // Restored segments keep their files from here on.
  void Keep() { trimmed_.clear(); }

private:
  std::vector<TLFilter*> trimmed_;
};

// The document's two span lists for one job, freed at the end of the scope.
class SpanLists {
public:
  explicit SpanLists(CTestDoc& doc) : doc_(doc) {}
  ~SpanLists() {
    FreeRenderSpanList(doc_.firstSpans);
    FreeRenderSpanList(doc_.secondSpans);
  }
  SpanLists(const SpanLists&) = delete;
  SpanLists& operator=(const SpanLists&) = delete;

private:
  CTestDoc& doc_;
};

std::string Formatted(const char* format, auto... values) {
  char text[64];
  std::snprintf(text, sizeof text, format, values...);
  return text;
}

}  // namespace

MovieCompiler::MovieCompiler(CTestDoc& doc, MovieRenderServices services)
    : doc_(doc), services_(std::move(services)), segments_(doc, services_) {}

int MovieCompiler::RunJob(const RenderJob& job) {
  lastJobStopped_ = false;
  lastJobResult_ = services_.RunInWindow([&](RenderUi& ui) {
    RenderJobRunner runner(doc_, ui, services_.get().job);
    const int result = runner.Run(job);
    lastJobStopped_ = runner.Stopped();
    return result;
  });
  return lastJobResult_;
}

std::optional<std::string> MovieCompiler::ChooseOutput(bool preview, MovieOutputType type) {
  ApplicationState& app = services_.app();
  const MovieSettings& record = app.Settings(preview);
  MovieOutputDialogs& dialogs = *services_.get().dialogs;
  switch (type) {
    case MovieOutputType::kAvi: {
      const std::string_view section = preview ? settings::kPreviewAviDir : settings::kMovieAviDir;
      std::string folder = services_.profile().GetProfileString(section, settings::kDir);
      if (folder.size() > 3) folder.pop_back();
      std::string title = doc_.title.substr(0, std::min(doc_.title.size(), doc_.title.rfind('.')));
      AviSaveRequest request{"Save As AVI File",
                             "AVI Files (.avi) | *.avi ||",
                             "avi",
                             folder,
                             title.substr(0, kMaxTitleLength),
                             preview ? doc_.previewRange.start : doc_.movieRange.start,
                             static_cast<std::int32_t>(record.VFramesPerSec + 0.5f)};
      std::optional<AviSaveAnswer> answer = dialogs.SaveAviFile(request);
      if (!answer) return std::nullopt;
      if (!answer->movieTitle.empty()) {
        doc_.Head()->captureName = answer->movieTitle.substr(0, kMaxTitleLength);
        if (TLEvent* end = TimelineEnd(doc_.Head())) {
          end->captureName = FormatTimeCode(answer->recordInMs, record.VFramesPerSec);
        }
      }
      services_.profile().WriteProfileString(section, settings::kDir, FolderOf(answer->path));
      return answer->path;
    }
    case MovieOutputType::kFlc:
      return dialogs.SaveFile({"Save As Animation File",
                               "*.flc | *.flc | *.FLC | *.FLC | *.fli | *.fli | *.FLI | *.FLI ||", "*.flc", "flc"});
    case MovieOutputType::kWav:
      return dialogs.SaveFile({"Save As WAV File", "*.wav | *.wav | *.WAV | *.WAV ||", "*.wav", "wav"});
    case MovieOutputType::kImageSequence: {
      std::optional<FolderPrefixAnswer> answer = dialogs.PickFolderAndPrefix();
      if (!answer) return std::nullopt;
      const std::string folder = WithTrailingSlash(answer->folder);
      const std::string test = folder + answer->prefix + ImageSequenceExtension(record.IFileType);
      if (TestOutputFile(test) == 0) return std::nullopt;
      app.imageSequenceBasePath = folder + answer->prefix.substr(0, kImageSequencePrefixLength);
      return app.imageSequenceBasePath;
    }
  }
  return std::nullopt;
}

bool MovieCompiler::CheckOutputName(const std::string& path) {
  if (FileExtension(path).empty()) {
    ShowMessage(kWrongFileType, MB_OK);
    return false;
  }
  // The path keeps its letter case; the comparisons ignore it.
  if (ToUpperAscii(path).find("RECORDER.AVI") != std::string::npos) {
    ShowMessage(kReservedName, MB_OK);
    return false;
  }
  if (CheckPathNotInClips(path, doc_.Head()) == 0) {
    ShowMessage(kNameOnTimeline, MB_OK);
    return false;
  }
  return TestOutputFile(path) != 0;
}

bool MovieCompiler::CheckFreeSpace(bool preview, MovieOutputType type, const std::string& path, bool native) {
  const MovieSettings& record = services_.app().Settings(preview);
  const TimeRange range = preview ? doc_.previewRange : doc_.movieRange;
  const std::int64_t length = static_cast<std::int64_t>(range.end) - range.start;
  const std::uint64_t audio = AudioSpaceKB(record, length);
  std::uint64_t need = audio;
  if (type == MovieOutputType::kAvi) {
    const std::int32_t frames = MsToFrames(static_cast<std::int32_t>(length), record.VFramesPerSec);
    const std::uint64_t video = native ? BoardVideoSpaceKB(frames, IsSameDevice(path, doc_.tempDir))
                                       : VideoSpaceKB(record.VResWidth, record.VResHeight, frames);
    need = 2 * audio + video;
  }
  const std::uint64_t free = FolderFreeKB(FolderOf(path), services_.get().freeSpace);
  return free >= need || ShowMessage(kDriveSpaceQuestion, MB_OKCANCEL | MB_ICONQUESTION) != IDCANCEL;
}

std::string EmptyRangeProblem(const CTestDoc& doc, bool preview) {
  const TimeRange range = preview ? doc.previewRange : doc.movieRange;
  if (SnapToFrame(range.end, doc.rate) > SnapToFrame(range.start, doc.rate)) return {};
  return preview ? "The preview range holds no frame: nothing to make."
                 : "The movie range holds no frame: drag the ends of the Movie band over the ruler to set it.";
}

int MovieCompiler::MakeMovie(int previewFlag, MovieOutputType outputType) {
  const bool preview = previewFlag != 0;
  MovieViewHooks& view = services_.view();
  ApplicationState& app = services_.app();
  lastJobResult_ = 0;
  lastJobStopped_ = false;
  lastOutputPath_.clear();
  if (doc_.Head() == nullptr || services_.get().dialogs == nullptr) return -1;

  view.StopPreview();
  view.InvalidateSelection();
  doc_.ClearSelection();
  if (doc_.savePrompt != 0 && doc_.IsModified() &&
      ShowMessage(kSaveChangesQuestion, MB_YESNO | MB_ICONQUESTION) == IDYES) {
    view.SaveDocument();
  }

  // A range without a frame would make a movie of one stray frame.
  if (const std::string problem = EmptyRangeProblem(doc_, preview); !problem.empty()) {
    ShowMessage(problem, MB_OK | MB_ICONSTOP);
    return -1;
  }
  // A format no output can make is refused before anything is prepared.
  const OutputKind kind = OutputKindOf(outputType);
  if (const std::string problem = OutputSettingsProblem(app.Settings(preview), kind, preview); !problem.empty()) {
    ShowMessage(problem, MB_OK | MB_ICONSTOP);
    return -1;
  }
  std::optional<std::string> chosen = ChooseOutput(preview, outputType);
  if (!chosen) return -1;
  const std::string path = *chosen;
  if (outputType != MovieOutputType::kImageSequence && !CheckOutputName(path)) return -1;
  const bool native = view.IsBoardNativeFormat(false, preview);
  if ((outputType == MovieOutputType::kAvi || outputType == MovieOutputType::kWav) &&
      !CheckFreeSpace(preview, outputType, path, native)) {
    return -1;
  }
  lastOutputPath_ = path;

  const MovieSettings& record = app.Settings(preview);
  FilterResourceScope effects;
  if (outputType != MovieOutputType::kWav) {
    services_.ui().SetWaitCursor(true);
    if (!native) view.MarkPassThroughClips(preview);
    std::int32_t width = record.VResWidth, height = record.VResHeight;
    if (outputType == MovieOutputType::kFlc) width = record.FResWidth, height = record.FResHeight;
    if (outputType == MovieOutputType::kImageSequence) width = record.IResWidth, height = record.IResHeight;
    if (!preview && record.Vb2xAA != 0) width *= 2, height *= 2;
    effects.Prepare(doc_.Head(), width, height);
    view.CheckCroppingRange(doc_.Head());
  }
  ClipRenderScope clips;
  view.RepaintNow();
  view.UpdateOtherViews();

  const TimeRange range = preview ? doc_.previewRange : doc_.movieRange;
  int result = 0;
  if (outputType == MovieOutputType::kWav) {
    result = RunJob(RenderJob{previewFlag, range.start, range.end, OutputKind::kWav, path});
  } else {
    BoardRateSnap snap;
    std::int32_t t1 = SnapToFrame(range.start, doc_.rate);
    std::int32_t t2 = SnapToFrame(range.end, doc_.rate);
    if (outputType == MovieOutputType::kAvi && native) {
      snap.Snap(doc_, app, preview, true);
      // The range now lies on the board's frame grid; snapping it to another
      // rate would move it off the grid the movie is made on.
      const TimeRange snapped = preview ? doc_.previewRange : doc_.movieRange;
      t1 = snapped.start;
      t2 = snapped.end;
    }
    SegmentRoad road;
    if (outputType == MovieOutputType::kAvi && view.SegmentSwitch() == 0 && !doc_.Head()->segments.empty()) {
      road = RenderWithSegments(preview, path, t1, t2, native, snap);
      if (road.taken && !road.ran) return road.value;
      result = road.value;
    }
    if (!road.taken) {
      ValueOverride<std::int32_t> flag;
      if (!native && view.SegmentSwitch() == 0) flag.Set(app.segmentRenderFlag, 1);
      snap.Restore();
      result = RunJob(RenderJob{previewFlag, range.start, range.end, OutputKindOf(outputType), path});
    }
  }

  // A process asked to end keeps no movie of this run and plays nothing.
  if (IsTerminationRequested()) return -1;
  if (outputType == MovieOutputType::kAvi && result > 0 && IsRegularFile(path)) RecordLastMovie(preview, path);
  view.RepaintNow();
  if (result != -1 && outputType != MovieOutputType::kImageSequence) PlayResult(preview, outputType, path);
  return 0;
}

MovieCompiler::SegmentRoad MovieCompiler::RenderWithSegments(bool preview, const std::string& path, std::int32_t t1,
                                                             std::int32_t t2, bool native, BoardRateSnap& snap) {
  const int previewFlag = preview ? 1 : 0;
  TLEvent* head = doc_.Head();
  const bool singleUser = services_.singleUser();
  // The road is taken once the first segment of the range is rendered:
  // movies of timelines nobody rendered ahead are composed directly.
  TLFilter* first = FindOverlappingSegment(head->segments, t1, t2);
  SegmentRoad road;
  road.taken =
      first == nullptr || (native && first->rendered != 0) || (singleUser && !native && !first->fileName.empty());
  if (!road.taken) return road;
  road.value = -1;

  // The segments across the range's ends are trimmed to it on every taken
  // road (not only when no segment overlaps the range, where there is none
  // to trim), so that the rendered segments cover the whole range.
  // The segments inside the range are those inside [t1, t2], the range on
  // the timeline's frames that the movie is made of (the board's road has
  // snapped the document's range to it already).
  std::optional<RangeOverride> range;
  if (!native) range.emplace(doc_, preview, t1, t2);
  SegmentTrims trims;
  if (TLFilter* a = FindSegmentAt(head->segments, t1);
      a != nullptr && ((native && a->rendered == 0) || (!native && a->fileName.empty()))) {
    trims.Trim(a, 1, t1);
  }
  if (TLFilter* b = FindSegmentAt(head->segments, t2);
      b != nullptr && ((native && b->rendered == 0) || (singleUser && !native && b->fileName.empty()))) {
    trims.Trim(b, 2, t2);
  }
  ConfirmRerenderIntermediates(
      head, services_.get().keepTimelineSegmentFiles ? StaleSegmentFiles::kKept : StaleSegmentFiles::kDeleted);
  if (segments_.RenderRangeSegments(previewFlag) == 0) {
    services_.view().RepaintNow();
    trims.Undo();
    return road;
  }

  RenderJob job{previewFlag, t1, t2, OutputKind::kAvi, path};
  SpanLists spans(doc_);
  VideoBoard& board = services_.board();
  if (native) {
    const float fps = services_.app().Settings(preview).VFramesPerSec;
    doc_.firstSpans = CollectRenderSpans(head, fps, t1, t2, 1);
    doc_.secondSpans = CollectRenderSpans(head, fps, t1, t2, 0);
    std::string prefix;
    if (!board.GetDiskPrefix(&prefix)) return road;
    for (const RenderSpan& span : doc_.firstSpans) {
      if (board.IsClipFileMissing(prefix + span.fileName, 1) == 0) continue;
      const std::string& name = span.fileName;
      char text[1024];
      std::snprintf(text, sizeof text, kMissingPieceQuestion, prefix.c_str(), name.empty() ? ' ' : name[0],
                    name.empty() ? "" : name.c_str() + 1);
      if (ShowMessage(text, MB_YESNO | MB_ICONQUESTION) == IDNO) {
        road.value = 0;
        return road;
      }
    }
    // The pieces are collected: the trimmed segments and the times go back
    // before the movie is made of the pieces.
    trims.Restore();
    snap.Restore();
  }
  const int result = RunJob(job);
  road.ran = true;
  road.value = result;
  if (native && result > 0) {
    for (const RenderSpan& span : doc_.secondSpans) {
      if (IsRegularFile(span.fileName)) board.RegisterOutputPiece(path, 0, span.fileName);
    }
  }
  trims.Restore();
  if (native) {
    // On the board's road the trimmed segments keep their files, which the
    // movie was registered with; not rendered, they render again next time.
    trims.Keep();
  } else {
    trims.ForgetFiles();
  }
  return road;
}

void MovieCompiler::RecordLastMovie(bool preview, const std::string& path) {
  AviStreamInfo info{};
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0 || GetAviStreamInfo(path, &info) == 0) return;
  const MovieSettings& record = services_.app().Settings(preview);
  const double fps = info.scale != 0 ? static_cast<double>(info.rate) / info.scale : 0.0;
  char date[32] = {};
  std::tm local{};
  const std::time_t modified = status.st_mtime;
  if (localtime_r(&modified, &local) != nullptr) std::strftime(date, sizeof date, "%m/%d/%y", &local);
  services_.profile().WriteProfileStrings(
      settings::kLastMakeMovie, {{"FileName", ToUpperAscii(path)},
                                 {"FileDate", date},
                                 {"FileSize", Formatted("%luBytes", static_cast<unsigned long>(status.st_size))},
                                 {"FileType", FourCCText(info.handler)},
                                 {"Resolution", Formatted("%dX%d", record.VResWidth, record.VResHeight)},
                                 {"BitsPerPixel", Formatted("%d", record.VBitsPerPixel)},
                                 {"Duration", Formatted("%.3f", fps > 0.0 ? info.length / fps : 0.0)},
                                 {"fFps", Formatted("%.2f", fps)},
                                 {"Frames", Formatted("%lu", static_cast<unsigned long>(info.length))}});
}

void MovieCompiler::PlayResult(bool preview, MovieOutputType type, const std::string& path) {
  const MovieSettings& record = services_.app().Settings(preview);
  const ClipPlayRequest request{path,
                                0,
                                0,
                                std::min(record.VResWidth, kPlayWidth),
                                std::min(record.VResHeight, kPlayHeight),
                                static_cast<std::int32_t>(record.VFramesPerSec)};
  VideoBoard& board = services_.board();
  if (type == MovieOutputType::kAvi && record.CompressionFourcc() == MakeFourcc('C', 'F', 'C', 'C')) {
    if (board.dudCheck(path) != 0) board.dudWriteChunk(path, 0, 1);
    board.PlayBoardClip(request);
  } else if (services_.get().player != nullptr) {
    services_.get().player->PlayClip(request);
  }
}

}  // namespace sprocket
