#include "cli/render_command.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "cli/console_render_ui.h"
#include "platform/application_state.h"
#include "platform/board/video_board.h"
#include "platform/prompts.h"
#include "platform/settings_store.h"
#include "render/movie/movie_compiler.h"
#include "timeline/document/document.h"
#include "timeline/tlefile/timeline_file.h"

namespace sprocket {

namespace {

MovieOutputType TypeOf(OutputType type) {
  switch (type) {
    case OutputType::kAvi:
      return MovieOutputType::kAvi;
    case OutputType::kFlc:
      return MovieOutputType::kFlc;
    case OutputType::kImageSequence:
      return MovieOutputType::kImageSequence;
    case OutputType::kWav:
      return MovieOutputType::kWav;
  }
  return MovieOutputType::kAvi;
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

// Installs line-ending prompts for the life of the object and puts the
// previous ones back.
class ScopedPrompts {
public:
  explicit ScopedPrompts(ConsoleRenderUi& ui) : previous_(AppPrompts()), prompts_(ui, previous_) {
    SetPrompts(&prompts_);
  }
  ~ScopedPrompts() { SetPrompts(&previous_); }
  ScopedPrompts(const ScopedPrompts&) = delete;
  ScopedPrompts& operator=(const ScopedPrompts&) = delete;

private:
  Prompts& previous_;
  LineEndingPrompts prompts_;
};

// Adds the rendered files the timeline's segments name.
void AddSegmentFiles(const CTestDoc& doc, std::set<std::string>& files) {
  if (doc.Head() == nullptr) return;
  for (const TLFilter& segment : doc.Head()->segments) {
    if (!segment.fileName.empty()) files.insert(segment.fileName);
  }
}

std::set<std::string> SegmentFiles(const CTestDoc& doc) {
  std::set<std::string> files;
  AddSegmentFiles(doc, files);
  return files;
}

// Removes the segment files the run made for this movie: those the
// document names now that neither it named at the start nor the timeline
// file names now (it may have been saved again while the movie was made).
void RemoveFilesMadeForThisMovie(const CTestDoc& doc, std::set<std::string> timelineFiles,
                                 const std::string& timelinePath) {
  CTestDoc saved;
  if (ReadTimelineFile(timelinePath, saved)) AddSegmentFiles(saved, timelineFiles);
  for (const std::string& file : SegmentFiles(doc)) {
    std::error_code ec;
    if (timelineFiles.count(file) == 0) std::filesystem::remove(file, ec);
  }
}

// Loads the timeline and sets the range to render; false (told on `err`)
// when the file or the range cannot be used.
bool LoadTimeline(const RenderOptions& options, CTestDoc& doc, std::FILE* err) {
  std::string error;
  std::vector<std::string> warnings;
  if (!ReadTimelineFile(options.timeline, doc, &error, &warnings)) {
    std::fprintf(err, "sprocket-render: %s: %s\n", options.timeline.c_str(), error.c_str());
    return false;
  }
  for (const std::string& warning : warnings) std::fprintf(err, "sprocket-render: %s\n", warning.c_str());
  TimeRange& range = options.preview ? doc.previewRange : doc.movieRange;
  if (options.rangeStart && options.rangeEnd) range = TimeRange{*options.rangeStart, *options.rangeEnd};
  const char* which = options.preview ? "preview" : "movie";
  if (range.end < range.start) {
    std::fprintf(err, "sprocket-render: the %s range of the timeline ends before it starts\n", which);
    return false;
  }
  // A range past the timeline's end would render frames of nothing for as
  // long as it lasts.
  if (range.start < 0 || range.end > doc.duration) {
    std::fprintf(err, "sprocket-render: the %s range %d,%d ms lies outside the timeline, which lasts %d ms\n", which,
                 static_cast<int>(range.start), static_cast<int>(range.end), static_cast<int>(doc.duration));
    return false;
  }
  doc.savePrompt = 0;  // the timeline file is never written
  return true;
}

// Image files are named by the first letters of the prefix only: says so
// when the prefix asked for is longer.
void TellShortenedPrefix(const RenderOptions& options, FixedMovieOutput& output, std::FILE* err) {
  if (options.type != OutputType::kImageSequence) return;
  const std::optional<FolderPrefixAnswer> answer = output.PickFolderAndPrefix();
  if (!answer || answer->prefix.size() <= kImageSequencePrefixLength) return;
  std::fprintf(err,
               "sprocket-render: image files are named by the first %zu characters of the prefix: \"%s\" becomes "
               "\"%s\"\n",
               kImageSequencePrefixLength, answer->prefix.c_str(),
               answer->prefix.substr(0, kImageSequencePrefixLength).c_str());
}

}  // namespace

int RunRenderCommand(const RenderOptions& options, std::FILE* err) {
  LoadApplicationSettings(TheApp(), AppProfile());
  CTestDoc doc;
  if (!LoadTimeline(options, doc, err)) return kExitFailed;

  ConsoleRenderUi ui(err, ConsoleRenderUi::IsTerminal(err));
  ScopedPrompts prompts(ui);
  std::unique_ptr<VideoBoard> board = OpenVideoBoard(AppProfile());
  HeadlessMovieView view(doc, TheApp(), AppProfile());
  FixedMovieOutput dialogs(options.out);
  TellShortenedPrefix(options, dialogs, err);
  MovieRenderServices services = LibraryMovieRenderServices();
  services.view = &view;
  services.ui = &ui;
  services.dialogs = &dialogs;
  services.board = board.get();
  services.keepTimelineSegmentFiles = true;
  MovieCompiler compiler(doc, std::move(services));

  // The segment files the timeline names are the user's and stay; those
  // this run makes are removed again afterwards, because the timeline file
  // that would name them is not changed.
  const std::set<std::string> before = SegmentFiles(doc);
  const int made = compiler.MakeMovie(options.preview ? 1 : 0, TypeOf(options.type));
  ui.EndLine();
  if (!board->IsPresent()) RemoveFilesMadeForThisMovie(doc, before, options.timeline);

  if (compiler.LastJobStopped()) {
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

}  // namespace sprocket
