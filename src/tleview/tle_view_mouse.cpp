// The mouse on the timeline view: hit tests, and the events handed to the
// gesture under way (gesture_*.h): selection, a rubber band over a range,
// moving clips in time and across tracks, trimming an edge, dragging an
// envelope point and placing media files (a file dialog, or files dropped
// from a file manager). Each gesture makes its change through the
// document's edit API. Command keys go to the view's commands.

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>

#include "timeline/document/track_rows.h"
#include "timeline/records/event_queries.h"
#include "tleview/gesture_envelope.h"
#include "tleview/gesture_place.h"
#include "tleview/gesture_rubber_band.h"
#include "tleview/gesture_select.h"
#include "tleview/gesture_trim.h"
#include "tleview/tle_view.h"
#include "tleview/view_commands.h"

namespace sprocket {

// --- Hit tests ---

TLEvent* CTLEView::ClipAtPoint(int x, int y) const {
  const CTestDoc& doc = GetDocument();
  const std::int32_t h = doc.RowHeight();
  for (TLEvent* e = doc.Head(); e != nullptr; e = GetNextEvent(e)) {
    if (!e->IsClipIn()) continue;
    const TLEvent* track = FindTrack(doc.Head(), e->trackNumber);
    if (track == nullptr) continue;
    const std::int32_t top = TrackTop(e->trackNumber);
    const dc::Rect rows{doc.TimeToX(e->time), top + 1, doc.TimeToX(e->OutTime()),
                        top + TrackRowCount(*track) * (h + 1)};
    if (rows.Contains(x, y)) return e;
  }
  return nullptr;
}

const TLEvent* CTLEView::TrackAtY(int y) const {
  const CTestDoc& doc = GetDocument();
  for (const TLEvent* track = GetNextEvent(doc.Head()); track != nullptr && track->kind == kEventTrackBegin;
       track = GetNextEvent(track)) {
    const std::int32_t top = TrackTop(track->trackNumber);
    if (y > top && y <= top + GetTrackHeight(doc, *track)) return track;
  }
  return nullptr;
}

// --- Gestures ---

void CTLEView::mousePressEvent(QMouseEvent* event) {
  const QPoint point = event->position().toPoint();
  if (event->button() == Qt::LeftButton) {
    EndMouseGesture();
    gesture_ = StartGesture(point, event->modifiers());
    if (gesture_ != nullptr) return;
  }
  OnRulerPress(event);
}

// A press in the track area takes, in this order, an envelope line, a
// clip's edge, a clip's body, or the space beside the clips.
std::unique_ptr<MouseGesture> CTLEView::StartGesture(QPoint point, Qt::KeyboardModifiers modifiers) {
  const CTestDoc& doc = GetDocument();
  if (point.y() < doc.TrackAreaTop() || point.x() <= doc.TrackAreaLeft() || point.x() >= TimelineRight()) {
    return nullptr;
  }
  if (auto gesture = EnvelopeGesture::Begin(*this, point)) return gesture;
  if (auto gesture = TrimGesture::Begin(*this, point)) return gesture;
  if (auto gesture = SelectGesture::Begin(*this, point, modifiers)) return gesture;
  return RubberBandGesture::Begin(*this, point, modifiers);
}

void CTLEView::mouseMoveEvent(QMouseEvent* event) {
  if (gesture_ != nullptr) gesture_->Move(event->position().toPoint());
}

void CTLEView::mouseReleaseEvent(QMouseEvent* event) {
  // The gesture ends before its edit, which may ask the user something.
  if (std::unique_ptr<MouseGesture> gesture = std::move(gesture_)) gesture->Release(event->position().toPoint());
}

// A gesture stopped before its release (Stop Preview, a scroll, a zoom):
// what it drew goes, its edit is not made, and the moves and the release
// that follow do nothing.
void CTLEView::EndMouseGesture() {
  if (std::unique_ptr<MouseGesture> gesture = std::move(gesture_)) gesture->Cancel();
}

void CTLEView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !PlaceGesture(*this).DoubleClick(event->position().toPoint())) {
    QAbstractScrollArea::mouseDoubleClickEvent(event);
  }
}

void CTLEView::keyPressEvent(QKeyEvent* event) {
  // The command keys (Delete, S, Ctrl+X, Ctrl+V, Ctrl+Z, Ctrl+Y) go through
  // the view's commands, like the menus.
  if (ViewCommands::Of(*this).HandleKey(*event)) return;
  if (OnPreviewKey(*event)) return;
  QAbstractScrollArea::keyPressEvent(event);
}

std::optional<std::string> AskForMediaFile(QWidget* parent) {
  const QString path = QFileDialog::getOpenFileName(parent, QObject::tr("Place a media file"));
  if (path.isEmpty()) return std::nullopt;
  return path.toStdString();
}

void CTLEView::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CTLEView::dragMoveEvent(QDragMoveEvent* event) { event->acceptProposedAction(); }

void CTLEView::dropEvent(QDropEvent* event) {
  std::vector<std::string> paths;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) paths.push_back(url.toLocalFile().toStdString());
  }
  event->acceptProposedAction();
  PlaceGesture(*this).Drop(event->position().toPoint(), paths);
}

}  // namespace sprocket
