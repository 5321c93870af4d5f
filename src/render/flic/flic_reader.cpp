#include "render/flic/flic_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#include "imagelib/dib_header.h"
#include "platform/message_pump.h"
#include "render/flic/flic_chunk_decoder.h"
#include "render/flic/indexed_image.h"

namespace sprocket {

namespace {

// Reads up to `count` bytes; answers how many were read (fewer at the end of
// the file or on an error).
std::size_t ReadUpTo(int fd, void* buffer, std::size_t count) {
  auto* out = static_cast<std::uint8_t*>(buffer);
  std::size_t done = 0;
  while (done < count) {
    const ssize_t got = ::read(fd, out + done, count - done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    done += static_cast<std::size_t>(got);
  }
  return done;
}

std::int64_t FileLength(int fd) {
  struct stat info {};
  return ::fstat(fd, &info) == 0 ? static_cast<std::int64_t>(info.st_size) : 0;
}

std::int64_t Position(int fd) { return ::lseek(fd, 0, SEEK_CUR); }

bool SeekTo(int fd, std::int64_t offset) { return ::lseek(fd, offset, SEEK_SET) == offset; }

bool AllocatePicture(FlicFile& flic) {
  const int width = flic.header.width;
  const int height = flic.header.height;
  // The header's sizes, no pixels per metre, and 256 colours used.
  DibInfoHeader info = MakeIndexedDibHeader(width, height);
  info.biXPelsPerMeter = 0;
  info.biYPelsPerMeter = 0;
  info.biClrUsed = 256;
  const std::size_t imageSize = info.biSizeImage;
  flic.pictureBlock = GlobalAlloc(GHND, kDibMaskPixelOffset + imageSize);
  if (flic.pictureBlock == nullptr) return false;
  flic.picture = static_cast<std::uint8_t*>(GlobalLock(flic.pictureBlock));
  if (flic.picture == nullptr) {
    flic.pictureBlock = GlobalFree(flic.pictureBlock);
    return false;
  }
  WriteDibHeader(flic.picture, info);
  flic.dirtyRows.Reset(height);  // the block is zero-filled
  return true;
}

bool UsableHeader(const FlicHeader& header) {
  return (header.magic == kFlcMagic || header.magic == kFliMagic) && header.depth == 8 && header.width >= 1 &&
         header.width <= kFlicMaxSide && header.height >= 1 && header.height <= kFlicMaxSide;
}

// Reads the next frame header, passing over prefix chunks. False at the end
// of the file.
bool ReadFrameHeader(int fd, std::int64_t fileLength, FlicFrameHeader& header) {
  for (;;) {
    const std::int64_t start = Position(fd);
    if (ReadUpTo(fd, &header, sizeof header) != sizeof header) return false;
    if (header.type != kFlicPrefixType) return true;
    const std::int64_t next = start + std::max<std::int64_t>(header.size, sizeof header);
    if (next >= fileLength || !SeekTo(fd, next)) return false;
  }
}

int DecodeNextFrame(FlicFile& flic) {
  const std::int64_t fileLength = FileLength(flic.file);
  FlicFrameHeader header{};
  if (!ReadFrameHeader(flic.file, fileLength, header) || header.type != kFlicFrameType) return kFlicNotAFrame;
  if (header.size <= kFlicFrameHeaderSize) return kFlicDone;  // an empty frame

  const std::int64_t wanted = static_cast<std::int64_t>(header.size) - kFlicFrameHeaderSize;
  const std::int64_t left = std::max<std::int64_t>(fileLength - Position(flic.file), 0);
  const std::int64_t bodySize = std::min(wanted, left);
  try {
    flic.frameBuffer.resize(static_cast<std::size_t>(bodySize));
  } catch (const std::bad_alloc&) {
    return kFlicNoMemory;
  }
  const std::size_t got = ReadUpTo(flic.file, flic.frameBuffer.data(), flic.frameBuffer.size());

  FlicCanvas canvas;
  canvas.pixels = flic.Pixels();
  canvas.colorTable = flic.ColorTable();
  canvas.width = flic.Width();
  canvas.height = flic.Height();
  canvas.stride = flic.Stride();
  canvas.xOrigin = flic.xOrigin;
  canvas.yOrigin = flic.yOrigin;
  canvas.dirty = &flic.dirtyRows;
  const int result = DecodeFlicFrameBody(flic.frameBuffer.data(), got, header.chunks, canvas);
  if (result != kFlicDone) return result;
  return static_cast<std::int64_t>(got) < wanted ? kFlicDamaged : kFlicDone;
}

}  // namespace

FlicFile::~FlicFile() {
  if (file >= 0 || pictureBlock != nullptr) FlicClose(*this);
}

int FlicFile::Stride() const { return picture != nullptr ? static_cast<int>(IndexedStride(header.width)) : 0; }

std::uint8_t* FlicFile::ColorTable() const { return picture != nullptr ? picture + kDibHeaderSize : nullptr; }

std::uint8_t* FlicFile::Pixels() const { return picture != nullptr ? picture + kDibMaskPixelOffset : nullptr; }

int FlicOpen(FlicFile& flic, std::string_view name) {
  if (flic.file >= 0 || flic.pictureBlock != nullptr) FlicClose(flic);
  flic.name.assign(name);
  flic.header = FlicHeader{};
  flic.frame = 0;
  flic.xOrigin = 0;
  flic.yOrigin = 0;

  flic.file = ::open(flic.name.c_str(), O_RDONLY | O_CLOEXEC);
  if (flic.file < 0) return kFlicOpenFailed;
  if (ReadUpTo(flic.file, &flic.header, sizeof flic.header) != sizeof flic.header) return kFlicNotFlic;
  if (flic.header.depth == 0) flic.header.depth = 8;
  // The header is checked before the picture is made from its sizes.
  if (!UsableHeader(flic.header)) return kFlicNotFlic;
  if (!AllocatePicture(flic)) return kFlicNoMemory;

  if (flic.header.magic == kFlcMagic) {
    // Some writers leave the first-frame offset empty: frames then start
    // right after the header.
    const std::int64_t offset = flic.header.firstFrameOffset;
    if (offset < kFlicHeaderSize || offset >= FileLength(flic.file)) {
      flic.header.firstFrameOffset = kFlicHeaderSize;
    }
  } else {
    // The FLI speed is a 16-bit count of 1/70 seconds.
    flic.header.speed = (flic.header.speed & 0xFFFF) * 1000 / 70;
    flic.header.firstFrameOffset = kFlicHeaderSize;
  }
  SeekTo(flic.file, flic.header.firstFrameOffset);
  return kFlicDone;
}

int FlicReadFrame(FlicFile& flic) {
  const int result = (flic.file >= 0 && flic.picture != nullptr) ? DecodeNextFrame(flic) : kFlicNotAFrame;
  ++flic.frame;
  return result;
}

int FlicSkipFrame(FlicFile& flic) { return FlicReadFrame(flic); }

int FlicPlay(FlicFile& flic, int last) {
  const int count = std::min(static_cast<int>(flic.header.frames) - 1, last) + 1;
  if (count < 1) return -1;
  int result = kFlicDone;
  for (int i = 0; i < count; ++i) {
    PumpMessages();
    if (IsAbortRequested()) return 0;
    result = FlicReadFrame(flic);
    if (result < 0) return result;
  }
  return result;
}

int FlicRewind(FlicFile& flic) {
  if (flic.file < 0 || !SeekTo(flic.file, flic.header.firstFrameOffset)) return -1;
  flic.frame = 0;
  return 0;
}

int FlicClose(FlicFile& flic) {
  if (flic.pictureBlock != nullptr) {
    GlobalUnlock(flic.pictureBlock);
    flic.pictureBlock = GlobalFree(flic.pictureBlock);
    flic.picture = nullptr;
  }
  flic.frameBuffer = {};
  if (flic.file < 0) return -1;
  const int result = ::close(flic.file) == 0 ? 0 : -1;
  flic.file = -1;
  return result;
}

}  // namespace sprocket
