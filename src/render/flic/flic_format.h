#pragma once
// The FLI/FLC animation file format: a 128-byte file header, then frames of
// chunks. All values are little-endian; the structures below are the bytes
// on disk.

#include <bit>
#include <cstddef>
#include <cstdint>

namespace sprocket {

static_assert(std::endian::native == std::endian::little,
              "the FLIC structures are read and written as little-endian bytes");

inline constexpr std::uint16_t kFlcMagic = 0xAF12;
inline constexpr std::uint16_t kFliMagic = 0xAF11;
inline constexpr std::uint16_t kFlicFrameType = 0xF1FA;
// A chunk of settings some editors put before the first frame; it is skipped.
inline constexpr std::uint16_t kFlicPrefixType = 0xF100;

// Chunk types.
inline constexpr std::uint16_t kFlicColor256 = 4;    // palette, components 0..255
inline constexpr std::uint16_t kFlicWordDelta = 7;   // line-packet delta in pixel pairs
inline constexpr std::uint16_t kFlicColor64 = 11;    // palette, components 0..63
inline constexpr std::uint16_t kFlicByteDelta = 12;  // byte delta of a band of lines
inline constexpr std::uint16_t kFlicBlack = 13;      // the whole picture becomes colour 0
inline constexpr std::uint16_t kFlicByteRun = 15;    // run-length coded full picture
inline constexpr std::uint16_t kFlicLiteral = 16;    // uncompressed full picture

// Word-delta opcodes: the top two bits of a line's first word.
inline constexpr std::uint16_t kWordDeltaOpcodeMask = 0xC000;
inline constexpr std::uint16_t kWordDeltaLineSkip = 0xC000;
inline constexpr std::uint16_t kWordDeltaLastByte = 0x8000;

inline constexpr int kFlicHeaderSize = 128;
inline constexpr int kFlicFrameHeaderSize = 16;
inline constexpr int kFlicChunkHeaderSize = 6;

// Largest width and height read or written. Word-delta line skips and packet
// counts stay inside their opcode ranges up to this size, and pictures stay
// far below the memory a frame may take.
inline constexpr int kFlicMaxSide = 16384;

#pragma pack(push, 1)

struct FlicHeader {
  std::uint32_t fileSize;
  std::uint16_t magic;
  std::uint16_t frames;
  std::uint16_t width;
  std::uint16_t height;
  std::uint16_t depth;  // bits per pixel; 0 means 8
  std::uint16_t flags;
  std::uint32_t speed;  // FLC: milliseconds per frame; FLI: 1/70 s (low 16 bits)
  std::uint8_t unused20[6];
  std::uint8_t creator[4];
  std::uint8_t unused30[4];
  std::uint8_t updater[4];
  std::uint16_t aspectX;
  std::uint16_t aspectY;
  std::uint8_t unused42[38];
  std::uint32_t firstFrameOffset;
  std::uint32_t secondFrameOffset;
  std::uint8_t unused88[40];
};

struct FlicFrameHeader {
  std::uint32_t size;  // the whole frame, this header included
  std::uint16_t type;  // kFlicFrameType
  std::uint16_t chunks;
  std::uint8_t reserved[8];
};

struct FlicChunkHeader {
  std::uint32_t size;  // the whole chunk, this header included
  std::uint16_t type;
};

#pragma pack(pop)

static_assert(sizeof(FlicHeader) == kFlicHeaderSize);
static_assert(offsetof(FlicHeader, fileSize) == 0);
static_assert(offsetof(FlicHeader, magic) == 4);
static_assert(offsetof(FlicHeader, frames) == 6);
static_assert(offsetof(FlicHeader, width) == 8);
static_assert(offsetof(FlicHeader, height) == 10);
static_assert(offsetof(FlicHeader, depth) == 12);
static_assert(offsetof(FlicHeader, flags) == 14);
static_assert(offsetof(FlicHeader, speed) == 16);
static_assert(offsetof(FlicHeader, creator) == 26);
static_assert(offsetof(FlicHeader, updater) == 34);
static_assert(offsetof(FlicHeader, aspectX) == 38);
static_assert(offsetof(FlicHeader, aspectY) == 40);
static_assert(offsetof(FlicHeader, firstFrameOffset) == 80);
static_assert(offsetof(FlicHeader, secondFrameOffset) == 84);

static_assert(sizeof(FlicFrameHeader) == kFlicFrameHeaderSize);
static_assert(offsetof(FlicFrameHeader, type) == 4);
static_assert(offsetof(FlicFrameHeader, chunks) == 6);

static_assert(sizeof(FlicChunkHeader) == kFlicChunkHeaderSize);
static_assert(offsetof(FlicChunkHeader, type) == 4);

}  // namespace sprocket
