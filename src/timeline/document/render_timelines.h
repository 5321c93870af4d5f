#pragma once
// Event lists made from a timeline for one render or playback job. Each is a
// new list that the caller installs in place of the document's list for the
// job and frees afterwards (FreeEventList).

#include <cstdint>
#include <utility>

#include "timeline/basics/time_code.h"

#include "timeline/records/tl_event.h"

namespace sprocket {

// A copy of the timeline to render one segment from: every clip as it is,
// the segments' ranges kept but their rendered files and pieces forgotten,
// so that nothing in the copy refers to files being rendered.
EventListSlot BuildSegmentRenderTimeline(const TLEvent* head);

// A copy of the timeline in which every segment rendered to an existing file
// on the movie's frame grid plays that file: the clips of the video and
// transition tracks are cut away over the segment's range and a clip of the
// rendered file takes their place on the first video track (marked as a
// rendered-segment clip), from the time of the file's first frame, so that
// every movie frame shows the file's frame of its own time. Segments whose
// files do not hold the grid's frames keep their clips. Audio tracks are
// kept as they are.
EventListSlot BuildRenderedPlaybackTimeline(const TLEvent* head, const MovieFrameGrid& grid);

// The rendered piece of a segment file made on a movie's frame grid: the
// rate x 100 (rounded), the frames the file holds, its picture's width and
// height, and the grid (origin, rate in thousandths).
TLFilterParam MakeSegmentFilePiece(const MovieFrameGrid& grid, std::int32_t frames, std::int32_t width,
                                   std::int32_t height);
// The frames of a movie on `grid` that lie inside the segment: the first
// one and their number (0 for a segment shorter than the gap between frames).
std::pair<std::int64_t, std::int32_t> SegmentGridFrames(const TLFilter& segment, const MovieFrameGrid& grid);
// True when the segment's file was made at the grid's rate and holds every
// frame of the grid inside the segment: made on this grid, or on one from
// another start that shows the same times there.
bool SegmentFileFitsGrid(const TLFilter& segment, const MovieFrameGrid& grid);

// A timeline of `duration` ms at the source's rate that plays only the
// source's render segments: one video track with a clip for every segment
// rendered to an existing file, and the source's segment list.
EventListSlot BuildSegmentPreviewTimeline(const TLEvent* head, std::int32_t duration);

// Cuts the clips of the video and transition tracks away over [start, end):
// clips inside are removed, clips across an edge are trimmed and a clip
// across the whole range is split in two, with play-in and play-out moved so
// that every remaining frame shows what it showed before.
void CutPictureClips(TLEvent* head, std::int32_t start, std::int32_t end);

}  // namespace sprocket
