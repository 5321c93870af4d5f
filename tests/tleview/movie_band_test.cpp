// The Movie band's ends dragged with the mouse set the movie range: one
// undoable edit, snapped to a frame, and the window as a fresh paint draws it.

#include <QApplication>
#include <QTest>

#include "timeline/edit/clip_edits.h"
#include "tleview/movie_band_drag.h"
#include "view_test_support.h"

namespace sprocket {
namespace {

class MovieBand : public ClipView {
protected:
  QWidget* Surface() { return view->viewport(); }
  int BandY() { return doc().margin + 2 * doc().bandHeight + 4; }
  void Drag(int x1, int x2) {
    QTest::mousePress(Surface(), Qt::LeftButton, Qt::NoModifier, QPoint(x1, BandY()));
    QMouseEvent move(QEvent::MouseMove, QPointF(x2, BandY()), Surface()->mapToGlobal(QPointF(x2, BandY())),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Surface(), &move);
    QTest::mouseRelease(Surface(), Qt::LeftButton, Qt::NoModifier, QPoint(x2, BandY()));
  }
  void ExpectFreshPicture() {
    view->UpdateNow();
    const QImage shown = view->BackBuffer().Image().copy();
    EXPECT_EQ(shown, Paint());
  }
};

TEST_F(MovieBand, DraggingItsEndsSetsTheMovieRange) {
  doc().movieRange = {0, 4000};
  Paint();
  Drag(doc().TimeToX(4000), doc().TimeToX(8000));
  EXPECT_EQ(doc().movieRange, (TimeRange{0, 8000}));
  EXPECT_EQ(doc().UndoKind(), kEditMovieRange);
  EXPECT_FALSE(doc().rangesFollowContent);
  ExpectFreshPicture();

  Drag(doc().TimeToX(0), doc().TimeToX(2000));
  EXPECT_EQ(doc().movieRange, (TimeRange{2000, 8000}));
  EXPECT_EQ(doc().undoSteps.size(), 2u);
  ExpectFreshPicture();

  // A press away from the ends, or a drag ended by a key, changes nothing.
  Drag(doc().TimeToX(5000), doc().TimeToX(6000));
  QTest::mousePress(Surface(), Qt::LeftButton, Qt::NoModifier, QPoint(doc().TimeToX(8000), BandY()));
  QTest::keyClick(Surface(), Qt::Key_Escape);
  QTest::mouseRelease(Surface(), Qt::LeftButton, Qt::NoModifier, QPoint(doc().TimeToX(9000), BandY()));
  EXPECT_EQ(doc().movieRange, (TimeRange{2000, 8000}));
  EXPECT_EQ(doc().undoSteps.size(), 2u);
  ExpectFreshPicture();
}

}  // namespace
}  // namespace sprocket
