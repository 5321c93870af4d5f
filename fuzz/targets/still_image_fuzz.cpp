// Still-image files through the image-file library: the first byte picks
// the extension (and so the format the content must match), the rest is
// the file; an opened picture is turned into a DIB and a 24-bit copy.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_input.h"
#include "platform/imagefile/image_file_library.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace sprocket;
  static const std::array<const char*, 9> kExtensions = {".bmp", ".dib", ".gif", ".jpg", ".pcx",
                                                         ".tif", ".pct", ".tga", ".wpg"};
  fuzz::InputBytes input(data, size);
  const std::string extension = kExtensions[input.U8() % kExtensions.size()];
  const fuzz::ScratchFile file(extension);
  if (!file.Write(input.Rest())) return 0;
  ImageFileLibrary& images = ImageFiles();
  const ImageHandle image = images.Open(file.Path());
  if (image < 0) return 0;
  int width = 0;
  int height = 0;
  int bits = 0;
  images.GetDib(image, &width, &height, &bits);
  images.ToTrueColor(image);
  images.Free(image);
  return 0;
}
