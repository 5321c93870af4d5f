#include "platform/qt/dibdraw/dib_drawing.h"

#include <algorithm>

#include "imagelib/drawing/gradient_fill.h"
#include "platform/qt/dibdraw/dib_bitmaps.h"

namespace sprocket {

namespace {

dc::Rgb ToRgb(COLORREF colour) {
  const BgrPixel pixel = ColorRefToBgr(colour);
  return dc::Rgb{pixel.red, pixel.green, pixel.blue};
}

std::optional<dc::PatOp> PatternOperation(DibRop rop) {
  switch (rop) {
    case DibRop::kPatCopy:
      return dc::PatOp::kPatCopy;
    case DibRop::kPatInvert:
      return dc::PatOp::kPatInvert;
    case DibRop::kDstInvert:
      return dc::PatOp::kDstInvert;
    case DibRop::kBlackness:
      return dc::PatOp::kBlackness;
    case DibRop::kWhiteness:
      return dc::PatOp::kWhiteness;
    case DibRop::kSrcCopy:
      break;
  }
  return std::nullopt;
}

}  // namespace

void DrawTransparentBitmap(const dc::Bitmap& source, dc::Bitmap& destination, COLORREF transparent, int x, int y) {
  if (source.IsNull() || destination.IsNull()) return;
  const QRgb key = ToRgb(transparent).ToQRgb();
  const QImage from = source.Image().convertToFormat(QImage::Format_RGB32);
  QImage& to = destination.Image();
  const int left = std::max(0, -x);
  const int right = std::min(from.width(), to.width() - x);
  const int top = std::max(0, -y);
  const int bottom = std::min(from.height(), to.height() - y);
  for (int row = top; row < bottom; ++row) {
    const auto* in = reinterpret_cast<const QRgb*>(from.constScanLine(row));
    for (int column = left; column < right; ++column) {
      if ((in[column] | 0xFF000000u) != key) to.setPixel(x + column, y + row, in[column]);
    }
  }
}

int StretchDibToDc(dc::Context& dc, int x, int y, int width, int height, HGLOBAL dib, const ColorPalette* palette,
                   int sx, int sy, int sw, int sh, DibRop rop, int usage) {
  if (dib == nullptr) {
    const std::optional<dc::PatOp> operation = PatternOperation(rop);
    const dc::Rect target{x, y, x + width, y + height};
    if (!operation || target.IsEmpty()) return 0;
    dc.PatBlt(target, *operation);
    return target.Height();
  }
  if (rop != DibRop::kSrcCopy) return 0;
  const dc::Bitmap bitmap = BitmapFromDibHandle(dib, palette, usage);
  if (bitmap.IsNull()) return 0;
  if (sw == -1 && sh == -1) {
    sx = sy = 0;
    sw = bitmap.Width();
    sh = bitmap.Height();
  }
  if (width < 0) width = sw * -width;
  if (height < 0) height = sh * -height;
  // The source rectangle counts rows from the DIB's bottom; the bitmap's from its top.
  const dc::Rect source = dc::Rect{sx, bitmap.Height() - sy - sh, sx + sw, bitmap.Height() - sy}.Intersected(
      dc::Rect{0, 0, bitmap.Width(), bitmap.Height()});
  const dc::Rect target{x, y, x + width, y + height};
  if (source.IsEmpty() || target.IsEmpty()) return 0;
  dc.StretchBlt(target, bitmap, source);
  return target.Height();
}

void GradientFillBitmap(dc::Bitmap& bitmap, COLORREF first, COLORREF second, int x1, int y1, int x2, int y2,
                        int style) {
  if (bitmap.IsNull()) return;
  dc::Context dc(bitmap.Image());
  const GradientStep clip{GradientShape::kRectangle,
                          std::max(x1, 0),
                          std::max(y1, 0),
                          std::min(x2, bitmap.Width()),
                          std::min(y2, bitmap.Height()),
                          0};
  ForEachGradientSpan(PlanGradientFill(first, second, x1, y1, x2, y2, style), clip,
                      [&dc](std::int32_t y, std::int32_t from, std::int32_t to, COLORREF colour) {
                        dc.FillRect(dc::Rect{from, y, to, y + 1}, dc::Brush::Solid(ToRgb(colour)));
                      });
}

}  // namespace sprocket
