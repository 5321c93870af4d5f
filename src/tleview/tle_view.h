#pragma once
// CTLEView: the timeline view of a timeline document.
//
// It lays out and paints the tracks, clips, ruler, mark bands and track
// headers (OnDraw) into its back buffer, which the window shows; drawing
// outside painting (the inverted position line) goes into the same buffer.
// Its rooms: the layout (view_layout.h: times <-> pixels, rows, rectangles),
// the painter (OnDraw and the Draw* functions, tle_view_paint.cpp,
// tle_view_clips.cpp, tle_view_envelopes.cpp, tle_view_ruler.cpp), which
// reads the document, the layout and the picture cache and changes none of
// them, the picture cache (clip_picture_cache.h, filled before a paint and
// when clips come into view, tle_view_pictures.cpp), and the mouse gestures.
// It carries the operations that rendering and the commands ask of a view
// (MovieViewHooks); those that need no window are shared with the headless
// view of the command-line tool.
//
// Geometry names: M margin, B band height, R ruler height, W header width,
// X0 = M + W the left edge of the track area, T0 = M + 3B + R its top, h the
// row height of the zoom level, H the total track height.

#include <QAbstractScrollArea>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "libs/sharedservices/shared_value_store.h"
#include "platform/application_state.h"
#include "platform/qt/back_buffer.h"
#include "platform/settings/profile.h"
#include "render/compose/transition_icons.h"
#include "render/movie/movie_render_services.h"
#include "render/output/position_lines.h"
#include "timeline/document/document.h"
#include "timeline/document/missing_files.h"
#include "timeline/edit/timeline_edit.h"
#include "tleview/clip_bitmaps.h"
#include "tleview/clip_frames.h"
#include "tleview/clip_picture_cache.h"
#include "tleview/drag_state.h"
#include "tleview/view_layout.h"
#include "tleview/view_resources.h"

namespace sprocket {

class CTLEView;
class MouseGesture;
class PreviewWindowLink;
class ViewPreviews;

// A document with the views that show it.
struct ViewedDocument {
  CTestDoc doc;
  std::vector<CTLEView*> views;
};

class CTLEView : public QAbstractScrollArea, public MovieViewOperations {
  Q_OBJECT
public:
  CTLEView(std::shared_ptr<ViewedDocument> document, ApplicationState& app, Profile& profile,
           QWidget* parent = nullptr);
  ~CTLEView() override;

  CTestDoc& GetDocument() const { return document_->doc; }
  const std::shared_ptr<ViewedDocument>& SharedDocument() const { return document_; }
  dc::BackBuffer& BackBuffer() { return backBuffer_; }
  const ViewResources& Resources() const { return resources_; }

  // --- Painting: draws the document as the layout places it with the
  // pictures the cache holds; changes neither ---
  void OnDraw(dc::Context& dc) const;
  void DrawTrackHeaders(dc::Context& dc) const;
  void DrawRuler(dc::Context& dc) const;
  // Draws a clip by its track and media (tle_view_clips.cpp) at the place
  // the layout gives it.
  void DrawClip(dc::Context& dc, const TLEvent* clip) const;
  ClipRect& GetClipRowRect(ClipRect& rect, const TLEvent* clip) const;
  void DrawResourceBitmap(dc::Context& dc, int bitmapId, const dc::Rect& rect) const;
  // Paints what is pending now (tests and the window's paint), after
  // PrepareForPaint.
  void UpdateNow();
  // What a paint needs and only a paint shows, done before it: the clips'
  // kept rectangles and default envelope points, the render segments of a
  // timeline that has none, and the pictures of clips in view
  // (FillMissingClipBitmaps).
  void PrepareForPaint();
  void InvalidateRect(const dc::Rect& rect);
  void InvalidateAll();

  // --- Geometry (the layout's answers) ---
  ViewLayout Layout() const { return ViewLayout(GetDocument(), ClientRect(), verticalScroll); }
  dc::Rect GetTimelineRect() const;
  dc::Rect GetMarkBandRect() const;
  std::int32_t GetTotalTrackHeight() const;
  dc::Rect ClientRect() const { return backBuffer_.ClientRect(); }
  // XR: the right edge of the timeline, min(client right, extent - scroll).
  std::int32_t TimelineRight() const;
  // The track's top in the view, T0 + GetTrackTop(n - 1) - vertical scroll.
  std::int32_t TrackTop(std::int32_t trackNumber) const;

  // --- Operations of the view ---
  void UpdateOtherViews(int left, int top, int right, int bottom);
  void InvalidateSelection() override;
  void RecalcTimelineExtent();
  // Shows an edit in every view of the document: pictures of the changed
  // clips are made again and each view repaints what the report names.
  void ShowEdit(const EditReport& report);
  // Repaints what an edit changed in this view.
  void RepaintEdit(const EditReport& report);
  void SaveUndoState(std::int32_t kind) { GetDocument().SaveUndoState(kind); }
  void RevertLastEdit();
  void AutoSaveTimeline() override;
  TLEvent* FindClipAtTime(std::int32_t time, std::int32_t trackNumber) const;
  TLEvent* FindLinkedClip(const TLEvent* clip) const;
  TLEvent* FindSyncPartner(const TLEvent* clip) const;
  int CheckTrackRange(char type, std::int32_t trackNumber, std::int32_t start, std::int32_t end, TLEvent** first,
                      TLEvent** second);
  std::int32_t FindOrAddAudioTrack(std::int32_t in, std::int32_t out);
  int RebuildTransitions();
  int UpdateTransitionsForClip(const TLEvent* clip);

  // Moves the position line to a time (the ruler's click).
  void SetCurrentPosition(std::int32_t ms);
  // The vertical zoom level (0..3) and the time scale (0..11).
  void SetZoomLevel(int zoomLevel);
  void SetScaleIndex(int scaleIndex);
  // Runs a change of the time scale or zoom level and scrolls so that the
  // position line stays where it was on the screen.
  void KeepingTimeInPlace(const std::function<void()>& changeScale);
  // The document's clip view option (0..4) and a track's view status
  // (-1..3); the pictures follow.
  void SetClipViewOption(int option);
  void SetTrackViewStatus(std::int32_t trackNumber, std::int32_t status);

  // --- The repaint hooks of rendering (the rest of MovieViewHooks is shared
  // with the headless view through MovieViewOperations, with the members
  // incCompDisable and playbackTimeline) ---
  void StopPreview() override;  // tle_view_preview.cpp
  void RepaintNow() override;
  void UpdateOtherViews() override;
  void RepaintSegmentBand() override;
  void RepaintBelowMarkBands() override;
  void CheckCroppingRange(TLEvent* head) override { sprocket::CheckCroppingRange(head); }

  // --- Members the drawing, the mouse handlers and the commands share ---
  std::int32_t lastPositionX = -1;  // last x of the position line
  std::int32_t markerOnly = 0;      // draw only the marker of the position line
  std::int32_t panelShown1 = 0;     // the two panel flags; the position line
  std::int32_t panelShown2 = 0;     // leaves out [panelTop, panelBottom) while shown
  std::int32_t panelTop = 0;
  std::int32_t panelBottom = 0;
  std::int32_t followPosition = 0;  // the position line advances the current time
  std::int32_t verticalScroll = 0;  // pixels
  std::int32_t boardPlayback = 0;
  std::int32_t unrenderedSegment = 0;
  std::int32_t speedChange = 0;  // set while the clip speed command runs
  std::int32_t thumbnailMode = 0;
  ViewDragState drag;  // written by the mouse handlers, read by the drag feedback

  // --- The render window's position line (tle_view_render_line.cpp) ---
  // Moves the inverted line over the ruler and the tracks to the time of the
  // frame being rendered, erasing the line drawn before (also when the job
  // reports its start time twice); answers the time's x. The document's
  // position and the view's own position line are left alone.
  std::int32_t DrawRenderPositionLine(std::int32_t ms);
  // Erases the line when the job ends: the view looks as before the render.
  void EraseRenderPositionLine();
  // The x of the line drawn now, none when none is.
  std::optional<std::int32_t> RenderPositionLineX() const;

  // --- Previews, scrubbing and segment preview (tle_view_preview.cpp) ---
  static constexpr int kStopPreviewCommand = 32889;
  void OnStopPreview() { StopPreview(); }
  void SetPreviewWindow(PreviewWindowLink* window);
  ViewPreviews& Previews() { return *previews_; }
  bool PreviewSegment(bool preview, int mode, std::int32_t startMs, std::int32_t endMs);
  // The board-preview commands: the preview range with the preview settings
  // or the movie range with the movie settings, played from the board.
  bool OnBoardPreview(bool preview);
  // The mixing console's range playback over the preview range: the range's
  // file made for the console (mode 1), then played on the board.
  bool OnConsoleRangePlayback();
  // The view's keys of the board previews: 'P' with the preview settings,
  // 'M' with the movie settings. False for other keys.
  bool OnPreviewKey(const QKeyEvent& event);
  // The board's progress: moves the inverted play line to the time; flag 0
  // ends the playback and erases it.
  void MovePlayLine(float timeMs, std::int32_t flag);

  // The values shared with the libraries; its key 8 says the board's audio
  // is present (null: none is).
  const SharedValueStore* sharedValues = nullptr;

  // ==== Clips: drawing, their pictures, drag feedback, mouse editing ====
  // (tle_view_clips.cpp, tle_view_envelopes.cpp, tle_view_pictures.cpp,
  // tle_view_feedback.cpp, tle_view_mouse.cpp)
  void DrawVideoFileClip(dc::Context& dc, const TLEvent* clip) const;
  void DrawFilmStripClip(dc::Context& dc, const TLEvent* clip) const;
  void DrawStillOrTransitionClip(dc::Context& dc, const TLEvent* clip) const;
  void DrawAudioClip(dc::Context& dc, const TLEvent* clip) const;
  // Mode -1 the volume (left) envelope, 1 the balance (right) one.
  void DrawClipEnvelope(dc::Context& dc, const TLEvent* clip, int mode) const;
  void DrawSyncLabel(dc::Context& dc, const TLEvent* clip, const dc::Rect& rect) const;
  void DrawClipIndexMarks(dc::Context& dc, int left, int top, int right, int bottom, const TLEvent* clip) const;
  // Where the clip's picture goes; 0 when it has none.
  int GetClipPictureRect(const TLEvent* clip, dc::Rect& rect) const;
  int GetEnvelopeRect(const TLEvent* clip, dc::Rect& rect) const;
  int GetBalanceEnvelopeRect(const TLEvent* clip, dc::Rect& rect) const;
  void EnvelopePointToScreen(dc::Point& point, const TLEvent* clip, const VolumePoint& value, int mode) const;
  // Picture cache (clip_picture_cache.h makes the pictures; these say when).
  ClipPictureCache& Pictures() { return pictures_; }
  int DrawClipWaveform(TLEvent* clip, int channel);
  int LoadTransitionIcon(TLEvent* clip);
  void UpdateClipBitmapsForStatus(TLEvent* clip);
  void UpdateTrackClipBitmaps(std::int32_t trackNumber);
  void RefreshAllClipBitmaps();
  void FillMissingClipBitmaps();
  void RefreshClipThumbnails(TLEvent* clip);
  void RebuildClipBitmaps(TLEvent* clip);
  void ShiftAllClips(int dx);
  void ShiftClip(TLEvent* clip, int dx);
  void InvalidateScrollSensitiveAreas();
  void InvalidatePicturesAndWaveforms();
  // Scrolls the picture and repaints only what does not simply move.
  void ScrollHorizontally(int newScroll);
  void ScrollVertically(int newScroll);
  // Drag feedback, from the drag members (drag_state.h).
  void DrawDragOutline();
  void DrawTrimBand();
  void EraseTrimBand();
  void DrawRangeRubberBand();
  void DrawEnvelopeDragFeedback(TLEvent* clip, int mode);
  // The bottom of the last track in the view.
  std::int32_t TracksBottom() const;
  // Hit tests of the mouse.
  TLEvent* ClipAtPoint(int x, int y) const;
  // The header of the track whose rows hold a view y, or null.
  const TLEvent* TrackAtY(int y) const;

  std::unique_ptr<ClipFrameSource> frameSource = std::make_unique<CompositorFrameSource>();
  // Asks for a media file to place (double-click on an empty track).
  std::function<std::optional<std::string>()> chooseMediaFile;
  // Offers replacements of missing media; none, nothing is asked.
  MissingFileResolver* missingFileResolver = nullptr;
  // ==== end of clips ====

signals:
  // The ruler was clicked: the position line moved to `ms`.
  void positionChanged(std::int32_t ms);
  // A board-preview key played nothing (with the preview settings when
  // `preview` is set).
  void boardPreviewRefused(bool preview);

protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

private:
  void FillTrackRows(dc::Context& dc, const TLEvent& track, std::int32_t top, std::int32_t right) const;
  void DrawTrackSeparators(dc::Context& dc, const TLEvent& track, std::int32_t top, std::int32_t totalHeight) const;
  void DrawPositionOrRange(dc::Context& dc, std::int32_t totalHeight) const;
  void DrawSelectionMarks(dc::Context& dc) const;
  std::vector<dc::Rect> SelectionMarkRects() const;
  void InvalidateChangedSelectionMarks();
  void DrawBlankAreas(dc::Context& dc, std::int32_t totalHeight) const;
  // The start and end handles of a band, and the bitmap whose size the
  // start handle is blitted at.
  struct BandHandles {
    const dc::Bitmap* start;
    const dc::Bitmap* startSize;
    const dc::Bitmap* end;
  };
  void DrawRangeBand(dc::Context& dc, const TimeRange& range, std::int32_t top, const BandHandles& handles,
                     const char* label) const;
  void DrawSegmentBand(dc::Context& dc) const;
  void DrawIntermediateMovieBand(dc::Context& dc) const;
  void DrawMovieBand(dc::Context& dc) const;
  void DrawBandLabel(dc::Context& dc, const char* text, std::int32_t x1, std::int32_t x2, std::int32_t top,
                     std::int32_t bottom, int handleWidth) const;
  void DrawTicksAndLabels(dc::Context& dc) const;
  void DrawIndexMarks(dc::Context& dc) const;
  void DrawScaleControl(dc::Context& dc) const;
  // Whether the segment band shows, and for the board's own format.
  bool ShowsSegmentBand(bool* native) const;
  std::int32_t FarEdge() const;
  void UpdateScrollBars();
  void PlaceClips();
  void EnsureRenderSegments();

  // ==== Clips (private) ====
  void OnRulerPress(QMouseEvent* event);
  // The gesture that a press at the point starts, or null (the ruler's).
  std::unique_ptr<MouseGesture> StartGesture(QPoint point, Qt::KeyboardModifiers modifiers);
  // Ends a mouse gesture under way without its edit and erases its feedback.
  void EndMouseGesture();
  // The clip's first row where the layout puts it (what GetClipRowRect
  // answers after a paint).
  ClipRect RowRectOf(const TLEvent& clip) const;
  void DrawNarrowClip(dc::Context& dc, const ClipRect& r, int rows) const;
  void DrawLabelAndEffects(dc::Context& dc, const TLEvent& clip, const dc::Rect& body, int textLeft) const;
  void DrawKindPicture(dc::Context& dc, const TLEvent& clip, ClipKind kind) const;
  void DrawAudioRow(dc::Context& dc, const TLEvent& clip, const dc::Rect& row, std::int32_t status, int channel,
                    bool hasSound) const;
  void DrawChannelLabels(dc::Context& dc, const dc::Rect& row) const;
  void DrawSprocketBand(dc::Context& dc, int left, int right, int top) const;
  void DrawFilmStrip(dc::Context& dc, const TLEvent& clip, const ClipRect& r) const;
  void DrawHeadFrameClip(dc::Context& dc, const TLEvent& clip, const ClipRect& r, int option) const;
  void DrawEnvelopeLines(dc::Context& dc, const TLEvent* clip, const VolumeEnvelope& points, int mode,
                         const dc::Rect& clamp) const;
  void DrawCentreLine(dc::Context& dc, const TLEvent* clip, int mode, const dc::Rect& area) const;
  void DrawSyncGuide(dc::Context& dc);
  void InvertOutline(dc::Context& dc, dc::Rect rect) const;
  dc::Rgb TrimBandColour() const;
  bool IsMediaMissing(const TLEvent& clip) const { return pictures_.IsMediaMissing(clip); }
  bool IsClipInView(const TLEvent& clip) const { return Layout().IsClipInView(clip); }
  std::int32_t TrackStatusOf(const TLEvent& clip) const;
  void QueueMessage(int stringId, const std::string& path);
  // The pictures a clip in view shows, made where missing.
  void FillClipPictures(TLEvent& clip, const ViewLayout& layout);
  void BuildMissingTransitionIcon(TLEvent& clip);
  void InvalidateClipsAtEdges(int dx);
  std::vector<dc::Rect> PictureAreas() const;
  void InvalidateMoved(const std::vector<dc::Rect>& areas, int dx, int dy);
  void InvalidateTracksAtTop(int dy);
  dc::Rect BandBarRect(std::int32_t start, std::int32_t end, std::int32_t top, std::int32_t bottom) const;

  // The render window's line where it is drawn now; painting draws it again
  // where it repaints, so erasing it by inverting stays exact.
  struct RenderLine {
    std::int32_t x = 0;
    LineSpan span;
  };
  void InvertRenderLine(dc::Context& dc, const RenderLine& line) const;
  std::optional<RenderLine> renderLine_;
  std::vector<dc::Rect> selectionMarks_;  // drawn at the last paint

  ApplicationState& appState_;
  std::unique_ptr<MouseGesture> gesture_;  // the mouse gesture under way
  bool iconCheckQueued_ = false;
  std::set<std::string> reportedMessages_;
  std::set<std::string> declinedMissingPaths_;
  ClipPictureCache pictures_;
  // ==== end of clips ====

  std::shared_ptr<ViewedDocument> document_;
  ViewResources resources_;
  dc::BackBuffer backBuffer_;
  std::unique_ptr<ViewPreviews> previews_;
};

// The file dialog that asks for a media file to place; nothing on Cancel.
std::optional<std::string> AskForMediaFile(QWidget* parent);

}  // namespace sprocket
