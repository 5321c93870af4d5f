#pragma once
// The bridge to the image codec library: decoding and encoding still-image
// files and reducing pictures to few colours. Every codec error is caught
// here and reported through the result and `error`.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/global_memory.h"
#include "platform/imagefile/still_image_format.h"

namespace sprocket {

// Starts the codec library once per process (later calls do nothing).
void InitializeImageCodecs();

// Decodes the first picture of a file's bytes with the decoder of `format`
// only (content of another format fails). Palette pictures of 256 colours or
// fewer give 8-bit pictures, everything else 24-bit (alpha is dropped). A
// truncated or corrupt file gives an empty block.
GlobalBlock DecodeStillImage(std::string_view bytes, StillImageFormat format, std::string* error);

// Save options.
inline constexpr int kSaveOptionDefault = -1;
inline constexpr int kSaveBmpUncompressed = 1;
inline constexpr int kSaveBmpRle8 = 12;
inline constexpr int kSaveTifUncompressed = 0;
inline constexpr int kSaveTifLzw = 9;

// Encodes a picture (image_picture.h) as a file of `format`, keeping its bit
// depth where the format allows (8-bit pictures as palette files, JPEG always
// 24-bit, GIF always 8-bit). BMP with kSaveBmpRle8 is run-length encoded when
// the picture is 8-bit; TIF with kSaveTifLzw is LZW compressed; any other
// option writes uncompressed files. `jpegQuality` is 1..100.
std::optional<std::string> EncodeStillImage(const std::uint8_t* picture, std::size_t bytes, StillImageFormat format,
                                            int option, int jpegQuality, std::string* error);

// An 8-bit picture of at most `colors` colours (1..256) from a 24-bit one.
// When the picture has that few colours already they are kept exactly;
// otherwise the colours are chosen by the codec library's quantiser, with
// error diffusion when `dither` is set.
GlobalBlock QuantizePicture(const std::uint8_t* picture, std::size_t bytes, int colors, bool dither,
                            std::string* error);

}  // namespace sprocket
