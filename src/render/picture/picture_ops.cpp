#include "render/picture/picture_ops.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "imagelib/dib_header.h"
#include "imagelib/dib_image.h"
#include "imagelib/formats/tga_reader.h"
#include "imagelib/rescale.h"
#include "platform/imagefile/image_picture.h"

namespace sprocket {

namespace {

std::optional<PictureGeometry> GeometryOfDepth(const std::uint8_t* picture, std::int32_t bits) {
  std::optional<PictureGeometry> geometry = ReadPictureGeometry(picture);
  if (!geometry || geometry->bitCount != bits) return std::nullopt;
  return geometry;
}

// A new black 24-bit picture that keeps the source's resolution fields.
DibPicture NewPictureLike(const std::uint8_t* source, std::int32_t width, std::int32_t height) {
  DibPicture picture = DibPicture::Black24(width, height);
  if (!picture) return {};
  const DibInfoHeader from = ReadDibHeader(source);
  DibInfoHeader header = picture.Header();
  header.biXPelsPerMeter = from.biXPelsPerMeter;
  header.biYPelsPerMeter = from.biYPelsPerMeter;
  WriteDibHeader(picture.data(), header);
  return picture;
}

bool ValidMargins(const CropBox& margins) {
  return margins.left >= 0 && margins.right >= 0 && margins.bottom >= 0 && margins.top >= 0;
}

}  // namespace

CropBox ReadCropMargins(const TLEvent* head, std::int32_t options) {
  if (head == nullptr || (options & kRenderOptionNoCrop) != 0) return {};
  const CropMargins& margins = head->cropMargins;
  return CropBox{margins.Left(), margins.Right(), margins.Bottom(), margins.Top()};
}

int InitDibHeader(std::int32_t width, std::int32_t height, const void* sourceHeader, void* destination) {
  if (sourceHeader == nullptr || destination == nullptr) return -1;
  DibInfoHeader header = ReadDibHeader(sourceHeader);
  const std::int32_t rowBytes = DibRowBytes(width, header.biBitCount);
  if (rowBytes < 0) return -1;
  // The bytes of a longer header beyond the 40 known ones go along.
  if (header.biSize > sizeof(DibInfoHeader)) {
    std::memmove(static_cast<std::uint8_t*>(destination) + sizeof(DibInfoHeader),
                 static_cast<const std::uint8_t*>(sourceHeader) + sizeof(DibInfoHeader),
                 header.biSize - sizeof(DibInfoHeader));
  }
  header.biWidth = width;
  header.biHeight = height;
  header.biSizeImage = static_cast<std::uint32_t>(rowBytes) * static_cast<std::uint32_t>(std::max(height, 0));
  if (header.biBitCount == 24) header.biClrUsed = 0;
  WriteDibHeader(destination, header);
  return 0;
}

DibPicture CropDib24(const std::uint8_t* picture, const CropBox& margins) {
  const std::optional<PictureGeometry> from = GeometryOfDepth(picture, 24);
  if (!from || !ValidMargins(margins)) return {};
  const std::int32_t width = from->width - margins.left - margins.right;
  const std::int32_t height = from->height - margins.bottom - margins.top;
  if (width < 1 || height < 1) return {};
  DibPicture cropped = NewPictureLike(picture, width, height);
  const std::optional<PictureGeometry> to = ReadPictureGeometry(cropped.data());
  if (!to) return {};
  for (std::int32_t y = 0; y < height; ++y) {
    std::memcpy(to->Row(y), from->Row(y + margins.bottom) + static_cast<std::ptrdiff_t>(margins.left) * 3,
                static_cast<std::size_t>(width) * 3);
  }
  return cropped;
}

DibPicture PadDib24(const std::uint8_t* picture, const CropBox& margins) {
  const std::optional<PictureGeometry> from = GeometryOfDepth(picture, 24);
  if (!from || !ValidMargins(margins)) return {};
  const std::int64_t width = std::int64_t{from->width} + margins.left + margins.right;
  const std::int64_t height = std::int64_t{from->height} + margins.bottom + margins.top;
  if (width > std::numeric_limits<std::int32_t>::max() / 3 || height > std::numeric_limits<std::int32_t>::max()) {
    return {};
  }
  DibPicture padded = NewPictureLike(picture, static_cast<std::int32_t>(width), static_cast<std::int32_t>(height));
  const std::optional<PictureGeometry> to = ReadPictureGeometry(padded.data());
  if (!to) return {};
  for (std::int32_t y = 0; y < from->height; ++y) {
    std::memcpy(to->Row(y + margins.bottom) + static_cast<std::ptrdiff_t>(margins.left) * 3, from->Row(y),
                static_cast<std::size_t>(from->width) * 3);
  }
  return padded;
}

DibPicture Dib32To24(const std::uint8_t* picture32) {
  const std::optional<PictureGeometry> from = GeometryOfDepth(picture32, 32);
  if (!from) return {};
  DibPicture picture = NewPictureLike(picture32, from->width, from->height);
  const std::optional<PictureGeometry> to = ReadPictureGeometry(picture.data());
  if (!to) return {};
  for (std::int32_t y = 0; y < from->height; ++y) {
    const std::uint8_t* source = from->Row(y);
    std::uint8_t* target = to->Row(y);
    for (std::int32_t x = 0; x < from->width; ++x, source += 4, target += 3) {
      target[0] = source[0];
      target[1] = source[1];
      target[2] = source[2];
    }
  }
  return picture;
}

DibPicture ScaleDib24(const std::uint8_t* picture, std::int32_t width, std::int32_t height) {
  const std::optional<PictureGeometry> from = GeometryOfDepth(picture, 24);
  if (!from) return {};
  DibPicture scaled = DibPicture::Black24(width, height);
  if (!scaled) return {};
  HGLOBAL sourceBlock = GlobalHandle(picture);
  HGLOBAL targetBlock = scaled.handle();
  const DibResult result =
      RescaleFiltered(CDibImage(&targetBlock), CDibImage(&sourceBlock), DibRect{width - 1, height - 1, 0, 0},
                      DibRect{from->width - 1, from->height - 1, 0, 0}, kFilterMitchell);
  if (result != kDibDone) return {};
  return scaled;
}

DibPicture CopyImageDib(ImageHandle image) {
  HGLOBAL block = ImageFiles().GetDib(image, nullptr, nullptr, nullptr);
  if (block == nullptr) return {};
  GlobalLockGuard<std::uint8_t> source(block);
  if (!source) return {};
  DibPicture copy = DibPicture::CopyOf(source.get(), GlobalSize(block));
  if (copy && copy.BitCount() == 24) {
    DibInfoHeader header = copy.Header();
    header.biClrUsed = 0;
    WriteDibHeader(copy.data(), header);
  }
  return copy;
}

DibPicture PromoteTo24(DibPicture picture) {
  if (!picture || picture.BitCount() == 24) return picture;
  const ImageHandle image = ImageFiles().DibToHandle(picture.data(), picture.size());
  if (image < 0) return {};
  DibPicture promoted;
  if (ImageFiles().ToTrueColor(image) == kImageDone) promoted = CopyImageDib(image);
  ImageFiles().Free(image);
  return promoted;
}

int CropImageHandle(ImageHandle& image, const CropBox& margins) {
  if (!margins.Any()) return 1;
  const DibPicture whole = PromoteTo24(CopyImageDib(image));
  const DibPicture cropped = CropDib24(whole.data(), margins);
  if (!cropped) return 1;
  const ImageHandle replacement = ImageFiles().DibToHandle(cropped.data(), cropped.size());
  if (replacement < 0) return 1;
  ImageFiles().Free(image);
  image = replacement;
  return 1;
}

ImageHandle CropDibToImage(DibPicture picture, const CropBox& margins) {
  if (!picture) return kNoImage;
  if (margins.Any()) {
    picture = PromoteTo24(std::move(picture));
    picture = CropDib24(picture.data(), margins);
    if (!picture) return kNoImage;
  }
  return ImageFiles().DibToHandle(picture.data(), picture.size());
}

int ImageToDibResized(ImageHandle& image, DibPicture* out, std::int32_t width, std::int32_t height, bool freeHandle) {
  int currentWidth = 0;
  int currentHeight = 0;
  bool done = ImageFiles().GetDib(image, &currentWidth, &currentHeight, nullptr) != nullptr;
  if (done && (currentWidth != width || currentHeight != height)) {
    done = ImageFiles().Resize(image, width, height) == kImageDone;
  }
  if (done) {
    *out = CopyImageDib(image);
    done = static_cast<bool>(*out);
  }
  if (freeHandle) {
    ImageFiles().Free(image);
    image = kNoImage;
  }
  return done ? 1 : 0;
}

namespace {

// A 24-bit bottom-up picture that the library would import unchanged.
bool IsPlainDib24(const DibPicture& picture) {
  if (!picture || picture.size() < static_cast<std::size_t>(kDibHeaderSize)) return false;
  const DibInfoHeader header = picture.Header();
  return header.biSize == static_cast<std::uint32_t>(kDibHeaderSize) && header.biCompression == 0 &&
         header.biBitCount == 24 && header.biPlanes == 1 && header.biHeight > 0 &&
         IsAcceptedImageSize(header.biWidth, header.biHeight) &&
         picture.size() >= kDibHeaderSize + static_cast<std::size_t>(PaddedStride24(header.biWidth)) *
                                                static_cast<std::size_t>(header.biHeight);
}

}  // namespace

DibPicture ResizedDib24(DibPicture picture, std::int32_t width, std::int32_t height) {
  if (!IsPlainDib24(picture) || !IsAcceptedImageSize(width, height)) {
    ImageHandle image = ImageFiles().DibToHandle(picture.data(), picture.size());
    picture.reset();
    if (image < 0) return {};
    ImageFiles().ToTrueColor(image);
    DibPicture scaled;
    return ImageToDibResized(image, &scaled, width, height, true) != 0 ? std::move(scaled) : DibPicture{};
  }
  // The library's picture header and zeroed row padding, then the rescaler
  // on the picture's own block.
  DibInfoHeader header = MakeDib24Header(picture.Width(), picture.Height());
  WriteDibHeader(picture.data(), header);
  ClearDib24RowPadding(picture.data() + kDibHeaderSize, header.biWidth, header.biHeight);
  HGLOBAL variable = GlobalHandle(picture.ReleaseLocked());
  GlobalUnlock(variable);
  const DibResult resized = CDibImage(&variable).Resize(width, height, kFilterMitchell);
  DibPicture scaled = DibPicture::Adopt(GlobalBlock(variable));
  if (resized != kDibDone || !scaled) return {};
  header = MakeDib24Header(width, height);
  WriteDibHeader(scaled.data(), header);
  return scaled;
}

int ImageToDibScaled(ImageHandle& image, DibPicture* out, std::int32_t width, std::int32_t height, bool freeHandle) {
  const DibPicture copy = PromoteTo24(CopyImageDib(image));
  if (freeHandle) {
    ImageFiles().Free(image);
    image = kNoImage;
  }
  if (!copy) return 0;
  *out = ScaleDib24(copy.data(), width, height);
  return *out ? 1 : 0;
}

bool OpenImageWithMask(const std::string& path, ImageHandle* picture, ImageHandle* alpha, bool wantMask) {
  *picture = kNoImage;
  *alpha = kNoImage;
  if (wantMask && IsTga32(path)) {
    std::uint8_t* colourBlock = nullptr;
    std::uint8_t* maskBlock = nullptr;
    // Mask weights in 128ths, as the blends take them.
    const int weights = 1;
    if (ReadTgaToDib(path, &colourBlock, &maskBlock, &weights) != kTgaRead) return false;
    const DibPicture colour = DibPicture::AdoptLocked(colourBlock);
    const DibPicture mask = DibPicture::AdoptLocked(maskBlock);
    const ImageHandle colourImage = ImageFiles().DibToHandle(colour.data(), colour.size());
    const ImageHandle maskImage = ImageFiles().DibToHandle(mask.data(), mask.size());
    if (colourImage < 0 || maskImage < 0) {
      if (colourImage >= 0) ImageFiles().Free(colourImage);
      if (maskImage >= 0) ImageFiles().Free(maskImage);
      return false;
    }
    *picture = colourImage;
    *alpha = maskImage;
    return true;
  }
  *picture = ImageFiles().Open(path);
  return *picture >= 0;
}

void FillEffectPosition(EffectFrameParams& params, const RenderSide& group, std::int32_t fieldFlag,
                        std::int32_t fieldMode) {
  params.fieldSelector = group.fieldSelector;
  params.currentField = fieldFlag;
  if (group.header) {
    params.fieldMode = group.header->FieldOrder();
  } else {
    params.fieldMode = fieldMode >= 1 ? fieldMode : 0;
  }
  double frames = 0.0;
  if (group.header) {
    frames = static_cast<double>(group.header->FrameCount()) - 1.0;
  } else {
    const double length = static_cast<double>(group.sourceTime) * static_cast<double>(group.rate) * 0.001 + 0.5;
    frames = static_cast<double>(static_cast<std::int64_t>(length)) - 1.0;
  }
  // A source of one frame (or none) stands at its start.
  double position = frames > 0.0 ? static_cast<double>(group.sourceFrame) / frames : 0.0;
  position = std::clamp(position, 0.0, 1.0);
  params.position = static_cast<float>(position);
}

}  // namespace sprocket
