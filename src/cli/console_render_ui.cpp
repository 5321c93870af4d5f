#include "cli/console_render_ui.h"

#include <unistd.h>
#include <thread>

namespace sprocket {

namespace {

// The line is redrawn at most this often, and always at the end.
constexpr std::chrono::milliseconds kRedrawInterval{100};

}  // namespace

ConsoleRenderUi::ConsoleRenderUi(std::FILE* stream, bool terminal) : stream_(stream), terminal_(terminal) {}

ConsoleRenderUi::~ConsoleRenderUi() { EndLine(); }

bool ConsoleRenderUi::IsTerminal(std::FILE* stream) { return stream != nullptr && ::isatty(::fileno(stream)) == 1; }

void ConsoleRenderUi::SetTimeCode(const std::string& text) {
  timeCode_ = text;
  Draw(percent_ >= 100);
}

void ConsoleRenderUi::ShowFrameCount(std::int64_t done, std::int64_t total) {
  done_ = done;
  total_ = total;
}

void ConsoleRenderUi::Wait(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::string ConsoleRenderUi::ProgressLine() const {
  std::string line = caption_;
  if (total_ > 0) {
    line +=
        (line.empty() ? "" : "  ") + std::string("frame ") + std::to_string(done_) + " of " + std::to_string(total_);
  }
  char tail[48];
  std::snprintf(tail, sizeof tail, "  %s  %3d%%", timeCode_.c_str(), percent_);
  return line + tail;
}

void ConsoleRenderUi::Draw(bool force) {
  if (!terminal_ || stream_ == nullptr) return;
  const auto now = std::chrono::steady_clock::now();
  if (!force && drawn_ && now - lastDraw_ < kRedrawInterval) return;
  const std::string line = ProgressLine();
  // Blank out what a longer previous line left behind.
  const std::size_t pad = lastWidth_ > line.size() ? lastWidth_ - line.size() : 0;
  std::fprintf(stream_, "\r%s%*s", line.c_str(), static_cast<int>(pad), "");
  std::fflush(stream_);
  lastWidth_ = line.size();
  lastDraw_ = now;
  drawn_ = true;
}

void ConsoleRenderUi::EndLine() {
  if (!drawn_ || stream_ == nullptr) return;
  Draw(true);
  std::fputc('\n', stream_);
  std::fflush(stream_);
  drawn_ = false;
  lastWidth_ = 0;
}

}  // namespace sprocket
