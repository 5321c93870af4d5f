#pragma once
// The previews of one timeline view: what runs (RunningPreviews) and the
// view's side of stopping it all (StopPreviewTargets), scrubbing by
// dragging the position line in the ruler, segment preview over the video
// board (SegmentPreviewView) with the inverted play line its progress
// moves.
//
// Scrubbing: a press in the ruler's time strip starts a scrub of the
// timeline (TimelineScrub through the track list) whose frames and sound go
// to the preview window; moves with the button down show the frame under
// the mouse; the release ends the drag, and the scrub's sources stay open
// until the previews are stopped. The press itself still reaches the view,
// which moves the position line. Presses in the track area and the Delete
// key edit the timeline: they stop the previews before the view sees them.
//
// The tip window: when the mouse rests on a picture clip, the clip's frame
// under the mouse shows in the tip window beside it; moving off the clip, a
// press or a stop of the previews hides it.
//
// Segment preview: the board the settings describe ("Board" / "Simulate"),
// its stand-in's player playing the joined file in the preview window; the
// play line is erased when the playback ends or is stopped.

#include <QObject>
#include <QPoint>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "platform/application_state.h"
#include "platform/board/video_board.h"
#include "platform/qt/device_context.h"
#include "platform/settings/profile.h"
#include "playback/stop_previews.h"
#include "render/movie/segment_preview.h"
#include "render/output/job_frame_renderer.h"
#include "tleview/preview_window_link.h"

namespace sprocket {

class CTLEView;
class CTipWnd;

class ViewPreviews final : public QObject, public StopPreviewTargets, public SegmentPreviewView {
public:
  ViewPreviews(CTLEView& view, ApplicationState& app, Profile& profile);
  ~ViewPreviews() override;
  ViewPreviews(const ViewPreviews&) = delete;
  ViewPreviews& operator=(const ViewPreviews&) = delete;

  // The preview window (null: none; nothing is scrubbed or played).
  // A board playback in the window it replaces is stopped first.
  void SetPreviewWindow(PreviewWindowLink* window);
  PreviewWindowLink* PreviewWindow() const { return window_; }
  RunningPreviews& Running() { return running_; }
  const RunningPreviews& Running() const { return running_; }

  // Ends everything that runs and erases what it drew; safe to repeat.
  void StopAll();
  bool AnyRunning() const;

  // --- Scrubbing (also driven by the ruler's mouse events) ---
  void BeginScrub(std::int32_t ms);
  void ScrubTo(std::int32_t ms);
  void EndScrubDrag() { running_.scrubbing = false; }

  // --- The tip window (null: no tips) ---
  void SetTipWindow(CTipWnd* tip);
  CTipWnd* TipWindow() const { return tip_; }
  // Shows the frame of the picture clip at the point (view coordinates) in
  // the tip window; false, showing nothing, when there is none.
  bool ShowClipTip(QPoint point);
  // How long the mouse rests before the tip shows.
  static constexpr int kTipDelayMs = 500;

  // --- Segment preview ---
  bool PreviewSegment(bool preview, int mode, std::int32_t startMs, std::int32_t endMs);
  // The mixing console's range playback: the mode 1 file, played.
  bool PlayConsoleRange(std::int32_t startMs, std::int32_t endMs);
  // Painting covers the play line where it repaints: this draws it again
  // there (the view's paint calls it after OnDraw, with the paint's clip).
  void PaintPlayLine(dc::Context& dc);
  // The x of the play line drawn now, -1 when none.
  std::int32_t PlayLineX() const { return playLineX_; }

  // Seams for tests: the board (default: the one the settings describe), the
  // frame renderer of scrubs (empty: the compositor), the render window of
  // the preview's sound job (empty: run without a window) and the screen size.
  void SetBoard(std::unique_ptr<VideoBoard> board) { board_ = std::move(board); }
  void SetScrubRenderer(JobFrameRenderer renderer) { scrubRenderer_ = std::move(renderer); }
  void SetRenderWindow(std::function<int(const RenderJob&)> run) { runRenderWindow_ = std::move(run); }
  void SetScreenSize(std::pair<std::int32_t, std::int32_t> size) { screenSize_ = size; }

  // --- SegmentPreviewView ---
  std::vector<BoardClipPiece> CollectBoardClipPieces(const TLEvent* head, std::int32_t start,
                                                     std::int32_t end) override;
  void FreeBoardClipPieces(std::vector<BoardClipPiece>& pieces) override;
  void RepaintNow() override;
  void SetWaitCursor(bool on) override;
  std::pair<std::int32_t, std::int32_t> ScreenSize() override;
  void MovePlayLine(float timeMs, std::int32_t flag) override;

  // --- StopPreviewTargets ---
  bool IsMonitorRunning() const override { return window_ != nullptr && window_->IsMonitorRunning(); }
  void StopMonitor() override;
  const TLEvent* PlayingClip() const override { return window_ != nullptr ? window_->PlayingClip() : nullptr; }
  void StopPlay() override;
  std::optional<ClipRect> ShownTipRect() const override;
  void HideTip() override;
  // The tip shows decoded pictures: it holds no media window.
  bool TipHoldsMediaWindow() const override { return false; }
  void CloseTipMediaWindow() override {}
  void RepaintNow(const ClipRect& rect) override;
  void Invalidate(const ClipRect& rect) override;
  void UpdateOtherViews(const ClipRect& rect) override;
  void InvalidateFirstOtherView(const ClipRect& rect) override;
  void EndBoardScrub(TimelineScrub& scrub) override;
  void StopBoardPlayback() override;
  // The clip scrub states hold no resources of their own: clearing them,
  // which the caller does, releases them.
  void CleanupScrubbing(std::array<std::uint8_t, 164>&) override {}
  void CleanupWaveScrubbing(std::array<std::uint8_t, 24>&) override {}
  void FreeStillImage(std::int32_t) override {}

  // The board the previews play on (made from the settings on first use);
  // segments rendered in its format become its clips.
  VideoBoard& Board();

protected:
  // The ruler's press, drag and release on the view's viewport; the track
  // area's presses and the view's Delete key, which edit, stop previews first.
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  class PlayerWatch;
  CTestDoc& Doc() const;
  bool InRulerStrip(std::int32_t x, std::int32_t y) const;
  std::int32_t TimeAtX(std::int32_t x) const;
  SegmentPreviewServices Services(BoardClipFiles& files, BoardClipPlayer& player);
  // Runs a segment preview with the board's clip files at the chosen
  // record's rate and the player of the board the settings describe.
  bool RunSegmentPreview(bool recordPreview, const std::function<bool(SegmentPreview&)>& run);
  void SetBoardPlayback(bool on);
  void DrawPlayLine(std::int32_t x, std::int32_t top, std::int32_t bottom);
  void DrawPlayLine(dc::Context& dc, std::int32_t x, std::int32_t top, std::int32_t bottom);
  void ErasePlayLine();
  void ShowScrubFrame(const std::uint8_t* dib, std::int32_t ms);
  void OnHover(QPoint point);
  void EndTip();

  CTLEView& view_;
  ApplicationState& app_;
  Profile& profile_;
  PreviewWindowLink* window_ = nullptr;
  RunningPreviews running_;
  std::unique_ptr<VideoBoard> board_;
  std::unique_ptr<BoardClipPlayer> player_;
  JobFrameRenderer scrubRenderer_;
  std::function<int(const RenderJob&)> runRenderWindow_;
  std::optional<std::pair<std::int32_t, std::int32_t>> screenSize_;
  CTipWnd* tip_ = nullptr;
  const TLEvent* tipClip_ = nullptr;  // the clip the tip shows (compared, never read)
  QTimer hoverTimer_;
  QPoint hoverPoint_;
  std::int32_t playLineX_ = -1;
  std::int32_t playLineTop_ = 0;
  std::int32_t playLineBottom_ = 0;
  // The document's position when the playback started.
  std::optional<std::int32_t> playStartPosition_;
};

}  // namespace sprocket
