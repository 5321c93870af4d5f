#include "libs/turboeffect/turbo_kernels.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "libs/effectcatalog/effect_ids.h"
#include "libs/filterrender/channel_tables.h"
#include "libs/transitionrender/transition_geometry.h"
#include "libs/transitionrender/wipe_map.h"

namespace sprocket {

namespace {

using namespace effect_id;

void CopySpan(const PictureView& from, std::int32_t fromX, std::int32_t fromY, std::uint8_t* to, std::int32_t count) {
  std::memcpy(to, from.At(fromX, fromY), static_cast<std::size_t>(count) * 3);
}

// out = (a x (256 - w) + b x w + 128) >> 8 over whole rows of bytes; the sum
// never passes 255 x 256 + 128, so it fits 16-bit lanes.
void Dissolve(float percent, const PictureView& a, const PictureView& b, const PictureView& out) {
  const auto w = static_cast<std::uint16_t>(DissolveWeight(percent));
  const auto keep = static_cast<std::uint16_t>(256 - w);
  const std::size_t rowBytes = static_cast<std::size_t>(out.width) * 3;
  for (std::int32_t y = 0; y < out.height; ++y) {
    const std::uint8_t* pa = a.Row(y);
    const std::uint8_t* pb = b.Row(y);
    std::uint8_t* po = out.Row(y);
    for (std::size_t i = 0; i < rowBytes; ++i) {
      po[i] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(pa[i] * keep + pb[i] * w + 128) >> 8);
    }
  }
}

// The dips: the fading picture's bytes mixed with black or white.
void Dip(std::int32_t id, float percent, const PictureView& a, const PictureView& b, const PictureView& out) {
  const auto w = static_cast<std::uint16_t>(DipWeight(percent));
  const bool firstHalf = ClampPercent(percent) < 50.0f;
  const std::uint16_t colour = id == kDipToWhite ? 255 : 0;
  // Weights of the picture and of the colour.
  const auto own = static_cast<std::uint16_t>(firstHalf ? 256 - w : w);
  const auto added = static_cast<std::uint16_t>(colour * (256 - own) + 128);
  const PictureView& from = firstHalf ? a : b;
  const std::size_t rowBytes = static_cast<std::size_t>(out.width) * 3;
  for (std::int32_t y = 0; y < out.height; ++y) {
    const std::uint8_t* p = from.Row(y);
    std::uint8_t* po = out.Row(y);
    for (std::size_t i = 0; i < rowBytes; ++i) {
      po[i] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(p[i] * own + added) >> 8);
    }
  }
}

// A hard-edged wipe: each row is a few runs of A and B, copied whole.
void HardWipe(std::int32_t id, float percent, const EffectValues& values, const PictureView& a, const PictureView& b,
              const PictureView& out) {
  const WipeMap map(id, values, nullptr, a, b, out.width, out.height);
  const WipeThreshold threshold = WipeThreshold::At(percent, 0);
  std::vector<std::uint16_t> levels(static_cast<std::size_t>(out.width));
  for (std::int32_t y = 0; y < out.height; ++y) {
    map.Row(y, levels.data());
    std::int32_t x = 0;
    while (x < out.width) {
      const bool showsB = levels[static_cast<std::size_t>(x)] < threshold.level;
      std::int32_t end = x + 1;
      while (end < out.width && (levels[static_cast<std::size_t>(end)] < threshold.level) == showsB) ++end;
      CopySpan(showsB ? b : a, x, y, out.At(x, y), end - x);
      x = end;
    }
  }
}

// Push, slide and uncover: along a row a picture's pixels come from
// consecutive source pixels between the places where a picture edge or a
// repeat of B passes (the offset plus whole widths), so each stretch
// between them is one copy.
void Move(std::int32_t id, float percent, const PictureView& a, const PictureView& b, const PictureView& out) {
  const MovePlacement placement = PlaceMove(id, percent, out.width, out.height);
  std::vector<std::int32_t> edges{0, out.width};
  for (std::int32_t k = -2; k <= 2; ++k) {
    const std::int64_t edge = placement.offsetX + static_cast<std::int64_t>(k) * out.width;
    if (edge > 0 && edge < out.width) edges.push_back(static_cast<std::int32_t>(edge));
  }
  std::sort(edges.begin(), edges.end());
  edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
  for (std::int32_t y = 0; y < out.height; ++y) {
    for (std::size_t i = 0; i + 1 < edges.size(); ++i) {
      const MoveSample first = SampleMove(placement, edges[i], y, out.width, out.height);
      CopySpan(first.fromB ? b : a, first.x, first.y, out.At(edges[i], y), edges[i + 1] - edges[i]);
    }
  }
}

}  // namespace

bool TurboTakesTransition(std::int32_t id, const EffectValues& values) {
  const EffectDescriptor* effect = FindTransition(id);
  if (effect == nullptr || !effect->Has(kEffectFastPath)) return false;
  if (WipeMap::Draws(id)) return values[2] == 0;
  return id == kCrossDissolve || id == kDipToBlack || id == kDipToWhite || IsMoveTransition(id);
}

void TurboTransition(std::int32_t id, float percent, const EffectValues& values, const PictureView& a,
                     const PictureView& b, const PictureView& output) {
  if (id == kCrossDissolve) return Dissolve(percent, a, b, output);
  if (id == kDipToBlack || id == kDipToWhite) return Dip(id, percent, a, b, output);
  if (WipeMap::Draws(id)) return HardWipe(id, percent, values, a, b, output);
  Move(id, percent, a, b, output);
}

void TurboColourTables(std::span<const EffectFilter> filters, float effectPercent, const PictureView& source,
                       const PictureView& output) {
  ChannelTables combined = IdentityTables();
  for (const EffectFilter& filter : filters) {
    ChannelTables own;
    const EffectDescriptor* effect = FindFilter(filter.id);
    if (effect == nullptr || !MakeChannelTables(filter.id, ResolveEffectValues(*effect, &filter, effectPercent), own)) {
      continue;
    }
    for (std::size_t c = 0; c < 3; ++c) {
      for (std::size_t v = 0; v < 256; ++v) combined[c][v] = own[c][combined[c][v]];
    }
  }
  for (std::int32_t y = 0; y < output.height; ++y) {
    const std::uint8_t* p = source.Row(y);
    std::uint8_t* po = output.Row(y);
    for (std::int32_t x = 0; x < output.width; ++x, p += 3, po += 3) {
      po[0] = combined[0][p[0]];
      po[1] = combined[1][p[1]];
      po[2] = combined[2][p[2]];
    }
  }
}

}  // namespace sprocket
