#pragma once
// Decoding the chunks of one FLIC frame into an 8-bit picture.

#include <cstddef>
#include <cstdint>

namespace sprocket {

// The picture a frame is decoded into. Rows are top line first; positions
// get the origins added; only the first `width` bytes of each row and the
// `height` rows are written.
struct FlicCanvas {
  std::uint8_t* pixels = nullptr;      // row 0 = top line
  std::uint8_t* colorTable = nullptr;  // 256 entries of blue, green, red, 0
  int width = 0;
  int height = 0;
  int stride = 0;
  int xOrigin = 0;
  int yOrigin = 0;
};

// Decodes the `chunkCount` chunks of a frame body (the bytes after the
// 16-byte frame header) in order; chunk types the reader does not know are
// skipped by their size. Answers 0, or -2 (kFlicDamaged) at the first chunk
// that runs past the body or whose packets run past the chunk, the picture
// or the colour table; the chunks and packets before it stay decoded.
int DecodeFlicFrameBody(const std::uint8_t* body, std::size_t size, int chunkCount, const FlicCanvas& canvas);

}  // namespace sprocket
