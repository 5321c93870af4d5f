#pragma once
// Reading FLI and FLC animations frame by frame.
//
// A FlicFile holds the file's header, the open file and one picture: an
// 8-bit packed DIB (40-byte header, 256-entry colour table, pixels at byte
// 1,064) into which each frame is decoded on top of the previous one. Unlike
// a DIB, the picture's rows are in the file's order: top line first.
//
//   FlicFile flic;
//   if (FlicOpen(flic, path) == kFlicDone && FlicPlay(flic, 0) == kFlicDone) {
//     ... flic.Pixels(), flic.ColorTable() hold frame 0 ...
//   }
//   FlicClose(flic);
//
// Every read is bounded by the frame, the chunk and the file, and every
// write by the picture and its colour table: damaged input gives
// kFlicDamaged, never an access outside the buffers.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/global_memory.h"
#include "render/flic/flic_chunk_decoder.h"
#include "render/flic/flic_format.h"

namespace sprocket {

inline constexpr int kFlicDone = 0;
inline constexpr int kFlicOpenFailed = -1;  // FlicOpen: the file does not open
inline constexpr int kFlicNotAFrame = -1;   // the 16 bytes read are not a frame header
// A frame runs past the file's end, or a chunk past its frame, or a packet
// past its chunk, the picture's lines or the 256 colours.
inline constexpr int kFlicDamaged = -2;
// Not a FLI or FLC file: wrong magic, short header, a depth other than
// 8 bits, or a width or height of 0 or above kFlicMaxSide.
inline constexpr int kFlicNotFlic = -3;
inline constexpr int kFlicNoMemory = -4;  // the picture could not be allocated

struct FlicFile {
  FlicFile() = default;
  FlicFile(const FlicFile&) = delete;
  FlicFile& operator=(const FlicFile&) = delete;
  // Closes what is still open.
  ~FlicFile();

  // The header as read; after FlicOpen the speed is in milliseconds per
  // frame and firstFrameOffset is where frame 0 starts, for FLI too.
  FlicHeader header{};
  int file = -1;             // open file descriptor, -1 when none
  std::int32_t frame = 0;    // frames decoded since the first frame
  std::string name;          // the path opened
  std::int32_t xOrigin = 0;  // added to every decoded position
  std::int32_t yOrigin = 0;
  HGLOBAL pictureBlock = nullptr;   // the 8-bit picture's block
  std::uint8_t* picture = nullptr;  // the block, locked while open

  int Width() const { return header.width; }
  int Height() const { return header.height; }
  // Bytes per picture row (a multiple of 4); 0 without a picture.
  int Stride() const;
  // The picture's 256 colours as blue, green, red, 0; null without a picture.
  std::uint8_t* ColorTable() const;
  // The picture's pixels, top line first; null without a picture.
  std::uint8_t* Pixels() const;

  std::vector<std::uint8_t> frameBuffer;  // scratch space for one frame's body
  FlicDirtyRows dirtyRows;                // what black chunks must clear
};

// Opens `name`: reads the header, allocates the picture and positions the
// file at the first frame. kFlicDone, kFlicOpenFailed, kFlicNotFlic (the
// file stays open: call FlicClose) or kFlicNoMemory (likewise).
int FlicOpen(FlicFile& flic, std::string_view name);

// Decodes the next frame into the picture. kFlicDone when a frame was
// decoded or was empty, kFlicNotAFrame when the 16 bytes read are not a
// frame header (or the file has ended), kFlicDamaged for damaged data (the
// chunks before the damage are decoded). The frame counter advances by one
// in every case.
int FlicReadFrame(FlicFile& flic);

// Decodes min(frames - 1, last) + 1 frames from the current position.
// -1 when that number is below 1; 0 when stopped (the pump is called before
// each frame and the abort flag is set); otherwise the last frame's result.
// A negative frame result stops at once and is returned.
int FlicPlay(FlicFile& flic, int last);

// Decodes the next frame as FlicReadFrame does.
int FlicSkipFrame(FlicFile& flic);

// Positions the file back at the first frame and sets the counter to 0; the
// picture keeps its pixels until frames are decoded again. 0, or -1 when the
// file is not open or the seek fails.
int FlicRewind(FlicFile& flic);

// Frees the picture and closes the file: 0 when the file closed, -1 when
// none was open or closing failed.
int FlicClose(FlicFile& flic);

}  // namespace sprocket
