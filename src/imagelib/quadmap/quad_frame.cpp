#include "imagelib/quadmap/quad_frame.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "imagelib/dib_geometry.h"
#include "imagelib/dib_header.h"
#include "imagelib/quadmap/chunked_memory.h"
#include "imagelib/quadmap/quad_map.h"
#include "imagelib/quadmap/segment_intersect.h"
#include "platform/global_memory.h"

namespace sprocket {

namespace {

std::optional<PictureGeometry> Geometry24(const std::uint8_t* picture) {
  std::optional<PictureGeometry> geometry = ReadPictureGeometry(picture);
  if (!geometry || geometry->bitCount != 24) return std::nullopt;
  return geometry;
}

bool WithinSearchBounds(const QuadCorners& corners) {
  for (int i = 0; i < 4; ++i) {
    if (std::abs(corners.x[i]) > kQuadSearchBound || std::abs(corners.y[i]) > kQuadSearchBound) return false;
  }
  return true;
}

bool AllOnOneLine(const QuadCorners& c) {
  auto cross = [&c](int i, int j) {
    const std::int64_t ax = std::int64_t{c.x[i]} - c.x[0];
    const std::int64_t ay = std::int64_t{c.y[i]} - c.y[0];
    const std::int64_t bx = std::int64_t{c.x[j]} - c.x[0];
    const std::int64_t by = std::int64_t{c.y[j]} - c.y[0];
    return ax * by - ay * bx;
  };
  return cross(1, 2) == 0 && cross(1, 3) == 0 && cross(2, 3) == 0;
}

// Upright rectangle in either winding: every edge is horizontal or vertical.
bool IsUprightRectangle(const QuadCorners& c) {
  const bool startsAcross = c.y[0] == c.y[1] && c.x[1] == c.x[2] && c.y[2] == c.y[3] && c.x[3] == c.x[0];
  const bool startsDown = c.x[0] == c.x[1] && c.y[1] == c.y[2] && c.x[2] == c.x[3] && c.y[3] == c.y[0];
  return startsAcross || startsDown;
}

// A black 24-bit working picture, locked for the owner's lifetime.
class WorkingPicture {
public:
  WorkingPicture(std::int32_t width, std::int32_t height) {
    const DibInfoHeader header = MakeDib24Header(width, height);
    if (header.biSizeImage == 0) return;
    block_ = GlobalBlock::Allocate(kDibHeaderSize + static_cast<std::size_t>(header.biSizeImage));
    data_ = static_cast<std::uint8_t*>(GlobalLock(block_.get()));
    if (data_ != nullptr) WriteDibHeader(data_, header);
  }
  WorkingPicture(const WorkingPicture&) = delete;
  WorkingPicture& operator=(const WorkingPicture&) = delete;
  ~WorkingPicture() {
    if (data_ != nullptr) GlobalUnlock(block_.get());
  }
  std::uint8_t* data() const { return data_; }

private:
  GlobalBlock block_;
  std::uint8_t* data_ = nullptr;
};

}  // namespace

QuadPlacement ClassifyQuad(const QuadCorners& c) {
  if (!WithinSearchBounds(c)) return kQuadPlacementNone;
  QuadPoint crossing;
  const SegmentMeeting diagonals =
      SegmentIntersect(c.x[0], c.y[0], c.x[2], c.y[2], c.x[1], c.y[1], c.x[3], c.y[3], crossing);
  if (diagonals == kSegmentsParallel || AllOnOneLine(c)) return kQuadPlacementNone;
  if (IsUprightRectangle(c)) return kQuadPlacementRectangle;
  return diagonals == kSegmentsMeet ? kQuadPlacementConvex : kQuadPlacementFolded;
}

std::int32_t QuadMapFrame(std::uint8_t* target, const std::uint8_t* first, const std::uint8_t* second,
                          const QuadFrameParams& params) {
  if (!Geometry24(target) || !Geometry24(first) || (second != nullptr && !Geometry24(second))) return -1;
  if (!WithinSearchBounds(params.target)) return -1;
  if (ClassifyQuad(params.target) == kQuadPlacementNone) return 0;

  const QuadCorners& corners = params.target;
  const std::int32_t left = *std::min_element(corners.x, corners.x + 4);
  const std::int32_t bottom = *std::min_element(corners.y, corners.y + 4);
  const std::int32_t width = std::max(*std::max_element(corners.x, corners.x + 4) - left, 1);
  const std::int32_t height = std::max(*std::max_element(corners.y, corners.y + 4) - bottom, 1);
  WorkingPicture working(width, height);
  if (working.data() == nullptr) return -1;

  QuadCorners local = corners;
  for (int i = 0; i < 4; ++i) {
    local.x[i] -= left;
    local.y[i] -= bottom;
  }
  if (second != nullptr) {
    ScanQuadBlend(working.data(), first, second, local, params.mode, params.level);
  } else {
    ScanQuad(working.data(), first, local, params.mode);
  }
  if (std::fabs(params.degrees) > kAngleEpsilon &&
      RotateDib(params.degrees, width / 2.0, height / 2.0, working.data(), kQuadClearFirst | params.mode) != 0) {
    return -1;
  }
  return ShiftCopyDib(working.data(), target, left + params.displacement.x, bottom + params.displacement.y);
}

std::int32_t ShiftCopyDib(const std::uint8_t* source, std::uint8_t* destination, std::int32_t dx, std::int32_t dy) {
  const std::optional<PictureGeometry> from = Geometry24(source);
  const std::optional<PictureGeometry> to = Geometry24(destination);
  if (!from || !to) return -1;
  const std::int64_t xFirst = std::max<std::int64_t>(0, -static_cast<std::int64_t>(dx));
  const std::int64_t xEnd = std::min<std::int64_t>(from->width, static_cast<std::int64_t>(to->width) - dx);
  const std::int64_t yFirst = std::max<std::int64_t>(0, -static_cast<std::int64_t>(dy));
  const std::int64_t yEnd = std::min<std::int64_t>(from->height, static_cast<std::int64_t>(to->height) - dy);
  if (xFirst >= xEnd) return 0;
  for (std::int64_t y = yFirst; y < yEnd; ++y) {
    const std::uint8_t* row = from->Row(static_cast<std::int32_t>(y)) + xFirst * 3;
    std::uint8_t* out = to->Row(static_cast<std::int32_t>(y + dy)) + (xFirst + dx) * 3;
    HugeCopy64K(out, row, (xEnd - xFirst) * 3);
  }
  return 0;
}

}  // namespace sprocket
