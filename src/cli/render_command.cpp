#include "cli/render_command.h"

#include <vector>

#include "cli/console_render_ui.h"
#include "platform/application_state.h"
#include "platform/prompts.h"
#include "platform/settings_keys.h"
#include "platform/settings_store.h"
#include "render/board_native_format.h"
#include "render/job_frame_renderer.h"
#include "render/movie_join_binding.h"
#include "render/render_job.h"
#include "timeline/document.h"
#include "timeline/timeline_file.h"

namespace sprocket {

namespace {

OutputKind KindOf(OutputType type) {
  switch (type) {
    case OutputType::kAvi: return OutputKind::kAvi;
    case OutputType::kFlc: return OutputKind::kFlic;
    case OutputType::kImageSequence: return OutputKind::kImageSequence;
    case OutputType::kWav: return OutputKind::kWav;
  }
  return OutputKind::kAvi;
}

// Ends the progress line before a prompt prints its text.
class LineEndingPrompts : public Prompts {
public:
  LineEndingPrompts(ConsoleRenderUi& ui, Prompts& inner) : ui_(ui), inner_(inner) {}
  int MessageBox(const std::string& text, const std::string& caption, unsigned type) override {
    ui_.EndLine();
    return inner_.MessageBox(text, caption, type);
  }

private:
  ConsoleRenderUi& ui_;
  Prompts& inner_;
};

// Installs prompts for the life of the object and puts the previous back.
class ScopedPrompts {
public:
  ScopedPrompts(ConsoleRenderUi& ui) : previous_(AppPrompts()), prompts_(ui, previous_) { SetPrompts(&prompts_); }
  ~ScopedPrompts() { SetPrompts(&previous_); }

private:
  Prompts& previous_;
  LineEndingPrompts prompts_;
};

// The segment-render flag of the application for the life of the object.
class ScopedSegmentFlag {
public:
  explicit ScopedSegmentFlag(std::int32_t value) : saved_(TheApp().segmentRenderFlag) {
    TheApp().segmentRenderFlag = value;
  }
  ~ScopedSegmentFlag() { TheApp().segmentRenderFlag = saved_; }

private:
  std::int32_t saved_;
};

}  // namespace

int RunRenderCommand(const RenderOptions& options, std::FILE* err) {
  LoadApplicationSettings(TheApp(), AppProfile());
  CTestDoc doc;
  std::string error;
  std::vector<std::string> warnings;
  if (!ReadTimelineFile(options.timeline, doc, &error, &warnings)) {
    std::fprintf(err, "sprocket-render: %s: %s\n", options.timeline.c_str(), error.c_str());
    return kExitFailed;
  }
  for (const std::string& warning : warnings) std::fprintf(err, "sprocket-render: %s\n", warning.c_str());

  TimeRange& range = options.preview ? doc.previewRange : doc.movieRange;
  if (options.rangeStart && options.rangeEnd) range = TimeRange{*options.rangeStart, *options.rangeEnd};
  if (range.end < range.start) {
    std::fprintf(err, "sprocket-render: the %s range of the timeline ends before it starts\n",
                 options.preview ? "preview" : "movie");
    return kExitFailed;
  }

  RenderJob job;
  job.previewFlag = options.preview ? 1 : 0;
  job.startMs = range.start;
  job.endMs = range.end;
  job.outputKind = KindOf(options.type);
  job.outputPath = options.out;
  if (job.outputKind == OutputKind::kImageSequence) TheApp().imageSequenceBasePath = options.out;

  // A plain render, as Make Movie runs one without rendered segments: the
  // render window then words its captions for a segment render (WAV files
  // take another road).
  const bool plainRoad = !IsBoardNativeFormat(false, options.preview) &&
                         GetProfileInt(settings::kIncComp, settings::kIncCompDisable, 0) == 0;
  ScopedSegmentFlag segmentFlag(plainRoad && job.outputKind != OutputKind::kWav ? 1 : 0);

  ConsoleRenderUi ui(err, ConsoleRenderUi::IsTerminal(err));
  ScopedPrompts prompts(ui);
  RenderJobServices services;
  services.renderFrame = CompositorFrameRenderer();
  services.joinMovie = LibraryMovieJoin();
  services.renderFrameBuffered = BufferedFrameRenderer();
  RenderJobRunner runner(doc, ui, services);
  const int result = runner.Run(job);
  ui.EndLine();

  if (runner.Stopped()) {
    std::fprintf(err, "sprocket-render: stopped\n");
    return kExitStopped;
  }
  if (result < 1) return kExitFailed;
  if (job.outputKind == OutputKind::kImageSequence) {
    std::fprintf(err, "sprocket-render: wrote %lld images, the last %s\n",
                 static_cast<long long>(runner.FramesWritten()), runner.Job().outputPath.c_str());
  } else {
    std::fprintf(err, "sprocket-render: wrote %s\n", job.outputPath.c_str());
  }
  return kExitWritten;
}

}  // namespace sprocket
