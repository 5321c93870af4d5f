// The movie frame reader: open at full size and for small pictures, read
// the first, a middle and the last frame (converted, and decoded then
// converted), as Make Movie and the timeline's thumbnails do.

#include <cstddef>
#include <cstdint>

#include "fuzz_input.h"
#include "platform/media/video_frame_reader.h"

namespace {

void ReadSome(const std::string& path, sprocket::DecodeSize size) {
  sprocket::VideoFrameReader reader;
  if (!reader.Open(path, size)) return;
  const std::int64_t count = reader.FrameCount();
  for (const std::int64_t frame : {std::int64_t{0}, count / 2, count - 1, count}) {
    reader.ReadFrame(frame);
  }
  reader.ReadDecodedFrame(0).ToDib24();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const sprocket::fuzz::ScratchFile file(".avi");
  if (!file.Write({data, size})) return 0;
  ReadSome(file.Path(), {});
  ReadSome(file.Path(), sprocket::DecodeSize{8, 6});
  return 0;
}
