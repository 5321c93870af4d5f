#pragma once
// The audio mixdown of a movie range: the timeline's sound, frame by frame,
// into the output WAV file (or the audio stream of an AVI file).
//
// For every frame of the range the clips that play there (at most one per
// track: the first in track order) are read from their WAV or AVI files,
// given their channel mode, balance and volume, converted to the output
// format, ramped by their volume envelope and summed; the sum gets the
// timeline's master volume and balance, is clipped and written.
//
// Frames and samples: frame f of a timeline at `rate` hundredths of a frame
// per second starts at f x 100000 / rate ms, and its samples at the output
// rate R are those from floor(f x R x 100 / rate) up to the next frame's
// start. Every frame boundary thus falls on the sample of its own time,
// whatever the frame rate, and ranges mixed apart join without drift.
//
// The mixdown works on a copy of the timeline's event list, so the automatic
// cross-fades it writes into the volume envelopes never touch the document.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "render/audio/wav_file.h"
#include "timeline/records/tl_event.h"

namespace sprocket {

// What the render window shows while the sound is mixed.
class MixdownProgress {
public:
  virtual ~MixdownProgress() = default;
  // The time (ms) of the frame being mixed, for the "Time Code" item.
  virtual void ShowTimeCode(std::int32_t ms) = 0;
  // The progress bar at a time (ms), without a picture.
  virtual void ShowRenderProgress(double ms) = 0;
};

// The audio stream of an AVI file being written.
class MixedAudioStream {
public:
  virtual ~MixedAudioStream() = default;
  // Writes `samples` sample frames (`bytes` bytes) at sample `start`. False
  // when the write failed.
  virtual bool WriteSamples(std::int64_t start, std::int64_t samples, const void* data, std::size_t bytes) = 0;
};

// Said once a run (not while a segment renders) when clips of the range
// have sound at a speed outside 50..200 %, which the speed change of the
// samples cannot follow: their sound is left out. "%s" lists the clips as
// "name" (speed %), separated by ", ".
inline constexpr const char* kUnmixableSpeedText =
    "The sound of %s is left out: sound is mixed at speeds from 50 to 200 %% only.";

// Results of MixdownAudio.
inline constexpr int kMixdownDone = 0;
inline constexpr int kMixdownStopped = -1;  // the user stopped it; the WAV file holds the frames mixed
inline constexpr int kMixdownFailed = -2;   // a message was shown; no WAV file is left

// The frame of a time: (int)(ms x fps x 0.001 + 0.5) with fps = rate / 100.
std::int64_t MixFrameOfTime(double ms, std::int32_t rate);
// The first output sample of a frame: floor(frame x outRate x 100 / rate).
std::int64_t FrameSampleStart(std::int64_t frame, std::int32_t rate, int outRate);
// The output sample frames of a frame: the next frame's first sample minus its own.
std::int64_t FrameSampleCount(std::int64_t frame, std::int32_t rate, int outRate);

// Mixes [startMs, endMs) of the timeline that starts at `timeline` at its
// own frame rate (`fpsHint` is not used) into `bits`-bit (8 or 16),
// `channels`-channel (1 or 2) samples at `rate` samples per second. With a
// `waveFile` (created by the caller) the frames go there and the file is
// finished at the end, also when the user stops (a WAV file of the frames
// mixed so far); otherwise to `stream`. `progress` may be null. The run
// stops when the abort flag is set (it pumps messages once per frame).
// `bufferFrames` is kept for the callers; the buffers are sized from the
// frame rate. A failed write, or a range whose sound would not fit in a WAV
// file, shows its message, deletes the WAV file and gives kMixdownFailed.
int MixdownAudio(MixdownProgress* progress, WaveOutputFile* waveFile, MixedAudioStream* stream, const TLEvent* timeline,
                 int bits, int channels, int rate, int fpsHint, int bufferFrames, std::int32_t startMs,
                 std::int32_t endMs);

// Writes one mixed frame to the WAV file, or else to the stream at sample
// bytesWrittenSoFar / blockAlign. False when the write failed.
bool WriteMixedAudio(WaveOutputFile* waveFile, MixedAudioStream* stream, std::span<const std::uint8_t> frame,
                     std::uint64_t bytesWrittenSoFar, int blockAlign);

// The volume envelope's gain ramp of one frame, in whole percent.
struct FrameLevels {
  int start = 100;
  int end = 100;
  bool operator==(const FrameLevels&) const = default;
};

// The ramp of `clip`'s volume envelope over `frame`: the envelope's points
// lie on the timeline at their share of the media's length at the clip's
// speed, counted from where the media's start falls; in the segment that
// holds the frame, start = (ms into the segment) x (L1 - L0) / (segment ms)
// + L0 and end = start + (L1 - L0) / (segment frames), with levels in whole
// percent (a point below 3 %, or a next point below 2 %, counts as 0).
// Outside every segment the nearest end point's level holds; an empty
// envelope is 100 %. Nothing (the clip is not mixed) for a single point, a
// speed of 0 or below, or a media length of 0.
std::optional<FrameLevels> EnvelopeFrameLevels(const TLEvent& clip, std::int64_t frame, std::int32_t rate);

// The frames to read for a frame at a speed ratio other than 1: the target
// (at least 1), brought within a third of `normal` and three times it, and
// then not below `normal` when the ratio is above 1 nor above it when below.
std::int64_t AlignedByteCount(std::int64_t normal, std::int64_t target, double ratio);

// Writes the automatic cross-fades of the clips on video tracks 1 and 3
// into their volume envelopes: where a clip with sound at speed 100 starts
// over the other track's clip, its volume rises from silence to the
// envelope's level at the end of the overlap; where the other track's clip
// starts over it, its volume falls to silence by its own end.
void ApplyAutoCrossfades(TLEvent* head);

}  // namespace sprocket
