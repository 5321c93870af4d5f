#include "platform/audioout/audio_out.h"

#include <algorithm>
#include <limits>

namespace sprocket {

namespace {
constexpr std::size_t kUnbounded = std::numeric_limits<std::size_t>::max() / 2;
}  // namespace

bool SilentAudioOut::Start(const AudioOutFormat& format) {
  if (!format.IsValid()) return false;
  format_ = format;
  started_ = true;
  return true;
}

std::size_t SilentAudioOut::Write(std::span<const std::uint8_t> samples) {
  return started_ ? WholeFrameBytes(samples.size(), format_) : 0;
}

std::size_t SilentAudioOut::FreeBytes() const { return started_ ? kUnbounded : 0; }

bool RecordingAudioOut::Start(const AudioOutFormat& format) {
  if (!format.IsValid()) return false;
  format_ = format;
  started_ = true;
  ++starts_;
  return true;
}

std::size_t RecordingAudioOut::Write(std::span<const std::uint8_t> samples) {
  if (!started_) return 0;
  const std::size_t taken = WholeFrameBytes(std::min(samples.size(), FreeBytes()), format_);
  samples_.insert(samples_.end(), samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(taken));
  return taken;
}

std::size_t RecordingAudioOut::FreeBytes() const {
  if (!started_) return 0;
  return capacity_ == 0 ? kUnbounded : capacity_;
}

void RecordingAudioOut::Stop() {
  if (started_) ++stops_;
  started_ = false;
}

}  // namespace sprocket
