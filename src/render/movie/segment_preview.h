#pragma once
// Segment preview: plays a stretch of the timeline on the video board from
// what already exists on disk, without composing a frame. The rendered
// segment files and the board clips that cover the stretch are joined, in
// the board's own format, into "preview.avi" in the document's temporary
// folder, with the stretch's sound mixed into "recorder.wav" first when the
// output settings carry sound.
//
//   mode 0: the file is played on the board (the board clip player), whose
//           progress moves the view's play line;
//   mode 1: the file is only written, for the audio mixing console.
//
// For the length of the call the document's list, rate and segments are
// replaced or changed; they are put back on every way out. The selection
// is cleared and stays cleared.

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "libs/boardclipplay/board_clip_play.h"
#include "platform/application_state.h"
#include "platform/board/video_board.h"
#include "platform/global_memory.h"
#include "platform/system_info.h"
#include "render/movie/board_segments.h"
#include "render/output/render_job.h"
#include "timeline/document/document.h"

namespace sprocket {

inline constexpr const char* kPreviewFileName = "preview.avi";
inline constexpr const char* kPreviewSoundFileName = "recorder.wav";
inline constexpr const char* kPreviewJoinFailed = "Fail to preview.avi!";
inline constexpr const char* kSegmentNotRendered = "The segment(%s, %s) has not been rendered yet";

// What segment preview asks of the timeline view.
class SegmentPreviewView {
public:
  virtual ~SegmentPreviewView() = default;
  // The board clip pieces on video tracks 1 and 3 of the timeline `head`
  // (the document's own list, also while a preview list is installed in its
  // place) that overlap [start, end); none when neither output record is in
  // the board's own format.
  virtual std::vector<BoardClipPiece> CollectBoardClipPieces(const TLEvent* head, std::int32_t start,
                                                             std::int32_t end) = 0;
  // Releases what the pieces hold (their image handles) and empties the list.
  virtual void FreeBoardClipPieces(std::vector<BoardClipPiece>& pieces) = 0;
  // Repaints the view at once.
  virtual void RepaintNow() = 0;
  virtual void SetWaitCursor(bool on) = 0;
  // The screen's width and height in pixels.
  virtual std::pair<std::int32_t, std::int32_t> ScreenSize() = 0;
  // Moves the view's inverted play-position line to a timeline time (the
  // board player's progress callback).
  virtual void MovePlayLine(float timeMs, std::int32_t flag) = 0;
};

struct SegmentPreviewServices {
  SegmentPreviewView* view = nullptr;    // required
  ApplicationState* app = nullptr;       // null: the process's application state
  std::optional<PlatformFamily> family;  // none: the family the settings name
  BoardClipFiles* clipFiles = nullptr;   // null: no board clips
  VideoBoard* board = nullptr;           // null: no board (the segments under board clips stay unread)
  BoardClipPlayer* player = nullptr;     // null: nothing plays
  // Runs the render window on the sound job and answers its result (-1
  // failed or stopped). Empty: the sound cannot be mixed (-1).
  std::function<int(const RenderJob& job)> runRenderWindow;
  // The movie join library's ordinal 2 on a packed job. Empty: the library.
  std::function<int(HGLOBAL block)> writeMovieFile;
};

class SegmentPreview {
public:
  SegmentPreview(CTestDoc& doc, SegmentPreviewServices services);

  // Mode 0 answers false only when the output settings are not in the
  // board's own format (also true when there was nothing to play or a
  // failure was reported). Mode 1 answers true when "preview.avi" was
  // written; false when the settings are not board-native, a segment in
  // the range is not rendered, nothing covers the range, or the join failed.
  bool PreviewSegment(bool preview, int mode, std::int32_t startMs, std::int32_t endMs);

  // The audio mixing console's range playback: writes the preview file of
  // [startMs, endMs) (mode 1) and, when it was written, plays it on the
  // board, the progress moving the view's play line. True when it plays.
  bool PlayConsoleRange(std::int32_t startMs, std::int32_t endMs);

  // The centred 80 x 60 monitor rectangle on a screen of that size.
  static ScreenRect MonitorRect(std::int32_t screenWidth, std::int32_t screenHeight);

private:
  bool PlayOnBoard(bool preview, std::int32_t startMs, std::int32_t endMs);
  bool WriteForConsole(bool preview, std::int32_t startMs, std::int32_t endMs);
  bool IsNative(bool either, bool preview) const;
  FilterList ReadBoardClipRecords(const TLEvent* ownHead, std::int32_t startMs, std::int32_t endMs);
  int WriteJoin(const MovieJoinJob& job);
  bool PlayPreviewFile(std::int32_t startMs);

  CTestDoc& doc_;
  SegmentPreviewServices services_;
  ApplicationState& app_;
  PlatformFamily family_;
};

}  // namespace sprocket
