#include "flic_test_files.h"

#include <algorithm>
#include <cassert>

namespace sprocket::testing {

Bytes& Bytes::U8(int value) {
  data_.push_back(static_cast<char>(value & 0xFF));
  return *this;
}

Bytes& Bytes::U16(int value) { return U8(value).U8(value >> 8); }

Bytes& Bytes::U32(std::uint32_t value) {
  return U16(static_cast<int>(value & 0xFFFF)).U16(static_cast<int>(value >> 16));
}

Bytes& Bytes::Raw(const std::string& bytes) {
  data_ += bytes;
  return *this;
}

Bytes& Bytes::Raw(const std::vector<std::uint8_t>& bytes) {
  data_.append(bytes.begin(), bytes.end());
  return *this;
}

std::string Chunk(std::uint16_t type, const std::string& data) {
  return Bytes().U32(static_cast<std::uint32_t>(data.size() + 6)).U16(type).Raw(data).str();
}

std::string Frame(const std::vector<std::string>& chunks) {
  std::string body;
  for (const std::string& chunk : chunks) body += chunk;
  Bytes frame;
  frame.U32(static_cast<std::uint32_t>(body.size() + 16)).U16(0xF1FA).U16(static_cast<int>(chunks.size()));
  for (int i = 0; i < 8; ++i) frame.U8(0);
  return frame.Raw(body).str();
}

std::string FlicBytes(const FlicHeaderFields& fields, const std::vector<std::string>& frames) {
  std::string body;
  for (const std::string& frame : frames) body += frame;
  Bytes header;
  header.U32(static_cast<std::uint32_t>(128 + body.size()))
      .U16(fields.magic)
      .U16(fields.frames)
      .U16(fields.width)
      .U16(fields.height)
      .U16(fields.depth)
      .U16(0)
      .U32(fields.speed);
  std::string bytes = header.str();
  bytes.resize(128, '\0');
  if (fields.magic == 0xAF12 && fields.setFrameOffsets && !frames.empty()) {
    std::string offsets = Bytes().U32(128).U32(static_cast<std::uint32_t>(128 + frames[0].size())).str();
    bytes.replace(80, 8, offsets);
  }
  return bytes + body;
}

std::string FullColorData(const RgbPalette& palette) {
  Bytes data;
  data.U16(1).U8(0).U8(0);
  for (std::uint8_t component : palette) data.U8(component);
  return data.str();
}

namespace {

// Length of the run of equal values starting at `from`, at most `limit`.
int RunLength(const std::uint8_t* values, int from, int end, int limit) {
  int length = 1;
  while (from + length < end && length < limit && values[from + length] == values[from]) ++length;
  return length;
}

}  // namespace

std::string ByteRunData(const IndexedPicture& picture) {
  Bytes data;
  for (int y = 0; y < picture.height; ++y) {
    const std::uint8_t* line = picture.row(y);
    data.U8(0);
    int x = 0;
    while (x < picture.width) {
      const int run = RunLength(line, x, picture.width, 127);
      if (run >= 3) {
        data.U8(run).U8(line[x]);
        x += run;
        continue;
      }
      int literal = 0;
      while (x + literal < picture.width && literal < 127 && RunLength(line, x + literal, picture.width, 3) < 3) {
        ++literal;
      }
      literal = std::max(literal, 1);
      data.U8(-literal);
      for (int i = 0; i < literal; ++i) data.U8(line[x + i]);
      x += literal;
    }
  }
  return data.str();
}

std::string LiteralData(const IndexedPicture& picture) {
  return std::string(picture.pixels.begin(), picture.pixels.end());
}

std::string WordDeltaData(const IndexedPicture& before, const IndexedPicture& after, bool lastByteWords) {
  const int width = after.width;
  const int pairs = width / 2;
  const bool odd = width % 2 != 0;
  auto pairDiffers = [&](int y, int p) {
    return before.at(2 * p, y) != after.at(2 * p, y) || before.at(2 * p + 1, y) != after.at(2 * p + 1, y);
  };
  auto pairValue = [&](int y, int p) { return after.at(2 * p, y) | (after.at(2 * p + 1, y) << 8); };

  Bytes lines;
  int lineCount = 0;
  int lastLine = -1;
  for (int y = 0; y < after.height; ++y) {
    const bool lastChanged = odd && lastByteWords && before.at(width - 1, y) != after.at(width - 1, y);
    bool anyPair = false;
    for (int p = 0; p < pairs && !anyPair; ++p) anyPair = pairDiffers(y, p);
    if (!anyPair && !lastChanged) continue;

    if (y - lastLine - 1 > 0) lines.U16(-(y - lastLine - 1));
    if (lastChanged) lines.U16(0x8000 | after.at(width - 1, y));
    Bytes packets;
    int packetCount = 0;
    int x = 0;  // pixel position after the last packet
    int p = 0;
    while (p < pairs) {
      if (!pairDiffers(y, p)) {
        ++p;
        continue;
      }
      int skip = 2 * p - x;
      while (skip > 254) {  // an empty packet carries a long skip
        packets.U8(254).U8(0);
        ++packetCount;
        skip -= 254;
        x += 254;
      }
      int run = 1;
      while (p + run < pairs && run < 127 && pairDiffers(y, p + run) && pairValue(y, p + run) == pairValue(y, p)) {
        ++run;
      }
      if (run >= 2) {
        packets.U8(skip).U8(-run).U16(pairValue(y, p));
      } else {
        int literal = 1;
        while (p + literal < pairs && literal < 127 && pairDiffers(y, p + literal)) ++literal;
        packets.U8(skip).U8(literal);
        for (int i = 0; i < literal; ++i) packets.U16(pairValue(y, p + i));
        run = literal;
      }
      ++packetCount;
      p += run;
      x = 2 * p;
    }
    lines.U16(packetCount).Raw(packets.str());
    ++lineCount;
    lastLine = y;
  }
  return Bytes().U16(lineCount).Raw(lines.str()).str();
}

std::string ByteDeltaData(const IndexedPicture& before, const IndexedPicture& after) {
  const int width = after.width;
  auto lineDiffers = [&](int y) { return !std::equal(before.row(y), before.row(y) + width, after.row(y)); };
  int first = 0;
  while (first < after.height && !lineDiffers(first)) ++first;
  int last = after.height - 1;
  while (last >= first && !lineDiffers(last)) --last;
  if (first > last) return Bytes().U16(0).U16(0).str();

  Bytes data;
  data.U16(first).U16(last - first + 1);
  for (int y = first; y <= last; ++y) {
    Bytes packets;
    int packetCount = 0;
    int x = 0;
    int at = 0;
    while (at < width) {
      if (before.at(at, y) == after.at(at, y)) {
        ++at;
        continue;
      }
      int skip = at - x;
      while (skip > 255) {
        packets.U8(255).U8(0);
        ++packetCount;
        skip -= 255;
        x += 255;
      }
      const int run = RunLength(after.row(y), at, width, 127);
      int length = run;
      if (run >= 3) {
        packets.U8(skip).U8(-run).U8(after.at(at, y));
      } else {
        length = 1;
        while (at + length < width && length < 127 && before.at(at + length, y) != after.at(at + length, y)) {
          ++length;
        }
        packets.U8(skip).U8(length);
        for (int i = 0; i < length; ++i) packets.U8(after.at(at + i, y));
      }
      ++packetCount;
      at += length;
      x = at;
    }
    assert(packetCount < 256);
    data.U8(packetCount).Raw(packets.str());
  }
  return data.str();
}

IndexedPicture PatternPicture(int width, int height, unsigned seed) {
  IndexedPicture picture(width, height);
  unsigned state = seed * 2654435761u + 12345u;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t value;
      if (y < height / 3) {
        value = static_cast<std::uint8_t>((x + seed) / 5 + y);  // short runs
      } else if (y < 2 * height / 3) {
        value = static_cast<std::uint8_t>(((x / 9 + y / 7 + seed) % 4) * 40);  // blocks
      } else {
        state = state * 1103515245u + 12345u;
        value = static_cast<std::uint8_t>(state >> 16);  // noise
      }
      picture.at(x, y) = value;
    }
  }
  return picture;
}

RgbPalette PatternPalette(unsigned seed) {
  RgbPalette palette{};
  for (int i = 0; i < 256; ++i) {
    palette[i * 3] = static_cast<std::uint8_t>(i + seed);
    palette[i * 3 + 1] = static_cast<std::uint8_t>(255 - i);
    palette[i * 3 + 2] = static_cast<std::uint8_t>(i * 7 + seed * 3);
  }
  return palette;
}

}  // namespace sprocket::testing
