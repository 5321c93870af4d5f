#include "platform/media/riff_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

#include <utility>

#include "platform/le_bytes.h"

namespace sprocket {

namespace {

constexpr FourCC kRiff = MakeFourCC("RIFF");
constexpr FourCC kList = MakeFourCC("LIST");

}  // namespace

bool RiffChunk::IsList() const { return id == kRiff || id == kList; }

RiffReader::~RiffReader() { Close(); }

RiffReader::RiffReader(RiffReader&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      fileSize_(other.fileSize_),
      path_(std::move(other.path_)),
      status_(other.status_) {}

RiffReader& RiffReader::operator=(RiffReader&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
    fileSize_ = other.fileSize_;
    path_ = std::move(other.path_);
    status_ = other.status_;
  }
  return *this;
}

bool RiffReader::Open(const std::filesystem::path& path) {
  Close();
  path_ = path;
  status_ = RiffStatus::kOk;
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) return Fail(RiffStatus::kOpenFailed);
  struct stat info {};
  if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
    Close();
    return Fail(RiffStatus::kOpenFailed);
  }
  fileSize_ = static_cast<std::uint64_t>(info.st_size);
  return true;
}

void RiffReader::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  fileSize_ = 0;
}

bool RiffReader::Fail(RiffStatus status) {
  status_ = status;
  return false;
}

bool RiffReader::ReadAt(std::uint64_t offset, void* buffer, std::size_t count) {
  if (fd_ < 0) return Fail(RiffStatus::kOpenFailed);
  if (offset > fileSize_ || count > fileSize_ - offset) return Fail(RiffStatus::kTruncated);
  auto* out = static_cast<std::uint8_t*>(buffer);
  std::size_t done = 0;
  while (done < count) {
    ssize_t got = ::pread(fd_, out + done, count - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return Fail(RiffStatus::kReadFailed);
    if (got == 0) return Fail(RiffStatus::kTruncated);  // the file shrank under us
    done += static_cast<std::size_t>(got);
  }
  return true;
}

std::optional<RiffChunk> RiffReader::ReadHeader(std::uint64_t offset, std::uint64_t limit) {
  std::uint8_t header[12];
  if (offset + 8 > limit) {
    Fail(RiffStatus::kTruncated);
    return std::nullopt;
  }
  if (!ReadAt(offset, header, 8)) return std::nullopt;
  RiffChunk chunk;
  chunk.id = ReadLe32(header);
  chunk.size = ReadLe32(header + 4);
  chunk.offset = offset;
  // The data must lie inside the parent; the pad byte may be missing at the
  // very end of a file.
  if (chunk.ContentEnd() > limit) {
    Fail(RiffStatus::kTruncated);
    return std::nullopt;
  }
  if (chunk.IsList()) {
    if (chunk.size < 4) {
      Fail(RiffStatus::kTruncated);
      return std::nullopt;
    }
    if (!ReadAt(offset + 8, header + 8, 4)) return std::nullopt;
    chunk.formType = ReadLe32(header + 8);
  }
  return chunk;
}

std::optional<RiffChunk> RiffReader::RiffAt(std::uint64_t offset) {
  auto chunk = ReadHeader(offset, fileSize_);
  if (!chunk) return std::nullopt;
  if (chunk->id != kRiff) {
    Fail(RiffStatus::kNotRiff);
    return std::nullopt;
  }
  return chunk;
}

std::optional<RiffChunk> RiffReader::FindRiff(FourCC formType) {
  if (fd_ < 0) {
    Fail(RiffStatus::kOpenFailed);
    return std::nullopt;
  }
  if (fileSize_ < 12) {
    Fail(RiffStatus::kNotRiff);
    return std::nullopt;
  }
  std::uint8_t start[12];
  if (!ReadAt(0, start, sizeof start)) return std::nullopt;
  if (ReadLe32(start) != kRiff || ReadLe32(start + 8) != formType) {
    Fail(RiffStatus::kNotRiff);
    return std::nullopt;
  }
  return RiffAt(0);
}

std::optional<std::vector<RiffChunk>> RiffReader::Children(const RiffChunk& list) {
  if (!list.IsList()) {
    Fail(RiffStatus::kNotFound);
    return std::nullopt;
  }
  std::vector<RiffChunk> children;
  std::uint64_t end = list.ContentEnd();
  std::uint64_t at = list.ContentOffset();
  // Each step moves at least 8 bytes forward, so the walk ends.
  while (at + 8 <= end) {
    auto child = ReadHeader(at, end);
    if (!child) return std::nullopt;
    children.push_back(*child);
    at = child->End();
  }
  return children;
}

std::optional<RiffChunk> RiffReader::FindChunk(const RiffChunk& list, FourCC id) {
  auto children = Children(list);
  if (!children) return std::nullopt;
  for (const RiffChunk& child : *children) {
    if (child.id == id) return child;
  }
  Fail(RiffStatus::kNotFound);
  return std::nullopt;
}

std::optional<RiffChunk> RiffReader::FindList(const RiffChunk& list, FourCC listType) {
  auto children = Children(list);
  if (!children) return std::nullopt;
  for (const RiffChunk& child : *children) {
    if (child.id == kList && child.formType == listType) return child;
  }
  Fail(RiffStatus::kNotFound);
  return std::nullopt;
}

bool RiffReader::ReadData(const RiffChunk& chunk, std::vector<std::uint8_t>* out, std::size_t maxBytes) {
  std::uint64_t bytes = chunk.ContentEnd() - chunk.ContentOffset();
  if (bytes > maxBytes) return Fail(RiffStatus::kTooLarge);
  out->resize(static_cast<std::size_t>(bytes));
  return ReadAt(chunk.ContentOffset(), out->data(), out->size());
}

std::string RiffReader::ErrorText() const {
  std::string name = path_.filename().string();
  switch (status_) {
    case RiffStatus::kOk:
      return {};
    case RiffStatus::kOpenFailed:
      return "Cannot open \"" + name + "\".";
    case RiffStatus::kNotRiff:
      return "\"" + name + "\" is not a file of the expected kind.";
    case RiffStatus::kTruncated:
      return "\"" + name + "\" is truncated or damaged.";
    case RiffStatus::kTooLarge:
      return "\"" + name + "\" holds a block that is too large.";
    case RiffStatus::kNotFound:
      return "\"" + name + "\" lacks a required block.";
    case RiffStatus::kReadFailed:
      return "Cannot read \"" + name + "\".";
  }
  return {};
}

}  // namespace sprocket
