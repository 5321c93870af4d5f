#include "app/compile_dialog.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QKeyEvent>
#include <QPainter>

#include <cstring>

#include "app/bevel_frame.h"
#include "app/dib_qimage.h"
#include "platform/global_memory.h"
#include "platform/message_pump.h"

namespace sprocket {
namespace {

// Pumps the Qt events while a job runs, as the editor does.
class QtPump {
public:
  QtPump() {
    ClearAbort();
    SetPumpHook([] { QCoreApplication::processEvents(QEventLoop::AllEvents); });
  }
  ~QtPump() {
    SetPumpHook({});
    ClearAbort();
  }
};

// A packed DIB of width x height and `bits` bits in a locked block; the
// caller fills the pixels after the header (and colour table).
struct TestDib {
  TestDib(int width, int height, int bits) {
    const int stride = (width * bits + 31) / 32 * 4;
    const int colours = bits == 8 ? 256 : 0;
    block = GlobalBlock::Allocate(40 + colours * 4 + stride * height);
    data = static_cast<std::uint8_t*>(GlobalLock(block.get()));
    const std::int32_t header[] = {40, width, height};
    std::memcpy(data, header, sizeof header);
    const std::uint16_t planes[] = {1, static_cast<std::uint16_t>(bits)};
    std::memcpy(data + 12, planes, sizeof planes);
    const std::uint32_t image = static_cast<std::uint32_t>(stride * height);
    std::memcpy(data + 20, &image, sizeof image);
    pixels = data + 40 + colours * 4;
    this->stride = stride;
  }
  ~TestDib() { GlobalUnlock(block.get()); }
  GlobalBlock block;
  std::uint8_t* data = nullptr;
  std::uint8_t* pixels = nullptr;
  int stride = 0;
};

TEST(CompileDialog, RunsTheJobOnceWhenShownAndEndsWithItsResult) {
  QtPump pump;
  int runs = 0;
  bool visibleWhileRunning = false;
  CCompileDlg dialog([&](RenderUi& ui) {
    ++runs;
    visibleWhileRunning = dialog.isVisible();
    ui.SetCaption("Generating Movie...");
    ui.SetAbortHint("Press ESC Once To Abort...");
    ui.SetStatus("Creating /tmp/movie.avi");
    ui.SetTimeCode("00:00:01:05");
    ui.ShowProgress(42);
    return 17;
  });
  EXPECT_EQ(dialog.DoModal(), 17);
  EXPECT_EQ(runs, 1);
  EXPECT_TRUE(visibleWhileRunning);
  EXPECT_TRUE(dialog.HasRun());
  EXPECT_EQ(dialog.windowTitle(), "Generating Movie...");
  EXPECT_EQ(dialog.AbortHintText(), "Press ESC Once To Abort...");
  EXPECT_EQ(dialog.StatusText(), "Creating /tmp/movie.avi");
  EXPECT_EQ(dialog.TimeCodeText(), "00:00:01:05");
  EXPECT_EQ(dialog.Percent(), 42);
  // Shown again (covered and uncovered, say), the job does not run again.
  dialog.show();
  QApplication::processEvents();
  QApplication::processEvents();
  EXPECT_EQ(runs, 1);
  dialog.hide();
}

TEST(CompileDialog, EscapeAsksTheJobToStopAndTheWindowWaitsForIt) {
  QtPump pump;
  int steps = 0;
  bool visibleAfterEscape = false;
  CCompileDlg dialog([&](RenderUi& ui) {
    for (steps = 0; steps < 500; ++steps) {
      if (steps == 3) {
        QCoreApplication::postEvent(&dialog, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
      }
      ui.Wait(5);
      PumpMessages();
      if (IsAbortRequested()) {
        visibleAfterEscape = dialog.isVisible();
        return -1;
      }
    }
    return 1;
  });
  EXPECT_EQ(dialog.DoModal(), -1);
  EXPECT_LT(steps, 20);
  EXPECT_TRUE(visibleAfterEscape);
  // Once the job ended, ESC closes the window as usual.
  dialog.show();
  QApplication::processEvents();
  dialog.reject();
  EXPECT_FALSE(dialog.isVisible());
}

TEST(CompileDialog, ShowsPicturesAndStandIns) {
  QtPump pump;
  CCompileDlg dialog([&](RenderUi& ui) {
    TestDib dib(4, 2, 24);
    dib.pixels[0] = 10;                // bottom row, blue
    dib.pixels[dib.stride + 2] = 200;  // top row, red
    ui.ShowPicture(dib.data);
    return 1;
  });
  dialog.DoModal();
  QImage picture = dialog.Picture();
  ASSERT_FALSE(picture.isNull());
  EXPECT_EQ(picture.pixel(0, 1), qRgb(0, 0, 10));
  EXPECT_EQ(picture.pixel(0, 0), qRgb(200, 0, 0));
  dialog.ClearPicture();
  EXPECT_EQ(dialog.Picture().pixel(80, 60), qRgb(0, 0, 0));
  dialog.ShowPictureArea(PictureAreaMode::kJoin);
  EXPECT_NE(dialog.Picture().pixel(80, 60), qRgb(0, 0, 0));
}

TEST(DibToQImage, ReadsEightBitColoursAndRefusesBadHeaders) {
  TestDib dib(3, 1, 8);
  std::uint8_t* table = dib.data + 40;
  table[7 * 4] = 1;  // blue of colour 7
  table[7 * 4 + 1] = 2;
  table[7 * 4 + 2] = 3;
  dib.pixels[2] = 7;
  QImage image = DibToQImage(dib.data);
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.pixel(2, 0), qRgb(3, 2, 1));
  EXPECT_TRUE(DibToQImage(nullptr).isNull());
  // A height larger than the block holds.
  const std::int32_t tall = 1000;
  std::memcpy(dib.data + 8, &tall, sizeof tall);
  EXPECT_TRUE(DibToQImage(dib.data).isNull());
  // A depth that is not shown.
  TestDib other(2, 2, 24);
  const std::uint16_t bits = 16;
  std::memcpy(other.data + 14, &bits, sizeof bits);
  EXPECT_TRUE(DibToQImage(other.data).isNull());
}

TEST(BevelFrame, RaisedIsWhiteTopLeftAndSunkenTheReverse) {
  for (bool sunken : {false, true}) {
    QImage image(20, 20, QImage::Format_RGB32);
    image.fill(Qt::black);
    {
      QPainter painter(&image);
      DrawBevelFrame(painter, 2, 3, 15, 16, sunken);
    }
    const QRgb white = qRgb(255, 255, 255);
    const QRgb grey = qRgb(128, 128, 128);
    const QRgb first = sunken ? grey : white;
    const QRgb second = sunken ? white : grey;
    EXPECT_EQ(image.pixel(2, 10), first);    // left edge
    EXPECT_EQ(image.pixel(8, 3), first);     // top edge
    EXPECT_EQ(image.pixel(15, 10), second);  // right edge
    EXPECT_EQ(image.pixel(8, 16), second);   // bottom edge
    EXPECT_EQ(image.pixel(2, 16), first);    // where the frame starts
    EXPECT_EQ(image.pixel(15, 3), second);   // the corner the second pen starts at
    EXPECT_EQ(image.pixel(8, 10), qRgb(0, 0, 0));
  }
}

}  // namespace
}  // namespace sprocket
