// The timeline view's previews: stopping them, the board-preview commands
// and the play line (the work is ViewPreviews').

#include <QKeyEvent>

#include "platform/settings/settings_keys.h"
#include "tleview/tle_view.h"
#include "tleview/view_previews.h"

namespace sprocket {

void CTLEView::StopPreview() {
  previews_->StopAll();
  EndMouseGesture();
}

void CTLEView::SetPreviewWindow(PreviewWindowLink* window) { previews_->SetPreviewWindow(window); }

bool CTLEView::PreviewSegment(bool preview, int mode, std::int32_t startMs, std::int32_t endMs) {
  return previews_->PreviewSegment(preview, mode, startMs, endMs);
}

bool CTLEView::OnBoardPreview(bool preview) {
  const TimeRange range = preview ? GetDocument().previewRange : GetDocument().movieRange;
  // With real-time mixing on, the range's file is made for the mixing
  // console and played as it plays it.
  if (ViewProfile().GetProfileInt(settings::kRealTimeMixing, settings::kRealTimeMixingEnable, 0) != 0) {
    return previews_->PlayConsoleRange(range.start, range.end);
  }
  return PreviewSegment(preview, 0, range.start, range.end);
}

bool CTLEView::OnConsoleRangePlayback() {
  const TimeRange range = GetDocument().previewRange;
  return previews_->PlayConsoleRange(range.start, range.end);
}

bool CTLEView::OnPreviewKey(const QKeyEvent& event) {
  const Qt::KeyboardModifiers held = event.modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
  if (held != Qt::NoModifier || (event.key() != Qt::Key_P && event.key() != Qt::Key_M)) return false;
  const bool preview = event.key() == Qt::Key_P;
  if (!OnBoardPreview(preview)) emit boardPreviewRefused(preview);
  return true;
}

void CTLEView::MovePlayLine(float timeMs, std::int32_t flag) { previews_->MovePlayLine(timeMs, flag); }

}  // namespace sprocket
