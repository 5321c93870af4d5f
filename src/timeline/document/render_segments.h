#pragma once
// Render segments: stretches of the timeline that can be rendered ahead into
// files, kept on the head record as TLFilter records in their segment role.
//
// The segments of a timeline are sorted by time, do not overlap and cover
// [0, duration] without a gap; they are split at every in and out time of
// the clips on video and transition tracks. A segment keeps its rendered
// file and pieces as long as its range and the clips inside it are not
// edited.

#include <cstdint>

#include "platform/board/video_board.h"
#include "timeline/records/edit_record.h"
#include "timeline/records/render_entry.h"
#include "timeline/records/tl_event.h"

namespace sprocket {

// Rebuilds the head's segments at the clip edges. A segment whose range is
// unchanged keeps its rendered state; new ranges start unrendered. Each
// segment's count is the number of clips inside it that carry filters or are
// transitions.
void SplitSegmentsAtClips(TLEvent* head);

// Forgets rendered files that no longer exist: a segment whose file (or
// first piece's file) is missing loses its file name, rendered flag and
// pieces.
void RefreshRenderSegments(TLEvent* head);

// Brings the segments up to date after an edit: they are split at the clips
// again, and every segment that meets the edited span loses its rendered
// file, flag and pieces. The edited span is the clip's [in, out] (for a speed
// change, kind 173, up to the clip's old out time: out - first operand); an
// edit record with a positive second operand adds [first operand, first +
// second] (a deleted clip, kind 180, is described by its operands only).
// Without a clip and a record only the split is done: audio edits leave the
// rendered video alone.
void UpdateSegmentsForEdit(TLEvent* head, const TLEvent* clip, const EditRecord* edit, int flag = 0);

// Every segment that meets [start, end] loses its rendered file, flag and
// pieces (its clips changed).
void ForgetRenderingBetween(TLEvent* head, std::int32_t start, std::int32_t end);

// The first segment in list order that overlaps the range [t1, t2)
// (start < t2 and end > t1; a range of no length is the millisecond at t1),
// or null when none does.
TLFilter* FindOverlappingSegment(FilterList& segments, std::int32_t t1, std::int32_t t2);
// The segment whose range strictly holds t (start < t < end), or null.
TLFilter* FindSegmentAt(FilterList& segments, std::int32_t t);

// Merges a timeline's segments into a list of board-clip records: `list`
// keeps its records, and gains copies of the parts of `other`'s segments
// inside [start, end) that no record of `list` covers (trimmed or split
// where a record covers part of them), all in time order.
void SubtractSegmentRanges(FilterList& list, const FilterList& other, std::int32_t start, std::int32_t end);

// The rendered pieces that cover [t1, t2) at `fps`, in time order: from the
// rendered segments, or from every segment (board-clip records) when the
// head's board-clip flag is set. A piece's frames are counted from its
// segment's start; a span is named by the piece's file name when `flag` is
// nonzero, else by its second name. Empty when none.
RenderSpanList CollectRenderSpans(const TLEvent* head, float fps, std::int32_t t1, std::int32_t t2, int flag);
void FreeRenderSpanList(RenderSpanList& spans);
// Sum of (last - first + 1) over the spans.
std::int64_t CountSpanFrames(const RenderSpanList& spans);

// What becomes of the files of segments reset as out of date: deleted, or
// kept for a timeline file that still names them (the document forgets them
// either way).
enum class StaleSegmentFiles { kDeleted, kKept };

// When rendered segments lie inside clips that stand for intermediate
// movies, asks once (message 61479) and on Yes resets them, deleting or
// keeping their files. True when segments were reset.
bool ConfirmRerenderIntermediates(TLEvent* head, StaleSegmentFiles files = StaleSegmentFiles::kDeleted);

// Fills every unrendered segment that a native board clip covers (the
// topmost video clip over the whole segment, needing no compositing, whose
// file the board takes as its own and has a chunk list for) with the chunks
// of that list that hold the clip's frames under the segment, each cut to
// those frames; such a segment becomes rendered, with its board-clip flag
// set. Answers the number of segments filled (0 without a board).
int ReadBoardSegments(TLEvent* head, VideoBoard& board);
// Clears the pieces that ReadBoardSegments put into segments (those whose
// board-clip flag is set): they become unrendered again.
void DropBoardSegmentPieces(TLEvent* head);

// True when the segments are sorted, do not overlap and cover [0, duration]
// without a gap (an empty list covers a timeline of no length only).
bool SegmentsCoverTimeline(const TLEvent* head);

}  // namespace sprocket
