// Filters that make an alpha mask: the picture stays as it is (or gets a
// relief or a shadow) and its alpha says where the tracks below show.

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "libs/effectcatalog/effect_ids.h"
#include "libs/filterrender/filter_kernels.h"
#include "libs/texturemap/texture_map.h"

namespace sprocket {

namespace {

// A ramp of width `soft` (0 = a hard step): 0 at distance 0, 128 at `soft`.
int Ramp(int distance, int soft) {
  if (distance <= 0) return 0;
  if (soft <= 0 || distance >= soft) return kOpaque;
  return distance * kOpaque / soft;
}

int CopyAndKey(const FilterFrame& frame, auto&& weight) {
  CopyPixels(frame.source, frame.destination);
  ScaleAlpha(frame, weight);
  return frame.stop->AfterRows(frame.destination.height) ? kEffectStopped : kEffectDone;
}

}  // namespace

int ColourKeyFilter(const FilterFrame& frame) {
  const auto key = static_cast<std::uint32_t>(frame.values[0]);
  const int keyBgr[3] = {static_cast<int>((key >> 16) & 0xFF), static_cast<int>((key >> 8) & 0xFF),
                         static_cast<int>(key & 0xFF)};
  const int tolerance = frame.values[1];
  const int soft = frame.values[2];
  return CopyAndKey(frame, [&](std::int32_t x, std::int32_t y) {
    const std::uint8_t* p = frame.source.At(x, y);
    int distance = 0;
    for (int c = 0; c < 3; ++c) distance = std::max(distance, std::abs(p[c] - keyBgr[c]));
    return distance <= tolerance ? 0 : Ramp(distance - tolerance, soft);
  });
}

int LumaKeyFilter(const FilterFrame& frame) {
  const int low = std::min(frame.values[0], frame.values[1]);
  const int high = std::max(frame.values[0], frame.values[1]);
  const int soft = frame.values[2];
  return CopyAndKey(frame, [&](std::int32_t x, std::int32_t y) {
    const int level = Luma(frame.source.At(x, y));
    const int outside = level < low ? low - level : level > high ? level - high : 0;
    return Ramp(outside, soft);
  });
}

int GradientFilter(const FilterFrame& frame) {
  const double w = frame.source.width;
  const double h = frame.source.height;
  const double rMax = std::hypot(w / 2.0, h / 2.0);
  const int direction = frame.values[0];
  const double start = frame.values[1];
  const double end = frame.values[2];
  return CopyAndKey(frame, [&](std::int32_t x, std::int32_t y) {
    const double X = x + 0.5;
    const double Y = y + 0.5;
    double along = 0.0;
    switch (direction) {
      case 1:
        along = (w - X) / w;
        break;
      case 2:
        along = Y / h;
        break;
      case 3:
        along = (h - Y) / h;
        break;
      case 4:
        along = std::hypot(X - w / 2.0, Y - h / 2.0) / rMax;
        break;
      default:
        along = X / w;
        break;
    }
    const double opacity = start + (end - start) * along;
    return static_cast<int>(std::lround(std::clamp(opacity, 0.0, 100.0) * kOpaque / 100.0));
  });
}

int ShapeMaskFilter(const FilterFrame& frame) {
  const double w = frame.source.width;
  const double h = frame.source.height;
  const double size = frame.values[1] / 100.0;
  const double soft = frame.values[2] / 100.0;
  const int shape = frame.values[0];
  const bool keepOutside = frame.values[3] == 1;
  return CopyAndKey(frame, [&](std::int32_t x, std::int32_t y) {
    int inside = 0;
    if (size > 0.0) {
      const double dx = std::fabs(x + 0.5 - w / 2.0) / (size * w / 2.0);
      const double dy = std::fabs(y + 0.5 - h / 2.0) / (size * h / 2.0);
      const double d = shape == 1 ? std::max(dx, dy) : shape == 2 ? dx + dy : std::hypot(dx, dy);
      if (d < 1.0) {
        inside = soft <= 0.0 || d <= 1.0 - soft ? kOpaque : static_cast<int>((1.0 - d) / soft * kOpaque);
      }
    }
    return keepOutside ? kOpaque - inside : inside;
  });
}

int ImageMatteFilter(const FilterFrame& frame) {
  std::vector<std::uint8_t> matte;
  if (frame.filter != nullptr && !frame.filter->pictures.empty()) {
    matte = ReadGreyLevels(frame.filter->pictures.front(), frame.source.width, frame.source.height);
  }
  const bool keepBlack = frame.values[0] == 1;
  return CopyAndKey(frame, [&](std::int32_t x, std::int32_t y) {
    if (matte.empty()) return kOpaque;  // no matte: the picture stays opaque
    int level =
        matte[static_cast<std::size_t>(y) * static_cast<std::size_t>(frame.source.width) + static_cast<std::size_t>(x)];
    if (keepBlack) level = 255 - level;
    return (level * kOpaque + 127) / 255;
  });
}

int DropShadowFilter(const FilterFrame& frame) {
  const PictureView& s = frame.source;
  const PictureView& d = frame.destination;
  PictureBuffer alphaIn;
  if (frame.alpha) alphaIn = PictureBuffer(frame.alpha);
  auto alphaAt = [&](std::int32_t x, std::int32_t y) {
    if (x < 0 || y < 0 || x >= s.width || y >= s.height) return 0;
    return frame.alpha ? MaskWeight(alphaIn.view(), x, y) : kOpaque;
  };
  const auto colour = static_cast<std::uint32_t>(frame.values[3]);
  const int shadowBgr[3] = {static_cast<int>((colour >> 16) & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                            static_cast<int>(colour & 0xFF)};
  const int opacity = frame.values[2];
  for (std::int32_t y = 0; y < d.height; ++y) {
    for (std::int32_t x = 0; x < d.width; ++x) {
      const int own = alphaAt(x, y);
      const int shadow = alphaAt(x - frame.values[0], y - frame.values[1]) * opacity / 100;
      // The picture over its shadow: both weights in 128ths.
      const int shadowPart = shadow * (kOpaque - own);  // 128ths squared
      const int total = own * kOpaque + shadowPart;
      const std::uint8_t* p = s.At(x, y);
      std::uint8_t* out = d.At(x, y);
      for (int c = 0; c < 3; ++c) {
        out[c] = total == 0 ? 0 : static_cast<std::uint8_t>((p[c] * own * kOpaque + shadowBgr[c] * shadowPart) / total);
      }
      if (frame.alpha) SetMaskWeight(frame.alpha, x, y, (total + kOpaque / 2) / kOpaque);
    }
    if (frame.stop->AfterRows(1)) return kEffectStopped;
  }
  return kEffectDone;
}

int TextureMapFilter(const FilterFrame& frame) {
  const PictureView& s = frame.source;
  // The texture: the filter's texture map (its prepared tile, or a tile made
  // now from its kind and scale), else the values' kind and scale; a picture
  // texture is the filter's own picture (canvas when it has none).
  auto kind = static_cast<TextureKind>(frame.values[0]);
  std::int32_t scale = frame.values[3];
  PictureBuffer tile;
  if (frame.filter != nullptr && frame.filter->textureMap != nullptr) {
    if (const std::optional<TextureMapInfo> info = ReadTextureMap(frame.filter->textureMap)) {
      kind = info->kind;
      scale = info->scale;
      tile = PreparedTextureTile(frame.filter->textureMap);
    }
  }
  std::vector<std::uint8_t> picture;
  if (!tile.view() && kind == TextureKind::kPicture && frame.filter != nullptr && !frame.filter->pictures.empty()) {
    picture = ReadGreyLevels(frame.filter->pictures.front(), s.width, s.height);
  }
  if (!tile.view() && picture.empty()) {
    tile = MakeTextureTile(kind == TextureKind::kPicture ? TextureKind::kCanvas : kind, scale);
  }
  const std::vector<std::uint8_t> tileLevels = tile.view() ? LumaOf(tile.view()) : std::vector<std::uint8_t>{};
  auto textureAt = [&](std::int32_t x, std::int32_t y) -> int {
    if (!picture.empty())
      return picture[static_cast<std::size_t>(y) * static_cast<std::size_t>(s.width) + static_cast<std::size_t>(x)];
    const std::int32_t side = tile.view().width;
    const std::int32_t rows = tile.view().height;
    return tileLevels[static_cast<std::size_t>(y % rows) * static_cast<std::size_t>(side) +
                      static_cast<std::size_t>(x % side)];
  };
  const int relief = frame.values[1];
  const int seeThrough = frame.values[2];
  const int result = ForEachPixel(frame, [&](std::int32_t x, std::int32_t y, const std::uint8_t* p, std::uint8_t* d) {
    const int factor = 256 + (textureAt(x, y) - 128) * relief * 2 / 100;  // 0..510
    for (int c = 0; c < 3; ++c) d[c] = static_cast<std::uint8_t>(std::min(255, p[c] * factor >> 8));
  });
  if (result != kEffectDone) return result;
  ScaleAlpha(frame, [&](std::int32_t x, std::int32_t y) {
    return kOpaque - (255 - textureAt(x, y)) * seeThrough * kOpaque / (255 * 100);
  });
  return kEffectDone;
}

}  // namespace sprocket
