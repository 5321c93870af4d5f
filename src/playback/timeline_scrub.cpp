#include "playback/timeline_scrub.h"

#include <algorithm>

#include <vector>

#include "render/audio/audio_mixdown.h"
#include "timeline/basics/time_code.h"

namespace sprocket {

namespace {

// The mixed samples of a frame, kept in memory.
class CapturedSound final : public MixedAudioStream {
public:
  bool WriteSamples(std::int64_t, std::int64_t, const void* data, std::size_t bytes) override {
    const auto* from = static_cast<const std::uint8_t*>(data);
    samples.insert(samples.end(), from, from + bytes);
    return true;
  }
  std::vector<std::uint8_t> samples;
};

}  // namespace

TimelineScrub::TimelineScrub(JobFrameRenderer renderer)
    : render_(renderer ? std::move(renderer) : CompositorFrameRenderer()) {}

TimelineScrub::~TimelineScrub() { End(); }

void TimelineScrub::Begin(const TLEvent* head, std::int32_t trackCount, std::int32_t width, std::int32_t height,
                          std::int32_t rateHundredths, bool preview) {
  End();
  if (head == nullptr || width <= 0 || height <= 0) return;
  head_ = head;
  width_ = width;
  height_ = height;
  rate_ = rateHundredths;
  preview_ = preview;
  tracks_ = std::make_unique<TrackList>();
  tracks_->BuildTrackList(std::max(trackCount, 1));
}

bool TimelineScrub::ShowAt(std::int32_t ms) {
  if (!IsActive()) return false;
  const std::int32_t time = SnapToFrame(std::max(ms, 0), rate_);
  if (time == shownTime_ && picture_) return true;
  DibPicture frame = DibPicture::Black24(width_, height_);
  if (!frame) return false;
  RenderFrameArgs args;
  args.frameTime = args.endTime = time;
  args.dib = frame.data();
  args.head = head_;
  args.width = width_;
  args.height = height_;
  args.mode = kRenderModePlain;
  args.preview = preview_ ? 1 : 0;
  args.tracks = tracks_.get();
  std::int32_t produced = kFrameRendered;
  if (render_(args, &produced) != kRenderDone) return false;
  picture_ = std::move(frame);
  shownTime_ = time;
  if (onFrame_) onFrame_(picture_.data(), time);
  PlayFrameSound(time);
  return true;
}

void TimelineScrub::PlayFrameSound(std::int32_t time) {
  if (sound_ == nullptr || !soundFormat_.IsValid()) return;
  const std::int32_t next = FramesToMs(MsToFrames(time, rate_ / 100.0) + 1, rate_ / 100.0);
  CapturedSound frame;
  if (MixdownAudio(nullptr, nullptr, &frame, head_, soundFormat_.bitsPerSample, soundFormat_.channels,
                   soundFormat_.sampleRate, 0, 1, time, next) != kMixdownDone) {
    return;
  }
  // Only the latest move is heard: what is still queued of the one before is dropped.
  sound_->Start(soundFormat_);
  sound_->Write(frame.samples);
}

void TimelineScrub::End() {
  if (sound_ != nullptr && head_ != nullptr) sound_->Stop();
  if (tracks_ != nullptr) {
    tracks_->CloseTrackSources();
    FreeTrackList(tracks_);
  }
  head_ = nullptr;
  picture_.reset();
  shownTime_ = -1;
}

}  // namespace sprocket
