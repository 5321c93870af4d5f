// The WAV readers: the clip header a timeline keeps and the file
// information the mixdown reads.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "fuzz_input.h"
#include "render/audio/wav_file.h"
#include "timeline/basics/media_type.h"
#include "timeline/document/clip_header_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace sprocket;
  static const fuzz::ScratchFile file(".wav");
  if (!file.Write({data, size})) return 0;
  std::optional<ClipMediaHeader> header;
  std::string error;
  if (ReadMediaHeader(file.Path(), kMediaWav, &header, &error) && header) {
    header->MediaLengthMs();
    header->FramesPerSecond();
  }
  WaveFileInfo info;
  ReadWaveFileInfo(file.Path(), &info);
  return 0;
}
