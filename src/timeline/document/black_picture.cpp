#include "timeline/document/black_picture.h"

#include <cstdint>
#include <filesystem>
#include <fstream>

#include "platform/settings_store.h"
#include "platform/temp_files.h"

namespace sprocket {

namespace {

constexpr int kWidth = 32;
constexpr int kHeight = 24;

void PutLe(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::string BlackBitmapBytes() {
  const std::uint32_t rowBytes = kWidth * 3;  // a multiple of 4 already
  const std::uint32_t pixelBytes = rowBytes * kHeight;
  std::string out = "BM";
  PutLe(out, 54 + pixelBytes, 4);
  PutLe(out, 0, 4);
  PutLe(out, 54, 4);
  PutLe(out, 40, 4);
  PutLe(out, kWidth, 4);
  PutLe(out, kHeight, 4);
  PutLe(out, 1, 2);
  PutLe(out, 24, 2);
  PutLe(out, 0, 4);
  PutLe(out, pixelBytes, 4);
  PutLe(out, 2835, 4);
  PutLe(out, 2835, 4);
  PutLe(out, 0, 4);
  PutLe(out, 0, 4);
  out.append(pixelBytes, '\0');
  return out;
}

bool WriteIfMissing(const std::filesystem::path& path) {
  std::error_code error;
  if (std::filesystem::is_regular_file(path, error)) return true;
  std::ofstream file(path, std::ios::binary);
  const std::string bytes = BlackBitmapBytes();
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file);
}

}  // namespace

std::string EnsureBlackPicture(const std::string& directory, const std::string& spareDirectory) {
  const std::string fileName = std::string(kBlackPictureName) + kBlackPictureExtension;
  for (const std::string& folder : {directory, spareDirectory}) {
    if (folder.empty()) continue;
    const std::filesystem::path path = std::filesystem::path(folder) / fileName;
    if (WriteIfMissing(path)) return path.string();
  }
  return {};
}

std::string EnsureBlackPicture() {
  std::error_code error;
  std::filesystem::create_directories(ConfigDir(), error);
  return EnsureBlackPicture(ConfigDir().string(), ConfiguredTempFolder());
}

bool IsProgramBlackPicture(const std::string& path) {
  const std::string fileName = std::string(kBlackPictureName) + kBlackPictureExtension;
  const std::filesystem::path given = std::filesystem::path(path).lexically_normal();
  return given == (ConfigDir() / fileName).lexically_normal() ||
         given == (std::filesystem::path(ConfiguredTempFolder()) / fileName).lexically_normal();
}

}  // namespace sprocket
