#include "imagelib/formats/dib_file.h"

#include <sys/stat.h>

#include <array>
#include <limits>
#include <memory>
#include <optional>
#include <system_error>
#include <vector>

#include "imagelib/dib_geometry.h"
#include "imagelib/dib_header.h"
#include "imagelib/formats/dib_palette.h"
#include "platform/le_bytes.h"

namespace sprocket {

namespace {

constexpr std::uint16_t kBitmapFileType = 0x4D42;  // "BM"
constexpr std::int64_t kFileHeaderBytes = 14;
constexpr std::uint32_t kCoreHeaderBytes = 12;
constexpr std::uint32_t kLongestHeaderBytes = 124;
constexpr std::uint32_t kBitFieldsHeaderBytes = 52;  // headers that hold the bit masks themselves
constexpr std::uint32_t kCompressionNone = 0;
constexpr std::uint32_t kCompressionRle8 = 1;
constexpr std::uint32_t kCompressionRle4 = 2;
constexpr std::uint32_t kCompressionBitFields = 3;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

bool ReadExactly(std::FILE* file, void* buffer, std::size_t bytes) {
  return bytes == 0 || std::fread(buffer, 1, bytes, file) == bytes;
}

bool WriteExactly(std::FILE* file, const void* buffer, std::size_t bytes) {
  return bytes == 0 || std::fwrite(buffer, 1, bytes, file) == bytes;
}

std::optional<std::int64_t> FileSize(std::FILE* file) {
  struct stat status {};
  if (fstat(fileno(file), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
  return static_cast<std::int64_t>(status.st_size);
}

// The headers of a file, checked, before anything is allocated.
struct CheckedHeaders {
  DibInfoHeader info;
  bool core = false;
  std::uint32_t colours = 0;
  std::vector<std::uint8_t> extraHeader;  // header bytes beyond the first 40
  std::optional<std::int64_t> bitsAt;     // absolute position given by the file header
};

// Reads the bitmap header after an optional file header: the 12-byte core
// form widened to 40 bytes, or 40 bytes and any longer tail.
bool ReadBitmapHeader(std::FILE* file, CheckedHeaders& headers) {
  std::array<std::uint8_t, 40> bytes{};
  if (!ReadExactly(file, bytes.data(), 4)) return false;
  const std::uint32_t size = ReadLe32(bytes.data());
  DibInfoHeader& info = headers.info;
  if (size == kCoreHeaderBytes) {
    if (!ReadExactly(file, bytes.data() + 4, 8)) return false;
    headers.core = true;
    info.biSize = kDibHeaderSize;
    info.biWidth = ReadLe16(bytes.data() + 4);
    info.biHeight = ReadLe16(bytes.data() + 6);
    info.biPlanes = ReadLe16(bytes.data() + 8);
    info.biBitCount = ReadLe16(bytes.data() + 10);
    return true;
  }
  if (size < static_cast<std::uint32_t>(kDibHeaderSize) || size > kLongestHeaderBytes) return false;
  if (!ReadExactly(file, bytes.data() + 4, 36)) return false;
  info = ReadDibHeader(bytes.data());
  headers.extraHeader.resize(size - kDibHeaderSize);
  return ReadExactly(file, headers.extraHeader.data(), headers.extraHeader.size());
}

// Checks every field that decides what is read and allocated.
bool CheckFields(CheckedHeaders& headers) {
  DibInfoHeader& info = headers.info;
  if (info.biWidth < 1 || info.biHeight < 1 || info.biPlanes != 1) return false;
  if (!IsKnownBitCount(info.biBitCount)) return false;
  if (headers.core && info.biBitCount != 1 && info.biBitCount != 4 && info.biBitCount != 8 && info.biBitCount != 24) {
    return false;
  }
  const bool bitFields = info.biCompression == kCompressionBitFields && info.biSize >= kBitFieldsHeaderBytes &&
                         (info.biBitCount == 16 || info.biBitCount == 32);
  // Run-length rows are kept as the file has them; their size must be given.
  const bool runLength = (info.biCompression == kCompressionRle8 && info.biBitCount == 8) ||
                         (info.biCompression == kCompressionRle4 && info.biBitCount == 4);
  if (info.biCompression != kCompressionNone && !bitFields && !runLength) return false;

  const std::uint32_t colours = DibColourCount(info);
  const std::uint32_t indexable = info.biBitCount <= 8 ? 1u << info.biBitCount : 256u;
  if (colours > indexable) return false;
  headers.colours = colours;
  if (headers.core) info.biClrUsed = info.biClrImportant = colours;

  const std::uint64_t rowBytes = (static_cast<std::uint64_t>(info.biBitCount) * info.biWidth + 31) / 32 * 4;
  const std::uint64_t imageBytes = rowBytes * static_cast<std::uint64_t>(info.biHeight);
  if (imageBytes > std::numeric_limits<std::uint32_t>::max()) return false;
  if (runLength) return info.biSizeImage != 0;
  if (info.biSizeImage == 0) info.biSizeImage = static_cast<std::uint32_t>(imageBytes);
  return info.biSizeImage >= imageBytes;
}

// Reads and checks the headers at the file's position.
std::optional<CheckedHeaders> ReadCheckedHeaders(std::FILE* file) {
  const std::optional<std::int64_t> fileSize = FileSize(file);
  const std::int64_t start = ftello(file);
  if (!fileSize || start < 0) return std::nullopt;

  CheckedHeaders headers;
  std::array<std::uint8_t, kFileHeaderBytes> fileHeader{};
  std::uint32_t bitsOffset = 0;
  if (ReadExactly(file, fileHeader.data(), fileHeader.size()) && ReadLe16(fileHeader.data()) == kBitmapFileType) {
    bitsOffset = ReadLe32(fileHeader.data() + 10);
  } else if (fseeko(file, start, SEEK_SET) != 0) {
    return std::nullopt;
  }
  if (!ReadBitmapHeader(file, headers) || !CheckFields(headers)) return std::nullopt;

  const std::int64_t tableBytes = static_cast<std::int64_t>(headers.colours) * (headers.core ? 3 : 4);
  const std::int64_t headersEnd = ftello(file) + tableBytes;
  if (headersEnd > *fileSize) return std::nullopt;
  if (bitsOffset != 0) {
    const std::int64_t bitsAt = start + bitsOffset;
    if (bitsAt < headersEnd || bitsAt > *fileSize) return std::nullopt;
    headers.bitsAt = bitsAt;
  }
  return headers;
}

// The colour table after the header in `block`: 4-byte entries, core
// entries (blue, green, red) widened from the last to the first.
bool ReadColourTable(std::FILE* file, const CheckedHeaders& headers, std::uint8_t* table) {
  const std::size_t count = headers.colours;
  if (!headers.core) return ReadExactly(file, table, count * 4);
  if (!ReadExactly(file, table, count * 3)) return false;
  for (std::size_t i = count; i-- > 0;) {
    table[i * 4 + 3] = 0;
    table[i * 4 + 2] = table[i * 3 + 2];
    table[i * 4 + 1] = table[i * 3 + 1];
    table[i * 4 + 0] = table[i * 3 + 0];
  }
  return true;
}

// The header a DIB is written with (one plane, biSizeImage of the padded
// rows), or nothing when the reader would refuse the file it makes.
std::optional<DibInfoHeader> HeaderToWrite(const DibInfoHeader& info) {
  CheckedHeaders headers;
  headers.info = info;
  headers.info.biPlanes = 1;
  headers.info.biSizeImage = 0;
  if (info.biSize > kLongestHeaderBytes || !CheckFields(headers)) return std::nullopt;
  return headers.info;
}

std::size_t HeadersBytes(const DibInfoHeader& info, std::uint32_t colours) {
  return static_cast<std::size_t>(info.biSize) + std::size_t{4} * colours;
}

}  // namespace

GlobalBlock ReadDibHeader(std::FILE* file) {
  if (file == nullptr) return {};
  const std::optional<CheckedHeaders> headers = ReadCheckedHeaders(file);
  if (!headers) return {};
  const DibInfoHeader& info = headers->info;
  GlobalBlock block = GlobalBlock::Allocate(HeadersBytes(info, headers->colours), GMEM_MOVEABLE | GMEM_ZEROINIT);
  GlobalLockGuard<std::uint8_t> lock(block.get());
  if (!lock) return {};
  WriteDibHeader(lock.get(), info);
  std::copy(headers->extraHeader.begin(), headers->extraHeader.end(), lock.get() + kDibHeaderSize);
  if (!ReadColourTable(file, *headers, lock.get() + info.biSize)) return {};
  if (headers->bitsAt && fseeko(file, *headers->bitsAt, SEEK_SET) != 0) return {};
  return block;
}

GlobalBlock OpenDibFile(const std::filesystem::path& path) {
  const UniqueFile file(std::fopen(path.c_str(), "rb"));
  if (!file) return {};
  return OpenDibFile(file.get());
}

GlobalBlock OpenDibFile(std::FILE* file) {
  GlobalBlock block = ReadDibHeader(file);
  if (!block) return {};
  const DibInfoHeader info = ReadDibHeader(GlobalLockGuard<std::uint8_t>(block.get()).get());
  const std::size_t headersBytes = block.size();
  const std::optional<std::int64_t> fileSize = FileSize(file);
  if (!fileSize || ftello(file) + static_cast<std::int64_t>(info.biSizeImage) > *fileSize) return {};
  if (GlobalReAlloc(block.get(), headersBytes + info.biSizeImage, GMEM_MOVEABLE) == nullptr) return {};
  GlobalLockGuard<std::uint8_t> lock(block.get());
  if (!lock || !ReadExactly(file, lock.get() + headersBytes, info.biSizeImage)) return {};
  return block;
}

int WriteDibFile(std::FILE* file, HGLOBAL dib) {
  if (file == nullptr || dib == nullptr) return 0;
  GlobalLockGuard<std::uint8_t> lock(dib);
  const std::optional<PictureGeometry> geometry = ReadPictureGeometry(lock.get());
  if (!geometry) return 0;
  const std::optional<DibInfoHeader> checked = HeaderToWrite(ReadDibHeader(lock.get()));
  if (!checked) return 0;
  const DibInfoHeader& info = *checked;
  const std::uint64_t paddedRow = info.biSizeImage / static_cast<std::uint64_t>(geometry->height);
  const std::uint64_t fileBytes = kFileHeaderBytes + geometry->pixelOffset + std::uint64_t{info.biSizeImage};
  if (fileBytes > std::numeric_limits<std::uint32_t>::max()) return 0;

  std::array<std::uint8_t, kFileHeaderBytes> fileHeader{};
  WriteLe16(fileHeader.data(), kBitmapFileType);
  WriteLe32(fileHeader.data() + 2, static_cast<std::uint32_t>(fileBytes));
  WriteLe32(fileHeader.data() + 10, static_cast<std::uint32_t>(kFileHeaderBytes + geometry->pixelOffset));
  std::array<std::uint8_t, kDibHeaderSize> header{};
  WriteDibHeader(header.data(), info);
  bool written = WriteExactly(file, fileHeader.data(), fileHeader.size()) &&
                 WriteExactly(file, header.data(), header.size()) &&
                 WriteExactly(file, lock.get() + kDibHeaderSize, geometry->pixelOffset - kDibHeaderSize);
  const std::vector<std::uint8_t> padding(paddedRow, 0);
  const std::size_t rowBytes = (static_cast<std::size_t>(geometry->width) * geometry->bitCount + 7) / 8;
  for (std::int32_t y = 0; written && y < geometry->height; ++y) {
    written =
        WriteExactly(file, geometry->Row(y), rowBytes) && WriteExactly(file, padding.data(), paddedRow - rowBytes);
  }
  return written && std::fflush(file) == 0 ? 1 : 0;
}

int WriteDibFile(const std::filesystem::path& path, HGLOBAL dib) {
  if (dib == nullptr) return 0;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return 0;
  const int written = WriteDibFile(file, dib);
  const bool closed = std::fclose(file) == 0;
  if (written == 1 && closed) return 1;
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
  return 0;
}

}  // namespace sprocket
