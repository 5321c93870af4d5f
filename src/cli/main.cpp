// sprocket-render: Make Movie of a timeline file without a window.
//
// The timeline is loaded, the movie (or preview) range set when one is
// given, and Make Movie runs with the settings of the settings folder: the
// output dialogs answer with --out, prompts print their text and take their
// default answer (Yes/OK with --yes), and the video board is the one the
// settings describe. Rendered segments named by the timeline file are
// reused; segment files this run makes are removed again afterwards,
// because the timeline file itself is not changed.

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "cli/console_render_ui.h"
#include "cli/render_options.h"
#include "platform/application_state.h"
#include "platform/board/video_board.h"
#include "platform/message_pump.h"
#include "platform/prompts.h"
#include "platform/settings_store.h"
#include "render/job_frame_renderer.h"
#include "render/library_render_effects.h"
#include "render/movie_compiler.h"
#include "render/movie_join_binding.h"
#include "timeline/document.h"
#include "timeline/timeline_file.h"

namespace {

using namespace sprocket;

volatile std::sig_atomic_t interrupted = 0;

extern "C" void OnInterrupt(int) { interrupted = 1; }

MovieOutputType TypeOf(OutputType type) {
  switch (type) {
    case OutputType::kAvi: return MovieOutputType::kAvi;
    case OutputType::kFlc: return MovieOutputType::kFlc;
    case OutputType::kImageSequence: return MovieOutputType::kImageSequence;
    case OutputType::kWav: return MovieOutputType::kWav;
  }
  return MovieOutputType::kAvi;
}

// Ends the progress line before a prompt prints its text.
class LineEndPrompts : public Prompts {
public:
  LineEndPrompts(ConsoleRenderUi& ui, Prompts& inner) : ui_(ui), inner_(inner) {}
  int MessageBox(const std::string& text, const std::string& caption, unsigned type) override {
    ui_.EndLine();
    return inner_.MessageBox(text, caption, type);
  }

private:
  ConsoleRenderUi& ui_;
  Prompts& inner_;
};

// The rendered files the timeline's segments name.
std::set<std::string> SegmentFiles(const CTestDoc& doc) {
  std::set<std::string> files;
  if (doc.Head() == nullptr) return files;
  for (const TLFilter& segment : doc.Head()->segments) {
    if (!segment.fileName.empty()) files.insert(segment.fileName);
  }
  return files;
}

int RunMakeMovie(const RenderOptions& options, std::FILE* err) {
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
  doc.savePrompt = 0;  // the timeline file is never written

  ConsoleRenderUi ui(err, ConsoleRenderUi::IsTerminal(err));
  Prompts& previousPrompts = AppPrompts();
  LineEndPrompts prompts(ui, previousPrompts);
  SetPrompts(&prompts);
  std::unique_ptr<VideoBoard> board = OpenVideoBoard(AppProfile());
  HeadlessMovieView view(doc, TheApp(), AppProfile());
  FixedMovieOutput dialogs(options.out);
  MovieRenderServices services;
  services.job.renderFrame = CompositorFrameRenderer();
  services.job.joinMovie = LibraryMovieJoin();
  services.view = &view;
  services.ui = &ui;
  services.dialogs = &dialogs;
  services.board = board.get();
  services.turboTest = LibraryRenderEffects().TurboTest();
  MovieCompiler compiler(doc, std::move(services));

  const std::set<std::string> before = SegmentFiles(doc);
  const int made = compiler.MakeMovie(options.preview ? 1 : 0, TypeOf(options.type));
  ui.EndLine();
  SetPrompts(&previousPrompts);
  if (!board->IsPresent()) {
    for (const std::string& file : SegmentFiles(doc)) {
      std::error_code ec;
      if (before.count(file) == 0) std::filesystem::remove(file, ec);
    }
  }

  if (interrupted != 0) {
    std::fprintf(err, "sprocket-render: stopped\n");
    return kExitStopped;
  }
  if (made != 0 || compiler.LastJobResult() < 1) {
    if (!board->IsPresent() && view.IsBoardNativeFormat(false, options.preview)) {
      std::fprintf(err, "sprocket-render: the settings ask for the video board's own format, but no board is fitted\n");
    }
    return kExitFailed;
  }
  if (options.type == OutputType::kImageSequence) {
    std::fprintf(err, "sprocket-render: wrote the images %s*\n", TheApp().imageSequenceBasePath.c_str());
  } else {
    std::fprintf(err, "sprocket-render: wrote %s\n", compiler.LastOutputPath().c_str());
  }
  return kExitWritten;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  ParseResult parsed = ParseRenderOptions(args);
  if (!parsed.options) {
    std::fprintf(stderr, "sprocket-render: %s\n\n%s", parsed.error.c_str(), RenderUsage().c_str());
    return kExitFailed;
  }
  const RenderOptions& options = *parsed.options;
  if (options.help) {
    std::fputs(RenderUsage().c_str(), stdout);
    return kExitWritten;
  }
  if (!options.configDir.empty()) SetConfigDir(options.configDir);

  StreamPrompts prompts(options.answerYes);
  SetPrompts(&prompts);
  // Ctrl-C asks the render to stop at its next message pump.
  ClearAbort();
  SetPumpHook([] {
    if (interrupted != 0) RequestAbort();
  });
  std::signal(SIGINT, OnInterrupt);
  const int status = RunMakeMovie(options, stderr);
  std::signal(SIGINT, SIG_DFL);
  SetPumpHook({});
  SetPrompts(nullptr);
  return status;
}
