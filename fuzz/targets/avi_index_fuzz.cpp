// The AVI header and index reader: open, the clip header, key frames and
// the first samples of every stream.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_input.h"
#include "platform/media/avi_index.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace sprocket;
  static const fuzz::ScratchFile file(".avi");
  if (!file.Write({data, size})) return 0;
  AviFileIndex index;
  if (!index.Open(file.Path())) return 0;
  index.ClipHeader();
  index.FindStream(kStreamTypeVideo);
  index.FindStream(kStreamTypeAudio);
  std::vector<std::uint8_t> sample;
  for (int stream = 0; stream < index.StreamCount() && stream < 8; ++stream) {
    const std::int64_t count = index.SampleCount(stream);
    index.FindKeySample(stream, count - 1);
    for (std::int64_t k = 0; k < count && k < 4; ++k) index.ReadSample(stream, k, &sample);
  }
  return 0;
}
