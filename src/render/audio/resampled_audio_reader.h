#pragma once
// A clip's sound decoded by the media layer, at a sample rate of our choice.
//
// The media layer delivers any sound it can decode as 8-bit or 16-bit PCM of
// one or two channels at the file's own rate. The mixdown converts rates by
// the factors 2 and 4 only; a clip at any other rate (48000, 32000, 8000 Hz)
// is resampled here to the output rate, as 16-bit samples, so that it is
// mixed at its true pitch and length rather than left out or mixed wrongly.
// Reads that continue where the last one ended go on without repositioning.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace sprocket {

struct DecodedAudioFormat {
  int channels = 0;  // 1 or 2
  int rate = 0;      // samples per second
  int bits = 0;      // 8 (unsigned) or 16 (signed)
  int BlockAlign() const { return channels * bits / 8; }
};

class ResampledAudioReader {
public:
  ResampledAudioReader();
  ~ResampledAudioReader();
  ResampledAudioReader(ResampledAudioReader&&) noexcept;
  ResampledAudioReader& operator=(ResampledAudioReader&&) noexcept;

  // Opens the file's first sound stream. With `rate` 0, or the file's own
  // rate, the samples are delivered as the media layer decodes them;
  // otherwise as 16-bit samples at `rate`. False with ErrorText() when the
  // file has no sound that can be decoded.
  bool Open(const std::string& path, int rate);
  bool IsOpen() const;
  const std::string& ErrorText() const;
  const DecodedAudioFormat& Format() const;
  // The file's own rate.
  int SourceRate() const;

  // Reads up to `frames` sample frames from `start` into `buffer` (at most
  // `capacity` bytes). Returns the frames read (fewer at the end of the
  // sound) or -1 on failure; bytes past them are left as they were.
  std::int64_t Read(std::int64_t start, std::int64_t frames, void* buffer, std::size_t capacity);

private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace sprocket
