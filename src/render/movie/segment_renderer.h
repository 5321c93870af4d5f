#pragma once
// Rendering the render segments of a timeline ahead into files, so that a
// later movie copies their frames instead of compositing them again.
//
// A segment is rendered by one of three roads:
//
//   - the board's road, for segments whose picture stands still in the
//     board's own format: one frame is rendered, the board turns it into a
//     board clip, and the segment's piece covers its frames with it;
//   - the effects board's road, for transitions the effects board knows: it
//     compiles them into board clips, which are copied into one file;
//   - the compositing road: the render job renders the segment's range into
//     a temporary AVI file ("%szkb%X.avi" in the document's temporary
//     folder), which becomes the segment's file. A file it replaces is
//     not deleted: a timeline file may name it.
//
// Every temporary change (the document's range, the sound and field
// switches of the settings, the event list, the board-rate snapping, the
// segment-render flag, the effect data) is undone on every way out.

#include <cstdint>
#include <string>

#include "render/movie/movie_render_services.h"
#include "timeline/basics/time_code.h"

namespace sprocket {

inline constexpr const char* kEditingLogName = "roduver.log";
inline constexpr const char* kTempSpaceQuestion =
    "The current temp dir may not have enough space, you can change it in the preference dialog box or continue "
    "rendering, continue ?";
inline constexpr const char* kTfxCompileFailed = "Tfx compile failed!";

class SegmentRenderer {
public:
  SegmentRenderer(CTestDoc& doc, ResolvedMovieServices& services);

  // Renders one segment: 1 rendered, 0 not rendered (declined, stopped or
  // not possible), -1 the effects board failed. With `prepare` set the
  // effect data is prepared and released around the compositing road.
  int RenderSegment(int previewFlag, TLFilter& segment, int prepare);
  // Renders all segments that need it, the segments of the movie range, or
  // the marked segments (exactly one of the three flags set). 0 done, -1 a
  // segment failed.
  int RenderMarkedSegments(int previewFlag, int all, int range, int marked);
  // Renders the segments wholly inside the document's movie (or preview)
  // range that need rendering. 1 when every one was rendered, 0 when one
  // was not (failed, declined or stopped).
  int RenderRangeSegments(int previewFlag);

  // Copy the frames of a segment's first piece, or of all its pieces, into
  // a new temporary AVI file named in the first piece's second name. The
  // movie join's result: 0 written, -1 failed.
  int CopyClipFramesToAvi(TLFilter& segment);
  int CopySegmentPiecesToAvi(TLFilter& segment);

private:
  bool Native(bool either, bool preview);
  int RenderStillOnBoard(int previewFlag, TLFilter& segment, double fps);
  int CompileOnEffectsBoard(int previewFlag, TLFilter& segment, const RenderEntry& transition, std::int32_t mid);
  int RenderFrames(int previewFlag, TLFilter& segment, int prepare, const RenderEntry* transition);
  int CopyPiecesToAvi(TLFilter& segment, bool allPieces, bool wholeRange);
  int RunJob(const RenderJob& job);
  // True when the segment needs rendering by the range rule.
  bool NeedsRendering(const TLFilter& segment, bool native, bool preview);
  // The frame grid of the movie (or preview) of the document's range, as
  // Make Movie makes it: segment files hold that movie's frames.
  MovieFrameGrid MovieGrid(bool preview) const;

  CTestDoc& doc_;
  ResolvedMovieServices& services_;
};

// Appends a record to the editing log "roduver.log" in the log folder, only
// when that file already exists: a start record is preceded by a line of 36
// dashes.
void WriteEditingLog(const std::string& text, bool startRecord);

}  // namespace sprocket
