#pragma once
// Where played sound goes: PCM samples written to the machine's audio
// output, or kept by a test.
//
// A player starts the output with the format of its samples, writes whole
// sample frames as the output takes them (FreeBytes tells how many it takes
// now) and stops it, which drops whatever is still queued. An output that
// cannot play (no sound device, a format the device refuses) stays silent:
// it takes every byte and plays nothing, and it reports no error, so that
// playback goes on without sound.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace sprocket {

// PCM as the movie files hold it: 8-bit unsigned or 16-bit signed
// little-endian samples, channels interleaved left first.
struct AudioOutFormat {
  int sampleRate = 0;
  int channels = 0;
  int bitsPerSample = 0;
  int BytesPerFrame() const { return channels * (bitsPerSample / 8); }
  bool IsValid() const {
    return sampleRate > 0 && (channels == 1 || channels == 2) && (bitsPerSample == 8 || bitsPerSample == 16);
  }
  bool operator==(const AudioOutFormat&) const = default;
};

class AudioOut {
public:
  virtual ~AudioOut() = default;

  // Starts (or restarts) the output for samples of `format`, dropping
  // anything still queued. False only for a format that is not valid PCM;
  // an output that cannot play the format stays silent and answers true.
  virtual bool Start(const AudioOutFormat& format) = 0;
  // Queues samples; answers the bytes taken (at most FreeBytes(), cut to
  // whole sample frames). Nothing is taken while the output is stopped.
  virtual std::size_t Write(std::span<const std::uint8_t> samples) = 0;
  // The bytes Write would take now.
  virtual std::size_t FreeBytes() const = 0;
  // Stops at once and drops what is queued. Safe to call when stopped.
  virtual void Stop() = 0;
  virtual bool IsStarted() const = 0;
};

// The whole-frame part of `bytes` for `format`.
inline std::size_t WholeFrameBytes(std::size_t bytes, const AudioOutFormat& format) {
  const std::size_t frame = static_cast<std::size_t>(format.BytesPerFrame());
  return frame == 0 ? 0 : bytes - bytes % frame;
}

// An output that plays nothing and takes everything: the machine without a
// sound device.
class SilentAudioOut final : public AudioOut {
public:
  bool Start(const AudioOutFormat& format) override;
  std::size_t Write(std::span<const std::uint8_t> samples) override;
  std::size_t FreeBytes() const override;
  void Stop() override { started_ = false; }
  bool IsStarted() const override { return started_; }

private:
  AudioOutFormat format_;
  bool started_ = false;
};

// An output that keeps every sample written to it (for tests), with the
// format of the last start and how often it was started and stopped.
// `capacity` bounds what one Write takes (0: no bound).
class RecordingAudioOut final : public AudioOut {
public:
  explicit RecordingAudioOut(std::size_t capacity = 0) : capacity_(capacity) {}

  bool Start(const AudioOutFormat& format) override;
  std::size_t Write(std::span<const std::uint8_t> samples) override;
  std::size_t FreeBytes() const override;
  void Stop() override;
  bool IsStarted() const override { return started_; }

  const AudioOutFormat& format() const { return format_; }
  const std::vector<std::uint8_t>& samples() const { return samples_; }
  int starts() const { return starts_; }
  int stops() const { return stops_; }

private:
  std::size_t capacity_;
  AudioOutFormat format_;
  std::vector<std::uint8_t> samples_;
  bool started_ = false;
  int starts_ = 0;
  int stops_ = 0;
};

}  // namespace sprocket
