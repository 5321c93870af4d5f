#pragma once
// Decoding the chunks of one FLIC frame into an 8-bit picture.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sprocket {

struct FlicCanvas;

// What was written into a picture since it was last all black: the rows and
// the span of each. A black chunk then clears only those spans, so its cost
// follows the data decoded since the last clear instead of the picture's
// size (a small file of many black chunks on a large picture stays cheap).
class FlicDirtyRows {
public:
  // The picture of `height` rows is all black.
  void Reset(int height);
  // Bytes [x, x + count) of row y were written.
  void Mark(std::int64_t y, std::int64_t x, std::int64_t count);
  // Clears every span written since the picture was last black.
  void Clear(const FlicCanvas& canvas);
  // Bytes cleared since Reset.
  std::uint64_t ClearedBytes() const { return cleared_; }

private:
  struct Span {
    std::int32_t left = 0;
    std::int32_t right = 0;  // one past the last byte; left == right: nothing written
  };
  std::vector<Span> spans_;         // by row
  std::vector<std::int32_t> rows_;  // the rows with a span, in the order first written
  std::uint64_t cleared_ = 0;
};

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
  // The picture's written spans, kept up to date by the decoders; without
  // it a black chunk clears the whole picture.
  FlicDirtyRows* dirty = nullptr;
};

// Decodes the `chunkCount` chunks of a frame body (the bytes after the
// 16-byte frame header) in order; chunk types the reader does not know are
// skipped by their size. Answers 0, or -2 (kFlicDamaged) at the first chunk
// that runs past the body or whose packets run past the chunk, the picture
// or the colour table; the chunks and packets before it stay decoded.
int DecodeFlicFrameBody(const std::uint8_t* body, std::size_t size, int chunkCount, const FlicCanvas& canvas);

}  // namespace sprocket
