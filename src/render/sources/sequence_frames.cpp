#include "render/sources/sequence_frames.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <system_error>

#include "imagelib/drawing/fields.h"
#include "imagelib/formats/tga_reader.h"
#include "platform/imagefile/image_file_library.h"
#include "render/picture/picture_ops.h"
#include "timeline/basics/numbered_file_name.h"

namespace sprocket {

namespace {

using ImageLoader = std::function<DibPicture(const std::string& file)>;

bool FileMissing(const std::string& path) {
  std::error_code error;
  return !path.empty() && !std::filesystem::is_regular_file(path, error);
}

// The file of the image `offset` places after the first one (the first file
// itself at offset 0, even when its name holds no number).
std::string SequenceImageName(const std::string& firstFile, std::int32_t offset) {
  std::string name = MakeNumberedFileName(firstFile, offset);
  if (name.empty() && offset == 0) name = firstFile;
  return name;
}

// A picture through the image-file library: 24 bits, rows padded, biClrUsed 0.
DibPicture ThroughLibrary(const DibPicture& picture) {
  if (!picture) return {};
  const ImageHandle image = ImageFiles().DibToHandle(picture.data(), picture.size());
  if (image < 0) return {};
  DibPicture copy;
  if (ImageFiles().ToTrueColor(image) == kImageDone) copy = CopyImageDib(image);
  ImageFiles().Free(image);
  return copy;
}

DibPicture OpenStill(const std::string& file) {
  if (file.empty() || FileMissing(file)) return {};
  const ImageHandle image = ImageFiles().Open(file);
  if (image < 0) return {};
  DibPicture picture;
  if (ImageFiles().ToTrueColor(image) == kImageDone) picture = CopyImageDib(image);
  ImageFiles().Free(image);
  return picture;
}

// The colour and the alpha picture of a 32-bit TGA file (weights in 128ths).
bool ReadTgaPair(const std::string& file, DibPicture* colour, DibPicture* alpha) {
  if (file.empty() || !IsTga32(file)) return false;
  std::uint8_t* colourBlock = nullptr;
  std::uint8_t* maskBlock = nullptr;
  const int weights = 1;
  if (ReadTgaToDib(file, &colourBlock, &maskBlock, &weights) != kTgaRead) return false;
  const DibPicture rawColour = DibPicture::AdoptLocked(colourBlock);
  const DibPicture rawAlpha = DibPicture::AdoptLocked(maskBlock);
  if (colour != nullptr) *colour = ThroughLibrary(rawColour);
  if (alpha != nullptr) *alpha = ThroughLibrary(rawAlpha);
  return true;
}

DibPicture OpenAlpha(const std::string& file) {
  DibPicture alpha;
  ReadTgaPair(file, nullptr, &alpha);
  return alpha;
}

DibPicture StretchToDoubleHeight(const DibPicture& picture) {
  const ImageHandle image = ImageFiles().DibToHandle(picture.data(), picture.size());
  if (image < 0) return {};
  DibPicture stretched;
  if (ImageFiles().Resize(image, picture.Width(), picture.Height() * 2) == kImageDone) {
    stretched = CopyImageDib(image);
  }
  ImageFiles().Free(image);
  return stretched;
}

// One frame of a sequence, each image read by `load`.
DibPicture LoadFrame(const std::string& firstFile, const SequenceClipHeader& header, std::int32_t frameIndex,
                     const ImageLoader& load) {
  if (FileMissing(firstFile)) return {};
  const std::int32_t frames = std::max(header.frameCount, 1);
  frameIndex = std::max(frameIndex, 0);
  if (header.fieldMode < 3) {
    return load(SequenceImageName(firstFile, std::min(frameIndex, frames - 1)));
  }
  const std::int32_t firstIndex = std::min(2 * frameIndex, 2 * frames - 2);
  const std::int32_t secondIndex = std::min(firstIndex + 1, 2 * frames - 1);
  const DibPicture firstImage = load(SequenceImageName(firstFile, firstIndex));
  if (!firstImage) return {};
  const DibPicture secondImage = load(SequenceImageName(firstFile, secondIndex));
  if (!secondImage) return {};
  DibPicture first = StretchToDoubleHeight(firstImage);
  DibPicture second = StretchToDoubleHeight(secondImage);
  if (!first || !second) return {};
  if (header.fieldMode == 3) {
    // Even lines from the second image, odd lines from the first.
    MergeField(first.data(), second.data(), kMergeOddToEven);
  } else {
    // The opposite dominance: even lines from the first image, odd from the second.
    MergeField(first.data(), second.data(), kMergeOddToOdd);
  }
  return first;
}

}  // namespace

DibPicture LoadSequenceImage(const std::string& firstFile, std::int32_t offset) {
  return OpenStill(SequenceImageName(firstFile, offset));
}

DibPicture LoadSequenceFrameFromFile(const std::string& firstFile, const SequenceClipHeader& header,
                                     std::int32_t frameIndex) {
  return LoadFrame(firstFile, header, frameIndex, OpenStill);
}

DibPicture LoadSequenceFrame(const TLEvent& clip, std::int32_t frameIndex) {
  const std::string path = clip.MediaPath();
  if (clip.header && clip.header->Sequence() != nullptr) {
    return LoadSequenceFrameFromFile(path, *clip.header->Sequence(), frameIndex);
  }
  return OpenStill(path);
}

DibPicture ReadClipImageFrame(const std::string& name, std::int32_t frame, const ClipMediaHeader* header,
                              DibPicture* alpha) {
  if (alpha != nullptr) alpha->reset();
  const SequenceClipHeader* sequence = header != nullptr ? header->Sequence() : nullptr;
  if (sequence == nullptr) {
    DibPicture colour;
    if (alpha != nullptr && ReadTgaPair(name, &colour, alpha)) return colour;
    return OpenStill(name);
  }
  DibPicture picture = LoadFrame(name, *sequence, frame, OpenStill);
  if (picture && alpha != nullptr && IsTga32(SequenceImageName(name, 0))) {
    *alpha = LoadFrame(name, *sequence, frame, OpenAlpha);
  }
  return picture;
}

}  // namespace sprocket
