#include "libs/transitionrender/transition_kernels.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "libs/effectcatalog/effect_ids.h"
#include "libs/transitionrender/transition_geometry.h"
#include "libs/transitionrender/wipe_map.h"

namespace sprocket {

namespace {

using namespace effect_id;

// Applies `pixel(x, y, a, b, out)` to every pixel, pumping between rows.
template <typename PixelFunction>
int ForEachPixel(const PictureView& a, const PictureView& b, const PictureView& result, StopCheck& stop,
                 PixelFunction&& pixel) {
  for (std::int32_t y = 0; y < result.height; ++y) {
    const std::uint8_t* pa = a.Row(y);
    const std::uint8_t* pb = b.Row(y);
    std::uint8_t* out = result.Row(y);
    for (std::int32_t x = 0; x < result.width; ++x, pa += 3, pb += 3, out += 3) pixel(x, y, pa, pb, out);
    if (stop.AfterRows(1)) return kEffectStopped;
  }
  return kEffectDone;
}

std::uint8_t Mix256(int a, int b, int weightB) {
  return static_cast<std::uint8_t>((a * (256 - weightB) + b * weightB + 128) >> 8);
}

// Runs `mix(a byte, b byte)` over every byte of every row.
template <typename MixFunction>
int ForEachByte(const PictureView& a, const PictureView& b, const PictureView& result, StopCheck& stop,
                MixFunction&& mix) {
  const std::size_t rowBytes = static_cast<std::size_t>(result.width) * 3;
  for (std::int32_t y = 0; y < result.height; ++y) {
    const std::uint8_t* pa = a.Row(y);
    const std::uint8_t* pb = b.Row(y);
    std::uint8_t* out = result.Row(y);
    for (std::size_t i = 0; i < rowBytes; ++i) out[i] = mix(pa[i], pb[i]);
    if (stop.AfterRows(1)) return kEffectStopped;
  }
  return kEffectDone;
}

int Dissolve(std::int32_t id, float percent, const PictureView& a, const PictureView& b, const PictureView& result,
             StopCheck& stop) {
  const int fadeOut = FadeOutWeight(percent);
  const int fadeIn = FadeInWeight(percent);
  const int dip = DipWeight(percent);
  const bool firstHalf = ClampPercent(percent) < 50.0f;
  switch (id) {
    case kAdditiveDissolve:
      return ForEachByte(a, b, result, stop, [&](int pa, int pb) {
        return static_cast<std::uint8_t>(std::min(255, (pa * fadeOut + pb * fadeIn + 128) >> 8));
      });
    case kNonAdditiveDissolve:
      return ForEachByte(a, b, result, stop, [&](int pa, int pb) {
        return static_cast<std::uint8_t>(std::max((pa * fadeOut + 128) >> 8, (pb * fadeIn + 128) >> 8));
      });
    case kDipToBlack:
    case kDipToWhite: {
      const int colour = id == kDipToWhite ? 255 : 0;
      return ForEachByte(a, b, result, stop,
                         [&](int pa, int pb) { return firstHalf ? Mix256(pa, colour, dip) : Mix256(colour, pb, dip); });
    }
    default: {
      const int cross = DissolveWeight(percent);
      return ForEachByte(a, b, result, stop, [cross](int pa, int pb) { return Mix256(pa, pb, cross); });
    }
  }
}

// B's weight for every level, filled once a frame: only the levels on the
// soft ramp need a division.
std::vector<std::uint8_t> WeightTable(const WipeThreshold& threshold) {
  std::vector<std::uint8_t> weights(65536);
  for (std::size_t level = 0; level < weights.size(); ++level) {
    weights[level] = static_cast<std::uint8_t>(threshold.Weight(static_cast<std::uint16_t>(level)));
  }
  return weights;
}

int MapWipe(std::int32_t id, float percent, const EffectValues& values, const EffectFilter* own, const PictureView& a,
            const PictureView& b, const PictureView& result, StopCheck& stop) {
  const WipeMap map(id, values, own, a, b, result.width, result.height);
  const std::vector<std::uint8_t> weights = WeightTable(WipeThreshold::At(percent, values[2]));
  std::vector<std::uint16_t> levels(static_cast<std::size_t>(result.width));
  for (std::int32_t y = 0; y < result.height; ++y) {
    map.Row(y, levels.data());
    const std::uint8_t* pa = a.Row(y);
    const std::uint8_t* pb = b.Row(y);
    std::uint8_t* out = result.Row(y);
    for (std::int32_t x = 0; x < result.width; ++x) {
      const int w = weights[levels[static_cast<std::size_t>(x)]];
      for (int c = 0; c < 3; ++c, ++pa, ++pb, ++out) {
        *out = static_cast<std::uint8_t>((*pa * (128 - w) + *pb * w) >> 7);
      }
    }
    if (stop.AfterRows(1)) return kEffectStopped;
  }
  return kEffectDone;
}

int Move(std::int32_t id, float percent, const PictureView& a, const PictureView& b, const PictureView& result,
         StopCheck& stop) {
  const MovePlacement placement = PlaceMove(id, percent, result.width, result.height);
  return ForEachPixel(a, b, result, stop,
                      [&](std::int32_t x, std::int32_t y, const std::uint8_t*, const std::uint8_t*, std::uint8_t* out) {
                        const MoveSample sample = SampleMove(placement, x, y, result.width, result.height);
                        const std::uint8_t* from = sample.fromB ? b.At(sample.x, sample.y) : a.At(sample.x, sample.y);
                        out[0] = from[0];
                        out[1] = from[1];
                        out[2] = from[2];
                      });
}

// The source coordinate of a pixel of a picture scaled by `scale` about its
// centre, or -1 when the scaled picture does not reach the pixel's centre (a
// centre exactly on the scaled picture's edge lies outside, on either side).
std::int32_t ScaledSource(std::int32_t position, std::int32_t size, double scale) {
  if (!(scale > 0.0)) return -1;
  const double centre = size / 2.0;
  const double source = (position + 0.5 - centre) / scale + centre;
  if (!(source > 0.0) || !(source < size)) return -1;
  return static_cast<std::int32_t>(source);
}

void CopyPixel(const std::uint8_t* from, std::uint8_t* to) {
  to[0] = from[0];
  to[1] = from[1];
  to[2] = from[2];
}

int Zoom(std::int32_t id, float percent, const PictureView& a, const PictureView& b, const PictureView& result,
         StopCheck& stop) {
  const double t = ClampPercent(percent) / 100.0;
  const std::int32_t w = result.width;
  const std::int32_t h = result.height;
  const std::int32_t cross = DissolveWeight(percent);
  const auto squeezedA = static_cast<std::int32_t>(std::lround(w * (1.0 - t)));
  return ForEachPixel(
      a, b, result, stop,
      [&](std::int32_t x, std::int32_t y, const std::uint8_t* pa, const std::uint8_t* pb, std::uint8_t* out) {
        switch (id) {
          case kZoomInB:
          case kZoomOutA: {
            const double scale = id == kZoomInB ? t : 1.0 - t;
            const PictureView& moving = id == kZoomInB ? b : a;
            const std::int32_t sx = ScaledSource(x, w, scale);
            const std::int32_t sy = ScaledSource(y, h, scale);
            if (sx >= 0 && sy >= 0) {
              CopyPixel(moving.At(sx, sy), out);
            } else {
              CopyPixel(id == kZoomInB ? pa : pb, out);
            }
            break;
          }
          case kStretchHorizontal:
          case kStretchVertical: {
            const std::int32_t s = id == kStretchHorizontal ? ScaledSource(x, w, t) : ScaledSource(y, h, t);
            if (s < 0) {
              CopyPixel(pa, out);
            } else {
              CopyPixel(id == kStretchHorizontal ? b.At(s, y) : b.At(x, s), out);
            }
            break;
          }
          case kSqueeze: {
            if (x < squeezedA) {
              CopyPixel(a.At(static_cast<std::int32_t>((x + 0.5) * w / squeezedA), y), out);
            } else {
              const std::int32_t widthB = w - squeezedA;
              CopyPixel(b.At(static_cast<std::int32_t>((x - squeezedA + 0.5) * w / widthB), y), out);
            }
            break;
          }
          default: {  // cross zoom
            const std::uint8_t* za = a.At(ScaledSource(x, w, 1.0 + 3.0 * t), ScaledSource(y, h, 1.0 + 3.0 * t));
            const std::uint8_t* zb = b.At(ScaledSource(x, w, 4.0 - 3.0 * t), ScaledSource(y, h, 4.0 - 3.0 * t));
            for (int c = 0; c < 3; ++c) out[c] = Mix256(za[c], zb[c], cross);
            break;
          }
        }
      });
}

// The steps of an effect sequence: the transitions that follow its record.
std::vector<const EffectFilter*> SequenceSteps(std::span<const EffectFilter> filters) {
  std::vector<const EffectFilter*> steps;
  for (std::size_t i = 1; i < filters.size(); ++i) {
    if (filters[i].id != kEffectSequence && FindTransition(filters[i].id) != nullptr) steps.push_back(&filters[i]);
  }
  return steps;
}

// An effect sequence of n steps splits the time into n equal stretches.
// Stretch k runs step k from the key picture k to the key picture k + 1,
// where key picture j is the cross dissolve of A and B at j / n: so the
// sequence starts on A, ends on B and moves on from one step to the next.
int Sequence(float percent, const PictureView& a, const PictureView& b, const PictureView& result,
             std::span<const EffectFilter> filters, float effectPercent, StopCheck& stop) {
  const std::vector<const EffectFilter*> steps = SequenceSteps(filters);
  if (steps.empty()) return Dissolve(kCrossDissolve, percent, a, b, result, stop);
  const auto count = static_cast<std::int32_t>(steps.size());
  const double scaled = ClampPercent(percent) * count;
  const std::int32_t step = std::min(count - 1, static_cast<std::int32_t>(scaled / 100.0));
  const auto local = static_cast<float>(scaled - step * 100.0);

  PictureBuffer from(result.width, result.height);
  PictureBuffer to(result.width, result.height);
  const float fromPercent = static_cast<float>(100.0 * step / count);
  const float toPercent = static_cast<float>(100.0 * (step + 1) / count);
  if (Dissolve(kCrossDissolve, fromPercent, a, b, from.view(), stop) != kEffectDone) return kEffectStopped;
  if (Dissolve(kCrossDissolve, toPercent, a, b, to.view(), stop) != kEffectDone) return kEffectStopped;
  const EffectFilter* own = steps[static_cast<std::size_t>(step)];
  return RenderTransitionKernel(own->id, local, from.view(), to.view(), result, own, std::span(own, 1), effectPercent,
                                stop);
}

}  // namespace

int RenderTransitionKernel(std::int32_t id, float percent, const PictureView& a, const PictureView& b,
                           const PictureView& result, const EffectFilter* own, std::span<const EffectFilter> filters,
                           float effectPercent, StopCheck& stop) {
  const EffectDescriptor* effect = FindTransition(id);
  if (effect == nullptr) {
    id = kCrossDissolve;
    effect = FindTransition(id);
    own = nullptr;
  }
  const EffectValues values = ResolveEffectValues(*effect, own, effectPercent);
  if (id == kEffectSequence) return Sequence(percent, a, b, result, filters, effectPercent, stop);
  if (WipeMap::Draws(id)) return MapWipe(id, percent, values, own, a, b, result, stop);
  if (IsMoveTransition(id)) return Move(id, percent, a, b, result, stop);
  if (id >= kZoomInB && id <= kSqueeze) return Zoom(id, percent, a, b, result, stop);
  return Dissolve(id, percent, a, b, result, stop);
}

}  // namespace sprocket
