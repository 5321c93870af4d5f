#pragma once
// Value types of the device context (device_context.h): colours, points,
// half-open rectangles, pens, brushes, fonts, raster operations and text
// alignment, with the conventions of a classic 2-D drawing API.

#include <QImage>
#include <QRect>
#include <QRgb>
#include <cstdint>
#include <memory>
#include <string>

namespace sprocket::dc {

struct Rgb {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
  constexpr bool operator==(const Rgb&) const = default;
  constexpr QRgb ToQRgb() const { return 0xFF000000u | (unsigned(r) << 16) | (unsigned(g) << 8) | b; }
  static constexpr Rgb FromQRgb(QRgb value) {
    return Rgb{std::uint8_t(qRed(value)), std::uint8_t(qGreen(value)), std::uint8_t(qBlue(value))};
  }
};

inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kWhite{255, 255, 255};

struct Point {
  int x = 0;
  int y = 0;
  constexpr bool operator==(const Point&) const = default;
};

// A rectangle holding the pixels left <= x < right, top <= y < bottom.
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  constexpr int Width() const { return right - left; }
  constexpr int Height() const { return bottom - top; }
  constexpr bool IsEmpty() const { return right <= left || bottom <= top; }
  constexpr bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
  Rect Intersected(const Rect& other) const;
  QRect ToQRect() const { return IsEmpty() ? QRect() : QRect(left, top, Width(), Height()); }
  constexpr bool operator==(const Rect&) const = default;
};

enum class PenStyle { kSolid, kDot, kNull };

struct Pen {
  PenStyle style = PenStyle::kSolid;
  Rgb colour = kBlack;
  static constexpr Pen Solid(Rgb colour) { return Pen{PenStyle::kSolid, colour}; }
  static constexpr Pen Dotted(Rgb colour) { return Pen{PenStyle::kDot, colour}; }
  static constexpr Pen Null() { return Pen{PenStyle::kNull, kBlack}; }
};

// A picture owned by the drawing code (32-bit RGB), used for blits and as
// the tile of a pattern brush.
class Bitmap {
public:
  Bitmap() = default;
  explicit Bitmap(QImage image);
  // A bitmap of the size, filled with one colour.
  Bitmap(int width, int height, Rgb fill = kWhite);
  bool IsNull() const { return image_.isNull(); }
  int Width() const { return image_.width(); }
  int Height() const { return image_.height(); }
  const QImage& Image() const { return image_; }
  QImage& Image() { return image_; }
  Rgb Pixel(int x, int y) const { return Rgb::FromQRgb(image_.pixel(x, y)); }
  // An independent copy.
  Bitmap Copy() const { return Bitmap(image_.copy()); }

private:
  QImage image_;
};

// A picture with transparency, drawn over what lies below it.
class Icon {
public:
  Icon() = default;
  explicit Icon(QImage image);
  bool IsNull() const { return image_.isNull(); }
  const QImage& Image() const { return image_; }

private:
  QImage image_;
};

struct Brush {
  enum class Kind { kNull, kSolid, kPattern };
  Kind kind = Kind::kSolid;
  Rgb colour = kWhite;
  std::shared_ptr<const QImage> pattern;  // the tile of a pattern brush

  static Brush Null() { return Brush{Kind::kNull, kWhite, nullptr}; }
  static Brush Solid(Rgb colour) { return Brush{Kind::kSolid, colour, nullptr}; }
  static Brush Pattern(const Bitmap& tile);
  bool IsNull() const { return kind == Kind::kNull || (kind == Kind::kPattern && !pattern); }
};

// A font by cell height in pixels and face name; weight 0 is normal.
struct Font {
  int height = 14;
  std::string face = "Arial";
  int weight = 0;
  bool operator==(const Font&) const = default;
};

// How a pen or a brush combines with the pixels below it.
enum class Rop2 {
  kCopyPen,    // the pen's colour
  kNot,        // the inverse of the pixel below
  kNotXorPen,  // ~(pen ^ below): drawn twice, the picture is back
  kXorPen,     // pen ^ below
};

// Pattern blits: what a rectangle of pixels becomes.
enum class PatOp {
  kPatCopy,    // the selected brush
  kPatInvert,  // brush ^ below
  kDstInvert,  // the inverse of the pixel below
  kWhiteness,
  kBlackness,
};

enum class BkMode { kTransparent, kOpaque };

// Text alignment flags: horizontal (left, centre, right) | vertical (top,
// bottom, baseline) of the reference point.
namespace align {
inline constexpr unsigned kLeft = 0;
inline constexpr unsigned kRight = 2;
inline constexpr unsigned kCenter = 6;
inline constexpr unsigned kTop = 0;
inline constexpr unsigned kBottom = 8;
inline constexpr unsigned kBaseline = 24;
inline constexpr unsigned kHorizontalMask = 6;
inline constexpr unsigned kVerticalMask = 24;
}  // namespace align

}  // namespace sprocket::dc
