#include "libs/turboeffect/turbo_kernels.h"

#include <array>
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

// out = (a x (256 - w) + b x w + 128) >> 8 through two tables of products.
void Dissolve(float percent, const PictureView& a, const PictureView& b, const PictureView& out) {
  const std::int32_t w = DissolveWeight(percent);
  std::array<std::uint32_t, 256> fromA{};
  std::array<std::uint32_t, 256> fromB{};
  for (std::uint32_t v = 0; v < 256; ++v) {
    fromA[v] = v * static_cast<std::uint32_t>(256 - w);
    fromB[v] = v * static_cast<std::uint32_t>(w) + 128;
  }
  const std::size_t rowBytes = static_cast<std::size_t>(out.width) * 3;
  for (std::int32_t y = 0; y < out.height; ++y) {
    const std::uint8_t* pa = a.Row(y);
    const std::uint8_t* pb = b.Row(y);
    std::uint8_t* po = out.Row(y);
    for (std::size_t i = 0; i < rowBytes; ++i) po[i] = static_cast<std::uint8_t>((fromA[pa[i]] + fromB[pb[i]]) >> 8);
  }
}

// The dips through one table: the fading picture's bytes mixed with the colour.
void Dip(std::int32_t id, float percent, const PictureView& a, const PictureView& b, const PictureView& out) {
  const std::int32_t w = DipWeight(percent);
  const bool firstHalf = ClampPercent(percent) < 50.0f;
  const int colour = id == kDipToWhite ? 255 : 0;
  std::array<std::uint8_t, 256> table{};
  for (int v = 0; v < 256; ++v) {
    table[static_cast<std::size_t>(v)] =
        firstHalf ? static_cast<std::uint8_t>((v * (256 - w) + colour * w + 128) >> 8)
                  : static_cast<std::uint8_t>((colour * (256 - w) + v * w + 128) >> 8);
  }
  const PictureView& from = firstHalf ? a : b;
  const std::size_t rowBytes = static_cast<std::size_t>(out.width) * 3;
  for (std::int32_t y = 0; y < out.height; ++y) {
    const std::uint8_t* p = from.Row(y);
    std::uint8_t* po = out.Row(y);
    for (std::size_t i = 0; i < rowBytes; ++i) po[i] = table[p[i]];
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

// Push, slide and uncover: runs of consecutive source pixels, copied whole.
void Move(std::int32_t id, float percent, const PictureView& a, const PictureView& b, const PictureView& out) {
  const MovePlacement placement = PlaceMove(id, percent, out.width, out.height);
  for (std::int32_t y = 0; y < out.height; ++y) {
    std::int32_t x = 0;
    while (x < out.width) {
      const MoveSample first = SampleMove(placement, x, y, out.width, out.height);
      std::int32_t end = x + 1;
      while (end < out.width) {
        const MoveSample next = SampleMove(placement, end, y, out.width, out.height);
        if (next.fromB != first.fromB || next.y != first.y || next.x != first.x + (end - x)) break;
        ++end;
      }
      CopySpan(first.fromB ? b : a, first.x, first.y, out.At(x, y), end - x);
      x = end;
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
