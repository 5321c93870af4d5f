#include "libs/texturemap/texture_tiles.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "libs/effectcatalog/pattern_hash.h"

namespace sprocket {

namespace {

// Noise that repeats every `period` lattice cells, so tiles join seamlessly.
double PeriodicNoise(double x, double y, std::int32_t period) {
  const auto ix = static_cast<std::int32_t>(std::floor(x));
  const auto iy = static_cast<std::int32_t>(std::floor(y));
  const double fx = x - ix;
  const double fy = y - iy;
  auto corner = [&](std::int32_t cx, std::int32_t cy) {
    const auto wx = static_cast<std::uint32_t>(((cx % period) + period) % period);
    const auto wy = static_cast<std::uint32_t>(((cy % period) + period) % period);
    return PatternFraction(wx, wy, 0u);
  };
  const double u = fx * fx * (3 - 2 * fx);
  const double v = fy * fy * (3 - 2 * fy);
  const double bottom = corner(ix, iy) + (corner(ix + 1, iy) - corner(ix, iy)) * u;
  const double top = corner(ix, iy + 1) + (corner(ix + 1, iy + 1) - corner(ix, iy + 1)) * u;
  return bottom + (top - bottom) * v;
}

std::uint8_t Grey(double v) { return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L)); }

double TileLevel(TextureKind kind, std::int32_t x, std::int32_t y, std::int32_t side) {
  const double scale = side / 16.0;
  switch (kind) {
    case TextureKind::kCanvas: {
      // A weave: threads alternate over and under every two pixels of scale.
      const auto thread = static_cast<std::int32_t>(scale * 2.0);
      const bool over = ((x / thread) + (y / thread)) % 2 == 0;
      const double along = over ? std::sin((x % thread + 0.5) / thread * std::numbers::pi)
                                : std::sin((y % thread + 0.5) / thread * std::numbers::pi);
      return 110.0 + 100.0 * along + 20.0 * (PeriodicNoise(x / scale, y / scale, 16) - 0.5);
    }
    case TextureKind::kBricks: {
      const std::int32_t brickHeight = side / 2;
      const std::int32_t row = y / brickHeight;
      const std::int32_t shifted = (x + (row % 2) * side / 2) % side;
      const bool mortar = y % brickHeight < std::max(1, side / 16) || shifted < std::max(1, side / 16);
      return mortar ? 60.0 : 170.0 + 50.0 * (PeriodicNoise(x / scale, y / scale, 16) - 0.5);
    }
    case TextureKind::kNoise: {
      double sum = 0.0;
      double amplitude = 0.5;
      for (std::int32_t octave = 1; octave <= 8; octave *= 2) {
        sum += amplitude * PeriodicNoise(x * octave / (scale * 4.0), y * octave / (scale * 4.0), 4 * octave);
        amplitude *= 0.5;
      }
      return 255.0 * sum / 0.9375;
    }
    case TextureKind::kWoodGrain: {
      const double rings = (x / static_cast<double>(side)) * 6.0 + 0.8 * PeriodicNoise(x / scale, y / scale, 16);
      return 128.0 + 100.0 * std::sin(rings * 2.0 * std::numbers::pi);
    }
    case TextureKind::kPicture:
      break;
  }
  return 128.0;
}

}  // namespace

std::int32_t TextureTileSide(std::int32_t scale) { return 16 * std::clamp(scale, 1, 16); }

PictureBuffer MakeTextureTile(TextureKind kind, std::int32_t scale) {
  if (kind == TextureKind::kPicture || static_cast<std::int32_t>(kind) < 0 ||
      static_cast<std::int32_t>(kind) >= kTextureKinds) {
    return {};
  }
  const std::int32_t side = TextureTileSide(scale);
  PictureBuffer tile(side, side);
  for (std::int32_t y = 0; y < side; ++y) {
    std::uint8_t* p = tile.view().Row(y);
    for (std::int32_t x = 0; x < side; ++x, p += 3) p[0] = p[1] = p[2] = Grey(TileLevel(kind, x, y, side));
  }
  return tile;
}

}  // namespace sprocket
