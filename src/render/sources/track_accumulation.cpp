// The trailing effect (filter 9000) of a track's node: the clip's picture is
// laid into an accumulated picture under its alpha, and the accumulated
// alpha decays a little every frame, so that moving keyed pictures leave a
// fading trail.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "imagelib/drawing/mask_blend.h"
#include "render/picture/picture_ops.h"
#include "render/sources/track_list.h"
#include "timeline/records/filter_ids.h"

namespace sprocket {

namespace {

bool SameSize(const std::optional<PictureGeometry>& a, const std::optional<PictureGeometry>& b) {
  return a && b && a->width == b->width && a->height == b->height;
}

}  // namespace

bool TrackList::FindAccumulationFilter(const FilterList& filters) {
  for (const TLFilter& filter : filters) {
    if (filter.id == kFilterTrailingEffect && !filter.params.empty() && filter.params.front().values[0] != 0) {
      const TLFilterParam& param = filter.params.front();
      accumulation_ = AccumulationSettings{param.values[0], param.values[1], param.values[2]};
      flag_ = 1;
      return true;
    }
  }
  flag_ = 0;
  return false;
}

void TrackList::EnsureAccumulationBuffers(std::int32_t width, std::int32_t height) {
  if (width < 1 || height < 1) return;
  if (accumPicture_ && accumPicture_.Width() == width && accumPicture_.Height() == height && accumAlpha_) return;
  accumPicture_ = DibPicture::Black24(width, height);
  accumAlpha_ = DibPicture::Grey8(width, height);
  if (!accumPicture_ || !accumAlpha_) {
    accumPicture_.reset();
    accumAlpha_.reset();
  }
}

void TrackList::DecayAccumulation(const AccumulationFilterRenderer& decayFilter) {
  accumulation_.count = std::max(accumulation_.count, 1);
  std::array<std::uint8_t, 256> table{};
  const double factor = std::log10(static_cast<double>(accumulation_.count)) * 0.5;
  for (int i = 0; i <= 128; ++i) {
    table[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(std::min(255.0, std::trunc(i * factor)));
  }

  const std::int32_t mode = accumulation_.mode;
  if ((mode == 2 || mode == 3) && decayFilter) {
    DibPicture copy = accumPicture_.Clone();
    if (copy) {
      TLFilter filter;
      InitFilter(filter);
      TLFilterParam param;
      InitFilterParam(param);
      param.enable = 1;
      param.tables.emplace();
      InitParamTables(*param.tables);
      if (mode == 2) {
        filter.id = kFilterBlur;
        param.values[0] = accumulation_.level;
      } else {
        filter.id = kFilterHueSaturation;
        param.values[0] = 0;
        param.values[1] = accumulation_.level * 180 / 100;
      }
      filter.params.push_back(std::move(param));
      if (decayFilter(filter, accumPicture_.data(), copy.data()) == 0) {
        std::memcpy(accumPicture_.data(), copy.data(), std::min(copy.size(), accumPicture_.size()));
      }
    }
  }

  const std::optional<PictureGeometry> alpha = ReadPictureGeometry(accumAlpha_.data());
  if (!alpha) return;
  for (std::int32_t y = 0; y < alpha->height; ++y) {
    std::uint8_t* row = alpha->Row(y);
    for (std::int32_t x = 0; x < alpha->width; ++x) row[x] = table[row[x]];
  }
}

void TrackList::ApplyAccumulationPass(std::uint8_t* picture, std::uint8_t* alpha,
                                      const AccumulationFilterRenderer& decayFilter) {
  if (alpha == nullptr || picture == nullptr || flag_ == 0 || !accumPicture_ || !accumAlpha_) return;
  const std::optional<PictureGeometry> pictureGeometry = ReadPictureGeometry(picture);
  const std::optional<PictureGeometry> alphaGeometry = ReadPictureGeometry(alpha);
  const std::optional<PictureGeometry> accumGeometry = ReadPictureGeometry(accumPicture_.data());
  const std::optional<PictureGeometry> accumAlphaGeometry = ReadPictureGeometry(accumAlpha_.data());
  // Buffers of another size (the output or the crop changed) are not mixed.
  if (!SameSize(pictureGeometry, accumGeometry) || !SameSize(alphaGeometry, accumGeometry) ||
      !SameSize(accumAlphaGeometry, accumGeometry) || pictureGeometry->bitCount != 24 || alphaGeometry->bitCount != 8 ||
      pictureGeometry->stride != accumGeometry->stride || pictureGeometry->pixelOffset != accumGeometry->pixelOffset ||
      alphaGeometry->stride != accumAlphaGeometry->stride ||
      alphaGeometry->pixelOffset != accumAlphaGeometry->pixelOffset) {
    return;
  }

  const std::size_t maskBytes = alphaGeometry->pixelOffset + static_cast<std::size_t>(alphaGeometry->stride) *
                                                                 static_cast<std::size_t>(alphaGeometry->height);
  DibPicture combined = DibPicture::Allocate(maskBytes);
  DibPicture weights = DibPicture::Allocate(maskBytes);
  if (!combined || !weights) return;
  std::memcpy(combined.data(), alpha, alphaGeometry->pixelOffset);
  std::memcpy(weights.data(), alpha, alphaGeometry->pixelOffset);

  DecayAccumulation(decayFilter);

  for (std::int32_t y = 0; y < alphaGeometry->height; ++y) {
    const std::uint8_t* source = alphaGeometry->Row(y);
    const std::uint8_t* accumulated = accumAlphaGeometry->Row(y);
    std::uint8_t* combinedRow = combined.data() + alphaGeometry->pixelOffset +
                                static_cast<std::size_t>(alphaGeometry->stride) * static_cast<std::size_t>(y);
    std::uint8_t* weightRow = weights.data() + alphaGeometry->pixelOffset +
                              static_cast<std::size_t>(alphaGeometry->stride) * static_cast<std::size_t>(y);
    for (std::int32_t x = 0; x < alphaGeometry->width; ++x) {
      const double a = source[x] / 128.0;
      const double b = accumulated[x] / 128.0;
      const double out = std::min(1.0, a + b * (1.0 - a));
      const double weight = out == 0.0 ? 1.0 : std::min(1.0, a / out);
      combinedRow[x] = static_cast<std::uint8_t>(out * 128.0);
      weightRow[x] = static_cast<std::uint8_t>(weight * 128.0);
    }
  }

  BlendUnderMask(picture, accumPicture_.data(), weights.data());
  const std::size_t pictureBytes = accumGeometry->pixelOffset + static_cast<std::size_t>(accumGeometry->stride) *
                                                                    static_cast<std::size_t>(accumGeometry->height);
  std::memcpy(picture, accumPicture_.data(), pictureBytes);
  std::memcpy(accumAlpha_.data(), combined.data(), std::min(maskBytes, accumAlpha_.size()));
  std::memcpy(alpha, accumAlpha_.data(), maskBytes);
}

}  // namespace sprocket
