#include "platform/imagefile/image_file_library.h"

#include <algorithm>
#include <limits>
#include <system_error>

#include "imagelib/dib_image.h"
#include "platform/atomic_file.h"
#include "platform/imagefile/dib_import.h"
#include "platform/imagefile/image_picture.h"
#include "platform/imagefile/still_image_format.h"

namespace sprocket {

namespace {

constexpr std::uintmax_t kMaxImageFileBytes = std::uintmax_t{512} << 20;

std::optional<PictureLayout> LayoutOf(HGLOBAL picture) {
  GlobalLockGuard<> data(picture);
  if (!data) return std::nullopt;
  return ReadPictureLayout(data.get(), GlobalSize(picture));
}

// A 24-bit version of the picture: the same block when it is 24-bit already.
GlobalBlock TrueColorOf(HGLOBAL picture, const PictureLayout& layout) {
  if (layout.bitsPerPixel == 24) return CopyPicture(picture);
  GlobalLockGuard<> data(picture);
  if (!data) return {};
  return ExpandIndexedPicture(data.get(), layout);
}

// The picture scaled to width x height with the image library's rescaler.
GlobalBlock ScaledPicture(HGLOBAL picture, const PictureLayout& layout, int width, int height) {
  GlobalBlock scaled = TrueColorOf(picture, layout);
  if (!scaled) return {};
  HGLOBAL variable = scaled.release();
  CDibImage image(&variable);
  const DibResult result = image.Resize(width, height, kFilterMitchell);
  GlobalBlock owner(variable);
  if (result != kDibDone) return {};
  return owner;
}

}  // namespace

ImageFileLibrary::ImageFileLibrary() { InitializeImageCodecs(); }

ImageHandle ImageFileLibrary::Insert(GlobalBlock picture) {
  std::lock_guard lock(mutex_);
  while (images_.contains(nextHandle_)) {
    nextHandle_ = nextHandle_ == std::numeric_limits<ImageHandle>::max() ? 1 : nextHandle_ + 1;
  }
  const ImageHandle handle = nextHandle_;
  images_.emplace(handle, std::move(picture));
  nextHandle_ = handle == std::numeric_limits<ImageHandle>::max() ? 1 : handle + 1;
  return handle;
}

GlobalBlock* ImageFileLibrary::Find(ImageHandle image) {
  const auto it = images_.find(image);
  return it == images_.end() ? nullptr : &it->second;
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
    Fail(kImageFailed, error);
    return kNoImage;
  }
  return Insert(std::move(picture));
}

ImageFileResult ImageFileLibrary::Free(ImageHandle image) {
  std::lock_guard lock(mutex_);
  if (images_.erase(image) == 0) return Fail(kImageInvalidHandle, "no image with that handle");
  return kImageDone;
}

HGLOBAL ImageFileLibrary::GetDib(ImageHandle image, int* width, int* height, int* bitsPerPixel) {
  std::lock_guard lock(mutex_);
  const GlobalBlock* picture = Find(image);
  const auto layout = picture != nullptr ? LayoutOf(picture->get()) : std::nullopt;
  if (width != nullptr) *width = layout ? layout->width : 0;
  if (height != nullptr) *height = layout ? layout->height : 0;
  if (bitsPerPixel != nullptr) *bitsPerPixel = layout ? layout->bitsPerPixel : 0;
  if (!layout) {
    Fail(kImageInvalidHandle, "no image with that handle");
    return nullptr;
  }
  return picture->get();
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
  GlobalBlock* picture = Find(image);
  if (picture == nullptr) return Fail(kImageInvalidHandle, "no image with that handle");
  const auto layout = LayoutOf(picture->get());
  if (layout->bitsPerPixel == 24) return kImageDone;
  GlobalBlock expanded = TrueColorOf(picture->get(), *layout);
  if (!expanded) return Fail(kImageNoMemory, "no memory for the true-colour picture");
  *picture = std::move(expanded);
  return kImageDone;
}

ImageFileResult ImageFileLibrary::Resize(ImageHandle image, int width, int height) {
  std::lock_guard lock(mutex_);
  GlobalBlock* picture = Find(image);
  if (picture == nullptr) return Fail(kImageInvalidHandle, "no image with that handle");
  if (!IsAcceptedImageSize(width, height)) return Fail(kImageBadArgument, "size out of range");
  const auto layout = LayoutOf(picture->get());
  GlobalBlock scaled = ScaledPicture(picture->get(), *layout, width, height);
  if (!scaled) return Fail(kImageNoMemory, "no memory for the resized picture");
  *picture = std::move(scaled);
  return kImageDone;
}

GlobalBlock ImageFileLibrary::MakeBitmap(ImageHandle image, int width, int height) {
  std::lock_guard lock(mutex_);
  GlobalBlock* picture = Find(image);
  if (picture == nullptr) {
    Fail(kImageInvalidHandle, "no image with that handle");
    return {};
  }
  if (!IsAcceptedImageSize(width, height)) {
    Fail(kImageBadArgument, "size out of range");
    return {};
  }
  GlobalBlock bitmap = ScaledPicture(picture->get(), *LayoutOf(picture->get()), width, height);
  if (!bitmap) Fail(kImageNoMemory, "no memory for the bitmap");
  return bitmap;
}

ImageFileResult ImageFileLibrary::ReduceColors(ImageHandle image, int bitsPerPixel, int dither, int colors) {
  std::lock_guard lock(mutex_);
  GlobalBlock* picture = Find(image);
  if (picture == nullptr) return Fail(kImageInvalidHandle, "no image with that handle");
  if (bitsPerPixel < 1 || bitsPerPixel > 8 || colors < 2 || colors > 256) {
    return Fail(kImageBadArgument, "bit depth or colour count out of range");
  }
  const int limit = std::min(colors, 1 << bitsPerPixel);
  const auto layout = LayoutOf(picture->get());
  if (layout->bitsPerPixel == 8 && layout->colors <= limit) return kImageDone;
  GlobalBlock trueColor = TrueColorOf(picture->get(), *layout);
  GlobalLockGuard<> data(trueColor.get());
  if (!data) return Fail(kImageNoMemory, "no memory for the colour reduction");
  std::string error;
  GlobalBlock reduced = QuantizePicture(data.get(), trueColor.size(), limit, dither != 0, &error);
  if (!reduced) return Fail(kImageFailed, error);
  *picture = std::move(reduced);
  return kImageDone;
}

ColorPalette ImageFileLibrary::GetPalette(ImageHandle image) {
  std::lock_guard lock(mutex_);
  const GlobalBlock* picture = Find(image);
  if (picture == nullptr) {
    Fail(kImageInvalidHandle, "no image with that handle");
    return {};
  }
  GlobalLockGuard<> data(picture->get());
  const auto layout = ReadPictureLayout(data.get(), picture->size());
  if (layout->bitsPerPixel != 8) {
    Fail(kImageBadArgument, "a true-colour image has no palette");
    return {};
  }
  const auto* table = reinterpret_cast<const DibColor*>(data.get() + 40);
  std::vector<PaletteEntry> entries;
  entries.reserve(static_cast<std::size_t>(layout->colors));
  for (int i = 0; i < layout->colors; ++i) entries.push_back({table[i].red, table[i].green, table[i].blue, 0});
  return ColorPalette(std::move(entries));
}

ImageFileResult ImageFileLibrary::Draw(ImageHandle image, ImageDrawTarget& target, int x, int y, int width,
                                       int height) {
  std::lock_guard lock(mutex_);
  const GlobalBlock* picture = Find(image);
  if (picture == nullptr) return Fail(kImageInvalidHandle, "no image with that handle");
  if (width < 1 || height < 1) return Fail(kImageBadArgument, "empty rectangle");
  GlobalLockGuard<> data(picture->get());
  if (!target.DrawDib(data.get(), picture->size(), x, y, width, height)) {
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
    const GlobalBlock* picture = Find(image);
    if (picture == nullptr) return Fail(kImageInvalidHandle, "no image with that handle");
    copy = CopyPicture(picture->get());
    if (!copy) return Fail(kImageNoMemory, "no memory for saving");
    quality = jpegQuality_;
  }
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
