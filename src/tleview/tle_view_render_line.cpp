// The position line a render moves over the timeline view: an inverted
// vertical line at the time of the frame being rendered, drawn outside
// painting into the view's back buffer and erased by inverting it again.

#include "tleview/tle_view.h"

namespace sprocket {

std::int32_t CTLEView::DrawRenderPositionLine(std::int32_t ms) {
  const dc::Rect client = ClientRect();
  const PositionLineView lineView{client.Width(), client.Height(), verticalScroll};
  // The line drawn now is erased where it is, not where the step would look
  // for it, so no inverted column is ever left behind.
  const PositionLineStep step = RenderPositionLineStep(GetDocument(), lineView, ms, true, 0);
  std::optional<RenderLine> next;
  if (step.drawX) next = RenderLine{*step.drawX, step.span};
  const bool same = next && renderLine_ && next->x == renderLine_->x && next->span == renderLine_->span;
  if (same || (!next && !renderLine_)) return step.newX;
  const std::unique_ptr<dc::Context> dc = BackBuffer().WindowContext();
  if (renderLine_) InvertRenderLine(*dc, *renderLine_);
  renderLine_ = next;
  if (renderLine_) InvertRenderLine(*dc, *renderLine_);
  return step.newX;
}

void CTLEView::EraseRenderPositionLine() {
  if (!renderLine_) return;
  const std::unique_ptr<dc::Context> dc = BackBuffer().WindowContext();
  InvertRenderLine(*dc, *renderLine_);
  renderLine_.reset();
}

std::optional<std::int32_t> CTLEView::RenderPositionLineX() const {
  if (!renderLine_) return std::nullopt;
  return renderLine_->x;
}

void CTLEView::InvertRenderLine(dc::Context& dc, const RenderLine& line) const {
  if (line.span.bottom <= line.span.top) return;
  const dc::Rop2 oldRop = dc.SetRop2(dc::Rop2::kNot);
  dc.MoveTo(line.x, line.span.top);
  dc.LineTo(line.x, line.span.bottom);
  dc.SetRop2(oldRop);
}

}  // namespace sprocket
