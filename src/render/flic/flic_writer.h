#pragma once
// Writing FLC animations frame by frame.
//
//   FlcWriter writer;
//   if (writer.Create(path, 320, 200, 40) != kFlcDone) ...;
//   writer.WriteFrame(kFlicByteRun, firstPicture, palette);   // full frame
//   writer.WriteFrame(kFlicWordDelta, nextPicture, palette);  // deltas
//   if (writer.Finish() != kFlcDone) ...;  // ring frame, header, file in place
//
// The first frame carries the whole palette; later frames carry the
// colours that changed and the pixels that changed against the previous
// frame. Finish appends a ring frame (from the last frame back to the
// first) and completes the header.
//
// The file is written beside the target under a temporary name and moved
// into place by Finish, so a failed or abandoned writer leaves neither a
// half-written file nor a damaged old one. Every write is checked: once a
// write fails (a full disk), every later call answers kFlcWriteFailed and
// Finish removes the temporary file.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/global_memory.h"
#include "render/flic/flic_format.h"
#include "render/flic/indexed_image.h"

namespace sprocket {

inline constexpr int kFlcDone = 0;
// Create: the file cannot be created (or, from the picture, out of memory).
// WriteFrame: the chunk was dropped, because it had nothing to write (the
// same palette, no changed line) or memory ran out.
inline constexpr int kFlcCreateFailed = -1;
inline constexpr int kFlcChunkDropped = -1;
// Create: a width or height below 1 or above kFlicMaxSide.
inline constexpr int kFlcBadSize = -4;
// A file write failed (a full disk), or memory ran out in the middle of a
// frame: the file cannot be completed and nothing further is written.
inline constexpr int kFlcWriteFailed = -5;
// The format's limits are reached: 65,535 frames or a 4 GiB file.
inline constexpr int kFlcFileFull = -6;
// A picture that is not 8-bit of the writer's size, or a chunk type that
// has no encoder.
inline constexpr int kFlcBadArgument = -7;
// No file: before Create or after Finish.
inline constexpr int kFlcNotOpen = -8;

class FlcWriter {
public:
  FlcWriter() = default;
  FlcWriter(const FlcWriter&) = delete;
  FlcWriter& operator=(const FlcWriter&) = delete;
  // An unfinished file is removed.
  ~FlcWriter();

  // Starts the file for frames of `width` x `height` shown `speed`
  // milliseconds each. kFlcDone, kFlcCreateFailed, kFlcBadSize or the
  // picture's out-of-memory result.
  int Create(const std::string& path, int width, int height, int speed);

  // Writes one frame: when `palette` (256 red, green, blue triples) is
  // given, a colour chunk; when `image` (an 8-bit packed DIB of the
  // writer's size) is given, a chunk of `chunkType`: kFlicByteRun,
  // kFlicWordDelta, kFlicBlack or kFlicLiteral. Answers the last chunk's
  // result; a dropped chunk still leaves a valid frame. At an odd width a
  // word delta whose last column changed is written as a byte run, since
  // word deltas leave that column out. Refusals write nothing: kFlcNotOpen,
  // kFlcWriteFailed after a failure, kFlcBadArgument, kFlcFileFull.
  int WriteFrame(int chunkType, HGLOBAL image, const std::uint8_t* palette);

  // Appends the ring frame, writes the header and moves the file into
  // place. kFlcDone, or kFlcWriteFailed (the file removed) or kFlcNotOpen.
  int Finish();

  // Removes the unfinished file.
  void Discard();

  bool IsOpen() const { return m_file >= 0; }
  // Frames written so far (the ring frame counts once Finish wrote it).
  int FramesWritten() const { return m_framesWritten; }

private:
  int WriteFrameUnchecked(int chunkType, CIndexedImage* image, const std::uint8_t* palette);
  int WriteChunk(int chunkType, CIndexedImage* image, const std::uint8_t* palette);
  int EncodeColor(const std::uint8_t* palette);
  int EncodeByteRun(CIndexedImage& image);
  int EncodeLiteral(CIndexedImage& image);
  int EncodeBlack();
  int EncodeWordDelta(CIndexedImage& image);
  bool LastColumnChanged(CIndexedImage& image);
  std::uint64_t FrameBound() const;
  void Append(const std::uint8_t* bytes, std::size_t count);
  void AppendU8(int value) { m_frame.push_back(static_cast<std::uint8_t>(value)); }
  void AppendU16(int value);
  void PatchU16(std::size_t at, int value);
  void PatchU32(std::size_t at, std::uint32_t value);
  bool WriteAt(std::uint64_t offset, const void* bytes, std::size_t count);
  void FreeImages();

  int m_file = -1;
  std::string m_path;            // the target
  std::string m_tempPath;        // the file being written
  std::uint64_t m_position = 0;  // where the next frame goes
  FlicHeader m_header{};
  int m_framesWritten = 0;
  std::array<std::uint8_t, 768> m_palette{};  // the previous palette, red, green, blue
  bool m_paletteWritten = false;
  HGLOBAL m_hPrevFrame = nullptr;
  CIndexedImage m_prevFrame;
  // Frame 0 as written, for the ring frame.
  HGLOBAL m_hFirstFrame = nullptr;
  CIndexedImage m_firstFrame;
  std::array<std::uint8_t, 768> m_firstPalette{};
  int m_width = 0;
  int m_height = 0;
  std::vector<std::uint8_t> m_frame;  // the frame being assembled
  bool m_failed = false;
};

}  // namespace sprocket
