#pragma once
// Reading a movie's (or sound file's) first audio stream as PCM samples.
//
// The samples come in the format that DeliveredFormat() names: 8-bit
// unsigned or 16-bit signed PCM of one or two channels as the file stores
// them, everything else (other depths, compressed sound, more channels)
// decoded to 16-bit PCM of at most two channels. Positions count sample
// frames (one sample of every channel). Reads that continue where the last
// one ended go on decoding without repositioning the file.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/media/avi_media_header.h"

namespace sprocket {

class AudioSampleReader {
public:
  AudioSampleReader();
  ~AudioSampleReader();
  AudioSampleReader(AudioSampleReader&&) noexcept;
  AudioSampleReader& operator=(AudioSampleReader&&) noexcept;

  // Opens the first audio stream. False with ErrorText() when the file
  // cannot be opened or has no decodable sound.
  bool Open(const std::string& path);
  bool IsOpen() const;
  const std::string& ErrorText() const;

  const PCMWAVEFORMAT& DeliveredFormat() const;
  // Sample frames in the stream (exact for PCM in AVI and WAV files).
  std::int64_t SampleCount() const;

  // Reads up to `count` sample frames from `start` into `buffer`, at most
  // `capacity` bytes. Returns the frames read (fewer at the end of the
  // stream, 0 past it) or -1 with ErrorText() on failure. Bytes past the
  // frames read are left as they were.
  std::int64_t Read(std::int64_t start, std::int64_t count, void* buffer, std::size_t capacity);

  int SeekCount() const;

private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace sprocket
