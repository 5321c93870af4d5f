#pragma once
// The mixed sound of a movie: a WAV file of 8-bit or 16-bit PCM, one or two
// channels, read a stretch at a time for interleaving with the pictures.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/media/avi_writer.h"
#include "platform/media/riff_reader.h"

namespace sprocket {

class MixedSoundFile {
public:
  // Opens the file and reads its format. False with `error` when it is not a
  // WAV file of PCM samples the movie can carry, or its data is truncated.
  bool Open(const std::string& path, std::string* error);

  const AviAudioFormat& Format() const { return format_; }
  std::int64_t SampleFrames() const { return frames_; }
  std::int64_t Position() const { return position_; }

  // Reads the next `frames` sample frames (fewer at the end of the data)
  // into `out`. False with `error` when the file cannot be read.
  bool Read(std::int64_t frames, std::vector<std::uint8_t>* out, std::string* error);

private:
  RiffReader riff_;
  AviAudioFormat format_;
  std::uint64_t dataOffset_ = 0;
  std::uint32_t blockAlign_ = 0;
  std::int64_t frames_ = 0;
  std::int64_t position_ = 0;
};

}  // namespace sprocket
