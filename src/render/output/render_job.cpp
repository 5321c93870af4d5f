#include "render/output/render_job.h"

#include <algorithm>
#include <cstdio>

#include "platform/application_state.h"
#include "platform/file_paths.h"
#include "platform/message_pump.h"
#include "platform/prompts.h"
#include "platform/settings/settings_keys.h"
#include "platform/settings_store.h"
#include "platform/system_info.h"
#include "render/compose/disk_render.h"
#include "render/output/board_native_format.h"
#include "render/output/render_job_context.h"
#include "render/output/render_outputs.h"
#include "render/output/render_pump.h"
#include "render/sources/render_state.h"
#include "timeline/document/document.h"

namespace sprocket {

void ShowStopMessage(const std::string& text) { ShowMessage(text, MB_OK | MB_ICONSTOP); }

bool OutputExtensionIs(const std::string& path, std::string_view extension) {
  const std::string_view found = FileExtension(path);
  return ToLowerAscii(found.substr(0, 4)) == ToLowerAscii(extension);
}

// Without a timeline view: the board-native test of the settings, nothing
// marked, and the segment switch from the settings.
class RenderJobContext::ProfileViewHooks final : public RenderViewHooks {
public:
  bool IsBoardNativeFormat(bool either, bool preview) override {
    return ::sprocket::IsBoardNativeFormat(either, preview);
  }
  void MarkPassThroughClips(bool) override {}
  std::int32_t SegmentSwitch() override { return GetProfileInt(settings::kIncComp, settings::kIncCompDisable, 0); }
  void SetPlaybackTimelineFlag(bool) override {}
};

RenderJobContext::RenderJobContext(CTestDoc& document, RenderUi& renderUi, RenderJobServices jobServices)
    : doc(document), ui(renderUi), services(std::move(jobServices)), defaultView_(new ProfileViewHooks) {}

RenderViewHooks& RenderJobContext::View() { return services.view != nullptr ? *services.view : *defaultView_; }

const MovieSettings& RenderJobContext::Settings() const { return TheApp().Settings(job.previewFlag != 0); }

void RenderJobContext::ShowRenderProgress(double tMs, const std::uint8_t* picture) {
  RenderLockGuard guard;
  ui.ShowProgress(RenderProgressPercent(tMs, job.startMs, job.endMs));
  if (picture != nullptr) {
    ui.ShowPicture(picture);
  } else if (pictureArea != PictureAreaMode::kNothing) {
    ui.ShowPictureArea(pictureArea);
  }
  ShowTimeCode(static_cast<std::int32_t>(tMs));
  ui.MovePositionLine(static_cast<std::int32_t>(tMs), tMs == job.startMs);
}

void RenderJobContext::ShowTimeCode(std::int32_t ms) {
  ui.SetTimeCode(FormatRenderTimeCode(ms, format.framesPerSecond, format.fieldTime));
}

std::int32_t RenderJobContext::FrameTime(std::int64_t k) const {
  if (job.gridPart)
    return RenderFrameTime(job.gridPart->originMs, job.gridPart->firstFrame + k, format.framesPerSecond);
  return RenderFrameTime(job.startMs, k, format.framesPerSecond);
}

bool RenderJobContext::PumpStopped() {
  if (PumpRenderMessages(nullptr) == 0) return false;
  stopped = true;
  return true;
}

RenderFrameArgs RenderJobContext::FrameArgs(double tMs, std::uint8_t* picture, std::int32_t width, std::int32_t height,
                                            std::int32_t mode) const {
  RenderFrameArgs args;
  args.frameTime = tMs;
  args.endTime = tMs;
  args.dib = picture;
  args.head = head;
  args.width = width;
  args.height = height;
  args.mode = mode;
  args.preview = job.previewFlag != 0 ? 1 : 0;
  args.tracks = tracks.get();
  return args;
}

int RenderJobContext::Render(const RenderFrameArgs& args, std::int32_t* result) {
  *result = kFrameRendered;
  return services.renderFrame(args, result);
}

int RenderJobContext::CompleteJob() {
  if (job.outputKind == OutputKind::kWav || job.outputKind == OutputKind::kDisplayOnly) return kRenderJobDone;
  char text[600];
  const bool fieldPairs =
      job.outputKind == OutputKind::kImageSequence && (format.fieldMode == 1 || format.fieldMode == 2);
  if (fieldPairs) {
    std::snprintf(text, sizeof text, "Movie/Preview completed! Frames compiled: %lu; Output File: %s",
                  static_cast<unsigned long>(rendersDone / 2), job.outputPath.c_str());
  } else {
    std::snprintf(text, sizeof text, "Movie/Preview completed! \n Frames compiled: %lu \nOutput File: %s",
                  static_cast<unsigned long>(rendersDone), job.outputPath.c_str());
  }
  ShowMessage(text, MB_OK | MB_ICONINFORMATION);
  return kRenderJobDone;
}

namespace {

struct CaptionAndStatus {
  const char* caption;
  std::string status;
};

CaptionAndStatus CaptionFor(const RenderJob& job) {
  const std::string creating = "Creating " + job.outputPath;
  switch (job.outputKind) {
    case OutputKind::kAvi:
      if (TheApp().segmentRenderFlag != 0) return {"Rendering a segment...", creating};
      return {"Generating Movie...", creating};
    case OutputKind::kDisplayOnly:
      return {"Display Only Preview...", "Creating temporary file recorder.avi"};
    case OutputKind::kImageSequence:
      return {"Generating Image Sequence...", "Creating image sequence..."};
    case OutputKind::kFlic:
      return {"Generating Animation (FLI/FLC)...", creating};
    case OutputKind::kWav:
      break;
  }
  return {"Generating Wave File...", creating};
}

// The chain of sources covers every track of the timeline.
std::int32_t TrackChainLength(const CTestDoc& doc, const TLEvent* head) {
  std::int32_t count = std::max(doc.trackCount, 1);
  for (const TLEvent* event = head; event != nullptr; event = GetNextEvent(event)) {
    count = std::max(count, event->trackNumber);
  }
  return count;
}

int Dispatch(RenderJobContext& job) {
  switch (job.job.outputKind) {
    case OutputKind::kAvi:
      return WriteAviOutput(job);
    case OutputKind::kDisplayOnly:
      return WriteDisplayOnlyOutput(job);
    case OutputKind::kImageSequence:
      return WriteImageSequenceOutput(job);
    case OutputKind::kFlic:
      return WriteFlcOutput(job);
    case OutputKind::kWav:
      break;
  }
  return WriteWavOutput(job);
}

// Indexes the clips of the job's timeline for the frames' lookups while the
// job runs (the timeline's times do not change meanwhile).
class JobClipIndex {
public:
  explicit JobClipIndex(const TLEvent* head) : previous_(std::move(TheRenderState().clipIndex)) {
    TheRenderState().clipIndex = std::make_shared<const ClipTimeIndex>(head);
  }
  ~JobClipIndex() { TheRenderState().clipIndex = std::move(previous_); }
  JobClipIndex(const JobClipIndex&) = delete;
  JobClipIndex& operator=(const JobClipIndex&) = delete;

private:
  std::shared_ptr<const ClipTimeIndex> previous_;
};

}  // namespace

RenderJobRunner::RenderJobRunner(CTestDoc& doc, RenderUi& ui, RenderJobServices services)
    : context_(std::make_unique<RenderJobContext>(doc, ui, std::move(services))) {
  InitRenderLock();
}

RenderJobRunner::~RenderJobRunner() = default;

int RenderJobRunner::Run(const RenderJob& job) {
  RenderJobContext& c = *context_;
  c.job = job;
  c.stopped = false;
  c.rendersDone = 0;
  c.framesWritten = 0;
  c.pictureArea = PictureAreaMode::kNothing;
  c.head = c.doc.Head();
  ClearAbort();

  c.singleUserPlatform = GetPlatformFamily(AppProfile()) == PlatformFamily::kSingleUser;
  const CaptionAndStatus text = CaptionFor(job);
  c.ui.SetCaption(text.caption);
  c.ui.SetAbortHint("Press ESC Once To Abort...");
  if (!(job.outputKind == OutputKind::kAvi && TheApp().segmentRenderFlag != 0)) c.ui.SetStatus(text.status);

  ResetRenderJobState();
  const JobClipIndex clipIndex(c.head);
  c.format = SelectRenderFormat(c.Settings(), job.outputKind, job.previewFlag != 0);
  if (c.head == nullptr) {
    ShowStopMessage("The timeline is empty: there is nothing to render.");
    return kRenderJobFailed;
  }
  if (const std::string problem = RenderFormatProblem(c.format, job.outputKind); !problem.empty()) {
    ShowStopMessage(problem);
    return kRenderJobFailed;
  }
  c.head->jobFrameRate = static_cast<std::int32_t>(c.format.framesPerSecond);
  TheRenderState().outputBitDepth = c.format.bitDepth;
  if (!c.scratch.Create(c.doc.tempDir)) {
    ShowStopMessage("Can not create the temporary files of the job in " + c.doc.tempDir);
    return kRenderJobFailed;
  }

  c.ui.SetWaitCursor(true);
  c.tracks = std::make_unique<TrackList>();
  c.tracks->BuildTrackList(TrackChainLength(c.doc, c.head));
  TheApp().logSwitch = 0;

  c.frameCount = job.gridPart ? std::max(job.gridPart->frameCount, 1)
                              : RenderFrameCount(job.startMs, job.endMs, c.format.framesPerSecond);
  c.framePeriod = RenderFramePeriod(c.format.framesPerSecond);
  if (!(c.format.framesPerSecond > 0.0f)) ShowStopMessage("FrameRate equals zero!");

  c.displayList.assign(1, SequenceReuse{});
  ClearDiskAccumulation(c.doc.tempDir);
  const int result = Dispatch(c);
  ClearDiskAccumulation(c.doc.tempDir);

  c.displayList.clear();
  FreeTrackList(c.tracks);
  c.scratch.Remove();
  c.ui.SetWaitCursor(false);
  // A stop asked for this job does not carry over to the next long work.
  ClearAbort();
  return result;
}

bool RenderJobRunner::Stopped() const { return context_->stopped; }
const RenderJob& RenderJobRunner::Job() const { return context_->job; }
const RenderFormat& RenderJobRunner::Format() const { return context_->format; }
std::int32_t RenderJobRunner::FrameCount() const { return context_->frameCount; }
std::int64_t RenderJobRunner::FramesWritten() const { return context_->framesWritten; }

}  // namespace sprocket
