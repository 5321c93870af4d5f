#include "tleview/gesture_move.h"

#include "timeline/edit/clip_edits.h"
#include "timeline/records/event_queries.h"
#include "tleview/clip_drawing.h"
#include "tleview/tle_view.h"

namespace sprocket {

MoveGesture::MoveGesture(CTLEView& view, QPoint press, TLEvent* clip, bool wholeSelection)
    : MouseGesture(view, press), clip_(clip), wholeSelection_(wholeSelection) {
  dragging_ = true;
  CTestDoc& doc = view.GetDocument();
  const std::int32_t top = view.TrackTop(clip->trackNumber);
  startRect_ = dc::Rect{doc.TimeToX(clip->time), top + 1, doc.TimeToX(clip->OutTime()), top + doc.RowHeight()};
  for (ClipSelection& entry : doc.selection) {
    const std::int32_t entryTop = view.TrackTop(entry.clip->trackNumber);
    entry.rect = ClipRect{doc.TimeToX(entry.clip->time), entryTop + 1, doc.TimeToX(entry.clip->OutTime()),
                          entryTop + doc.RowHeight()};
    selectionStart_.push_back(entry.rect);
  }
  ViewDragState& drag = view.drag;
  drag.alternateDrag = wholeSelection ? 1 : 0;
  drag.cursorCaptured = 0;
  drag.dragRect = ToClipRect(startRect_);
}

MoveGesture::Landing MoveGesture::LandingAt(QPoint point) const {
  Landing landing;
  landing.left = startRect_.left + point.x() - press_.x();
  landing.track = view_.TrackAtY(point.y());
  landing.targets = TargetTracks(landing.track);
  return landing;
}

void MoveGesture::Follow(QPoint point) {
  CTestDoc& doc = view_.GetDocument();
  const Landing landing = LandingAt(point);
  const int dx = landing.left - startRect_.left;
  for (std::size_t i = 0; i < doc.selection.size() && i < selectionStart_.size(); ++i) {
    ClipSelection& entry = doc.selection[i];
    const std::int32_t rise = view_.TrackTop(landing.targets[i]) - view_.TrackTop(entry.clip->trackNumber);
    entry.rect = ClipRect{selectionStart_[i].left + dx, selectionStart_[i].top + rise, selectionStart_[i].right + dx,
                          selectionStart_[i].bottom + rise};
  }
  dc::Rect rect = startRect_;
  rect.left += dx;
  rect.right += dx;
  if (landing.track != nullptr && landing.track->trackType == clip_->trackType) {
    const std::int32_t top = view_.TrackTop(landing.track->trackNumber);
    rect.top = top + 1;
    rect.bottom = top + doc.RowHeight();
  }
  view_.drag.dragRect = ToClipRect(rect);
}

void MoveGesture::Move(QPoint point) {
  if (shown_) EraseFeedback();
  Follow(point);
  DrawFeedback();
  shown_ = true;
}

void MoveGesture::DrawFeedback() { view_.DrawDragOutline(); }

// The outline and its guides are inverted: drawn again, they go.
void MoveGesture::EraseFeedback() { view_.DrawDragOutline(); }

void MoveGesture::EndFeedback() {
  if (shown_) EraseFeedback();
  shown_ = false;
  CTestDoc& doc = view_.GetDocument();
  for (std::size_t i = 0; i < doc.selection.size() && i < selectionStart_.size(); ++i) {
    doc.selection[i].rect = selectionStart_[i];
  }
  ViewDragState& drag = view_.drag;
  drag.dragRect = ToClipRect(startRect_);
  drag.alternateDrag = 0;
  drag.cursorCaptured = 0;
}

void MoveGesture::Release(QPoint point) {
  EndFeedback();
  const Landing landing = LandingAt(point);
  CTestDoc& doc = view_.GetDocument();
  const std::int32_t delta = doc.XToTime(landing.left + doc.horizontalScroll) - clip_->time;
  std::vector<ClipMove> moves;
  if (wholeSelection_) {
    // The pressed clip first: the one whose landing on a frame counts.
    for (std::size_t i = 0; i < doc.selection.size(); ++i) {
      if (doc.selection[i].clip == clip_) moves.push_back({clip_, landing.targets[i]});
    }
    for (std::size_t i = 0; i < doc.selection.size(); ++i) {
      if (doc.selection[i].clip != clip_) moves.push_back({doc.selection[i].clip, landing.targets[i]});
    }
  } else {
    const bool sameKind = landing.track != nullptr && landing.track->trackType == clip_->trackType;
    moves.push_back({clip_, sameKind ? landing.track->trackNumber : clip_->trackNumber});
  }
  ShowOutcome(MoveClips(doc, moves, delta));
}

void MoveGesture::Cancel() {
  EndFeedback();
  view_.drag.syncGuideRect = ClipRect{};
  view_.drag.previousSyncGuideX = -1;
}

// The track of the clip's type `shift` tracks of that type below its own
// (above when negative), or none.
const TLEvent* MoveGesture::TrackShiftedBy(const TLEvent& clip, int shift) const {
  const TLEvent* head = view_.GetDocument().Head();
  const TLEvent* own = FindTrack(head, clip.trackNumber);
  if (own == nullptr) return nullptr;
  const int wanted = GetTrackOrdinal(own) + shift;
  for (const TLEvent* track = GetNextEvent(head); track != nullptr && track->kind == kEventTrackBegin;
       track = GetNextEvent(track)) {
    if (track->trackType == own->trackType && GetTrackOrdinal(track) == wanted) return track;
  }
  return nullptr;
}

// The clips of the pressed clip's type move by as many tracks of that type
// as it does, the others stay. When one of them would leave the tracks there
// are, all stay.
std::vector<std::int32_t> MoveGesture::TargetTracks(const TLEvent* target) const {
  const CTestDoc& doc = view_.GetDocument();
  std::vector<std::int32_t> stay;
  for (const ClipSelection& entry : doc.selection) stay.push_back(entry.clip->trackNumber);
  const TLEvent* own = FindTrack(doc.Head(), clip_->trackNumber);
  if (target == nullptr || own == nullptr || target->trackType != own->trackType) return stay;
  const int shift = GetTrackOrdinal(target) - GetTrackOrdinal(own);
  if (shift == 0) return stay;
  std::vector<std::int32_t> moved;
  for (const ClipSelection& entry : doc.selection) {
    if (entry.clip->trackType != clip_->trackType) {
      moved.push_back(entry.clip->trackNumber);
      continue;
    }
    const TLEvent* track = TrackShiftedBy(*entry.clip, shift);
    if (track == nullptr) return stay;
    moved.push_back(track->trackNumber);
  }
  return moved;
}

}  // namespace sprocket
