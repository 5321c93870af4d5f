#include "platform/imagefile/image_file_library.h"

#include <algorithm>
#include <limits>
#include <system_error>

#include "imagelib/dib_header.h"
#include "imagelib/dib_image.h"
#include "platform/files/atomic_file.h"
#include "platform/imagefile/dib_import.h"
#include "platform/imagefile/still_image_format.h"

namespace sprocket {

namespace {

constexpr std::uintmax_t kMaxImageFileBytes = std::uintmax_t{512} << 20;
constexpr const char* kUnknownHandle = "no image with that handle";

// A 24-bit copy of the picture.
GlobalBlock TrueColorCopy(HGLOBAL picture, const PictureLayout& layout) {
  if (layout.bitsPerPixel == 24) return CopyPicture(picture);
  GlobalLockGuard<> data(picture);
  if (!data) return {};
  return ExpandIndexedPicture(data.get(), layout);
}

// A 24-bit copy of the picture scaled to width x height by the image
// library's rescaler.
GlobalBlock ScaledCopy(HGLOBAL picture, const PictureLayout& layout, int width, int height) {
  HGLOBAL variable = TrueColorCopy(picture, layout).release();
  if (variable == nullptr) return {};
  const DibResult result = CDibImage(&variable).Resize(width, height, kFilterMitchell);
  GlobalBlock scaled(variable);
  if (result != kDibDone) return {};
  return scaled;
}

}  // namespace

ImageFileLibrary::ImageFileLibrary() { InitializeImageCodecs(); }

ImageHandle ImageFileLibrary::Insert(GlobalBlock picture) {
  std::optional<PictureLayout> layout;
  {
    GlobalLockGuard<> data(picture.get());
    layout = ReadPictureLayout(data.get(), picture.size());
  }
  std::lock_guard lock(mutex_);
  if (!layout) {
    Fail(kImageNoMemory, "no picture was made");
    return kNoImage;
  }
  auto next = [](ImageHandle handle) { return handle == std::numeric_limits<ImageHandle>::max() ? 1 : handle + 1; };
  while (images_.contains(nextHandle_)) nextHandle_ = next(nextHandle_);
  const ImageHandle handle = nextHandle_;
  images_.emplace(handle, Entry{std::move(picture), *layout});
  nextHandle_ = next(handle);
  return handle;
}

ImageFileLibrary::Entry* ImageFileLibrary::Find(ImageHandle image) {
  const auto it = images_.find(image);
  if (it == images_.end()) {
    Fail(kImageInvalidHandle, kUnknownHandle);
    return nullptr;
  }
  GlobalLockGuard<> data(it->second.picture.get());
  if (data) WritePictureHeader(data.get(), it->second.layout);
  return &it->second;
}

bool ImageFileLibrary::Replace(Entry& entry, GlobalBlock picture) {
  GlobalLockGuard<> data(picture.get());
  const auto layout = ReadPictureLayout(data.get(), picture.size());
  if (!layout) return false;
  entry.layout = *layout;
  entry.picture = std::move(picture);
  return true;
}

ImageFileResult ImageFileLibrary::Fail(ImageFileResult result, std::string text) {
  lastError_ = std::move(text);
  return result;
}

ImageHandle ImageFileLibrary::Open(const std::filesystem::path& path) {
  const auto format = StillImageFormatOfPath(path.native());
  std::string error;
  GlobalBlock picture;
  std::error_code code;
  if (!format) {
    error = "not a still-image file name: " + path.string();
  } else if (!std::filesystem::is_regular_file(path, code)) {
    error = "no such file: " + path.string();
  } else if (std::filesystem::file_size(path, code) > kMaxImageFileBytes || code) {
    error = "file too large or unreadable: " + path.string();
  } else if (const auto bytes = ReadWholeFile(path); !bytes) {
    error = "cannot read " + path.string();
  } else {
    picture = DecodeStillImage(*bytes, *format, &error);
  }
  if (!picture) {
    std::lock_guard lock(mutex_);
    Fail(kImageFailed, error + " (" + path.string() + ")");
    return kNoImage;
  }
  return Insert(std::move(picture));
}

ImageFileResult ImageFileLibrary::Free(ImageHandle image) {
  std::lock_guard lock(mutex_);
  if (images_.erase(image) == 0) return Fail(kImageInvalidHandle, kUnknownHandle);
  return kImageDone;
}

HGLOBAL ImageFileLibrary::GetDib(ImageHandle image, int* width, int* height, int* bitsPerPixel) {
  std::lock_guard lock(mutex_);
  const Entry* entry = Find(image);
  if (width != nullptr) *width = entry != nullptr ? entry->layout.width : 0;
  if (height != nullptr) *height = entry != nullptr ? entry->layout.height : 0;
  if (bitsPerPixel != nullptr) *bitsPerPixel = entry != nullptr ? entry->layout.bitsPerPixel : 0;
  return entry != nullptr ? entry->picture.get() : nullptr;
}

ImageHandle ImageFileLibrary::DibToHandle(const void* packedDib, std::size_t bytes) {
  GlobalBlock picture = ImportPackedDib(static_cast<const std::uint8_t*>(packedDib), bytes);
  if (!picture) {
    std::lock_guard lock(mutex_);
    Fail(kImageBadArgument, "not a readable packed DIB");
    return kNoImage;
  }
  return Insert(std::move(picture));
}

ImageHandle ImageFileLibrary::DibToHandle(HGLOBAL packedDib) {
  GlobalLockGuard<> data(packedDib);
  return DibToHandle(data.get(), data ? GlobalSize(packedDib) : 0);
}

ImageFileResult ImageFileLibrary::ToTrueColor(ImageHandle image) {
  std::lock_guard lock(mutex_);
  Entry* entry = Find(image);
  if (entry == nullptr) return kImageInvalidHandle;
  if (entry->layout.bitsPerPixel == 24) return kImageDone;
  if (!Replace(*entry, TrueColorCopy(entry->picture.get(), entry->layout))) {
    return Fail(kImageNoMemory, "no memory for the true-colour picture");
  }
  return kImageDone;
}

ImageFileResult ImageFileLibrary::Resize(ImageHandle image, int width, int height) {
  std::lock_guard lock(mutex_);
  Entry* entry = Find(image);
  if (entry == nullptr) return kImageInvalidHandle;
  if (!IsAcceptedImageSize(width, height)) return Fail(kImageBadArgument, "size out of range");
  if (!Replace(*entry, ScaledCopy(entry->picture.get(), entry->layout, width, height))) {
    return Fail(kImageNoMemory, "no memory for the resized picture");
  }
  return kImageDone;
}

GlobalBlock ImageFileLibrary::MakeBitmap(ImageHandle image, int width, int height) {
  std::lock_guard lock(mutex_);
  const Entry* entry = Find(image);
  if (entry == nullptr) return {};
  if (!IsAcceptedImageSize(width, height)) {
    Fail(kImageBadArgument, "size out of range");
    return {};
  }
  GlobalBlock bitmap = ScaledCopy(entry->picture.get(), entry->layout, width, height);
  if (!bitmap) Fail(kImageNoMemory, "no memory for the bitmap");
  return bitmap;
}

ImageFileResult ImageFileLibrary::ReduceColors(ImageHandle image, int bitsPerPixel, int dither, int colors) {
  std::lock_guard lock(mutex_);
  Entry* entry = Find(image);
  if (entry == nullptr) return kImageInvalidHandle;
  if (bitsPerPixel < 1 || bitsPerPixel > 8 || colors < 2 || colors > 256) {
    return Fail(kImageBadArgument, "bit depth or colour count out of range");
  }
  const int limit = std::min(colors, 1 << bitsPerPixel);
  if (entry->layout.bitsPerPixel == 8 && entry->layout.colors <= limit) return kImageDone;
  GlobalBlock trueColor = TrueColorCopy(entry->picture.get(), entry->layout);
  GlobalLockGuard<> data(trueColor.get());
  if (!data) return Fail(kImageNoMemory, "no memory for the colour reduction");
  std::string error;
  if (!Replace(*entry, QuantizePicture(data.get(), trueColor.size(), limit, dither != 0, &error))) {
    return Fail(kImageFailed, "colour reduction failed: " + error);
  }
  return kImageDone;
}

ColorPalette ImageFileLibrary::GetPalette(ImageHandle image) {
  std::lock_guard lock(mutex_);
  const Entry* entry = Find(image);
  if (entry == nullptr) return {};
  if (entry->layout.bitsPerPixel != 8) {
    Fail(kImageBadArgument, "a true-colour image has no palette");
    return {};
  }
  GlobalLockGuard<> data(entry->picture.get());
  const auto* table = reinterpret_cast<const DibColor*>(data.get() + kDibHeaderSize);
  std::vector<PaletteEntry> entries;
  entries.reserve(static_cast<std::size_t>(entry->layout.colors));
  for (int i = 0; i < entry->layout.colors; ++i) {
    entries.push_back({table[i].red, table[i].green, table[i].blue, 0});
  }
  return ColorPalette(std::move(entries));
}

ImageFileResult ImageFileLibrary::Draw(ImageHandle image, ImageDrawTarget& target, int x, int y, int width,
                                       int height) {
  GlobalBlock copy;
  {
    std::lock_guard lock(mutex_);
    const Entry* entry = Find(image);
    if (entry == nullptr) return kImageInvalidHandle;
    if (width < 1 || height < 1) return Fail(kImageBadArgument, "empty rectangle");
    copy = CopyPicture(entry->picture.get());
    if (!copy) return Fail(kImageNoMemory, "no memory for drawing");
  }
  // The target draws from a copy, outside the lock.
  GlobalLockGuard<> data(copy.get());
  if (!target.DrawDib(data.get(), copy.size(), x, y, width, height)) {
    std::lock_guard lock(mutex_);
    return Fail(kImageFailed, "the target did not draw the picture");
  }
  return kImageDone;
}

int ImageFileLibrary::SetJpegQuality(int quality) {
  std::lock_guard lock(mutex_);
  jpegQuality_ = std::clamp(quality, 1, 100);
  return jpegQuality_;
}

ImageFileResult ImageFileLibrary::Save(ImageHandle image, const std::filesystem::path& path, int option) {
  GlobalBlock copy;
  int quality = kDefaultJpegQuality;
  {
    std::lock_guard lock(mutex_);
    const Entry* entry = Find(image);
    if (entry == nullptr) return kImageInvalidHandle;
    copy = CopyPicture(entry->picture.get());
    if (!copy) return Fail(kImageNoMemory, "no memory for saving");
    quality = jpegQuality_;
  }
  // Encoding and writing run outside the lock, on the copy.
  const auto format = StillImageFormatOfPath(path.native());
  std::string error;
  ImageFileResult result = kImageDone;
  if (!format || !CanSaveStillImageFormat(*format)) {
    error = "cannot save pictures as " + path.string();
    result = kImageBadArgument;
  } else {
    GlobalLockGuard<> data(copy.get());
    const auto bytes = EncodeStillImage(data.get(), copy.size(), *format, option, quality, &error);
    if (!bytes || !WriteFileAtomically(path, *bytes, &error)) result = kImageFailed;
  }
  if (result != kImageDone) {
    std::lock_guard lock(mutex_);
    return Fail(result, error);
  }
  return kImageDone;
}

std::size_t ImageFileLibrary::ImageCount() const {
  std::lock_guard lock(mutex_);
  return images_.size();
}

std::string ImageFileLibrary::LastError() const {
  std::lock_guard lock(mutex_);
  return lastError_;
}

ImageFileLibrary& ImageFiles() {
  static ImageFileLibrary library;
  return library;
}

}  // namespace sprocket
