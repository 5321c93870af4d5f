#pragma once
// Hand-built FLI/FLC files for the reader and writer tests.
//
// The encoders here are deliberately simple and independent of the writer
// under test: they use forms the writer never emits (word runs, line-skip
// and last-byte words, byte deltas, 64-level colours, literal and black
// chunks) so that the reader is tested on more than our own output.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace sprocket::testing {

// Little-endian byte string.
class Bytes {
public:
  Bytes& U8(int value);
  Bytes& U16(int value);
  Bytes& U32(std::uint32_t value);
  Bytes& Raw(const std::string& bytes);
  Bytes& Raw(const std::vector<std::uint8_t>& bytes);
  const std::string& str() const { return data_; }

private:
  std::string data_;
};

// An 8-bit picture, top line first, rows exactly `width` bytes.
struct IndexedPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;

  IndexedPicture() = default;
  IndexedPicture(int w, int h, std::uint8_t value = 0)
      : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, value) {}
  std::uint8_t& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
  std::uint8_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
  const std::uint8_t* row(int y) const { return pixels.data() + static_cast<std::size_t>(y) * width; }
  friend bool operator==(const IndexedPicture&, const IndexedPicture&) = default;
};

// 256 colours as red, green, blue.
using RgbPalette = std::array<std::uint8_t, 768>;

// A chunk: 6-byte header (size, type) and its data.
std::string Chunk(std::uint16_t type, const std::string& data);
// A frame: 16-byte header (size, 0xF1FA, chunk count) and its chunks.
std::string Frame(const std::vector<std::string>& chunks);

struct FlicHeaderFields {
  std::uint16_t magic = 0xAF12;
  int width = 0;
  int height = 0;
  int frames = 0;  // the header's count
  std::uint32_t speed = 0;
  int depth = 8;
  bool setFrameOffsets = true;  // FLC: offsets 80 and 84 point at frames 0 and 1
};

// A whole file: the 128-byte header and the frames as given (FLC offsets
// filled in unless switched off; the file size field always).
std::string FlicBytes(const FlicHeaderFields& fields, const std::vector<std::string>& frames);

// Chunk data.
std::string FullColorData(const RgbPalette& palette);  // one packet, count 0 = 256
std::string ByteRunData(const IndexedPicture& picture);
std::string LiteralData(const IndexedPicture& picture);
// Word delta from `before` to `after` (even width): literal pairs and word
// runs, line-skip words; with `lastByteWords` an odd width's last column is
// sent with the last-byte word.
std::string WordDeltaData(const IndexedPicture& before, const IndexedPicture& after, bool lastByteWords = false);
// Byte delta from `before` to `after`: the band of changed lines, runs and
// literal packets.
std::string ByteDeltaData(const IndexedPicture& before, const IndexedPicture& after);

// A test pattern that changes with `seed`: gradients, blocks and noise, so
// that runs and literals both occur.
IndexedPicture PatternPicture(int width, int height, unsigned seed);
RgbPalette PatternPalette(unsigned seed);

}  // namespace sprocket::testing
