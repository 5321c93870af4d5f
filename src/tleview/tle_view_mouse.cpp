// Editing clips with the mouse: selection, a rubber band over a range,
// moving clips in time and across tracks, trimming an edge, dragging an
// envelope point and placing media files (a file dialog, or files dropped
// from a file manager); command keys go to the view's commands. Every edit
// takes an undo step and keeps the transition track in step with the A/B
// roll tracks.

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <algorithm>
#include <utility>

#include "platform/prompts.h"
#include "timeline/basics/media_type.h"
#include "timeline/basics/time_code.h"
#include "timeline/document/clip_factory.h"
#include "timeline/document/clip_header_reader.h"
#include "timeline/document/track_rows.h"
#include "timeline/records/event_queries.h"
#include "timeline/records/timeline_builder.h"
#include "tleview/clip_drawing.h"
#include "tleview/tle_view.h"
#include "tleview/view_commands.h"

namespace sprocket {

namespace {

// How near an edge or an envelope a press must be to take it.
constexpr int kGrabDistance = 4;
// How far the mouse moves before a press becomes a drag.
constexpr int kDragThreshold = 2;
// The length a still gets when it is placed.
constexpr std::int32_t kStillLengthMs = 5000;

bool Overlaps(const TLEvent& a, const TLEvent& b) { return a.time < b.OutTime() && b.time < a.OutTime(); }

// True when another clip of the clip's track overlaps it.
bool CollidesOnTrack(const TLEvent* head, const TLEvent& clip) {
  for (const TLEvent* e = head; e != nullptr; e = GetNextEvent(e)) {
    if (e->IsClipIn() && e != &clip && e->trackNumber == clip.trackNumber && Overlaps(*e, clip)) return true;
  }
  return false;
}

}  // namespace

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

int CTLEView::EnvelopeModeOf(const TLEvent& clip) const {
  const std::int32_t status = TrackStatusOf(clip);
  const bool sound = clip.header && clip.header->HasAudio();
  if (!sound || (clip.trackType == kTrackVideo && !IsVideoFileExt(clip.extension))) return 0;
  if (status == kTrackViewVideoOnly || status == kTrackViewBalance) {
    return clip.header->AudioChannels() == 2 && status == kTrackViewBalance ? 1 : 0;
  }
  return -1;
}

// --- Press, move, release ---

void CTLEView::mousePressEvent(QMouseEvent* event) {
  const QPoint point = event->position().toPoint();
  if (event->button() == Qt::LeftButton && OnTrackAreaPress(point, event->modifiers())) return;
  OnRulerPress(event);
}

bool CTLEView::OnTrackAreaPress(QPoint point, Qt::KeyboardModifiers modifiers) {
  CTestDoc& doc = GetDocument();
  if (point.y() < doc.TrackAreaTop() || point.x() <= doc.TrackAreaLeft() || point.x() >= TimelineRight()) return false;
  mouse_ = MouseGesture{};
  mouse_.press = point;
  TLEvent* clip = ClipAtPoint(point.x(), point.y());
  if (clip == nullptr) {
    if (!(modifiers & Qt::ShiftModifier)) doc.ClearSelection();
    mouse_.kind = MouseGesture::kRubberBand;
    drag.alternateDrag = 0;
    drag.rubberBandRect = ClipRect{point.x(), doc.margin + 3 * doc.bandHeight, point.x(), TracksBottom()};
    InvalidateAll();
    UpdateNow();
    return true;
  }
  mouse_.clip = clip;
  const int left = doc.TimeToX(clip->time);
  const int right = doc.TimeToX(clip->OutTime());
  if (StartEnvelopeDrag(*clip, point)) return true;
  if (point.x() - left < kGrabDistance || right - point.x() <= kGrabDistance) {
    const bool inEdge = point.x() - left < kGrabDistance;
    mouse_.kind = inEdge ? MouseGesture::kTrimIn : MouseGesture::kTrimOut;
    drag.trimmedClip = clip;
    // The in edge takes the clip's colour as it shortens the clip to the
    // right, the out edge as it shortens it to the left.
    drag.trimLeftA = inEdge ? 1 : 0;
    drag.trimRightA = 0;
    drag.trimLeftB = 0;
    drag.trimRightB = inEdge ? 0 : 1;
    drag.trimIntermediateEdge = 0;
    drag.draggedEdgeX1 = inEdge ? left : right;
    drag.draggedEdgeX2 = drag.draggedEdgeX1;
    drag.oppositeEdgeX = inEdge ? right : left;
    drag.trimBandRect = ClipRect{};
    return true;
  }
  // A press on one clip of a selection of several drags them all.
  const bool shift = (modifiers & Qt::ShiftModifier) != 0;
  const bool wholeSelection = !shift && doc.FindSelection(clip) != 0 && doc.SelectionCount() > 1;
  if (wholeSelection) {
    mouse_.collapseOnClick = true;
  } else {
    SelectClip(clip, shift);
  }
  mouse_.kind = MouseGesture::kMove;
  const std::int32_t top = TrackTop(clip->trackNumber);
  drag.alternateDrag = wholeSelection ? 1 : 0;
  for (ClipSelection& entry : doc.selection) {
    const std::int32_t entryTop = TrackTop(entry.clip->trackNumber);
    entry.rect = ClipRect{doc.TimeToX(entry.clip->time), entryTop + 1, doc.TimeToX(entry.clip->OutTime()),
                          entryTop + doc.RowHeight()};
    mouse_.selectionStart.push_back(entry.rect);
  }
  drag.cursorCaptured = 0;
  drag.dragRect = ClipRect{left, top + 1, right, top + doc.RowHeight()};
  mouse_.startRect = ToRect(drag.dragRect);
  InvalidateAll();
  UpdateNow();
  return true;
}

void CTLEView::SelectClip(TLEvent* clip, bool toggle) {
  CTestDoc& doc = GetDocument();
  ClipSelection* entry = nullptr;
  const bool selected = doc.FindSelection(clip, &entry) != 0;
  if (toggle && selected) {
    doc.RemoveSelection(entry);
    return;
  }
  if (!toggle) doc.ClearSelection();
  if (selected && !toggle) entry = nullptr;
  ClipSelection& added = doc.AddSelection(clip);
  added.in = clip->time;
  added.out = clip->OutTime();
  added.rect =
      ClipRect{doc.TimeToX(clip->time), clip->drawnRect.top, doc.TimeToX(clip->OutTime()), clip->drawnRect.bottom};
}

void CTLEView::mouseMoveEvent(QMouseEvent* event) {
  const QPoint point = event->position().toPoint();
  if (mouse_.kind == MouseGesture::kNone) return;
  if (!mouse_.dragging && (point - mouse_.press).manhattanLength() < kDragThreshold) return;
  const bool first = !mouse_.dragging;
  mouse_.dragging = true;
  CTestDoc& doc = GetDocument();
  switch (mouse_.kind) {
    case MouseGesture::kMove: {
      if (!first) DrawDragOutline();
      dc::Rect rect = mouse_.startRect;
      const int dx = point.x() - mouse_.press.x();
      rect.left += dx;
      rect.right += dx;
      const TLEvent* track = TrackAtY(point.y());
      const std::vector<std::int32_t> targets = SelectionTargetTracks(*mouse_.clip, track);
      for (std::size_t i = 0; i < doc.selection.size() && i < mouse_.selectionStart.size(); ++i) {
        ClipSelection& entry = doc.selection[i];
        const std::int32_t rise = TrackTop(targets[i]) - TrackTop(entry.clip->trackNumber);
        entry.rect = mouse_.selectionStart[i];
        entry.rect.left += dx;
        entry.rect.right += dx;
        entry.rect.top += rise;
        entry.rect.bottom += rise;
      }
      if (track != nullptr && track->trackType == mouse_.clip->trackType) {
        const std::int32_t top = TrackTop(track->trackNumber);
        rect.top = top + 1;
        rect.bottom = top + doc.RowHeight();
      }
      drag.dragRect = ToClipRect(rect);
      DrawDragOutline();
      break;
    }
    case MouseGesture::kTrimIn:
    case MouseGesture::kTrimOut: {
      EraseTrimBand();
      drag.draggedEdgeX2 = drag.draggedEdgeX1 + point.x() - mouse_.press.x();
      const std::int32_t top = TrackTop(mouse_.clip->trackNumber);
      drag.trimBandRect = ClipRect{std::min(drag.draggedEdgeX1, drag.draggedEdgeX2), top + 2,
                                   std::max(drag.draggedEdgeX1, drag.draggedEdgeX2), top + doc.RowHeight() - 1};
      DrawTrimBand();
      break;
    }
    case MouseGesture::kRubberBand:
      if (!first) DrawRangeRubberBand();
      drag.rubberBandRect.left = std::min(point.x(), mouse_.press.x());
      drag.rubberBandRect.right = std::max(point.x(), mouse_.press.x());
      DrawRangeRubberBand();
      break;
    case MouseGesture::kEnvelope:
      DrawEnvelopeDragFeedback(mouse_.clip, mouse_.envelopeMode);
      MoveEnvelopePoint(point);
      DrawEnvelopeDragFeedback(mouse_.clip, mouse_.envelopeMode);
      break;
    default:
      break;
  }
}

void CTLEView::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint point = event->position().toPoint();
  const MouseGesture gesture = mouse_;
  mouse_ = MouseGesture{};
  if (gesture.kind == MouseGesture::kNone) return;
  CTestDoc& doc = GetDocument();
  switch (gesture.kind) {
    case MouseGesture::kMove:
      if (!gesture.dragging) {
        if (gesture.collapseOnClick) SelectClip(gesture.clip, false);
        break;
      }
      DrawDragOutline();
      if (drag.alternateDrag != 0) {
        MoveSelection(gesture.clip, doc.XToTime(drag.dragRect.left + doc.horizontalScroll) - gesture.clip->time,
                      TrackAtY(point.y()));
      } else {
        MoveClip(gesture.clip, doc.XToTime(drag.dragRect.left + doc.horizontalScroll) - gesture.clip->time,
                 TrackAtY(point.y()));
      }
      drag.alternateDrag = 0;
      break;
    case MouseGesture::kTrimIn:
    case MouseGesture::kTrimOut:
      EraseTrimBand();
      drag.trimBandRect = ClipRect{};
      if (gesture.dragging) {
        TrimClip(gesture.clip, gesture.kind == MouseGesture::kTrimIn,
                 doc.XToTime(drag.draggedEdgeX2 + doc.horizontalScroll) -
                     doc.XToTime(drag.draggedEdgeX1 + doc.horizontalScroll));
      }
      break;
    case MouseGesture::kRubberBand:
      if (gesture.dragging) {
        DrawRangeRubberBand();
        SelectRange(doc.XToTime(drag.rubberBandRect.left + doc.horizontalScroll),
                    doc.XToTime(drag.rubberBandRect.right + doc.horizontalScroll));
      }
      break;
    case MouseGesture::kEnvelope:
      FinishEnvelopeDrag(gesture.changed);
      break;
    default:
      break;
  }
  InvalidateAll();
  UpdateOtherViews();
  UpdateNow();
}

void CTLEView::FinishEnvelopeDrag(bool changed) {
  CTestDoc& doc = GetDocument();
  if (changed) {
    doc.SetModifiedFlag();
  } else if (!doc.undoSteps.empty()) {
    doc.undoSteps.pop_back();  // nothing changed: no undo step
  }
  drag.envelopeClampRect = ClipRect{};
}

// A drag stopped before its release: what it drew goes, its edit is not
// made, and the moves and the release that follow do nothing. An envelope
// point follows the mouse while it is dragged, so the envelope stays as it
// was dragged, as a release would leave it.
void CTLEView::EndMouseGesture() {
  const MouseGesture gesture = std::exchange(mouse_, MouseGesture{});
  CTestDoc& doc = GetDocument();
  switch (gesture.kind) {
    case MouseGesture::kNone:
      return;
    case MouseGesture::kMove:
      for (std::size_t i = 0; i < doc.selection.size() && i < gesture.selectionStart.size(); ++i) {
        doc.selection[i].rect = gesture.selectionStart[i];
      }
      drag.dragRect = ToClipRect(gesture.startRect);
      drag.alternateDrag = 0;
      drag.cursorCaptured = 0;
      drag.syncGuideRect = ClipRect{};
      drag.previousSyncGuideX = -1;
      break;
    case MouseGesture::kTrimIn:
    case MouseGesture::kTrimOut:
      EraseTrimBand();
      drag.trimBandRect = ClipRect{};
      drag.trimmedClip = nullptr;
      drag.trimLeftA = drag.trimRightA = drag.trimLeftB = drag.trimRightB = drag.trimIntermediateEdge = 0;
      break;
    case MouseGesture::kRubberBand:
      drag.rubberBandRect = ClipRect{};
      drag.alternateDrag = 0;
      break;
    case MouseGesture::kEnvelope:
      FinishEnvelopeDrag(gesture.changed);
      if (gesture.changed) UpdateOtherViews();
      break;
  }
  // The outlines are inverted into the picture: a repaint takes them away.
  if (gesture.dragging || gesture.changed) {
    InvalidateAll();
    UpdateNow();
  }
}

// --- Edits ---

void CTLEView::FinishEdit(const std::vector<const TLEvent*>& clips) {
  CTestDoc& doc = GetDocument();
  for (const TLEvent* clip : clips) {
    if (clip != nullptr && CollidesOnTrack(doc.Head(), *clip)) {
      RevertLastEdit();
      return;
    }
  }
  if (RebuildTransitions() == 0) {
    RevertLastEdit();
    return;
  }
  doc.ClearSelection();
  doc.SetModifiedFlag();
  for (const TLEvent* clip : clips) {
    if (clip != nullptr) RefreshClipThumbnails(const_cast<TLEvent*>(clip));
  }
}

void CTLEView::ShiftClipInTime(TLEvent* clip, std::int32_t delta, std::int32_t trackNumber) {
  CTestDoc& doc = GetDocument();
  clip->time += delta;
  clip->ClipOut()->time += delta;
  if (trackNumber != clip->trackNumber) MoveClipToTrack(doc.Head(), clip, trackNumber);
  SortClipRecords(doc.Head());
}

void CTLEView::MoveClip(TLEvent* clip, std::int32_t delta, const TLEvent* track) {
  CTestDoc& doc = GetDocument();
  const std::int32_t trackNumber =
      track != nullptr && track->trackType == clip->trackType ? track->trackNumber : clip->trackNumber;
  delta = SnapToFrame(std::max(clip->time + delta, 0), doc.rate) - clip->time;
  if (delta == 0 && trackNumber == clip->trackNumber) return;
  TLEvent* partner = FindSyncPartner(clip);
  SaveUndoState(kEditMoveClip);
  ShiftClipInTime(clip, delta, trackNumber);
  if (partner != nullptr) ShiftClipInTime(partner, delta, partner->trackNumber);
  FinishEdit({clip, partner});
}

// The track of the clip's type `shift` tracks of that type below its own
// (above when negative), or none.
const TLEvent* CTLEView::TrackShiftedBy(const TLEvent& clip, int shift) const {
  const TLEvent* head = GetDocument().Head();
  const TLEvent* own = FindTrack(head, clip.trackNumber);
  if (own == nullptr) return nullptr;
  const int wanted = GetTrackOrdinal(own) + shift;
  for (const TLEvent* track = GetNextEvent(head); track != nullptr && track->kind == kEventTrackBegin;
       track = GetNextEvent(track)) {
    if (track->trackType == own->trackType && GetTrackOrdinal(track) == wanted) return track;
  }
  return nullptr;
}

// Where each selected clip goes when the pressed one is dragged onto
// `target`: the clips of the pressed clip's type move by as many tracks of
// that type as it does, the others stay. When one of them would leave the
// tracks there are, all stay.
std::vector<std::int32_t> CTLEView::SelectionTargetTracks(const TLEvent& pressed, const TLEvent* target) const {
  const CTestDoc& doc = GetDocument();
  std::vector<std::int32_t> stay;
  for (const ClipSelection& entry : doc.selection) stay.push_back(entry.clip->trackNumber);
  const TLEvent* own = FindTrack(doc.Head(), pressed.trackNumber);
  if (target == nullptr || own == nullptr || target->trackType != own->trackType) return stay;
  const int shift = GetTrackOrdinal(target) - GetTrackOrdinal(own);
  if (shift == 0) return stay;
  std::vector<std::int32_t> moved;
  for (const ClipSelection& entry : doc.selection) {
    if (entry.clip->trackType != pressed.trackType) {
      moved.push_back(entry.clip->trackNumber);
      continue;
    }
    const TLEvent* track = TrackShiftedBy(*entry.clip, shift);
    if (track == nullptr) return stay;
    moved.push_back(track->trackNumber);
  }
  return moved;
}

void CTLEView::MoveSelection(TLEvent* pressed, std::int32_t delta, const TLEvent* track) {
  CTestDoc& doc = GetDocument();
  const std::vector<std::int32_t> targets = SelectionTargetTracks(*pressed, track);
  // Each clip with the track it goes to; sync partners keep theirs.
  std::vector<std::pair<TLEvent*, std::int32_t>> moves;
  auto add = [&](TLEvent* clip, std::int32_t trackNumber) {
    if (clip == nullptr) return;
    for (const auto& move : moves) {
      if (move.first == clip) return;
    }
    moves.emplace_back(clip, trackNumber);
  };
  for (std::size_t i = 0; i < doc.selection.size(); ++i) add(doc.selection[i].clip, targets[i]);
  for (std::size_t i = 0, n = moves.size(); i < n; ++i) {
    TLEvent* partner = FindSyncPartner(moves[i].first);
    if (partner != nullptr) add(partner, partner->trackNumber);
  }
  delta = SnapToFrame(std::max(pressed->time + delta, 0), doc.rate) - pressed->time;
  // None moves before the timeline's start.
  bool acrossTracks = false;
  for (const auto& [clip, trackNumber] : moves) {
    delta = std::max(delta, -clip->time);
    acrossTracks = acrossTracks || trackNumber != clip->trackNumber;
  }
  if (delta == 0 && !acrossTracks) return;
  SaveUndoState(kEditMoveClip);
  std::vector<const TLEvent*> clips;
  for (const auto& [clip, trackNumber] : moves) {
    ShiftClipInTime(clip, delta, trackNumber);
    clips.push_back(clip);
  }
  FinishEdit(clips);
}

void CTLEView::TrimClip(TLEvent* clip, bool inEdge, std::int32_t delta) {
  CTestDoc& doc = GetDocument();
  const std::int32_t speed = ViewSpeed(clip->speed);
  const std::int32_t frame = std::max(1, SnapToFrame(1, doc.rate));
  const double mediaMs = clip->header ? clip->header->MediaLengthMs() : 0.0;
  TLEvent* out = clip->ClipOut();
  if (inEdge) {
    std::int32_t in = SnapToFrame(std::clamp(clip->time + delta, 0, out->time - frame), doc.rate);
    // The media cannot start before its beginning.
    in = std::max(in, clip->time - clip->playIn * 100 / speed);
    delta = in - clip->time;
  } else {
    std::int32_t end = SnapToFrame(std::max(out->time + delta, clip->time + frame), doc.rate);
    if (mediaMs > 0.0)
      end = std::min<std::int32_t>(end, clip->time + static_cast<std::int32_t>((mediaMs - clip->playIn) * 100 / speed));
    delta = end - out->time;
  }
  if (delta == 0) return;
  TLEvent* partner = FindSyncPartner(clip);
  SaveUndoState(kEditTrimClip);
  for (TLEvent* c : {clip, partner}) {
    if (c == nullptr) continue;
    const std::int32_t mediaDelta = delta * ViewSpeed(c->speed) / 100;
    if (inEdge) {
      c->time += delta;
      c->playIn = std::max(0, c->playIn + mediaDelta);
    } else {
      c->ClipOut()->time += delta;
      c->playOut = std::max(c->playIn, c->playOut + mediaDelta);
    }
  }
  SortClipRecords(doc.Head());
  FinishEdit({clip, partner});
}

void CTLEView::SelectRange(std::int32_t start, std::int32_t end) {
  CTestDoc& doc = GetDocument();
  for (TLEvent* e = doc.Head(); e != nullptr; e = GetNextEvent(e)) {
    if (!e->IsClipIn() || e->OutTime() <= start || e->time >= end) continue;
    if (doc.FindSelection(e) == 0) SelectClip(e, true);
  }
}

void CTLEView::keyPressEvent(QKeyEvent* event) {
  // The command keys (Delete, S, Ctrl+X, Ctrl+V, Ctrl+Z, Ctrl+Y) go through
  // the view's commands, like the menus.
  if (ViewCommands::Of(*this).HandleKey(*event)) return;
  if (OnPreviewKey(*event)) return;
  QAbstractScrollArea::keyPressEvent(event);
}

// --- Envelope points ---

bool CTLEView::StartEnvelopeDrag(TLEvent& clip, QPoint point) {
  const int mode = EnvelopeModeOf(clip);
  dc::Rect area;
  if (mode == 0 || (mode == -1 ? GetEnvelopeRect(&clip, area) : GetBalanceEnvelopeRect(&clip, area)) == 0 ||
      !area.Contains(point.x(), point.y()) || area.Width() <= 2 * kGrabDistance) {
    return false;
  }
  VolumeEnvelope& points = mode == -1 ? clip.volume : clip.balance;
  if (points.size() < 2) return false;
  // The envelope's height under the press.
  const std::int32_t position =
      static_cast<std::int32_t>(std::int64_t{point.x() - area.left} * kEnvelopeEndPosition / area.Width());
  const dc::Point onLine = EnvelopeScreenPoint(area, VolumePoint{EnvelopeLevelAt(points, position), position});
  if (std::abs(onLine.y - point.y()) > kGrabDistance) return false;
  SaveUndoState(kEditEnvelope);
  int index = -1;
  for (std::size_t i = 1; i + 1 < points.size(); ++i) {
    if (std::abs(EnvelopeScreenPoint(area, points[i]).x - point.x()) <= kGrabDistance) index = static_cast<int>(i);
  }
  if (index < 0) {
    auto at = std::upper_bound(points.begin(), points.end(), position,
                               [](std::int32_t p, const VolumePoint& v) { return p < v.position; });
    at = points.insert(at, VolumePoint{EnvelopeLevelAt(points, position), position});
    index = static_cast<int>(at - points.begin());
    mouse_.changed = true;
  }
  mouse_.kind = MouseGesture::kEnvelope;
  mouse_.envelopeMode = mode;
  mouse_.envelopePoint = index;
  drag.envelopeChannel = mode == -1 ? 0 : 1;
  drag.envelopeClampRect = ToClipRect(area);
  if (mode == -1) clip.selectedPoint = index;
  return true;
}

void CTLEView::MoveEnvelopePoint(QPoint point) {
  TLEvent* clip = mouse_.clip;
  dc::Rect area;
  GetEnvelopeRect(clip, area);
  VolumeEnvelope& points = drag.envelopeChannel == 0 ? clip->volume : clip->balance;
  const int i = mouse_.envelopePoint;
  if (i <= 0 || i + 1 >= static_cast<int>(points.size()) || area.Height() <= 1) return;
  const std::int32_t span = area.bottom - 1 - area.top;
  const std::int32_t level = static_cast<std::int32_t>(std::clamp<std::int64_t>(
      std::int64_t{area.bottom - 1 - point.y()} * kEnvelopeMaxLevel / span, 0, kEnvelopeMaxLevel));
  const std::int32_t position = static_cast<std::int32_t>(
      std::clamp<std::int64_t>(std::int64_t{point.x() - area.left} * kEnvelopeEndPosition / std::max(area.Width(), 1),
                               points[i - 1].position + 1, points[i + 1].position - 1));
  if (points[i].level != level || points[i].position != position) mouse_.changed = true;
  points[i].level = level;
  points[i].position = std::max(position, points[i - 1].position);
}

// --- Placing media files ---

bool CTLEView::PlaceMediaFile(const std::string& path, std::int32_t time, std::int32_t trackNumber) {
  CTestDoc& doc = GetDocument();
  MediaPathParts parts;
  if (!SplitMediaPath(path, &parts)) {
    ShowMessage("Cannot use the file " + path, MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  const std::int32_t mediaType = GetMediaTypeCode(path);
  std::optional<ClipMediaHeader> header;
  std::string error;
  if (!ReadMediaHeader(path, mediaType, &header, &error)) {
    ShowMessage(error.empty() ? "Cannot read the file " + path : error, MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  const bool sound = IsAudioMediaType(mediaType);
  const char type = sound ? kTrackAudio : kTrackVideo;
  const double lengthMs = header ? header->MediaLengthMs() : 0.0;
  const std::int32_t playOut = lengthMs > 0.0 ? static_cast<std::int32_t>(lengthMs) : kStillLengthMs;
  time = SnapToFrame(std::max(time, 0), doc.rate);
  const TLEvent* track = FindTrack(doc.Head(), trackNumber);
  if (track == nullptr || track->trackType != type) {
    trackNumber = sound ? FindOrAddAudioTrack(time, time + playOut) : 1;
  }
  SaveUndoState(kEditPlaceClip);
  TLEvent* clip = nullptr;
  if (CreateClipFromFile(doc.Head(), time, type, trackNumber, 0, playOut, mediaType, kNormalSpeed, 0, parts.name,
                         parts.name, parts.extension, parts.directory, nullptr, &clip, &error) == 0) {
    RevertLastEdit();
    ShowMessage(error, MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  if (CollidesOnTrack(doc.Head(), *clip) || UpdateTransitionsForClip(clip) == 0) {
    RevertLastEdit();
    ShowMessage("The track is not free there.", MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  if (doc.Head() != nullptr && TimelineDuration(doc.Head()) < clip->OutTime()) doc.SetDuration(clip->OutTime());
  doc.SetModifiedFlag();
  RecalcTimelineExtent();
  return true;
}

void CTLEView::mouseDoubleClickEvent(QMouseEvent* event) {
  CTestDoc& doc = GetDocument();
  const QPoint point = event->position().toPoint();
  const TLEvent* track = TrackAtY(point.y());
  if (event->button() != Qt::LeftButton || track == nullptr || point.x() <= doc.TrackAreaLeft() ||
      ClipAtPoint(point.x(), point.y()) != nullptr) {
    QAbstractScrollArea::mouseDoubleClickEvent(event);
    return;
  }
  const std::optional<std::string> path = chooseMediaFile ? chooseMediaFile() : std::nullopt;
  if (path) PlaceMediaFile(*path, doc.XToTime(point.x() + doc.horizontalScroll), track->trackNumber);
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
  CTestDoc& doc = GetDocument();
  const QPoint point = event->position().toPoint();
  const TLEvent* track = TrackAtY(point.y());
  std::int32_t time = doc.XToTime(std::max(point.x(), doc.TrackAreaLeft()) + doc.horizontalScroll);
  const std::int32_t trackNumber = track != nullptr ? track->trackNumber : 1;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (!url.isLocalFile()) continue;
    if (!PlaceMediaFile(url.toLocalFile().toStdString(), time, trackNumber)) break;
    // Further files follow the one placed.
    const TLEvent* placed = FindClipAtTime(SnapToFrame(time, doc.rate), trackNumber);
    if (placed != nullptr) time = placed->OutTime();
  }
  event->acceptProposedAction();
  InvalidateAll();
  UpdateNow();
}

}  // namespace sprocket
