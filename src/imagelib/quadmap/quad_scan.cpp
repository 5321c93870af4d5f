#include "imagelib/quadmap/quad_scan.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace sprocket {

namespace {

// One row of the quadrilateral clipped to the destination: pixels
// xFirst..xLast of row y, with the source position at the first pixel's
// centre and its change per pixel.
struct RowSpan {
  std::int32_t y = 0;
  std::int32_t xFirst = 0;
  std::int32_t xLast = 0;
  float u = 0;
  float v = 0;
  float uStep = 0;
  float vStep = 0;
};

// First pixel index whose centre is at or past `edge`.
std::int32_t FirstCentreFrom(float edge) { return static_cast<std::int32_t>(std::ceil(edge - 0.5F)); }

// Destination points and source positions of one chain edge, one per row
// from the row centre `firstCentre` on.
void StepChainEdge(const QuadVertex& from, const QuadVertex& to, float firstCentre, std::int32_t rows,
                   std::vector<EdgePoint>& positions, std::vector<EdgePoint>& sources) {
  const float height = to.y - from.y;
  const float xStep = (to.x - from.x) / height;
  const float uStep = (to.u - from.u) / height;
  const float vStep = (to.v - from.v) / height;
  const float offset = firstCentre - from.y;
  positions.resize(static_cast<std::size_t>(rows));
  sources.resize(static_cast<std::size_t>(rows));
  StepEdge(positions.data(), from.x + offset * xStep, firstCentre, xStep, 1.0F, rows);
  StepEdge(sources.data(), from.u + offset * uStep, from.v + offset * vStep, uStep, vStep, rows);
}

// Calls onSpan for every clipped row of the quadrilateral; returns the count.
template <typename SpanFunction>
std::int32_t ScanSpans(std::int32_t width, std::int32_t height, const std::array<QuadVertex, 4>& corners,
                       SpanFunction&& onSpan) {
  QuadChain first;
  QuadChain second;
  SplitQuadChains(corners, first, second);
  std::vector<EdgePoint> firstEdge, firstSource, secondEdge, secondSource;
  std::int32_t rows = 0;
  for (std::size_t band = 0; band + 1 < first.size(); ++band) {
    const float top = first[band].y;
    const float bottom = first[band + 1].y;
    if (!(bottom > top)) continue;
    const std::int32_t firstRow = std::max(FirstCentreFrom(top), 0);
    const std::int32_t lastRow = std::min(FirstCentreFrom(bottom) - 1, height - 1);
    if (firstRow > lastRow) continue;
    const std::int32_t count = lastRow - firstRow + 1;
    const float firstCentre = static_cast<float>(firstRow) + 0.5F;
    StepChainEdge(first[band], first[band + 1], firstCentre, count, firstEdge, firstSource);
    StepChainEdge(second[band], second[band + 1], firstCentre, count, secondEdge, secondSource);
    for (std::int32_t i = 0; i < count; ++i) {
      const auto at = static_cast<std::size_t>(i);
      const bool firstIsLeft = firstEdge[at].x <= secondEdge[at].x;
      const EdgePoint& left = firstIsLeft ? firstEdge[at] : secondEdge[at];
      const EdgePoint& right = firstIsLeft ? secondEdge[at] : firstEdge[at];
      const EdgePoint& leftSource = firstIsLeft ? firstSource[at] : secondSource[at];
      const EdgePoint& rightSource = firstIsLeft ? secondSource[at] : firstSource[at];
      RowSpan span;
      span.y = firstRow + i;
      span.xFirst = std::max(FirstCentreFrom(left.x), 0);
      span.xLast = std::min(FirstCentreFrom(right.x) - 1, width - 1);
      if (span.xFirst > span.xLast) continue;
      const float length = right.x - left.x;
      span.uStep = (rightSource.x - leftSource.x) / length;
      span.vStep = (rightSource.y - leftSource.y) / length;
      const float offset = static_cast<float>(span.xFirst) + 0.5F - left.x;
      span.u = leftSource.x + offset * span.uStep;
      span.v = leftSource.y + offset * span.vStep;
      onSpan(span);
      ++rows;
    }
  }
  return rows;
}

std::array<QuadVertex, 4> Vertices(const QuadCorners& corners, const QuadCorners& sourceCorners) {
  std::array<QuadVertex, 4> vertices;
  for (std::size_t i = 0; i < vertices.size(); ++i) {
    vertices[i] = QuadVertex{static_cast<float>(corners.x[i]), static_cast<float>(corners.y[i]),
                             static_cast<float>(sourceCorners.x[i]), static_cast<float>(sourceCorners.y[i])};
  }
  return vertices;
}

std::int32_t ClampIndex(float position, std::int32_t size) {
  const float index = std::floor(position);
  if (!(index > 0)) return 0;
  return index >= static_cast<float>(size - 1) ? size - 1 : static_cast<std::int32_t>(index);
}

// Samples a source picture of 1 or 3 bytes a pixel at a position in pixels.
class SourceSampler {
public:
  SourceSampler(const PictureGeometry& source, QuadSampling mode)
      : source_(source), bytes_(source.bitCount / 8), mode_(mode) {}

  void Sample(float u, float v, std::uint8_t* out) const {
    const std::int32_t x = ClampIndex(u, source_.width);
    if (mode_ == kQuadBlendRows) {
      const float row = v - 0.5F;
      const float lower = std::floor(row);
      if (lower >= 0 && lower + 1 < static_cast<float>(source_.height)) {
        const auto y = static_cast<std::int32_t>(lower);
        const auto weight = static_cast<std::int32_t>((row - lower) * 256.0F);
        const std::uint8_t* a = source_.Row(y) + x * bytes_;
        const std::uint8_t* b = a + source_.stride;
        for (std::int32_t i = 0; i < bytes_; ++i) {
          out[i] = static_cast<std::uint8_t>((a[i] * (256 - weight) + b[i] * weight + 128) >> 8);
        }
        return;
      }
    }
    const std::uint8_t* pixel = source_.Row(ClampIndex(v, source_.height)) + x * bytes_;
    std::copy(pixel, pixel + bytes_, out);
  }

private:
  const PictureGeometry& source_;
  std::int32_t bytes_;
  QuadSampling mode_;
};

bool UsableDepth(const PictureGeometry& picture) { return picture.bitCount == 8 || picture.bitCount == 24; }

}  // namespace

std::int32_t ScanQuadPixels(const PictureGeometry& destination, const PictureGeometry& source,
                            const QuadCorners& corners, const QuadCorners& sourceCorners, QuadSampling mode) {
  if (!UsableDepth(destination) || destination.bitCount != source.bitCount) return 0;
  const std::int32_t bytes = destination.bitCount / 8;
  const SourceSampler sampler(source, mode);
  return ScanSpans(destination.width, destination.height, Vertices(corners, sourceCorners), [&](const RowSpan& span) {
    std::uint8_t* out = destination.Row(span.y) + span.xFirst * bytes;
    for (std::int32_t x = span.xFirst; x <= span.xLast; ++x, out += bytes) {
      const auto step = static_cast<float>(x - span.xFirst);
      sampler.Sample(span.u + step * span.uStep, span.v + step * span.vStep, out);
    }
  });
}

std::int32_t ScanQuad(std::uint8_t* destination, const std::uint8_t* source, const QuadCorners& corners,
                      QuadSampling mode) {
  const std::optional<PictureGeometry> to = ReadPictureGeometry(destination);
  const std::optional<PictureGeometry> from = ReadPictureGeometry(source);
  if (!to || !from || to->pixels == from->pixels) return 0;
  return ScanQuadPixels(*to, *from, corners, RectangleCorners(from->width, from->height), mode);
}

std::int32_t ScanQuadBlend(std::uint8_t* destination, const std::uint8_t* first, const std::uint8_t* second,
                           const QuadCorners& corners, QuadSampling mode, std::int32_t level) {
  const std::optional<PictureGeometry> to = ReadPictureGeometry(destination);
  const std::optional<PictureGeometry> fromFirst = ReadPictureGeometry(first);
  const std::optional<PictureGeometry> fromSecond = ReadPictureGeometry(second);
  if (!to || !fromFirst || !fromSecond) return 0;
  if (to->bitCount != 24 || fromFirst->bitCount != 24 || fromSecond->bitCount != 24) return 0;
  if (to->pixels == fromFirst->pixels || to->pixels == fromSecond->pixels) return 0;
  const std::int32_t mix = std::clamp(level, 0, 256);
  const SourceSampler sampleFirst(*fromFirst, mode);
  const SourceSampler sampleSecond(*fromSecond, mode);
  // Source positions run 0..1 across each source, scaled per picture.
  const QuadCorners unit = RectangleCorners(1, 1);
  const auto scaleFirst = [&](float u, float v) {
    return std::pair{u * static_cast<float>(fromFirst->width), v * static_cast<float>(fromFirst->height)};
  };
  const auto scaleSecond = [&](float u, float v) {
    return std::pair{u * static_cast<float>(fromSecond->width), v * static_cast<float>(fromSecond->height)};
  };
  return ScanSpans(to->width, to->height, Vertices(corners, unit), [&](const RowSpan& span) {
    std::uint8_t* out = to->Row(span.y) + span.xFirst * 3;
    for (std::int32_t x = span.xFirst; x <= span.xLast; ++x, out += 3) {
      const float u = span.u + static_cast<float>(x - span.xFirst) * span.uStep;
      const float v = span.v + static_cast<float>(x - span.xFirst) * span.vStep;
      std::uint8_t a[3];
      std::uint8_t b[3];
      const auto [u1, v1] = scaleFirst(u, v);
      const auto [u2, v2] = scaleSecond(u, v);
      sampleFirst.Sample(u1, v1, a);
      sampleSecond.Sample(u2, v2, b);
      for (int i = 0; i < 3; ++i) out[i] = static_cast<std::uint8_t>((a[i] * (256 - mix) + b[i] * mix + 128) >> 8);
    }
  });
}

}  // namespace sprocket
