#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "platform/qt/back_buffer.h"
#include "platform/qt/device_context.h"

namespace sprocket::dc {
namespace {

// A picture with a different colour in every pixel, so that any change shows.
QImage Noise(int width = 64, int height = 48) {
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image.setPixel(x, y, qRgb((x * 37) & 255, (y * 53) & 255, (x * y) & 255));
  return image;
}

QImage White(int width = 40, int height = 30) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(Qt::white);
  return image;
}

int CountColour(const QImage& image, const Rect& area, Rgb colour) {
  int count = 0;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x)
      if (Rgb::FromQRgb(image.pixel(x, y)) == colour) ++count;
  return count;
}

TEST(DeviceContext, InvertingDrawingsUndoThemselves) {
  struct Case {
    const char* name;
    std::function<void(Context&)> draw;
  };
  const std::vector<Case> cases = {
      {"not-xor line",
       [](Context& dc) {
         dc.SelectPen(Pen::Solid({255, 0, 0}));
         dc.SetRop2(Rop2::kNotXorPen);
         dc.MoveTo(10, 2);
         dc.LineTo(10, 40);
       }},
      {"xor diagonal",
       [](Context& dc) {
         dc.SelectPen(Pen::Solid({0, 90, 200}));
         dc.SetRop2(Rop2::kXorPen);
         dc.MoveTo(50, 3);
         dc.LineTo(4, 44);
       }},
      {"not dotted rectangle",
       [](Context& dc) {
         dc.SelectPen(Pen::Dotted(kBlack));
         dc.SetRop2(Rop2::kNot);
         dc.SelectBrush(Brush::Null());
         dc.Rectangle(3, 4, 40, 30);
       }},
      {"not-xor filled rectangle",
       [](Context& dc) {
         dc.SetRop2(Rop2::kNotXorPen);
         dc.SelectBrush(Brush::Solid({10, 200, 30}));
         dc.Rectangle(5, 5, 33, 21);
       }},
      {"dst invert",
       [](Context& dc) {
         dc.PatBlt(Rect{7, 8, 60, 30}, PatOp::kDstInvert);
       }},
      {"pattern invert",
       [](Context& dc) {
         Bitmap tile(3, 2, {1, 2, 3});
         tile.Image().setPixel(1, 1, qRgb(200, 0, 9));
         dc.SelectBrush(Brush::Pattern(tile));
         dc.SetBrushOrg({5, 1});
         dc.PatBlt(Rect{0, 0, 30, 30}, PatOp::kPatInvert);
       }},
  };
  for (const Case& c : cases) {
    QImage image = Noise();
    const QImage before = image.copy();
    {
      Context dc(image);
      c.draw(dc);
    }
    EXPECT_NE(image, before) << c.name << " drew nothing";
    {
      Context dc(image);
      c.draw(dc);
    }
    EXPECT_EQ(image, before) << c.name;
  }
}

TEST(DeviceContext, LinesLeaveOutTheirEndPoint) {
  struct Case {
    Point from, to;
    int pixels;
  };
  const std::array<Case, 5> cases = {{{{2, 5}, {12, 5}, 10},
                                      {{12, 7}, {2, 7}, 10},
                                      {{4, 1}, {4, 20}, 19},
                                      {{4, 20}, {4, 1}, 19},
                                      {{1, 1}, {11, 11}, 10}}};
  for (const Case& c : cases) {
    QImage image = White();
    {
      Context dc(image);
      dc.MoveTo(c.from.x, c.from.y);
      dc.LineTo(c.to.x, c.to.y);
      EXPECT_EQ(dc.CurrentPosition(), c.to);
    }
    EXPECT_EQ(CountColour(image, Rect{0, 0, 40, 30}, kBlack), c.pixels);
    EXPECT_EQ(Rgb::FromQRgb(image.pixel(c.from.x, c.from.y)), kBlack);
    EXPECT_EQ(Rgb::FromQRgb(image.pixel(c.to.x, c.to.y)), kWhite);
  }
}

TEST(DeviceContext, FarLinesAreClippedNotWrapped) {
  QImage image = White();
  {
    Context dc(image);
    dc.MoveTo(-5000, 3);
    dc.LineTo(5000, 3);
    dc.MoveTo(6, -70000);
    dc.LineTo(6, 70000);
  }
  EXPECT_EQ(CountColour(image, Rect{0, 3, 40, 4}, kBlack), 40);
  EXPECT_EQ(CountColour(image, Rect{6, 0, 7, 30}, kBlack), 30);
}

TEST(DeviceContext, RectangleOutlinesAndFillsLikeTheClassicApi) {
  const Rgb green{0, 200, 0};
  QImage image = White();
  {
    Context dc(image);
    dc.SelectBrush(Brush::Solid(green));
    dc.Rectangle(2, 3, 12, 9);
  }
  EXPECT_EQ(CountColour(image, Rect{0, 0, 40, 30}, kBlack), 2 * 10 + 2 * 4);
  EXPECT_EQ(CountColour(image, Rect{3, 4, 11, 8}, green), 8 * 4);
  EXPECT_EQ(Rgb::FromQRgb(image.pixel(11, 8)), kBlack);
  EXPECT_EQ(Rgb::FromQRgb(image.pixel(12, 9)), kWhite);

  QImage nullPen = White();
  {
    Context dc(nullPen);
    dc.SelectPen(Pen::Null());
    dc.SelectBrush(Brush::Solid(green));
    dc.Rectangle(2, 3, 12, 9);
  }
  EXPECT_EQ(CountColour(nullPen, Rect{0, 0, 40, 30}, green), 9 * 5);
  EXPECT_EQ(Rgb::FromQRgb(nullPen.pixel(2, 3)), green);
  EXPECT_EQ(Rgb::FromQRgb(nullPen.pixel(11, 3)), kWhite);
}

TEST(DeviceContext, PatternBrushRepeatsFromItsOrigin) {
  Bitmap tile(4, 3, kWhite);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) tile.Image().setPixel(x, y, qRgb(x * 60, y * 80, 7));
  QImage image = White(50, 40);
  {
    Context dc(image);
    dc.SetRop2(Rop2::kNotXorPen);  // ignored by FillRect
    dc.SetBrushOrg({13, 7});
    dc.FillRect(Rect{5, 5, 45, 35}, Brush::Pattern(tile));
  }
  for (int y = 5; y < 35; y += 3)
    for (int x = 5; x < 45; x += 5)
      EXPECT_EQ(Rgb::FromQRgb(image.pixel(x, y)), tile.Pixel(((x - 13) % 4 + 4) % 4, ((y - 7) % 3 + 3) % 3))
          << x << "," << y;
}

TEST(DeviceContext, BlitsCopyOnlyWhatTheSourceCovers) {
  Bitmap source(5, 4, {9, 9, 200});
  QImage image = White();
  {
    Context dc(image);
    dc.BitBlt(10, 10, 20, 20, source);
    dc.BitBlt(0, 0, 3, 3, source, 4, 2);
  }
  EXPECT_EQ(CountColour(image, Rect{0, 0, 40, 30}, {9, 9, 200}), 20 + 2);
  EXPECT_EQ(Rgb::FromQRgb(image.pixel(14, 13)), (Rgb{9, 9, 200}));
  EXPECT_EQ(Rgb::FromQRgb(image.pixel(15, 13)), kWhite);
}

TEST(DeviceContext, TextLiesOnItsSideOfTheReferencePointAndInsideItsClip) {
  struct Case {
    unsigned align;
    Rect allowed;  // where text pixels may be, around the point (60, 30)
  };
  const std::array<Case, 3> cases = {{{align::kRight | align::kBottom, {0, 0, 60, 30}},
                                      {align::kLeft | align::kTop, {60, 30, 120, 60}},
                                      {align::kCenter | align::kBottom, {35, 0, 85, 30}}}};
  for (const Case& c : cases) {
    QImage image = White(120, 60);
    {
      Context dc(image);
      dc.SetBkMode(BkMode::kTransparent);
      dc.SetTextColor({255, 0, 0});
      dc.SetTextAlign(c.align);
      dc.TextOut(60, 30, "V12");
    }
    const int inside = CountColour(image, c.allowed, {255, 0, 0});
    EXPECT_GT(inside, 10);
    EXPECT_EQ(CountColour(image, Rect{0, 0, 120, 60}, {255, 0, 0}), inside);
  }
  QImage clipped = White(120, 60);
  {
    Context dc(clipped);
    dc.SetBkMode(BkMode::kTransparent);
    dc.SetTextColor({255, 0, 0});
    dc.ExtTextOut(10, 10, Rect{10, 10, 20, 40}, "Movie Movie");
    dc.TextOut(10, 40, "x");  // the clip is gone again
  }
  EXPECT_GT(CountColour(clipped, Rect{10, 10, 20, 30}, {255, 0, 0}), 0);
  EXPECT_EQ(CountColour(clipped, Rect{20, 0, 120, 40}, {255, 0, 0}), 0);
  EXPECT_GT(CountColour(clipped, Rect{0, 40, 120, 60}, {255, 0, 0}), 0);
}

TEST(BackBuffer, PaintsOnlyThePendingRegionAndReportsWhatChanged) {
  BackBuffer buffer;
  std::vector<QRect> flushed;
  buffer.SetFlushHandler([&](const QRect& r) { flushed.push_back(r); });
  buffer.SetPaintHandler([](Context& dc) { dc.PatBlt(dc.Bounds(), PatOp::kBlackness); });
  buffer.Resize(30, 20);
  buffer.UpdateNow();
  EXPECT_EQ(CountColour(buffer.Image(), Rect{0, 0, 30, 20}, kBlack), 600);
  buffer.SetPaintHandler([](Context& dc) { dc.PatBlt(dc.Bounds(), PatOp::kDstInvert); });
  buffer.Invalidate(Rect{5, 5, 10, 8});
  buffer.UpdateNow();  // white first, then inverted: black
  EXPECT_EQ(CountColour(buffer.Image(), Rect{0, 0, 30, 20}, kBlack), 600);
  EXPECT_FALSE(buffer.NeedsPaint());
  ASSERT_EQ(flushed.size(), 2u);
  EXPECT_EQ(flushed[1], QRect(5, 5, 5, 3));
  {
    auto dc = buffer.WindowContext();
    dc->PatBlt(Rect{0, 0, 2, 2}, PatOp::kWhiteness);
  }
  EXPECT_EQ(flushed.size(), 3u);
  EXPECT_EQ(buffer.Pixel(1, 1), kWhite);
}

TEST(BackBuffer, ScrollMovesPixelsAndInvalidatesTheUncoveredStrip) {
  BackBuffer buffer;
  buffer.Resize(30, 20);
  buffer.Validate();
  {
    auto dc = buffer.WindowContext();
    dc->PatBlt(Rect{10, 0, 11, 20}, PatOp::kBlackness);
  }
  buffer.Scroll(-4, 0, Rect{5, 0, 30, 20});
  EXPECT_EQ(buffer.Pixel(6, 3), kBlack);
  EXPECT_EQ(buffer.Pixel(10, 3), kWhite);
  EXPECT_EQ(buffer.UpdateRegion(), QRegion(QRect(26, 0, 4, 20)));
}

}  // namespace
}  // namespace sprocket::dc
