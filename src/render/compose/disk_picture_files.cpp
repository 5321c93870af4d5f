#include "render/compose/disk_picture_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "imagelib/dib_header.h"
#include "platform/files/fd_io.h"
#include "platform/temp_files.h"
#include "render/picture/picture_ops.h"

namespace sprocket {

namespace {

// The bytes of a picture that its file holds: header, colour table, rows.
std::optional<std::size_t> PictureFileBytes(const std::uint8_t* picture) {
  const std::optional<PictureGeometry> geometry = ReadPictureGeometry(picture);
  if (!geometry) return std::nullopt;
  return geometry->pixelOffset +
         static_cast<std::size_t>(geometry->stride) * static_cast<std::size_t>(geometry->height);
}

class FileDescriptor {
public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  // Closes the file; false when the close reports an error (a write that
  // did not reach the disk).
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return fd < 0 || ::close(fd) == 0;
  }

private:
  int fd_;
};

}  // namespace

std::optional<std::string> DiskRenderFileName(const std::string& folder, const std::string& pattern) {
  const std::optional<TempFileName> probe = GetTempFileName(folder, "zkb", 0);
  if (!probe) return std::nullopt;
  std::error_code error;
  std::filesystem::remove(probe->path, error);
  const std::filesystem::path directory = std::filesystem::path(probe->path).parent_path();
  return (directory / (pattern + ".tmp")).string();
}

bool WritePictureFile(const std::string& path, const std::uint8_t* picture) {
  const std::optional<std::size_t> bytes = PictureFileBytes(picture);
  if (!bytes) return false;
  FileDescriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
  if (file.get() < 0) return false;
  if (!WriteFully(file.get(), picture, *bytes, 0)) return false;
  return file.Close();
}

bool ReadPictureFile(const std::string& path, std::uint8_t* picture) {
  const std::optional<std::size_t> bytes = PictureFileBytes(picture);
  if (!bytes) return false;
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) return false;
  DibInfoHeader stored;
  if (!ReadFully(file.get(), 0, &stored, sizeof stored)) return false;
  const DibInfoHeader own = ReadDibHeader(picture);
  if (stored.biSize != own.biSize || stored.biWidth != own.biWidth || stored.biHeight != own.biHeight ||
      stored.biBitCount != own.biBitCount || stored.biSizeImage != own.biSizeImage ||
      stored.biClrUsed != own.biClrUsed) {
    return false;
  }
  return ReadFully(file.get(), sizeof stored, picture + sizeof stored, *bytes - sizeof stored);
}

void DeleteDiskRenderFile(const std::string& path) {
  std::error_code error;
  std::filesystem::remove(path, error);
}

}  // namespace sprocket
