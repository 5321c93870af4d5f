#pragma once
// The filters themselves, on picture views of one size. Each kernel reads
// the source and writes every pixel of the destination (never the same
// picture); kernels of filters that make or move an alpha mask also update
// `alpha` when the frame has one.

#include <cstdint>

#include "libs/effectcatalog/effect_frame_params.h"
#include "libs/effectcatalog/effect_picture.h"
#include "libs/effectcatalog/effect_stop.h"
#include "libs/effectcatalog/effect_values.h"

namespace sprocket {

struct FilterFrame {
  PictureView source;
  PictureView destination;
  // A 24-bit mask of the same size (weights 0..128 in each byte): the
  // picture's alpha on the way in, the filter's on the way out. Empty when
  // the picture has none; keys then get one of their own (filter_render).
  PictureView alpha;
  const EffectFilter* filter = nullptr;  // the record, or null for the defaults
  EffectValues values;
  float effectPercent = 0.0f;
  std::int64_t frameNumber = 0;  // counts fields when fields are rendered
  StopCheck* stop = nullptr;
};

using FilterKernel = int (*)(const FilterFrame&);

// The kernel of a filter id; null for an id the catalogue does not know.
FilterKernel FindFilterKernel(std::int32_t filterId);

// The kernels, by file.
int ChannelTableFilter(const FilterFrame& frame);
int GreyscaleFilter(const FilterFrame& frame);
int TintFilter(const FilterFrame& frame);
int ThresholdFilter(const FilterFrame& frame);
int HueSaturationFilter(const FilterFrame& frame);

int SharpenFilter(const FilterFrame& frame);
int EmbossFilter(const FilterFrame& frame);
int EdgeDetectFilter(const FilterFrame& frame);
int BlurFilter(const FilterFrame& frame);
int MotionBlurFilter(const FilterFrame& frame);
int MosaicFilter(const FilterFrame& frame);

int ColourKeyFilter(const FilterFrame& frame);
int LumaKeyFilter(const FilterFrame& frame);
int GradientFilter(const FilterFrame& frame);
int ShapeMaskFilter(const FilterFrame& frame);
int ImageMatteFilter(const FilterFrame& frame);
int DropShadowFilter(const FilterFrame& frame);
int TextureMapFilter(const FilterFrame& frame);

int FlipHorizontalFilter(const FilterFrame& frame);
int FlipVerticalFilter(const FilterFrame& frame);
int RotateFilter(const FilterFrame& frame);
int PanZoomFilter(const FilterFrame& frame);
int MirrorFilter(const FilterFrame& frame);
int RippleFilter(const FilterFrame& frame);
int TwirlFilter(const FilterFrame& frame);
int RepetitionFilter(const FilterFrame& frame);

int ScreenAnimationFilter(const FilterFrame& frame);
int PageEffectFilter(const FilterFrame& frame);
int FilmGrainFilter(const FilterFrame& frame);
int OldFilmFilter(const FilterFrame& frame);
int ExplosionFilter(const FilterFrame& frame);
int FreezeFrameFilter(const FilterFrame& frame);
int CopyFilter(const FilterFrame& frame);

// Helpers shared by the kernels.

// Runs `pixel(x, y, source pixel, destination pixel)` over every pixel,
// pumping between rows; answers kEffectDone or kEffectStopped.
template <typename PixelFunction>
int ForEachPixel(const FilterFrame& frame, PixelFunction&& pixel) {
  for (std::int32_t y = 0; y < frame.destination.height; ++y) {
    const std::uint8_t* s = frame.source.Row(y);
    std::uint8_t* d = frame.destination.Row(y);
    for (std::int32_t x = 0; x < frame.destination.width; ++x, s += 3, d += 3) pixel(x, y, s, d);
    if (frame.stop->AfterRows(1)) return kEffectStopped;
  }
  return kEffectDone;
}

// Multiplies the frame's alpha (when it has one) by a weight of 0..128 for
// every pixel: alpha = alpha x weight / 128.
template <typename WeightFunction>
void ScaleAlpha(const FilterFrame& frame, WeightFunction&& weight) {
  if (!frame.alpha) return;
  for (std::int32_t y = 0; y < frame.alpha.height; ++y) {
    for (std::int32_t x = 0; x < frame.alpha.width; ++x) {
      SetMaskWeight(frame.alpha, x, y, MaskWeight(frame.alpha, x, y) * weight(x, y) / kOpaque);
    }
  }
}

// Where a destination pixel takes its pixel from: a source position, or
// none (black and transparent).
struct SourcePoint {
  std::int32_t x = -1;
  std::int32_t y = -1;
  bool valid() const { return x >= 0; }
};

// Fills the destination (and moves the alpha along) from the source pixels
// that `map(x, y)` names.
template <typename MapFunction>
int RemapPixels(const FilterFrame& frame, MapFunction&& map) {
  PictureBuffer alphaIn;
  if (frame.alpha) alphaIn = PictureBuffer(frame.alpha);
  for (std::int32_t y = 0; y < frame.destination.height; ++y) {
    std::uint8_t* d = frame.destination.Row(y);
    for (std::int32_t x = 0; x < frame.destination.width; ++x, d += 3) {
      const SourcePoint point = map(x, y);
      if (point.valid()) {
        const std::uint8_t* s = frame.source.At(point.x, point.y);
        d[0] = s[0];
        d[1] = s[1];
        d[2] = s[2];
      } else {
        d[0] = d[1] = d[2] = 0;
      }
      if (frame.alpha) {
        SetMaskWeight(frame.alpha, x, y, point.valid() ? MaskWeight(alphaIn.view(), point.x, point.y) : 0);
      }
    }
    if (frame.stop->AfterRows(1)) return kEffectStopped;
  }
  return kEffectDone;
}

// A position limited to 0..size - 1.
inline std::int32_t ClampIndex(std::int64_t value, std::int32_t size) {
  return value < 0 ? 0 : value >= size ? size - 1 : static_cast<std::int32_t>(value);
}

}  // namespace sprocket
