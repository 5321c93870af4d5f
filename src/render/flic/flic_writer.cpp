#include "render/flic/flic_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#include "platform/files/work_files.h"

namespace sprocket {

namespace {

constexpr int kMaxFrames = 0xFFFF;  // the header's frame count is 16 bits
constexpr std::uint64_t kMaxFileSize = 0xFFFFFFFFu;
constexpr int kMaxPacketBytes = 254;  // 127 pixel pairs
constexpr int kMaxRun = 127;
constexpr int kMaxSkip = 127;

// Locks an image's pixels for one encoder.
class PixelLock {
public:
  explicit PixelLock(CIndexedImage& image) : image_(image), pixels_(image.LockPixels()) {}
  PixelLock(const PixelLock&) = delete;
  PixelLock& operator=(const PixelLock&) = delete;
  ~PixelLock() {
    if (pixels_ != nullptr) image_.Unlock();
  }
  explicit operator bool() const { return pixels_ != nullptr; }
  // Row y in memory order (0 = the bottom row).
  const std::uint8_t* Row(int y) const { return pixels_ + image_.PixelOffset(0, y); }

private:
  CIndexedImage& image_;
  std::uint8_t* pixels_;
};

bool IsEncodedType(int chunkType) {
  return chunkType == kFlicWordDelta || chunkType == kFlicBlack || chunkType == kFlicByteRun ||
         chunkType == kFlicLiteral;
}

}  // namespace

FlcWriter::~FlcWriter() { Discard(); }

int FlcWriter::Create(const std::string& path, int width, int height, int speed) {
  Discard();
  m_header = FlicHeader{};
  m_framesWritten = 0;
  m_palette = {};
  m_firstPalette = {};
  m_paletteWritten = false;
  m_failed = false;
  if (width < 1 || height < 1 || width > kFlicMaxSide || height > kFlicMaxSide) return kFlcBadSize;
  m_width = width;
  m_height = height;

  m_prevFrame.Attach(&m_hPrevFrame);
  m_firstFrame.Attach(&m_hFirstFrame);
  const DibResult created = m_prevFrame.Create(width, height);
  if (created != kDibDone) {
    FreeImages();
    return created;
  }

  m_path = path;
  m_file = CreateWorkFile(path, &m_tempPath);
  if (m_file < 0) {
    FreeImages();
    return kFlcCreateFailed;
  }
  struct stat existing {};
  ::fchmod(m_file, ::stat(path.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : 0644);

  m_header.width = static_cast<std::uint16_t>(width);
  m_header.height = static_cast<std::uint16_t>(height);
  m_header.speed = static_cast<std::uint32_t>(speed);
  if (!WriteAt(0, &m_header, sizeof m_header)) {
    Discard();
    return kFlcCreateFailed;
  }
  m_header.firstFrameOffset = kFlicHeaderSize;
  m_position = kFlicHeaderSize;
  return kFlcDone;
}

int FlcWriter::WriteFrame(int chunkType, HGLOBAL image, const std::uint8_t* palette) {
  if (!IsOpen()) return kFlcNotOpen;
  if (m_failed) return kFlcWriteFailed;
  HGLOBAL callerImage = image;
  CIndexedImage source;
  if (image != nullptr) {
    if (!IsEncodedType(chunkType) || source.Attach(&callerImage) != kDibDone || source.GetSize().width != m_width ||
        source.GetSize().height != m_height) {
      return kFlcBadArgument;
    }
  }
  // Room for this frame and the ring frame that Finish adds.
  if (m_framesWritten >= kMaxFrames || m_position + 2 * FrameBound() > kMaxFileSize) return kFlcFileFull;

  const int result = WriteFrameUnchecked(chunkType, image != nullptr ? &source : nullptr, palette);
  if (result == kFlcWriteFailed || m_framesWritten != 1) return result;
  // Keep frame 0 as readers see it, for the ring frame.
  m_firstPalette = m_palette;
  if (m_firstFrame.Copy(m_prevFrame) != kDibDone) {
    m_failed = true;
    return kFlcWriteFailed;
  }
  return result;
}

int FlcWriter::WriteFrameUnchecked(int chunkType, CIndexedImage* image, const std::uint8_t* palette) {
  if (image != nullptr && chunkType == kFlicWordDelta && m_width % 2 != 0 && LastColumnChanged(*image)) {
    chunkType = kFlicByteRun;
  }
  int result = kFlcDone;
  try {
    m_frame.assign(kFlicFrameHeaderSize, 0);
    int chunks = 0;
    if (palette != nullptr) {
      result = WriteChunk(kFlicColor256, nullptr, palette);
      if (result == kFlcDone) ++chunks;
    }
    if (image != nullptr) {
      result = WriteChunk(chunkType, image, nullptr);
      if (result == kFlcDone) ++chunks;
    }
    PatchU32(0, static_cast<std::uint32_t>(m_frame.size()));
    PatchU16(4, kFlicFrameType);
    PatchU16(6, chunks);
  } catch (const std::bad_alloc&) {
    // The previous frame and palette may be ahead of the file now.
    m_failed = true;
    return kFlcWriteFailed;
  }
  if (!WriteAt(m_position, m_frame.data(), m_frame.size())) {
    m_failed = true;
    return kFlcWriteFailed;
  }
  m_position += m_frame.size();
  ++m_framesWritten;
  if (m_framesWritten == 1) m_header.secondFrameOffset = static_cast<std::uint32_t>(m_position);
  return result;
}

int FlcWriter::WriteChunk(int chunkType, CIndexedImage* image, const std::uint8_t* palette) {
  const std::size_t start = m_frame.size();
  m_frame.resize(start + kFlicChunkHeaderSize, 0);
  int result = kFlcChunkDropped;
  switch (chunkType) {
    case kFlicColor256:
      result = EncodeColor(palette);
      break;
    case kFlicWordDelta:
      result = EncodeWordDelta(*image);
      break;
    case kFlicBlack:
      result = EncodeBlack();
      break;
    case kFlicByteRun:
      result = EncodeByteRun(*image);
      break;
    case kFlicLiteral:
      result = EncodeLiteral(*image);
      break;
    default:
      break;
  }
  if (result == kFlcDone) {
    PatchU32(start, static_cast<std::uint32_t>(m_frame.size() - start));
    PatchU16(start + 4, chunkType);
  } else {
    m_frame.resize(start);
  }
  return result;
}

// The first colour chunk carries all 256 colours; later ones carry each run
// of colours that differ from the previous palette as one packet.
int FlcWriter::EncodeColor(const std::uint8_t* palette) {
  const std::size_t countAt = m_frame.size();
  AppendU16(0);
  int packets = 0;
  if (!m_paletteWritten) {
    AppendU8(0);
    AppendU8(0);  // 0 = 256 colours
    Append(palette, m_palette.size());
    std::copy_n(palette, m_palette.size(), m_palette.begin());
    m_paletteWritten = true;
    packets = 1;
  } else {
    auto same = [&](int i) { return std::equal(palette + i * 3, palette + i * 3 + 3, m_palette.begin() + i * 3); };
    int end = 0;  // the entry after the last packet
    int index = 0;
    while (index < 256) {
      if (same(index)) {
        ++index;
        continue;
      }
      const int first = index;
      while (index < 256 && !same(index)) ++index;
      const int count = index - first;
      AppendU8(first - end);
      AppendU8(count == 256 ? 0 : count);
      Append(palette + first * 3, static_cast<std::size_t>(count) * 3);
      std::copy_n(palette + first * 3, count * 3, m_palette.begin() + first * 3);
      end = index;
      ++packets;
    }
    if (packets == 0) return kFlcChunkDropped;
  }
  PatchU16(countAt, packets);
  return kFlcDone;
}

// Every line, top line first: an ignored byte, then runs of equal bytes and
// literal stretches, each at most 127 bytes.
int FlcWriter::EncodeByteRun(CIndexedImage& image) {
  {
    const PixelLock pixels(image);
    if (!pixels) return kFlcChunkDropped;
    const int width = m_width;
    for (int row = m_height - 1; row >= 0; --row) {
      const std::uint8_t* line = pixels.Row(row);
      AppendU8(width & 0xFF);
      int x = 0;
      while (x < width) {
        int run = 1;
        while (x + run < width && run < kMaxRun && line[x + run] == line[x]) ++run;
        if (run >= 2 || x == width - 1) {
          AppendU8(run);
          AppendU8(line[x]);
          x += run;
          continue;
        }
        int literal = 0;
        while (x + literal < width && literal < kMaxRun &&
               !(x + literal + 1 < width && line[x + literal] == line[x + literal + 1])) {
          ++literal;
        }
        AppendU8(-literal);
        Append(line + x, static_cast<std::size_t>(literal));
        x += literal;
      }
    }
  }
  return m_prevFrame.Copy(image) == kDibDone ? kFlcDone : kFlcChunkDropped;
}

int FlcWriter::EncodeLiteral(CIndexedImage& image) {
  {
    const PixelLock pixels(image);
    if (!pixels) return kFlcChunkDropped;
    for (int row = m_height - 1; row >= 0; --row) Append(pixels.Row(row), static_cast<std::size_t>(m_width));
  }
  return m_prevFrame.Copy(image) == kDibDone ? kFlcDone : kFlcChunkDropped;
}

int FlcWriter::EncodeBlack() { return m_prevFrame.Clear(0) == kDibDone ? kFlcDone : kFlcChunkDropped; }

// Lines that differ from the previous frame, top line first, as packets of
// pixel pairs. An odd width's last column is never part of a packet.
int FlcWriter::EncodeWordDelta(CIndexedImage& image) {
  const std::size_t lineCountAt = m_frame.size();
  AppendU16(0);
  int lines = 0;
  {
    const PixelLock current(image);
    const PixelLock previous(m_prevFrame);
    if (!current || !previous) return kFlcChunkDropped;
    const int width = m_width;
    const int limit = width % 2 == 0 ? width - 1 : width - 2;
    int lastWritten = m_height;
    for (int row = m_height - 1; row >= 0; --row) {
      const std::uint8_t* now = current.Row(row);
      const std::uint8_t* before = previous.Row(row);
      int x = 0;
      int end = -1;  // the last byte of the last packet
      int packets = 0;
      std::size_t packetCountAt = 0;
      for (;;) {
        while (x <= limit && now[x] == before[x]) ++x;
        if (x > limit) break;
        if (packets == 0) {
          const int skipped = lastWritten - row - 1;
          if (skipped > 0) AppendU16(-skipped);
          packetCountAt = m_frame.size();
          AppendU16(0);
        }
        int start = x;
        if (start - end - 1 > kMaxSkip) start = end + 1 + kMaxSkip;
        start &= ~1;
        int stop = x;
        while (stop < width && now[stop] != before[stop]) ++stop;
        int length = stop - start;
        if (length % 2 != 0) length += stop == width ? -1 : 1;
        length = std::min(length, kMaxPacketBytes);
        AppendU8(start - end - 1);
        AppendU8(length / 2);
        Append(now + start, static_cast<std::size_t>(length));
        ++packets;
        end = start + length - 1;
        x = end + 1;
      }
      if (packets > 0) {
        PatchU16(packetCountAt, packets);
        ++lines;
        lastWritten = row;
      }
    }
  }
  if (lines == 0) return kFlcChunkDropped;
  if (m_prevFrame.Copy(image) != kDibDone) return kFlcChunkDropped;
  PatchU16(lineCountAt, lines);
  return kFlcDone;
}

bool FlcWriter::LastColumnChanged(CIndexedImage& image) {
  const PixelLock current(image);
  const PixelLock previous(m_prevFrame);
  if (!current || !previous) return false;
  for (int row = 0; row < m_height; ++row) {
    if (current.Row(row)[m_width - 1] != previous.Row(row)[m_width - 1]) return true;
  }
  return false;
}

// The most bytes one frame can take: a colour chunk with every other entry
// changed, and an image chunk whose lines each carry a line-skip word, a
// packet count and packets (or byte runs) of at most twice the width.
std::uint64_t FlcWriter::FrameBound() const {
  const std::uint64_t colors = kFlicChunkHeaderSize + 2 + 128 * 2 + 256 * 3;
  const std::uint64_t line = 2 * static_cast<std::uint64_t>(m_width) + 8;
  return kFlicFrameHeaderSize + colors + kFlicChunkHeaderSize + 2 + line * static_cast<std::uint64_t>(m_height);
}

int FlcWriter::Finish() {
  if (!IsOpen()) return kFlcNotOpen;
  if (!m_failed && m_framesWritten > 0) {
    // The ring frame: from the last frame back to the first.
    WriteFrameUnchecked(kFlicWordDelta, &m_firstFrame, m_paletteWritten ? m_firstPalette.data() : nullptr);
  }
  if (m_failed) {
    Discard();
    return kFlcWriteFailed;
  }
  FreeImages();

  m_header.magic = kFlcMagic;
  m_header.depth = 8;
  m_header.aspectX = 1;
  m_header.aspectY = 1;
  std::memcpy(m_header.creator, "DEZ*", 4);
  std::memcpy(m_header.updater, "DEZ*", 4);
  m_header.flags = 3;
  m_header.fileSize = static_cast<std::uint32_t>(m_position);
  m_header.frames = static_cast<std::uint16_t>(m_framesWritten > 0 ? m_framesWritten - 1 : 0);

  bool ok = WriteAt(0, &m_header, sizeof m_header) && ::fsync(m_file) == 0;
  ok = ::close(m_file) == 0 && ok;
  m_file = -1;
  if (ok && ::rename(m_tempPath.c_str(), m_path.c_str()) == 0) return kFlcDone;
  ::unlink(m_tempPath.c_str());
  m_failed = true;
  return kFlcWriteFailed;
}

void FlcWriter::Discard() {
  if (IsOpen()) {
    ::close(m_file);
    m_file = -1;
    ::unlink(m_tempPath.c_str());
  }
  FreeImages();
}

void FlcWriter::FreeImages() {
  m_prevFrame.Free();
  m_firstFrame.Free();
  m_frame = {};
}

void FlcWriter::Append(const std::uint8_t* bytes, std::size_t count) {
  m_frame.insert(m_frame.end(), bytes, bytes + count);
}

void FlcWriter::AppendU16(int value) {
  AppendU8(value & 0xFF);
  AppendU8((value >> 8) & 0xFF);
}

void FlcWriter::PatchU16(std::size_t at, int value) {
  m_frame[at] = static_cast<std::uint8_t>(value & 0xFF);
  m_frame[at + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

void FlcWriter::PatchU32(std::size_t at, std::uint32_t value) {
  PatchU16(at, static_cast<int>(value & 0xFFFF));
  PatchU16(at + 2, static_cast<int>(value >> 16));
}

bool FlcWriter::WriteAt(std::uint64_t offset, const void* bytes, std::size_t count) {
  const auto* data = static_cast<const std::uint8_t*>(bytes);
  while (count > 0) {
    const ssize_t written = ::pwrite(m_file, data, count, static_cast<off_t>(offset));
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    offset += static_cast<std::uint64_t>(written);
    count -= static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace sprocket
