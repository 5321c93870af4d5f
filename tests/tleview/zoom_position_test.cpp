// A change of the time scale or the zoom level keeps the position line where
// it was on the screen, and leaves the window as a fresh paint draws it.

#include <gtest/gtest.h>

#include "view_test_support.h"

namespace sprocket {
namespace {

class ZoomPosition : public ClipView {};

TEST_F(ZoomPosition, ThePositionLineStaysWhereItWasOnTheScreen) {
  doc().SetDuration(1800000);
  view->SetScaleIndex(3);
  view->SetCurrentPosition(100000);
  view->ScrollHorizontally(doc().TimeToX(100000) + doc().horizontalScroll - 300);
  const std::int32_t x = doc().TimeToX(doc().currentPosition);
  ASSERT_EQ(x, 300);
  auto check = [&](const char* what) {
    EXPECT_NEAR(doc().TimeToX(doc().currentPosition), x, 1) << what;
    view->UpdateNow();
    const QImage shown = view->BackBuffer().Image().copy();
    EXPECT_EQ(shown, Paint()) << what << ": the window equals a fresh paint";
  };
  for (int scale : {2, 4, 1, 5, 0, 3}) {
    view->SetScaleIndex(scale);
    check("scale");
  }
  for (int zoom : {0, 3, 1, 2}) {
    view->SetZoomLevel(zoom);
    check("zoom");
  }
}

TEST_F(ZoomPosition, WithTheLineOutOfSightTheLeftEdgeKeepsItsTime) {
  doc().SetDuration(1800000);
  view->SetCurrentPosition(0);
  view->ScrollHorizontally(4000);
  const std::int32_t leftTime = doc().XToTime(doc().TrackAreaLeft() + doc().horizontalScroll);
  view->SetScaleIndex(2);
  EXPECT_NEAR(doc().XToTime(doc().TrackAreaLeft() + doc().horizontalScroll), leftTime, 100);
}

}  // namespace
}  // namespace sprocket
