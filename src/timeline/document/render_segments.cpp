#include "timeline/document/render_segments.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/file_paths.h"
#include "platform/prompts.h"
#include "timeline/basics/media_type.h"
#include "timeline/basics/time_code.h"
#include "timeline/document/render_list.h"

namespace sprocket {

namespace {

constexpr int kRerenderIntermediatesMessage = 61479;

bool IsPictureTrack(char trackType) { return trackType == kTrackVideo || trackType == kTrackTransition; }

void ForgetRendering(TLFilter& segment) {
  segment.fileName.clear();
  segment.rendered = 0;
  segment.boardClip = 0;
  segment.params.clear();
}

bool Meets(const TLFilter& segment, std::int32_t start, std::int32_t end) {
  return segment.start < end && segment.end > start;
}

TLFilter MakeSegment(std::int32_t start, std::int32_t end) {
  TLFilter segment;
  segment.start = start;
  segment.end = end;
  segment.length = end - start;
  return segment;
}

bool IsEffectClip(const TLEvent& event) {
  return event.kind == kEventClipIn && IsPictureTrack(event.trackType) &&
         (event.trackType == kTrackTransition || !event.filters.empty());
}

// For consecutive segments [edges[i], edges[i + 1]), the number of clips on
// picture tracks that carry effects or are transitions and overlap each one.
// Every clip adds one over the run of segments it overlaps (a difference
// array), so the whole count takes one pass over the clips.
std::vector<std::int32_t> CountEffectClips(const TLEvent* head, const std::vector<std::int32_t>& edges) {
  const std::ptrdiff_t segmentCount = static_cast<std::ptrdiff_t>(edges.size()) - 1;
  std::vector<std::int32_t> counts(static_cast<std::size_t>(std::max<std::ptrdiff_t>(segmentCount, 0)) + 1, 0);
  for (const TLEvent* event = head; event != nullptr; event = GetNextEvent(event)) {
    if (!IsEffectClip(*event)) continue;
    // Segment i overlaps [in, out) when edges[i] < out and edges[i + 1] > in.
    std::ptrdiff_t first = (std::upper_bound(edges.begin(), edges.end(), event->time) - edges.begin()) - 1;
    std::ptrdiff_t last = (std::lower_bound(edges.begin(), edges.end(), event->OutTime()) - edges.begin()) - 1;
    first = std::max<std::ptrdiff_t>(first, 0);
    last = std::min(last, segmentCount - 1);
    if (first > last) continue;
    ++counts[static_cast<std::size_t>(first)];
    --counts[static_cast<std::size_t>(last + 1)];
  }
  std::int32_t running = 0;
  for (std::int32_t& count : counts) count = running += count;
  counts.pop_back();
  return counts;
}

}  // namespace

void SplitSegmentsAtClips(TLEvent* head) {
  if (head == nullptr) return;
  std::int32_t duration = TimelineDuration(head);
  std::set<std::int32_t> edgeSet = {0};
  if (duration > 0) edgeSet.insert(duration);
  for (const TLEvent* event = head; event != nullptr; event = GetNextEvent(event)) {
    if (event->kind != kEventClipIn || !IsPictureTrack(event->trackType)) continue;
    for (std::int32_t edge : {event->time, event->OutTime()}) {
      if (edge > 0 && edge < duration) edgeSet.insert(edge);
    }
  }
  const std::vector<std::int32_t> edges(edgeSet.begin(), edgeSet.end());
  const std::vector<std::int32_t> counts = CountEffectClips(head, edges);

  // Segments whose span is unchanged keep what was rendered for them.
  FilterList old = std::move(head->segments);
  std::map<std::pair<std::int32_t, std::int32_t>, std::size_t> oldBySpan;
  for (std::size_t i = 0; i < old.size(); ++i) oldBySpan.emplace(std::make_pair(old[i].start, old[i].end), i);

  FilterList segments;
  segments.reserve(counts.size());
  for (std::size_t i = 0; i + 1 < edges.size(); ++i) {
    std::int32_t start = edges[i];
    std::int32_t end = edges[i + 1];
    auto kept = oldBySpan.find({start, end});
    TLFilter segment = kept != oldBySpan.end() ? std::move(old[kept->second]) : MakeSegment(start, end);
    segment.length = end - start;
    segment.count = counts[i];
    segments.push_back(std::move(segment));
  }
  head->segments = std::move(segments);
}

void RefreshRenderSegments(TLEvent* head) {
  if (head == nullptr) return;
  for (TLFilter& segment : head->segments) {
    bool fileMissing = !segment.fileName.empty() && !PathExists(segment.fileName);
    bool pieceMissing = segment.rendered != 0 && !segment.params.empty() && !segment.params.front().name.empty() &&
                        !PathExists(segment.params.front().name);
    if (fileMissing || pieceMissing) ForgetRendering(segment);
  }
}

void UpdateSegmentsForEdit(TLEvent* head, const TLEvent* clip, const EditRecord* edit, int /*flag*/) {
  if (head == nullptr) return;
  SplitSegmentsAtClips(head);

  std::vector<std::pair<std::int32_t, std::int32_t>> edited;
  bool deletedClip = edit != nullptr && edit->kind == kEditDeleteClip;
  if (clip != nullptr && !deletedClip) {
    std::int32_t in = clip->time;
    std::int32_t out = clip->OutTime();
    if (edit != nullptr && edit->kind == kEditClipSpeed) out = std::max(out, out - edit->operands[0]);
    edited.emplace_back(in, out);
  }
  if (edit != nullptr && edit->operands[1] > 0) {
    edited.emplace_back(edit->operands[0], edit->operands[0] + edit->operands[1]);
  }
  for (const auto& [start, end] : edited) ForgetRenderingBetween(head, start, end);
}

void ForgetRenderingBetween(TLEvent* head, std::int32_t start, std::int32_t end) {
  if (head == nullptr) return;
  for (TLFilter& segment : head->segments) {
    // A span of no length still touches the segment around it.
    if (Meets(segment, start, std::max(end, start + 1))) ForgetRendering(segment);
  }
}

TLFilter* FindOverlappingSegment(FilterList& segments, std::int32_t t1, std::int32_t t2) {
  for (TLFilter& segment : segments) {
    if (Meets(segment, t1, std::max(t2, t1 + 1))) return &segment;
  }
  return nullptr;
}

TLFilter* FindSegmentAt(FilterList& segments, std::int32_t t) {
  for (TLFilter& segment : segments) {
    if (segment.start < t && t < segment.end) return &segment;
  }
  return nullptr;
}

void SubtractSegmentRanges(FilterList& list, const FilterList& other, std::int32_t start, std::int32_t end) {
  FilterList added;
  for (const TLFilter& segment : other) {
    // The part of the segment inside the range, cut by every record of `list`.
    std::vector<std::pair<std::int32_t, std::int32_t>> parts;
    std::int32_t from = std::max(segment.start, start);
    std::int32_t to = std::min(segment.end, end);
    if (from < to) parts.emplace_back(from, to);
    for (const TLFilter& record : list) {
      std::vector<std::pair<std::int32_t, std::int32_t>> remaining;
      for (const auto& [a, b] : parts) {
        if (record.end <= a || record.start >= b) {
          remaining.emplace_back(a, b);
          continue;
        }
        if (a < record.start) remaining.emplace_back(a, record.start);
        if (record.end < b) remaining.emplace_back(record.end, b);
      }
      parts = std::move(remaining);
    }
    for (const auto& [a, b] : parts) {
      TLFilter copy = segment;
      copy.start = a;
      copy.end = b;
      copy.length = b - a;
      added.push_back(std::move(copy));
    }
  }
  for (TLFilter& segment : added) list.push_back(std::move(segment));
  std::stable_sort(list.begin(), list.end(), [](const TLFilter& a, const TLFilter& b) { return a.start < b.start; });
}

RenderSpanList CollectRenderSpans(const TLEvent* head, float fps, std::int32_t t1, std::int32_t t2, int flag) {
  RenderSpanList spans;
  if (head == nullptr || !(fps > 0.0f) || t2 <= t1) return spans;
  for (const TLFilter& segment : head->segments) {
    if (head->boardClipMode == 0 && segment.rendered == 0) continue;
    if (!Meets(segment, t1, t2)) continue;
    // Frames of the range, counted from the segment's start.
    std::int32_t first = MsToFrames(std::max(t1, segment.start) - segment.start, fps);
    std::int32_t last = MsToFrames(std::min(t2, segment.end) - segment.start, fps) - 1;
    std::int32_t pieceStart = 0;  // the segment frame of the piece's first frame
    for (const TLFilterParam& piece : segment.params) {
      std::int32_t pieceFrames = piece.lastFrame() - piece.firstFrame() + 1;
      if (pieceFrames <= 0) continue;
      std::int32_t from = std::max(first, pieceStart);
      std::int32_t to = std::min(last, pieceStart + pieceFrames - 1);
      if (from <= to) {
        spans.push_back(RenderSpan{piece.pieceId(), piece.firstFrame() + (from - pieceStart),
                                   piece.firstFrame() + (to - pieceStart), flag != 0 ? piece.name : piece.secondName});
      }
      pieceStart += pieceFrames;
    }
  }
  return spans;
}

void FreeRenderSpanList(RenderSpanList& spans) { spans.clear(); }

std::int64_t CountSpanFrames(const RenderSpanList& spans) {
  std::int64_t frames = 0;
  for (const RenderSpan& span : spans) frames += static_cast<std::int64_t>(span.lastFrame) - span.firstFrame + 1;
  return frames;
}

bool ConfirmRerenderIntermediates(TLEvent* head, StaleSegmentFiles files) {
  if (head == nullptr) return false;
  std::vector<TLFilter*> stale;
  for (TLFilter& segment : head->segments) {
    if (segment.fileName.empty() && segment.rendered == 0) continue;
    for (const TLEvent* event = head; event != nullptr; event = GetNextEvent(event)) {
      if (event->kind == kEventClipIn && event->intermediateMovie && Meets(segment, event->time, event->OutTime())) {
        stale.push_back(&segment);
        break;
      }
    }
  }
  if (stale.empty()) return false;
  if (ShowMessage(kRerenderIntermediatesMessage, MB_YESNO | MB_ICONQUESTION) != IDYES) return false;
  for (TLFilter* segment : stale) {
    std::error_code error;
    if (files == StaleSegmentFiles::kDeleted && !segment->fileName.empty()) {
      std::filesystem::remove(segment->fileName, error);
    }
    ForgetRendering(*segment);
  }
  return true;
}

int ReadBoardSegments(TLEvent* head, VideoBoard& board) {
  if (head == nullptr) return 0;
  int filled = 0;
  for (TLFilter& segment : head->segments) {
    if (segment.rendered != 0 || segment.end <= segment.start) continue;
    const TLEvent* clip = FindPlainClipForRange(head, segment.start, segment.end);
    if (clip == nullptr || clip->mediaType != kMediaAvi || clip->speed != 100 || clip->reverse != 0) continue;
    const std::string path = clip->MediaPath();
    if (board.dudCheck(path) == 0) continue;
    const BoardChunkList chunks = board.dudReadChunk(path);
    // The clip's frames under the segment.
    double fps = clip->header ? clip->header->FramesPerSecond() : 0.0;
    if (!(fps > 0.0)) fps = RateToFps(head->rate);
    const std::int32_t first = MsToFrames(segment.start - clip->time + clip->playIn, fps);
    const std::int32_t last = first + MsToFrames(segment.end - segment.start, fps) - 1;
    std::vector<TLFilterParam> pieces;
    for (const BoardClipChunk& chunk : chunks) {
      const std::int32_t from = std::max(first, chunk.firstFrame);
      const std::int32_t to = std::min(last, chunk.lastFrame);
      if (from <= to) pieces.push_back(MakeRenderedPiece(chunk.pieceId, from, to, chunk.clipName, path));
    }
    if (pieces.empty()) continue;
    segment.params = std::move(pieces);
    segment.rendered = 1;
    segment.boardClip = 1;
    ++filled;
  }
  return filled;
}

void DropBoardSegmentPieces(TLEvent* head) {
  if (head == nullptr) return;
  for (TLFilter& segment : head->segments) {
    if (segment.boardClip != 0) ForgetRendering(segment);
  }
}

bool SegmentsCoverTimeline(const TLEvent* head) {
  if (head == nullptr) return false;
  std::int32_t duration = TimelineDuration(head);
  const FilterList& segments = head->segments;
  if (segments.empty()) return duration <= 0;
  std::int32_t expectedStart = 0;
  for (const TLFilter& segment : segments) {
    if (segment.start != expectedStart || segment.end <= segment.start) return false;
    expectedStart = segment.end;
  }
  return expectedStart == duration;
}

}  // namespace sprocket
