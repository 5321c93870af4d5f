#include "render/flic/flic_chunk_decoder.h"

#include <algorithm>
#include <cstring>

#include "render/flic/flic_format.h"

namespace sprocket {

namespace {

constexpr int kDamaged = -2;

// Reads a chunk's data front to back; a read past the end yields zeros and
// marks the reader failed, so decoders check failed() before they write.
class ChunkReader {
public:
  ChunkReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool failed() const { return failed_; }

  std::uint8_t U8() {
    const std::uint8_t* p = Take(1);
    return p != nullptr ? p[0] : 0;
  }
  std::int8_t I8() { return static_cast<std::int8_t>(U8()); }
  std::uint16_t U16() {
    const std::uint8_t* p = Take(2);
    return p != nullptr ? static_cast<std::uint16_t>(p[0] | (p[1] << 8)) : 0;
  }
  // The next `count` bytes, or null (and failed) when fewer are left.
  const std::uint8_t* Take(std::size_t count) {
    if (failed_ || count > size_ - position_) {
      failed_ = true;
      return nullptr;
    }
    const std::uint8_t* p = data_ + position_;
    position_ += count;
    return p;
  }

private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t position_ = 0;
  bool failed_ = false;
};

// Writes into the canvas; every write is checked against the picture's lines
// and width, and a write that does not fit writes nothing and answers false.
class CanvasWriter {
public:
  explicit CanvasWriter(const FlicCanvas& canvas) : canvas_(canvas) {}

  bool Fill(std::int64_t x, std::int64_t y, std::uint8_t value, std::int64_t count) {
    std::uint8_t* p = Span(x, y, count);
    if (p == nullptr) return false;
    std::memset(p, value, static_cast<std::size_t>(count));
    return true;
  }
  bool Copy(std::int64_t x, std::int64_t y, const std::uint8_t* source, std::int64_t count) {
    std::uint8_t* p = Span(x, y, count);
    if (p == nullptr) return false;
    std::memcpy(p, source, static_cast<std::size_t>(count));
    return true;
  }
  // Repeats a two-byte pattern `pairs` times.
  bool FillPairs(std::int64_t x, std::int64_t y, const std::uint8_t* pattern, std::int64_t pairs) {
    std::uint8_t* p = Span(x, y, pairs * 2);
    if (p == nullptr) return false;
    for (std::int64_t i = 0; i < pairs; ++i) {
      p[2 * i] = pattern[0];
      p[2 * i + 1] = pattern[1];
    }
    return true;
  }
  int width() const { return canvas_.width; }
  int height() const { return canvas_.height; }

private:
  // Address of `count` bytes at (x, y) plus the origins, or null when they
  // are not all inside the picture.
  std::uint8_t* Span(std::int64_t x, std::int64_t y, std::int64_t count) const {
    x += canvas_.xOrigin;
    y += canvas_.yOrigin;
    if (count < 0 || x < 0 || y < 0 || y >= canvas_.height || x > canvas_.width - count) return nullptr;
    if (canvas_.dirty != nullptr) canvas_.dirty->Mark(y, x, count);
    return canvas_.pixels + y * canvas_.stride + x;
  }

  const FlicCanvas& canvas_;
};

// Colour chunks: packets of (skip, count, count red-green-blue triples).
int DecodeColor(ChunkReader& in, const FlicCanvas& canvas, bool sixBit) {
  const int packets = in.U16();
  int index = 0;
  for (int packet = 0; packet < packets; ++packet) {
    index += in.U8();
    int count = in.U8();
    if (count == 0) count = 256;
    const std::uint8_t* rgb = in.Take(static_cast<std::size_t>(count) * 3);
    if (rgb == nullptr || index + count > 256) return kDamaged;
    for (int i = 0; i < count; ++i, ++index) {
      std::uint8_t* entry = canvas.colorTable + index * 4;
      for (int c = 0; c < 3; ++c) {
        int value = rgb[i * 3 + c];
        if (sixBit) value = std::min(value * 255 / 63, 255);
        entry[2 - c] = static_cast<std::uint8_t>(value);  // stored blue, green, red
      }
      entry[3] = 0;
    }
  }
  return in.failed() ? kDamaged : 0;
}

// Byte run: every line, an ignored byte, then packets until the width is
// filled; a count >= 0 repeats the next byte, a count < 0 copies bytes.
int DecodeByteRun(ChunkReader& in, CanvasWriter& out) {
  for (int y = 0; y < out.height(); ++y) {
    in.U8();
    std::int64_t x = 0;
    while (x < out.width()) {
      const int count = in.I8();
      if (count >= 0) {
        const std::uint8_t value = in.U8();
        if (in.failed() || !out.Fill(x, y, value, count)) return kDamaged;
        x += count;
      } else {
        const std::uint8_t* bytes = in.Take(static_cast<std::size_t>(-count));
        if (bytes == nullptr || !out.Copy(x, y, bytes, -count)) return kDamaged;
        x += -count;
      }
    }
  }
  return in.failed() ? kDamaged : 0;
}

// Byte delta: a band of lines from a first line; per line packets of
// (skip, count): a count < 0 repeats the next byte, a count >= 0 copies bytes.
int DecodeByteDelta(ChunkReader& in, CanvasWriter& out) {
  const int first = static_cast<std::int16_t>(in.U16());
  const int lines = in.U16();
  for (int line = 0; line < lines; ++line) {
    const std::int64_t y = first + line;
    const int packets = in.U8();
    std::int64_t x = 0;
    for (int packet = 0; packet < packets; ++packet) {
      x += in.U8();
      const int count = in.I8();
      if (count < 0) {
        const std::uint8_t value = in.U8();
        if (in.failed() || !out.Fill(x, y, value, -count)) return kDamaged;
        x += -count;
      } else {
        const std::uint8_t* bytes = in.Take(static_cast<std::size_t>(count));
        if (bytes == nullptr || !out.Copy(x, y, bytes, count)) return kDamaged;
        x += count;
      }
    }
  }
  return in.failed() ? kDamaged : 0;
}

// Word delta: per line with data, optional line-skip and last-byte words,
// then packets of (skip, count): a count > 0 copies pixel pairs, a count < 0
// repeats the next pair.
int DecodeWordDelta(ChunkReader& in, CanvasWriter& out) {
  int lines = static_cast<std::int16_t>(in.U16());
  if (lines < 0) return kDamaged;
  std::int64_t y = 0;
  while (lines > 0) {
    std::uint16_t word = in.U16();
    if (in.failed()) return kDamaged;
    if ((word & kWordDeltaOpcodeMask) == kWordDeltaLineSkip) {
      y += -static_cast<std::int16_t>(word);
      continue;
    }
    if ((word & kWordDeltaOpcodeMask) == kWordDeltaLastByte) {
      const auto last = static_cast<std::uint8_t>(word & 0xFF);
      if (!out.Fill(out.width() - 1, y, last, 1)) return kDamaged;
      word = in.U16();
    }
    const int packets = word;
    std::int64_t x = 0;
    for (int packet = 0; packet < packets; ++packet) {
      x += in.U8();
      const int count = in.I8();
      if (count > 0) {
        const std::uint8_t* bytes = in.Take(static_cast<std::size_t>(count) * 2);
        if (bytes == nullptr || !out.Copy(x, y, bytes, count * 2)) return kDamaged;
      } else if (count < 0) {
        const std::uint8_t* pattern = in.Take(2);
        if (pattern == nullptr || !out.FillPairs(x, y, pattern, -count)) return kDamaged;
      }
      x += 2 * static_cast<std::int64_t>(count < 0 ? -count : count);
    }
    if (in.failed()) return kDamaged;
    --lines;
    ++y;
  }
  return 0;
}

int DecodeLiteral(ChunkReader& in, CanvasWriter& out) {
  for (int y = 0; y < out.height(); ++y) {
    const std::uint8_t* bytes = in.Take(static_cast<std::size_t>(out.width()));
    if (bytes == nullptr || !out.Copy(0, y, bytes, out.width())) return kDamaged;
  }
  return 0;
}

void DecodeBlack(const FlicCanvas& canvas) {
  if (canvas.dirty != nullptr) {
    canvas.dirty->Clear(canvas);
    return;
  }
  std::memset(canvas.pixels, 0, static_cast<std::size_t>(canvas.stride) * static_cast<std::size_t>(canvas.height));
}

int DecodeChunk(std::uint16_t type, const std::uint8_t* data, std::size_t size, const FlicCanvas& canvas) {
  ChunkReader in(data, size);
  CanvasWriter out(canvas);
  switch (type) {
    case kFlicColor256:
      return DecodeColor(in, canvas, false);
    case kFlicColor64:
      return DecodeColor(in, canvas, true);
    case kFlicWordDelta:
      return DecodeWordDelta(in, out);
    case kFlicByteDelta:
      return DecodeByteDelta(in, out);
    case kFlicBlack:
      DecodeBlack(canvas);
      return 0;
    case kFlicByteRun:
      return DecodeByteRun(in, out);
    case kFlicLiteral:
      return DecodeLiteral(in, out);
    default:
      return 0;
  }
}

}  // namespace

void FlicDirtyRows::Reset(int height) {
  spans_.assign(static_cast<std::size_t>(std::max(height, 0)), Span{});
  rows_.clear();
  cleared_ = 0;
}

void FlicDirtyRows::Mark(std::int64_t y, std::int64_t x, std::int64_t count) {
  if (count <= 0 || y < 0 || y >= static_cast<std::int64_t>(spans_.size())) return;
  Span& span = spans_[static_cast<std::size_t>(y)];
  const auto left = static_cast<std::int32_t>(x);
  const auto right = static_cast<std::int32_t>(x + count);
  if (span.left == span.right) {
    rows_.push_back(static_cast<std::int32_t>(y));
    span = Span{left, right};
    return;
  }
  span.left = std::min(span.left, left);
  span.right = std::max(span.right, right);
}

void FlicDirtyRows::Clear(const FlicCanvas& canvas) {
  for (const std::int32_t y : rows_) {
    Span& span = spans_[static_cast<std::size_t>(y)];
    if (y < canvas.height && span.right <= canvas.width) {
      std::memset(canvas.pixels + static_cast<std::ptrdiff_t>(y) * canvas.stride + span.left, 0,
                  static_cast<std::size_t>(span.right - span.left));
      cleared_ += static_cast<std::uint64_t>(span.right - span.left);
    }
    span = Span{};
  }
  rows_.clear();
}

int DecodeFlicFrameBody(const std::uint8_t* body, std::size_t size, int chunkCount, const FlicCanvas& canvas) {
  std::size_t position = 0;
  for (int chunk = 0; chunk < chunkCount; ++chunk) {
    if (size - position < kFlicChunkHeaderSize) return kDamaged;
    FlicChunkHeader header;
    std::memcpy(&header, body + position, sizeof header);
    if (header.size < kFlicChunkHeaderSize || header.size > size - position) return kDamaged;
    const int result =
        DecodeChunk(header.type, body + position + kFlicChunkHeaderSize, header.size - kFlicChunkHeaderSize, canvas);
    if (result != 0) return result;
    position += header.size;
  }
  return 0;
}

}  // namespace sprocket
