#include "render/output/position_lines.h"

#include <gtest/gtest.h>

#include <limits>

#include "timeline/document/document.h"

namespace sprocket {
namespace {

class PositionLines : public ::testing::Test {
protected:
  PositionLines() {
    doc.RecalcScale();
    view.clientWidth = 800;
    view.clientHeight = 2000;
  }
  CTestDoc doc;
  PositionLineView view;
};

TEST_F(PositionLines, RenderLineMovesAndErasesInsideTheTrackArea) {
  const std::int32_t x1 = doc.TimeToX(1000);
  ASSERT_GT(x1, doc.TrackAreaLeft());
  PositionLineStep first = RenderPositionLineStep(doc, view, 1000, true, 0);
  EXPECT_EQ(first.newX, x1);
  EXPECT_EQ(first.drawX, x1);
  EXPECT_FALSE(first.eraseX);
  PositionLineStep next = RenderPositionLineStep(doc, view, 2000, false, x1);
  EXPECT_EQ(next.eraseX, x1);
  EXPECT_EQ(next.drawX, doc.TimeToX(2000));
  // Time 0 lies on the header column's edge: nothing is drawn there.
  PositionLineStep atStart = RenderPositionLineStep(doc, view, 0, false, doc.TrackAreaLeft());
  EXPECT_FALSE(atStart.drawX);
  EXPECT_FALSE(atStart.eraseX);
  // Past the client's width nothing is drawn either.
  view.clientWidth = x1;
  EXPECT_FALSE(RenderPositionLineStep(doc, view, 1000, true, 0).drawX);
}

TEST_F(PositionLines, SpanRunsOverTheTracksLessTheScrollWithinTheClient) {
  const std::int32_t tracks = GetTrackTop(doc, std::numeric_limits<std::int32_t>::max());
  LineSpan span = TrackLineSpan(doc, view);
  EXPECT_EQ(span.top, doc.margin + 3 * doc.bandHeight + doc.rulerHeight);
  EXPECT_EQ(span.bottom, span.top + tracks);
  view.verticalScroll = 30;
  EXPECT_EQ(TrackLineSpan(doc, view).bottom, span.top + tracks - 30);
  view.clientHeight = 100;
  EXPECT_EQ(TrackLineSpan(doc, view).bottom, 100);
}

TEST_F(PositionLines, RenderLineRunsFromTheRulerTopToTheTracksBottom) {
  const LineSpan tracks = TrackLineSpan(doc, view);
  const LineSpan render = RenderPositionLineStep(doc, view, 1000, true, 0).span;
  EXPECT_EQ(render.top, doc.margin + 3 * doc.bandHeight);  // through the ruler
  EXPECT_EQ(render.bottom, tracks.bottom);
  view.clientHeight = 10;  // smaller than the bands: nothing to draw
  EXPECT_EQ(RenderLineSpan(doc, view).bottom, RenderLineSpan(doc, view).top);
}

TEST_F(PositionLines, PanelIsLeftOut) {
  const LineSpan span{50, 300};
  EXPECT_EQ(PositionLinePieces(span, false, 100, 150), std::vector<LineSpan>{span});
  EXPECT_EQ(PositionLinePieces(span, true, 100, 150), (std::vector<LineSpan>{{50, 100}, {150, 300}}));
  EXPECT_EQ(PositionLinePieces(span, true, 20, 80), (std::vector<LineSpan>{{80, 300}}));
  EXPECT_EQ(PositionLinePieces(span, true, 400, 500), std::vector<LineSpan>{span});
  EXPECT_TRUE(PositionLinePieces(span, true, 0, 400).empty());
}

TEST_F(PositionLines, PlaybackLineFollowsTheCurrentTime) {
  doc.currentPosition = 500;
  const std::int32_t x = doc.TimeToX(1500);
  PositionLineStep step = PlaybackPositionLineStep(doc, view, 1500.7f, false, doc.TimeToX(500), std::nullopt, true);
  EXPECT_EQ(step.drawX, x);
  EXPECT_EQ(step.eraseX, doc.TimeToX(500));
  EXPECT_EQ(doc.currentPosition, 1500);
  // Not following, or a time behind the current one, leaves the time alone.
  PlaybackPositionLineStep(doc, view, 900.0f, true, x, std::nullopt, true);
  EXPECT_EQ(doc.currentPosition, 1500);
  PlaybackPositionLineStep(doc, view, 3000.0f, true, x, std::nullopt, false);
  EXPECT_EQ(doc.currentPosition, 1500);
  // A preview of one track spans that track's row, one pixel taller.
  PositionLineStep row = PlaybackPositionLineStep(doc, view, 2000.0f, true, x, LineSpan{100, 134}, false);
  EXPECT_FALSE(row.eraseX);
  EXPECT_EQ(row.span, (LineSpan{100, 135}));
}

}  // namespace
}  // namespace sprocket
