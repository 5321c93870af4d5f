// The screen-wide and prepared effects: the small moving screen, the page
// peel, film grain, old film, the explosion and the strobe.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <vector>

#include "imagelib/dib_header.h"
#include "libs/effectcatalog/effect_ids.h"
#include "libs/effectcatalog/pattern_hash.h"
#include "libs/effectprepare/effect_prepare.h"
#include "libs/filterrender/filter_kernels.h"
#include "libs/sharedservices/effect_work_block.h"

namespace sprocket {

namespace {

std::uint8_t Clamp255(int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); }

// The seed of the grain effects: effect-data word 1 once prepared, else the
// default seed.
std::uint32_t GrainSeed(const FilterFrame& frame) {
  if (frame.filter != nullptr && (frame.filter->effectData[1] & kPreparedMark) != 0 &&
      frame.filter->effectData[0] != 0) {
    return static_cast<std::uint32_t>(frame.filter->effectData[0]);
  }
  return static_cast<std::uint32_t>(kDefaultGrainSeed);
}

void ClearDestination(const FilterFrame& frame) {
  FillPixels(frame.destination, BgrPixel{});
  if (frame.alpha) FillPixels(frame.alpha, BgrPixel{});
}

}  // namespace

int CopyFilter(const FilterFrame& frame) {
  CopyPixels(frame.source, frame.destination);
  return frame.stop->AfterRows(frame.destination.height) ? kEffectStopped : kEffectDone;
}

// The picture shrunk to a small screen whose centre and size follow the
// path (the work block's nodes) or move from the first value set to the
// second; a border may frame it. Outside the screen the picture is
// transparent.
int ScreenAnimationFilter(const FilterFrame& frame) {
  const PictureView& s = frame.source;
  EffectPathNode node;
  const std::vector<EffectPathNode> nodes = frame.filter != nullptr && frame.filter->workBlock != nullptr
                                                ? ReadWorkNodes(frame.filter->workBlock)
                                                : std::vector<EffectPathNode>{};
  if (!nodes.empty()) {
    node = NodeAt(nodes, static_cast<std::int32_t>(std::lround(ClampPercent(frame.effectPercent) * 100.0)));
  } else {
    node.x = frame.values[1] * 100;
    node.y = frame.values[2] * 100;
    node.keyWidth = node.keyHeight = frame.values[0] * 100;
  }
  const double screenW = static_cast<double>(s.width) * std::clamp(node.keyWidth, 0, 10000) / 10000.0;
  const double screenH = static_cast<double>(s.height) * std::clamp(node.keyHeight, 0, 10000) / 10000.0;
  const double left = static_cast<double>(s.width) * node.x / 10000.0 - screenW / 2.0;
  const double bottom = static_cast<double>(s.height) * node.y / 10000.0 - screenH / 2.0;
  const std::int32_t border = frame.values[3];
  const auto colour = static_cast<std::uint32_t>(frame.values[4]);
  const std::uint8_t borderBgr[3] = {static_cast<std::uint8_t>((colour >> 16) & 0xFF),
                                     static_cast<std::uint8_t>((colour >> 8) & 0xFF),
                                     static_cast<std::uint8_t>(colour & 0xFF)};
  PictureBuffer alphaIn;
  if (frame.alpha) alphaIn = PictureBuffer(frame.alpha);
  for (std::int32_t y = 0; y < s.height; ++y) {
    for (std::int32_t x = 0; x < s.width; ++x) {
      std::uint8_t* d = frame.destination.At(x, y);
      const double u = (x + 0.5 - left) / screenW;
      const double v = (y + 0.5 - bottom) / screenH;
      int weight = 0;
      if (screenW > 0.0 && screenH > 0.0 && u >= 0.0 && u < 1.0 && v >= 0.0 && v < 1.0) {
        const auto sx = static_cast<std::int32_t>(u * s.width);
        const auto sy = static_cast<std::int32_t>(v * s.height);
        std::copy_n(s.At(sx, sy), 3, d);
        weight = frame.alpha ? MaskWeight(alphaIn.view(), sx, sy) : kOpaque;
      } else if (border > 0 && x + 0.5 >= left - border && x + 0.5 < left + screenW + border &&
                 y + 0.5 >= bottom - border && y + 0.5 < bottom + screenH + border) {
        std::copy_n(borderBgr, 3, d);
        weight = kOpaque;
      } else {
        d[0] = d[1] = d[2] = 0;
      }
      if (frame.alpha) SetMaskWeight(frame.alpha, x, y, weight);
    }
    if (frame.stop->AfterRows(1)) return kEffectStopped;
  }
  return kEffectDone;
}

// The picture peels off from a corner like a page: a fold line moves along
// the diagonal; the part before it has lifted (transparent), and its back,
// a paler copy mirrored across the fold, lies over the rest.
int PageEffectFilter(const FilterFrame& frame) {
  const PictureView& s = frame.source;
  const double w = s.width;
  const double h = s.height;
  const int corner = frame.values[1];  // bottom right, bottom left, top right, top left
  const double fromX = corner == 0 || corner == 2 ? w : 0.0;
  const double fromY = corner == 2 || corner == 3 ? h : 0.0;
  const double dirX = fromX > 0.0 ? -1.0 : 1.0;
  const double dirY = fromY > 0.0 ? -1.0 : 1.0;
  const double length = std::hypot(w, h);
  const double ux = dirX * w / length;  // the diagonal's direction into the page
  const double uy = dirY * h / length;
  const double reach = w * std::fabs(ux) + h * std::fabs(uy);
  const double fold = reach * frame.values[0] / 100.0;
  PictureBuffer alphaIn;
  if (frame.alpha) alphaIn = PictureBuffer(frame.alpha);
  for (std::int32_t y = 0; y < s.height; ++y) {
    for (std::int32_t x = 0; x < s.width; ++x) {
      const double px = x + 0.5;
      const double py = y + 0.5;
      const double along = (px - fromX) * ux + (py - fromY) * uy;
      std::uint8_t* d = frame.destination.At(x, y);
      int weight = 0;
      d[0] = d[1] = d[2] = 0;
      if (along >= fold) {
        // The back of the lifted part, mirrored across the fold.
        const double back = 2.0 * (along - fold);
        const double qx = px - back * ux;
        const double qy = py - back * uy;
        if (along < 2.0 * fold && qx >= 0.0 && qx < w && qy >= 0.0 && qy < h) {
          const std::uint8_t* q = s.At(static_cast<std::int32_t>(qx), static_cast<std::int32_t>(qy));
          for (int c = 0; c < 3; ++c) d[c] = static_cast<std::uint8_t>((q[c] + 2 * 230) / 3);
          weight = kOpaque;
        } else {
          std::copy_n(s.At(x, y), 3, d);
          weight = frame.alpha ? MaskWeight(alphaIn.view(), x, y) : kOpaque;
        }
      }
      if (frame.alpha) SetMaskWeight(frame.alpha, x, y, weight);
    }
    if (frame.stop->AfterRows(1)) return kEffectStopped;
  }
  return kEffectDone;
}

int FilmGrainFilter(const FilterFrame& frame) {
  const std::uint32_t seed = GrainSeed(frame);
  const int amount = frame.values[0];
  const bool grey = frame.values[1] == 1;
  const auto frameSeed = static_cast<std::uint32_t>(frame.frameNumber);
  return ForEachPixel(frame, [&](std::int32_t x, std::int32_t y, const std::uint8_t* p, std::uint8_t* d) {
    const std::uint32_t noise =
        PatternHash(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y), seed ^ frameSeed * 0x9E37u);
    for (int c = 0; c < 3; ++c) {
      const int byte = grey ? static_cast<int>(noise & 0xFF) : static_cast<int>((noise >> (8 * c)) & 0xFF);
      d[c] = Clamp255(p[c] + (byte - 128) * amount / 100);
    }
  });
}

// Grain, a sepia tone, a brightness that flickers from frame to frame and
// light vertical scratches that stay for three frames.
int OldFilmFilter(const FilterFrame& frame) {
  const std::uint32_t seed = GrainSeed(frame);
  const auto frameNumber = static_cast<std::uint32_t>(frame.frameNumber);
  const int grain = frame.values[0];
  const int sepia = frame.values[3];
  const double flicker = 1.0 + frame.values[2] / 100.0 * 0.3 * (PatternFraction(frameNumber, 7u, seed) - 0.5);
  const std::int32_t scratches = frame.values[1];
  std::vector<std::int32_t> scratchColumns;
  for (std::int32_t i = 0; i < scratches; ++i) {
    scratchColumns.push_back(
        static_cast<std::int32_t>(PatternHash(frameNumber / 3, static_cast<std::uint32_t>(i) + 100u, seed) %
                                  static_cast<std::uint32_t>(frame.source.width)));
  }
  static constexpr int kSepia[3] = {20, 66, 112};  // blue, green, red at grey 128
  return ForEachPixel(frame, [&](std::int32_t x, std::int32_t y, const std::uint8_t* p, std::uint8_t* d) {
    const int level = Luma(p);
    const bool scratch = std::find(scratchColumns.begin(), scratchColumns.end(), x) != scratchColumns.end();
    const std::uint32_t noise =
        PatternHash(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y), seed ^ frameNumber);
    for (int c = 0; c < 3; ++c) {
      const int toned = level < 128 ? kSepia[c] * level / 128 : kSepia[c] + (255 - kSepia[c]) * (level - 128) / 127;
      int value = p[c] + (toned - p[c]) * sepia / 100;
      value = static_cast<int>(std::lround(value * flicker));
      value += (static_cast<int>(noise & 0xFF) - 128) * grain / 100;
      if (scratch) value += 90;
      d[c] = Clamp255(value);
    }
  });
}

// The picture breaks into tiles that fly away from the centre and shrink.
int ExplosionFilter(const FilterFrame& frame) {
  const PictureView& s = frame.source;
  const std::int32_t across = std::max(2, frame.values[1]);
  const std::int32_t tileW = std::max(1, (s.width + across - 1) / across);
  const std::int32_t tileH = tileW;
  const double amount = frame.values[0] / 100.0;
  const double spread = frame.values[2] / 100.0;
  const double scale = 1.0 - 0.6 * amount;
  PictureBuffer alphaIn;
  if (frame.alpha) alphaIn = PictureBuffer(frame.alpha);
  ClearDestination(frame);
  const double cx = s.width / 2.0;
  const double cy = s.height / 2.0;
  for (std::int32_t top = 0; top < s.height; top += tileH) {
    for (std::int32_t left = 0; left < s.width; left += tileW) {
      const std::int32_t right = std::min(left + tileW, s.width);
      const std::int32_t upper = std::min(top + tileH, s.height);
      const double centreX = (left + right) / 2.0;
      const double centreY = (top + upper) / 2.0;
      const double jitter =
          0.75 + 0.5 * PatternFraction(static_cast<std::uint32_t>(left), static_cast<std::uint32_t>(top), 5u);
      const double movedX = centreX + (centreX - cx) * amount * spread * 2.0 * jitter;
      const double movedY = centreY + (centreY - cy) * amount * spread * 2.0 * jitter;
      const double halfW = (right - left) * scale / 2.0;
      const double halfH = (upper - top) * scale / 2.0;
      const auto x0 = static_cast<std::int32_t>(std::max(0.0, std::floor(movedX - halfW)));
      const auto x1 = static_cast<std::int32_t>(std::min<double>(s.width, std::ceil(movedX + halfW)));
      const auto y0 = static_cast<std::int32_t>(std::max(0.0, std::floor(movedY - halfH)));
      const auto y1 = static_cast<std::int32_t>(std::min<double>(s.height, std::ceil(movedY + halfH)));
      for (std::int32_t y = y0; y < y1; ++y) {
        for (std::int32_t x = x0; x < x1; ++x) {
          const double sx = centreX + (x + 0.5 - movedX) / scale;
          const double sy = centreY + (y + 0.5 - movedY) / scale;
          if (sx < left || sx >= right || sy < top || sy >= upper) continue;
          const auto ix = static_cast<std::int32_t>(sx);
          const auto iy = static_cast<std::int32_t>(sy);
          std::copy_n(s.At(ix, iy), 3, frame.destination.At(x, y));
          if (frame.alpha) SetMaskWeight(frame.alpha, x, y, MaskWeight(alphaIn.view(), ix, iy));
        }
      }
    }
    if (frame.stop->AfterRows(tileH)) return kEffectStopped;
  }
  return kEffectDone;
}

// Holds a picture for a number of frames: the held picture lives in the
// effect's temporary file between frames. Without a work block that names
// the file, every picture passes unchanged.
int FreezeFrameFilter(const FilterFrame& frame) {
  const std::string path =
      frame.filter != nullptr && frame.filter->workBlock != nullptr ? WorkBlockTempPath(frame.filter->workBlock) : "";
  const PictureView& s = frame.source;
  const std::int64_t hold = std::max(1, frame.values[0]);
  const std::size_t rowBytes = static_cast<std::size_t>(s.width) * 3;
  const bool holdingFrame = frame.frameNumber % hold != 0;
  if (!path.empty() && holdingFrame) {
    std::ifstream in(path, std::ios::binary);
    DibInfoHeader header;
    if (in.read(reinterpret_cast<char*>(&header), sizeof header) && header.biWidth == s.width &&
        header.biHeight == s.height && header.biBitCount == 24) {
      bool whole = true;
      for (std::int32_t y = 0; y < s.height && whole; ++y) {
        whole = static_cast<bool>(
            in.read(reinterpret_cast<char*>(frame.destination.Row(y)), static_cast<std::streamsize>(rowBytes)));
      }
      if (whole) return kEffectDone;
    }
  }
  CopyPixels(s, frame.destination);
  if (!path.empty()) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    const DibInfoHeader header = MakeDib24Header(s.width, s.height);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    for (std::int32_t y = 0; y < s.height; ++y)
      out.write(reinterpret_cast<const char*>(s.Row(y)), static_cast<std::streamsize>(rowBytes));
  }
  return kEffectDone;
}

}  // namespace sprocket
