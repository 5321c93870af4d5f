#include "tleview/tle_view.h"
#include "tleview/movie_band_drag.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "platform/prompts.h"
#include "timeline/basics/time_code.h"
#include "timeline/document/clip_lookup.h"
#include "timeline/document/track_rows.h"
#include "timeline/document/view_edits.h"
#include "timeline/edit/clip_edits.h"
#include "timeline/records/event_queries.h"
#include "timeline/tlefile/timeline_backup.h"
#include "tleview/gesture_base.h"
#include "tleview/movie_band_drag.h"
#include "tleview/ruler_scale.h"
#include "tleview/view_previews.h"

namespace sprocket {

namespace {

std::array<int, kZoomLevels> RowHeights(const CTestDoc& doc) {
  std::array<int, kZoomLevels> heights{};
  for (int z = 0; z < kZoomLevels; ++z) heights[z] = doc.RowHeight(z);
  return heights;
}

}  // namespace

CTLEView::CTLEView(std::shared_ptr<ViewedDocument> document, ApplicationState& app, Profile& profile, QWidget* parent)
    : QAbstractScrollArea(parent),
      MovieViewOperations(document->doc, app, profile),
      appState_(app),
      pictures_(frameSource, [this](int id, const std::string& path) { QueueMessage(id, path); }),
      document_(std::move(document)),
      resources_(MakeViewResources(document_->doc.headerWidth, RowHeights(document_->doc))) {
  document_->views.push_back(this);
  backBuffer_.SetPaintHandler([this](dc::Context& dc) {
    OnDraw(dc);
    if (previews_ != nullptr) previews_->PaintPlayLine(dc);
    if (renderLine_) InvertRenderLine(dc, *renderLine_);
  });
  backBuffer_.SetFlushHandler([this](const QRect& rect) { viewport()->update(rect); });
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  setAcceptDrops(true);
  viewport()->setAcceptDrops(true);
  drag.syncGuides = 1;
  setFocusPolicy(Qt::StrongFocus);
  chooseMediaFile = [this] { return AskForMediaFile(this); };
  pictures_.SetOwnPictureSwitch(
      QFileInfo::exists(QCoreApplication::applicationDirPath() + QStringLiteral("/imgicon.zkb")));
  horizontalScrollBar()->setSingleStep(20);
  verticalScrollBar()->setSingleStep(20);
  backBuffer_.Resize(viewport()->width(), viewport()->height());
  GetDocument().RecalcScale();
  UpdateScrollBars();
  previews_ = std::make_unique<ViewPreviews>(*this, app, profile);
  viewport()->installEventFilter(previews_.get());
  installEventFilter(previews_.get());
  new MovieBandDrag(*this);  // a child of the view
}

CTLEView::~CTLEView() {
  // Previews end while the view they draw on is whole.
  previews_.reset();
  auto& views = document_->views;
  views.erase(std::remove(views.begin(), views.end(), this), views.end());
}

// --- Geometry ---

dc::Rect CTLEView::GetTimelineRect() const { return Layout().TimelineRect(); }

dc::Rect CTLEView::GetMarkBandRect() const { return Layout().MarkBandRect(); }

std::int32_t CTLEView::GetTotalTrackHeight() const { return Layout().TotalTrackHeight(); }

std::int32_t CTLEView::TimelineRight() const { return Layout().TimelineRight(); }

std::int32_t CTLEView::TrackTop(std::int32_t trackNumber) const { return Layout().TrackTop(trackNumber); }

// --- Before a paint ---

void CTLEView::UpdateNow() {
  if (GetDocument().Head() != nullptr) InvalidateChangedSelectionMarks();
  if (backBuffer_.NeedsPaint()) PrepareForPaint();
  backBuffer_.UpdateNow();
}

void CTLEView::PrepareForPaint() {
  if (GetDocument().Head() == nullptr) return;
  EnsureRenderSegments();
  PlaceClips();
  FillMissingClipBitmaps();
}

// The rectangles hit tests and drag feedback read, as the paint will draw
// the clips; the envelope point a clip with sound starts with; the x of
// the position line.
void CTLEView::PlaceClips() {
  CTestDoc& doc = GetDocument();
  const ViewLayout layout = Layout();
  for (TLEvent* e = doc.Head(); e != nullptr; e = GetNextEvent(e)) {
    if (!e->IsClipIn() || FindTrack(doc.Head(), e->trackNumber) == nullptr) continue;
    e->drawnRect = layout.KeptClipRect(*e);
    const bool sound = e->header && e->header->HasAudio();
    if (sound && e->selectedPoint < 0 && !e->volume.empty()) e->selectedPoint = 0;
  }
  const std::int32_t x = std::clamp(doc.TimeToX(doc.currentPosition), -32768, 32767);
  if (doc.rangeFlag == 0 && x > layout.TrackAreaLeft()) lastPositionX = x;
}

// The segment band shows the render segments: a timeline without any gets
// them split at its clips (and refreshed for the board's own format).
void CTLEView::EnsureRenderSegments() {
  CTestDoc& doc = GetDocument();
  bool native = false;
  if (!doc.Head()->segments.empty() || !ShowsSegmentBand(&native)) return;
  doc.SplitSegmentsAtClips();
  if (native) doc.RefreshRenderSegments(doc.Head());
}

// --- Repainting ---

void CTLEView::InvalidateRect(const dc::Rect& rect) {
  backBuffer_.Invalidate(rect);
  viewport()->update(rect.ToQRect());
}

void CTLEView::InvalidateAll() {
  backBuffer_.InvalidateAll();
  viewport()->update();
}

void CTLEView::RepaintNow() {
  InvalidateAll();
  UpdateNow();
  UpdateOtherViews();
}

void CTLEView::UpdateOtherViews(int left, int top, int right, int bottom) {
  for (CTLEView* view : document_->views) {
    if (view != this) view->InvalidateRect(dc::Rect{left, top, right, bottom});
  }
}

void CTLEView::UpdateOtherViews() {
  for (CTLEView* view : document_->views) {
    if (view != this) view->InvalidateAll();
  }
}

// The three mark bands: a segment render changes the segments and, while
// it runs, the movie range.
void CTLEView::RepaintSegmentBand() {
  const CTestDoc& doc = GetDocument();
  InvalidateRect(dc::Rect{doc.TrackAreaLeft(), doc.margin, ClientRect().right, doc.margin + 3 * doc.bandHeight + 1});
}

void CTLEView::RepaintBelowMarkBands() {
  const CTestDoc& doc = GetDocument();
  InvalidateRect(dc::Rect{0, doc.margin + 3 * doc.bandHeight, ClientRect().right, ClientRect().bottom});
}

void CTLEView::InvalidateSelection() {
  for (ClipSelection& entry : GetDocument().selection) {
    entry.drawn = 0;
    if (entry.clip == nullptr) continue;
    ClipRect row;
    GetClipRowRect(row, entry.clip);
    InvalidateRect(dc::Rect{row.left - 1, row.top, row.left + 2, row.bottom});
    InvalidateRect(dc::Rect{row.right - 1, row.top, row.right + 2, row.bottom});
  }
}

void CTLEView::RecalcTimelineExtent() {
  GetDocument().RecalcScale();
  UpdateScrollBars();
  InvalidateAll();
  UpdateOtherViews();
}

void CTLEView::ShowEdit(const EditReport& report) {
  if (!report.changed) return;
  CTestDoc& doc = GetDocument();
  // Pictures follow the clips that changed: one refresh serves every view,
  // as the pictures belong to the clips.
  for (TLEvent* clip = doc.Head(); clip != nullptr; clip = GetNextEvent(clip)) {
    if (!clip->IsClipIn() || clip->OutTime() < report.span.start || clip->time > report.span.end) continue;
    if (std::binary_search(report.tracks.begin(), report.tracks.end(), clip->trackNumber)) RefreshClipThumbnails(clip);
  }
  for (CTLEView* view : document_->views) {
    // A drag under way in another window holds records the edit may have
    // replaced: it ends without its edit.
    if (view != this) view->EndMouseGesture();
    view->RepaintEdit(report);
  }
}

void CTLEView::RepaintEdit(const EditReport& report) {
  const CTestDoc& doc = GetDocument();
  if (report.durationChanged || report.tracksChanged) {
    UpdateScrollBars();
    InvalidateAll();
    return;
  }
  if (report.segmentsChanged) RepaintSegmentBand();
  if (report.marksChanged) InvalidateRect(dc::Rect{0, 0, ClientRect().right, doc.TrackAreaTop()});
  // The changed span on each changed track, widened by the outline drawn
  // around clips, and the transition track when roll tracks changed.
  const std::int32_t left = doc.TimeToX(report.span.start) - 3;
  const std::int32_t right = doc.TimeToX(report.span.end) + 3;
  for (const TLEvent* track = GetNextEvent(doc.Head()); track != nullptr && track->kind == kEventTrackBegin;
       track = GetNextEvent(track)) {
    const bool changed = std::binary_search(report.tracks.begin(), report.tracks.end(), track->trackNumber);
    if (!changed && track->trackType != kTrackTransition) continue;
    const std::int32_t top = TrackTop(track->trackNumber);
    InvalidateRect(dc::Rect{left, top - 1, right, top + GetTrackHeight(doc, *track) + 1});
  }
}

void CTLEView::RevertLastEdit() {
  if (RevertRefusedEdit(GetDocument())) RepaintNow();
}

void CTLEView::AutoSaveTimeline() {
  std::string error;
  if (!WriteTimelineBackup(GetDocument(), &error)) ShowMessage(error, MB_OK | MB_ICONEXCLAMATION);
}

// --- Operations shared with the commands ---

TLEvent* CTLEView::FindClipAtTime(std::int32_t time, std::int32_t trackNumber) const {
  return sprocket::FindClipAtTime(GetDocument().Head(), time, trackNumber);
}

TLEvent* CTLEView::FindLinkedClip(const TLEvent* clip) const {
  return sprocket::FindLinkedClip(GetDocument().Head(), clip);
}

TLEvent* CTLEView::FindSyncPartner(const TLEvent* clip) const {
  return sprocket::FindSyncPartner(GetDocument().Head(), clip);
}

int CTLEView::CheckTrackRange(char type, std::int32_t trackNumber, std::int32_t start, std::int32_t end,
                              TLEvent** first, TLEvent** second) {
  return sprocket::CheckTrackRange(GetDocument(), type, trackNumber, start, end, first, second, speedChange != 0);
}

std::int32_t CTLEView::FindOrAddAudioTrack(std::int32_t in, std::int32_t out) {
  return sprocket::FindOrAddAudioTrack(GetDocument(), in, out);
}

int CTLEView::RebuildTransitions() { return sprocket::RebuildTransitions(GetDocument()); }

int CTLEView::UpdateTransitionsForClip(const TLEvent* clip) {
  return sprocket::UpdateTransitionsForClip(GetDocument(), clip);
}

// --- View commands ---

void CTLEView::SetCurrentPosition(std::int32_t ms) {
  CTestDoc& doc = GetDocument();
  // The position is a frame's time, so that every view of it names one frame.
  doc.currentPosition = std::clamp(SnapToFrame(std::clamp(ms, 0, doc.duration), doc.rate), 0, doc.duration);
  InvalidateAll();
  UpdateOtherViews();
}

void CTLEView::SetZoomLevel(int zoomLevel) {
  KeepingTimeInPlace([&] { GetDocument().zoom = std::clamp(zoomLevel, 0, kZoomLevels - 1); });
}

void CTLEView::SetScaleIndex(int scaleIndex) {
  KeepingTimeInPlace([&] { GetDocument().scaleIndex = std::clamp(scaleIndex, 0, 11); });
}

// A new scale keeps the position line where it was on the screen (or, when
// it was out of sight, the time at the left edge of the tracks). It ends a
// mouse gesture under way: its feedback and the place it would drop at were
// measured at the old scale (a scroll ends it too).
void CTLEView::KeepingTimeInPlace(const std::function<void()>& changeScale) {
  EndMouseGesture();
  CTestDoc& doc = GetDocument();
  const int width = ClientRect().right;
  const std::int32_t lineX = doc.TimeToX(doc.currentPosition);
  const bool lineShown = lineX >= doc.TrackAreaLeft() && lineX < width;
  const std::int32_t anchorX = lineShown ? lineX : doc.TrackAreaLeft();
  const std::int32_t anchorTime = lineShown ? doc.currentPosition : doc.XToTime(anchorX + doc.horizontalScroll);
  changeScale();
  doc.RecalcScale();
  const std::int32_t unscrolledX = doc.TimeToX(anchorTime) + doc.horizontalScroll;
  doc.horizontalScroll = std::clamp(unscrolledX - anchorX, 0, std::max(0, doc.extent - width));
  const QSignalBlocker quiet(horizontalScrollBar());  // the picture is painted anew below
  UpdateScrollBars();
  horizontalScrollBar()->setValue(doc.horizontalScroll);
  RecalcTimelineExtent();
  RefreshAllClipBitmaps();
}

void CTLEView::SetClipViewOption(int option) {
  GetDocument().clipViewOption = std::clamp(option, 0, 4);
  RefreshAllClipBitmaps();
  InvalidateAll();
  UpdateOtherViews();
}

void CTLEView::SetTrackViewStatus(std::int32_t trackNumber, std::int32_t status) {
  const EditResult result =
      SetTrackViewStatusEdit(GetDocument(), trackNumber, std::clamp(status, kTrackViewBalance, kTrackViewStereo));
  if (!result.Ok() || !result.report.changed) return;
  UpdateTrackClipBitmaps(trackNumber);
  // The track's height may change with its rows: every view repaints whole.
  ShowEdit(result.report);
}

void CTLEView::UpdateScrollBars() {
  const CTestDoc& doc = GetDocument();
  const int width = viewport()->width();
  const int height = viewport()->height();
  horizontalScrollBar()->setPageStep(std::max(width - doc.TrackAreaLeft(), 1));
  horizontalScrollBar()->setRange(0, std::max(0, doc.extent - width));
  verticalScrollBar()->setPageStep(std::max(height - doc.TrackAreaTop(), 1));
  verticalScrollBar()->setRange(0, std::max(0, doc.TrackAreaTop() + GetTotalTrackHeight() + 1 - height));
}

// --- Window events ---

void CTLEView::paintEvent(QPaintEvent* event) {
  UpdateNow();
  QPainter painter(viewport());
  painter.drawImage(event->rect(), backBuffer_.Image(), event->rect());
}

void CTLEView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  backBuffer_.Resize(viewport()->width(), viewport()->height());
  UpdateScrollBars();
}

void CTLEView::scrollContentsBy(int, int) {
  EndMouseGesture();
  ScrollHorizontally(horizontalScrollBar()->value());
  ScrollVertically(verticalScrollBar()->value());
}

void CTLEView::OnRulerPress(QMouseEvent* event) {
  const CTestDoc& doc = GetDocument();
  const QPoint point = event->position().toPoint();
  const std::int32_t rulerTop = doc.margin + 3 * doc.bandHeight;
  if (event->button() != Qt::LeftButton || point.y() < doc.margin || point.y() >= doc.TrackAreaTop()) {
    QAbstractScrollArea::mousePressEvent(event);
    return;
  }
  if (point.x() >= doc.TrackAreaLeft() && point.y() >= rulerTop) {
    SetCurrentPosition(doc.XToTime(point.x() + doc.horizontalScroll));
    emit positionChanged(doc.currentPosition);
  } else if (point.x() > doc.margin && point.x() < doc.TrackAreaLeft() && point.y() < rulerTop) {
    SetScaleIndex(ScaleIndexAtX(doc.margin, resources_.scaleKnob.Width(), point.x()));
  }
}

}  // namespace sprocket
