#include "playback/movie_player.h"

#include <algorithm>
#include <cmath>

namespace sprocket {

namespace {

// Sound is read from the file in pieces of this many sample frames at most.
constexpr std::int64_t kSoundReadFrames = 4096;

AudioOutFormat OutFormatOf(const PCMWAVEFORMAT& format) {
  return AudioOutFormat{static_cast<int>(format.nSamplesPerSec), static_cast<int>(format.nChannels),
                        static_cast<int>(format.wBitsPerSample)};
}

}  // namespace

bool MoviePlayer::Open(const std::string& path) {
  Close();
  path_ = path;
  const bool pictures = video_.Open(path);
  const bool sound = sound_.Open(path) && OutFormatOf(sound_.DeliveredFormat()).IsValid();
  if (!sound) sound_ = AudioSampleReader();
  if (!pictures && !sound) {
    error_ = video_.ErrorText().empty() ? sound_.ErrorText() : video_.ErrorText();
    if (error_.empty()) error_ = "Cannot play " + path;
    return false;
  }
  if (!pictures) video_ = VideoFrameReader();
  error_.clear();
  return true;
}

void MoviePlayer::Close() {
  Stop();
  video_ = VideoFrameReader();
  sound_ = AudioSampleReader();
  path_.clear();
  position_ = 0;
  shownFrame_ = -1;
}

std::int32_t MoviePlayer::DurationMs() const {
  if (HasVideo() && video_.FramesPerSecond() > 0.0) {
    return static_cast<std::int32_t>(std::ceil(video_.FrameCount() * 1000.0 / video_.FramesPerSecond()));
  }
  if (HasAudio()) {
    const std::uint32_t rate = sound_.DeliveredFormat().nSamplesPerSec;
    return rate == 0 ? 0 : static_cast<std::int32_t>(sound_.SampleCount() * 1000 / rate);
  }
  return 0;
}

std::int64_t MoviePlayer::FrameAt(std::int32_t ms) const {
  const double fps = FramesPerSecond();
  if (!(fps > 0.0)) return 0;
  // A little slack so that frame n is due exactly at n x 1000 / fps ms.
  return static_cast<std::int64_t>(std::floor(ms * fps / 1000.0 + 1e-6));
}

std::int64_t MoviePlayer::SoundFrameAt(std::int32_t ms) const {
  const std::int64_t rate = sound_.DeliveredFormat().nSamplesPerSec;
  return std::min<std::int64_t>(sound_.SampleCount(), static_cast<std::int64_t>(ms) * rate / 1000);
}

bool MoviePlayer::Play(std::int32_t fromMs, std::int32_t toMs) {
  Stop();
  if (!IsOpen()) return false;
  const std::int32_t duration = DurationMs();
  from_ = std::clamp(fromMs, 0, duration);
  to_ = toMs < 0 ? duration : std::min(toMs, duration);
  if (to_ <= from_) return false;
  playing_ = true;
  startedAt_ = clock_.NowMs();
  position_ = from_;
  shownFrame_ = -1;
  framesShown_ = 0;
  pendingSound_.clear();
  if (HasAudio()) {
    nextSoundFrame_ = SoundFrameAt(from_);
    endSoundFrame_ = SoundFrameAt(to_);
    audio_.Start(OutFormatOf(sound_.DeliveredFormat()));
  }
  Tick();
  return true;
}

void MoviePlayer::Stop() {
  if (!playing_) return;
  playing_ = false;
  pendingSound_.clear();
  if (HasAudio()) audio_.Stop();
}

bool MoviePlayer::Tick() {
  if (!playing_) return false;
  const std::int64_t elapsed = std::max<std::int64_t>(0, clock_.NowMs() - startedAt_);
  position_ = static_cast<std::int32_t>(std::min<std::int64_t>(to_, from_ + elapsed));
  const bool ended = position_ >= to_;
  if (HasVideo()) {
    // The last frame of the range is shown before the end is reported.
    const std::int64_t last = std::min(video_.FrameCount() - 1, std::max(FrameAt(from_), FrameAt(to_ - 1)));
    const std::int64_t due = std::min(ended ? last : FrameAt(position_), last);
    if (due > shownFrame_) ShowFrame(due);
  }
  if (HasAudio()) QueueSound(ended ? to_ : position_ + kSoundLeadMs);
  if (onProgress_) onProgress_(position_);
  if (ended) {
    // The sound already queued is left to play out.
    playing_ = false;
    pendingSound_.clear();
  }
  return playing_;
}

void MoviePlayer::ShowFrame(std::int64_t frame) {
  GlobalBlock dib = video_.ReadFrame(frame);
  if (!dib) return;
  shownFrame_ = frame;
  ++framesShown_;
  if (onFrame_) {
    GlobalLockGuard<const std::uint8_t> lock(dib.get());
    onFrame_(lock.get(), frame);
  }
}

void MoviePlayer::QueueSound(std::int32_t untilMs) {
  const AudioOutFormat format = OutFormatOf(sound_.DeliveredFormat());
  const std::int64_t until = std::min(endSoundFrame_, SoundFrameAt(std::min(untilMs, to_)));
  while (true) {
    if (!pendingSound_.empty()) {
      const std::size_t taken = audio_.Write(pendingSound_);
      pendingSound_.erase(pendingSound_.begin(), pendingSound_.begin() + static_cast<std::ptrdiff_t>(taken));
      if (!pendingSound_.empty()) return;  // the output is full for now
    }
    if (nextSoundFrame_ >= until) return;
    const std::int64_t frames = std::min(kSoundReadFrames, until - nextSoundFrame_);
    pendingSound_.resize(static_cast<std::size_t>(frames * format.BytesPerFrame()));
    const std::int64_t read = sound_.Read(nextSoundFrame_, frames, pendingSound_.data(), pendingSound_.size());
    if (read <= 0) {
      // Sound that cannot be read ends the sound, not the pictures.
      pendingSound_.clear();
      nextSoundFrame_ = endSoundFrame_;
      return;
    }
    pendingSound_.resize(static_cast<std::size_t>(read * format.BytesPerFrame()));
    nextSoundFrame_ += read;
  }
}

}  // namespace sprocket
