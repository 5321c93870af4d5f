#pragma once
// A timeline view driven by Qt's mouse events, with the timeline as its file
// would hold it and the prompts it shows.

#include <QApplication>
#include <QTest>

#include "view_test_support.h"

namespace sprocket {

class MouseEditing : public ClipView {
protected:
  testing::ScriptedPrompts prompts;
  // The timeline as its file would hold it.
  std::string Text() {
    std::string text;
    EXPECT_TRUE(FormatTimelineFile(doc(), dir.path(), &text));
    return text;
  }
  QWidget* Surface() { return view->viewport(); }
  void Press(int x, int y, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::mousePress(Surface(), Qt::LeftButton, modifiers, QPoint(x, y));
  }
  void DragTo(int x, int y) {
    QMouseEvent move(QEvent::MouseMove, QPointF(x, y), Surface()->mapToGlobal(QPointF(x, y)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Surface(), &move);
  }
  void Release(int x, int y) { QTest::mouseRelease(Surface(), Qt::LeftButton, Qt::NoModifier, QPoint(x, y)); }
  void Drag(int x1, int y1, int x2, int y2) {
    Press(x1, y1);
    DragTo((x1 + x2) / 2, (y1 + y2) / 2);
    DragTo(x2, y2);
    Release(x2, y2);
  }
  int Middle(int track) { return Top(track) + doc().RowHeight() / 2; }
  int X(std::int32_t ms) { return doc().TimeToX(ms); }
  bool Selected(const TLEvent* clip) { return doc().FindSelection(clip) != 0; }
  // Pixels of the view's picture, once what is pending is painted, that a
  // fresh paint changes (0: the view shows the document as painting does).
  int LeftoversAfterFreshPaint() {
    view->UpdateNow();  // what is pending shows as soon as the window paints
    const QImage shown = view->BackBuffer().Image().copy();
    return Differences(shown, Paint());
  }
  void ExpectUndoneTo(const std::string& original) {
    ASSERT_TRUE(doc().RevertLastEdit());
    EXPECT_EQ(Text(), original);
  }
};

}  // namespace sprocket
