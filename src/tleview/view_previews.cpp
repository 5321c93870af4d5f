#include "tleview/view_previews.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <algorithm>

#include "platform/settings/settings_keys.h"
#include "render/movie/board_playable_clips.h"
#include "render/output/position_lines.h"
#include "render/output/render_job.h"
#include "render/output/render_ui.h"
#include "timeline/basics/time_code.h"
#include "timeline/document/render_segments.h"
#include "tleview/clip_bitmaps.h"
#include "tleview/tip_window.h"
#include "tleview/tle_view.h"

namespace sprocket {

namespace {

constexpr dc::Rgb kPlayLineColour{255, 0, 0};
constexpr std::int32_t kDefaultScrubWidth = 320;
constexpr std::int32_t kDefaultScrubHeight = 240;
// The tip's picture, and how far from the mouse it shows.
constexpr int kTipWidth = 160;
constexpr int kTipHeight = 120;
constexpr int kTipOffset = 16;

dc::Rect ToDcRect(const ClipRect& rect) { return dc::Rect{rect.left, rect.top, rect.right, rect.bottom}; }

}  // namespace

// The board player of one segment preview: notes that the view plays on the
// board once the playback has started.
class ViewPreviews::PlayerWatch final : public BoardClipPlayer {
public:
  PlayerWatch(BoardClipPlayer& player, ViewPreviews& owner) : player_(player), owner_(owner) {}
  int PlayFile(const std::string& path, std::int32_t* state1, std::int32_t* state2, const ScreenRect& monitor,
               std::int32_t reserved, std::int32_t startMs, const BoardPlayProgressCallback& progress) override {
    // Set first: a playback that ends at once clears it through its last
    // progress call.
    owner_.SetBoardPlayback(true);
    const int result = player_.PlayFile(path, state1, state2, monitor, reserved, startMs, progress);
    if (result != 0) owner_.SetBoardPlayback(false);
    return result;
  }
  void StopPlaying() override { player_.StopPlaying(); }

private:
  BoardClipPlayer& player_;
  ViewPreviews& owner_;
};

ViewPreviews::ViewPreviews(CTLEView& view, ApplicationState& app, Profile& profile)
    : view_(view), app_(app), profile_(profile) {
  hoverTimer_.setSingleShot(true);
  hoverTimer_.setInterval(kTipDelayMs);
  connect(&hoverTimer_, &QTimer::timeout, this, [this] { ShowClipTip(hoverPoint_); });
}

ViewPreviews::~ViewPreviews() {
  // A playback or scrub must not call back into a view that is gone.
  if (running_.boardPlayback && player_ != nullptr) player_->StopPlaying();
  if (running_.scrub != nullptr) running_.scrub->End();
}

void ViewPreviews::SetPreviewWindow(PreviewWindowLink* window) {
  if (window == window_) return;
  // The stand-in's player plays in the old window.
  if (running_.boardPlayback) StopBoardPlayback();
  player_.reset();
  window_ = window;
}

CTestDoc& ViewPreviews::Doc() const { return view_.GetDocument(); }

void ViewPreviews::SetBoardPlayback(bool on) {
  running_.boardPlayback = on;
  view_.boardPlayback = on ? 1 : 0;
}

// --- Stopping ---

void ViewPreviews::StopAll() {
  const dc::Rect client = view_.ClientRect();
  StopPreviewGeometry geometry;
  geometry.verticalScroll = view_.verticalScroll;
  geometry.totalTrackHeight = view_.GetTotalTrackHeight();
  geometry.clientRight = client.right;
  geometry.clientBottom = client.bottom;
  for (const CTLEView* other : view_.SharedDocument()->views) {
    if (other != &view_) {
      geometry.otherViewVerticalScroll = other->verticalScroll;
      break;
    }
  }
  hoverTimer_.stop();
  StopPreviews(running_, Doc(), geometry, *this);
  view_.boardPlayback = 0;
}

bool ViewPreviews::AnyRunning() const { return AnyPreviewRunning(running_, Doc(), *this) || playLineX_ >= 0; }

void ViewPreviews::StopMonitor() {
  if (window_ != nullptr) window_->StopMonitor();
}

void ViewPreviews::StopPlay() {
  if (window_ != nullptr) window_->StopPlay();
}

void ViewPreviews::RepaintNow(const ClipRect& rect) {
  view_.InvalidateRect(ToDcRect(rect));
  view_.UpdateNow();
}

void ViewPreviews::Invalidate(const ClipRect& rect) { view_.InvalidateRect(ToDcRect(rect)); }

void ViewPreviews::UpdateOtherViews(const ClipRect& rect) {
  view_.UpdateOtherViews(rect.left, rect.top, rect.right, rect.bottom);
}

void ViewPreviews::InvalidateFirstOtherView(const ClipRect& rect) {
  for (CTLEView* other : view_.SharedDocument()->views) {
    if (other != &view_) {
      other->InvalidateRect(ToDcRect(rect));
      return;
    }
  }
}

void ViewPreviews::EndBoardScrub(TimelineScrub&) {
  // In the board's own format the flag tells that the scrub stood on a
  // segment that is not rendered; the scrub ending clears it.
  if (!view_.IsBoardNativeFormat(true, true) || Doc().Head() == nullptr) return;
  const TLFilter* segment = FindSegmentAt(Doc().Head()->segments, Doc().currentPosition);
  if (segment != nullptr && segment->rendered == 0) view_.unrenderedSegment = 0;
}

void ViewPreviews::StopBoardPlayback() {
  if (player_ != nullptr) player_->StopPlaying();
  ErasePlayLine();
  SetBoardPlayback(false);
}

// --- The tip window ---

void ViewPreviews::SetTipWindow(CTipWnd* tip) {
  if (tip == tip_) return;
  EndTip();
  tip_ = tip;
  view_.viewport()->setMouseTracking(tip != nullptr);
}

std::optional<ClipRect> ViewPreviews::ShownTipRect() const {
  if (tip_ == nullptr || !tip_->isVisible()) return std::nullopt;
  const QRect frame = tip_->frameGeometry();
  const QPoint topLeft = view_.viewport()->mapFromGlobal(frame.topLeft());
  return ClipRect{topLeft.x(), topLeft.y(), topLeft.x() + frame.width(), topLeft.y() + frame.height()};
}

void ViewPreviews::HideTip() {
  hoverTimer_.stop();
  if (tip_ != nullptr) tip_->hide();
  tipClip_ = nullptr;
}

bool ViewPreviews::ShowClipTip(QPoint point) {
  if (tip_ == nullptr || point.y() < Doc().TrackAreaTop()) return false;
  const TLEvent* clip = view_.ClipAtPoint(point.x(), point.y());
  if (clip == nullptr || clip->trackType != kTrackVideo || clip->OutTime() <= clip->time) return false;
  const std::int32_t time = std::clamp(TimeAtX(point.x()), clip->time, clip->OutTime() - 1);
  const DibPicture frame = view_.frameSource->FrameAt(*clip, Doc().rate, time, kTipWidth, kTipHeight);
  if (!frame) return false;
  const std::string caption = clip->name + "  " + FormatTimeCode(time, RateToFps(Doc().rate));
  tip_->ShowPicture(BitmapFromDib(frame).Image(), QString::fromStdString(caption),
                    view_.viewport()->mapToGlobal(point + QPoint(kTipOffset, kTipOffset)));
  tipClip_ = clip;
  return true;
}

void ViewPreviews::EndTip() {
  // A tip still waiting for the mouse to rest must not show later.
  hoverTimer_.stop();
  HideTipWindow(*this);
}

void ViewPreviews::OnHover(QPoint point) {
  if (tip_ == nullptr) return;
  if (tipClip_ != nullptr && view_.ClipAtPoint(point.x(), point.y()) != tipClip_) HideTipWindow(*this);
  hoverPoint_ = point;
  if (tipClip_ == nullptr) hoverTimer_.start();
}

// --- Scrubbing ---

bool ViewPreviews::InRulerStrip(std::int32_t x, std::int32_t y) const {
  const CTestDoc& doc = Doc();
  return x >= doc.TrackAreaLeft() && y >= doc.margin + 3 * doc.bandHeight && y < doc.TrackAreaTop();
}

std::int32_t ViewPreviews::TimeAtX(std::int32_t x) const {
  const CTestDoc& doc = Doc();
  // A frame's time: the picture shown and its time code name one frame.
  return std::clamp(SnapToFrame(doc.XToTime(x + doc.horizontalScroll), doc.rate), 0, doc.duration);
}

void ViewPreviews::ShowScrubFrame(const std::uint8_t* dib, std::int32_t ms) {
  if (window_ != nullptr) window_->ShowScrubPicture(dib, ms, RateToFps(Doc().rate));
}

void ViewPreviews::BeginScrub(std::int32_t ms) {
  view_.StopPreview();
  if (window_ == nullptr || Doc().Head() == nullptr) return;
  const MovieSettings& settings = app_.Settings(true);
  const bool sized = settings.VResWidth > 0 && settings.VResHeight > 0;
  auto scrub = std::make_unique<TimelineScrub>(scrubRenderer_);
  scrub->SetFrameHandler([this](const std::uint8_t* dib, std::int32_t time) { ShowScrubFrame(dib, time); });
  if (AudioOut* sound = window_->ScrubSound(); sound != nullptr && settings.VReserved1 != 0) {
    scrub->SetSound(sound, AudioOutFormat{settings.ASamplesPerSec, settings.AChannels, settings.ABitsPerSample});
  }
  scrub->Begin(Doc().Head(), Doc().trackCount, sized ? settings.VResWidth : kDefaultScrubWidth,
               sized ? settings.VResHeight : kDefaultScrubHeight, Doc().rate, true);
  running_.scrub = std::move(scrub);
  running_.scrubbing = true;
  running_.scrub->ShowAt(ms);
}

void ViewPreviews::ScrubTo(std::int32_t ms) {
  if (!running_.scrubbing || running_.scrub == nullptr) return;
  running_.scrubMoved = true;
  view_.SetCurrentPosition(ms);
  emit view_.positionChanged(Doc().currentPosition);
  running_.scrub->ShowAt(Doc().currentPosition);
}

bool ViewPreviews::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress: {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      const QPoint point = mouse->position().toPoint();
      EndTip();
      if (mouse->button() != Qt::LeftButton) return false;
      // The view moves the position line on the same press.
      if (InRulerStrip(point.x(), point.y())) BeginScrub(TimeAtX(point.x()));
      // What the track area's mouse does edits the timeline: previews stop first.
      else if (point.y() >= Doc().TrackAreaTop())
        view_.StopPreview();
      return false;
    }
    case QEvent::KeyPress:
      // The Delete key edits the timeline (whether or not a clip is selected,
      // the preview ends as for any edit).
      if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) view_.StopPreview();
      return false;
    case QEvent::Leave:
      EndTip();
      return false;
    case QEvent::MouseMove: {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->buttons() == Qt::NoButton && watched == view_.viewport()) OnHover(mouse->position().toPoint());
      if (!running_.scrubbing) return false;
      const std::int32_t x = std::max(mouse->position().toPoint().x(), Doc().TrackAreaLeft());
      ScrubTo(TimeAtX(x));
      return true;
    }
    case QEvent::MouseButtonRelease:
      if (!running_.scrubbing) return false;
      EndScrubDrag();
      return true;
    default:
      return QObject::eventFilter(watched, event);
  }
}

// --- Segment preview ---

VideoBoard& ViewPreviews::Board() {
  if (board_ == nullptr) board_ = OpenVideoBoard(profile_);
  return *board_;
}

std::vector<BoardClipPiece> ViewPreviews::CollectBoardClipPieces(const TLEvent* head, std::int32_t start,
                                                                 std::int32_t end) {
  const bool eitherNative = view_.IsBoardNativeFormat(true, true);
  return sprocket::CollectBoardClipPieces(head, Board(), eitherNative, start, end);
}

void ViewPreviews::FreeBoardClipPieces(std::vector<BoardClipPiece>& pieces) {
  sprocket::FreeBoardClipPieces(pieces, nullptr);
}

void ViewPreviews::RepaintNow() { view_.RepaintNow(); }

void ViewPreviews::SetWaitCursor(bool on) {
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) return;
  if (on)
    QApplication::setOverrideCursor(Qt::WaitCursor);
  else
    QApplication::restoreOverrideCursor();
}

std::pair<std::int32_t, std::int32_t> ViewPreviews::ScreenSize() {
  if (screenSize_) return *screenSize_;
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return {0, 0};
  return {screen->size().width(), screen->size().height()};
}

SegmentPreviewServices ViewPreviews::Services(BoardClipFiles& files, BoardClipPlayer& player) {
  SegmentPreviewServices services;
  services.view = this;
  services.app = &app_;
  services.family = GetPlatformFamily(profile_);
  services.clipFiles = &files;
  services.board = &Board();
  services.player = &player;
  services.runRenderWindow = runRenderWindow_;
  if (!services.runRenderWindow) {
    services.runRenderWindow = [this](const RenderJob& job) {
      NullRenderUi ui;
      return RenderJobRunner(Doc(), ui, RenderJobServices{}).Run(job);
    };
  }
  return services;
}

bool ViewPreviews::RunSegmentPreview(bool recordPreview, const std::function<bool(SegmentPreview&)>& run) {
  view_.StopPreview();
  VideoBoardClipFiles files(Board(), app_.Settings(recordPreview).VFramesPerSec);
  const bool simulated = profile_.GetProfileInt(settings::kBoard, settings::kBoardSimulate, 0) == 1;
  if (simulated && window_ != nullptr)
    player_ = std::make_unique<StandInBoardClipPlayer>(window_->BoardScreen());
  else
    player_ = std::make_unique<NoBoardClipPlayer>();
  PlayerWatch watch(*player_, *this);
  playStartPosition_ = Doc().currentPosition;
  SegmentPreview segmentPreview(Doc(), Services(files, watch));
  return run(segmentPreview);
}

bool ViewPreviews::PreviewSegment(bool preview, int mode, std::int32_t startMs, std::int32_t endMs) {
  // Mode 1 makes the file at the movie record's rate when that record is in
  // the board's format.
  const bool recordPreview = mode == 1 ? !view_.IsBoardNativeFormat(false, false) : preview;
  return RunSegmentPreview(recordPreview, [&](SegmentPreview& segmentPreview) {
    return segmentPreview.PreviewSegment(preview, mode, startMs, endMs);
  });
}

bool ViewPreviews::PlayConsoleRange(std::int32_t startMs, std::int32_t endMs) {
  return RunSegmentPreview(!view_.IsBoardNativeFormat(false, false), [&](SegmentPreview& segmentPreview) {
    return segmentPreview.PlayConsoleRange(startMs, endMs);
  });
}

// --- The play line ---

void ViewPreviews::DrawPlayLine(std::int32_t x, std::int32_t top, std::int32_t bottom) {
  DrawPlayLine(*view_.BackBuffer().WindowContext(), x, top, bottom);
}

void ViewPreviews::PaintPlayLine(dc::Context& dc) {
  if (playLineX_ >= 0) DrawPlayLine(dc, playLineX_, playLineTop_, playLineBottom_);
}

void ViewPreviews::DrawPlayLine(dc::Context& dc, std::int32_t x, std::int32_t top, std::int32_t bottom) {
  const dc::Pen oldPen = dc.SelectPen(dc::Pen::Solid(kPlayLineColour));
  const dc::Rop2 oldRop = dc.SetRop2(dc::Rop2::kNotXorPen);
  const bool panel = view_.panelShown1 != 0 || view_.panelShown2 != 0;
  for (const LineSpan& piece : PositionLinePieces(LineSpan{top, bottom}, panel, view_.panelTop, view_.panelBottom)) {
    dc.MoveTo(x, piece.top);
    dc.LineTo(x, piece.bottom);
  }
  dc.SetRop2(oldRop);
  dc.SelectPen(oldPen);
}

void ViewPreviews::MovePlayLine(float timeMs, std::int32_t flag) {
  if (flag == 0) {
    ErasePlayLine();
    SetBoardPlayback(false);
    return;
  }
  const dc::Rect client = view_.ClientRect();
  const PositionLineView lineView{client.Width(), client.Height(), view_.verticalScroll};
  const PositionLineStep step = PlaybackPositionLineStep(Doc(), lineView, timeMs, playLineX_ < 0, playLineX_,
                                                         std::nullopt, view_.followPosition != 0);
  if (step.eraseX) DrawPlayLine(*step.eraseX, playLineTop_, playLineBottom_);
  playLineX_ = -1;
  if (step.drawX) {
    DrawPlayLine(*step.drawX, step.span.top, step.span.bottom);
    playLineX_ = *step.drawX;
    playLineTop_ = step.span.top;
    playLineBottom_ = step.span.bottom;
  }
}

void ViewPreviews::ErasePlayLine() {
  // A position that followed the playback moved the position line too.
  const bool positionMoved = playStartPosition_ && *playStartPosition_ != Doc().currentPosition;
  playStartPosition_.reset();
  if (positionMoved) {
    view_.RepaintNow();
  } else if (playLineX_ >= 0) {
    const dc::Rect column{playLineX_, playLineTop_, playLineX_ + 1, playLineBottom_};
    playLineX_ = -1;
    view_.InvalidateRect(column);
    view_.UpdateNow();
  }
  playLineX_ = -1;
}

}  // namespace sprocket
