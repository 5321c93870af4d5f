#include "render/sources/field_pictures.h"

#include <utility>

#include "imagelib/drawing/fields.h"
#include "libs/clipmedia/clip_media_lib.h"
#include "platform/imagefile/image_file_library.h"
#include "render/picture/picture_ops.h"
#include "render/sources/render_state.h"
#include "render/sources/sequence_frames.h"

namespace sprocket {

namespace {

constexpr const char* kNotEnoughMemory = "Not enough memory!";

bool IsOrder24(std::int32_t order) { return order == 2 || order == 4; }
bool IsOrder13(std::int32_t order) { return order == 1 || order == 3; }

// The lines a clip frame keeps for the output: nothing (whole frame), even
// or odd lines.
enum class FieldChoice { kWhole, kEven, kOdd };

FieldChoice Lines(bool even) { return even ? FieldChoice::kEven : FieldChoice::kOdd; }

FieldChoice ChooseClipField(std::int32_t order, std::int32_t outputFieldMode, std::int32_t fieldFlag) {
  if (outputFieldMode == 0) {
    if (order == 0) return FieldChoice::kWhole;
    return Lines(!IsOrder13(order));
  }
  if (order == 0) {
    if (outputFieldMode == 1 || outputFieldMode == 2) return FieldChoice::kWhole;
    return Lines(outputFieldMode != 3);
  }
  return Lines(fieldFlag == 0 ? IsOrder13(order) : !IsOrder13(order));
}

DibPicture ApplyChoice(DibPicture picture, FieldChoice choice) {
  if (!picture || choice == FieldChoice::kWhole) return picture;
  return FieldPicture(picture.data(), choice == FieldChoice::kEven);
}

// The stretch of a still or sequence frame by the output field mode.
DibPicture StretchSequencePicture(DibPicture picture, const ClipMediaHeader* header, std::int32_t outputFieldMode,
                                  std::int32_t fieldFlag) {
  if (!picture) return picture;
  const std::int32_t order = HeaderFieldOrder(header);
  if (outputFieldMode == 0) return order == 0 ? std::move(picture) : StretchFieldByOrder(picture.data(), header);
  if (outputFieldMode == 1 || outputFieldMode == 2) {
    return order == 0 ? std::move(picture) : StretchFieldByFlag(picture.data(), header, fieldFlag);
  }
  return StretchFieldByMode(picture.data(), header, fieldFlag, outputFieldMode);
}

DibPicture ReportMissing(const std::string& name) {
  ShowRenderMessageOnce(kNotEnoughMemory, name);
  return {};
}

}  // namespace

DibPicture FieldPicture(const std::uint8_t* picture, bool evenLines) {
  const std::optional<PictureGeometry> geometry = ReadPictureGeometry(picture);
  if (!geometry) return {};
  DibPicture whole;
  if (geometry->bitCount != 24) {
    whole = PromoteTo24(DibPicture::CopyOf(picture, GlobalSize(GlobalHandle(picture))));
    if (!whole) return {};
    picture = whole.data();
  }
  const std::int32_t width = geometry->width;
  const std::int32_t height = geometry->height;
  // A picture of one line has no odd field: it stays as it is.
  if (!evenLines && height < 2) evenLines = true;
  const std::int32_t rows = evenLines ? (height + 1) / 2 : height / 2;
  DibPicture field = DibPicture::Black24(width, rows);
  if (!field) return {};
  ExtractField(field.data(), picture, evenLines ? 1 : 0);

  const ImageHandle image = ImageFiles().DibToHandle(field.data(), field.size());
  if (image < 0) return {};
  DibPicture stretched;
  if (ImageFiles().Resize(image, width, height) == kImageDone) stretched = CopyImageDib(image);
  ImageFiles().Free(image);
  return stretched;
}

bool FieldModeChangesPicture(std::int32_t fieldMode, bool skip) { return !skip && (fieldMode == 1 || fieldMode == 2); }

bool ApplyFieldMode(DibPicture& picture, std::int32_t fieldMode, std::int32_t fieldFlag, bool skip) {
  if (!FieldModeChangesPicture(fieldMode, skip)) return true;
  const bool even = fieldMode == 1 ? fieldFlag != 0 : fieldFlag == 0;
  DibPicture field = FieldPicture(picture.data(), even);
  if (!field) return false;
  picture = std::move(field);
  return true;
}

std::int32_t HeaderFieldOrder(const ClipMediaHeader* header) { return header != nullptr ? header->FieldOrder() : 0; }

DibPicture StretchFieldByOrder(const std::uint8_t* picture, const ClipMediaHeader* header) {
  return FieldPicture(picture, !IsOrder24(HeaderFieldOrder(header)));
}

DibPicture StretchFieldByFlag(const std::uint8_t* picture, const ClipMediaHeader* header, std::int32_t fieldFlag) {
  const bool order24 = IsOrder24(HeaderFieldOrder(header));
  return FieldPicture(picture, fieldFlag == 0 ? order24 : !order24);
}

DibPicture StretchFieldByMode(const std::uint8_t* picture, const ClipMediaHeader* header, std::int32_t fieldFlag,
                              std::int32_t outputFieldMode) {
  if (HeaderFieldOrder(header) == 0) return FieldPicture(picture, outputFieldMode != 3);
  return StretchFieldByFlag(picture, header, fieldFlag);
}

DibPicture ReadClipFieldFrame(const std::string& name, std::int32_t frame, const ClipMediaHeader* header,
                              std::int32_t outputFieldMode, std::int32_t fieldFlag) {
  DibPicture picture;
  if (header != nullptr && header->Sequence() != nullptr) {
    picture = LoadSequenceFrameFromFile(name, *header->Sequence(), frame);
  } else {
    picture = DibPicture::AdoptLocked(ScaleClipFrame(name, frame, header));
  }
  if (!picture) return ReportMissing(name);
  const FieldChoice choice = ChooseClipField(HeaderFieldOrder(header), outputFieldMode, fieldFlag);
  picture = ApplyChoice(std::move(picture), choice);
  if (!picture) return ReportMissing(name);
  return picture;
}

DibPicture ReadSequenceFieldFrame(const std::string& name, std::int32_t frame, const ClipMediaHeader* header,
                                  std::int32_t outputFieldMode, std::int32_t fieldFlag, DibPicture* alpha) {
  DibPicture picture = ReadClipImageFrame(name, frame, header, alpha);
  if (!picture) return ReportMissing(name);
  picture = StretchSequencePicture(std::move(picture), header, outputFieldMode, fieldFlag);
  if (!picture) return ReportMissing(name);
  if (alpha != nullptr && *alpha) {
    *alpha = StretchSequencePicture(std::move(*alpha), header, outputFieldMode, fieldFlag);
  }
  return picture;
}

}  // namespace sprocket
