#include "timeline/document/render_timelines.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/file_paths.h"
#include "timeline/basics/media_type.h"
#include "timeline/records/event_queries.h"
#include "timeline/records/timeline_builder.h"

namespace sprocket {

namespace {

// The media times of a part [from, to) of a clip's timeline span.
void SetPlayRangeForPart(TLEventFields& part, const TLEvent& clip, std::int32_t from, std::int32_t to) {
  std::int64_t speed = clip.speed;
  std::int64_t fromOffset = (static_cast<std::int64_t>(from) - clip.time) * speed / 100;
  std::int64_t toOffset = (static_cast<std::int64_t>(to) - clip.time) * speed / 100;
  if (clip.reverse != 0) {
    part.playOut = static_cast<std::int32_t>(clip.playOut - fromOffset);
    part.playIn = static_cast<std::int32_t>(clip.playOut - toOffset);
  } else {
    part.playIn = static_cast<std::int32_t>(clip.playIn + fromOffset);
    part.playOut = static_cast<std::int32_t>(clip.playIn + toOffset);
  }
}

// The first video track, added after the last track when there is none.
TLEvent* FirstVideoTrack(TLEvent* head) {
  for (TLEvent* track = GetNextEvent(head); track != nullptr && track->kind == kEventTrackBegin;
       track = GetNextEvent(track)) {
    if (track->trackType == kTrackVideo) return track;
  }
  return AppendTrack(head, kTrackVideo);
}

// The header a segment's file has, from the piece that the compositing
// render records: rate x 100, frames, width, height.
std::optional<ClipMediaHeader> SegmentFileHeader(const TLFilter& segment) {
  if (segment.params.empty()) return std::nullopt;
  const TLFilterParam& piece = segment.params.front();
  if (!piece.DescribesSegmentMovie() || piece.movieRate() <= 0 || piece.movieFrames() <= 0) return std::nullopt;
  // Files made on a grid know their rate to the thousandth.
  const bool onGrid = piece.gridRate() > 0;
  const auto scale = static_cast<std::uint32_t>(onGrid ? 1000 : 100);
  const auto rate = static_cast<std::uint32_t>(onGrid ? piece.gridRate() : piece.movieRate());
  AviClipHeader avi{};
  avi.file.scale = scale;
  avi.file.rate = rate;
  avi.file.length = static_cast<std::uint32_t>(piece.movieFrames());
  avi.file.width = static_cast<std::uint32_t>(piece.movieWidth());
  avi.file.height = static_cast<std::uint32_t>(piece.movieHeight());
  avi.file.streams = 1;
  avi.video.type = MakeFourcc('v', 'i', 'd', 's');
  avi.video.scale = scale;
  avi.video.rate = rate;
  avi.video.length = static_cast<std::uint32_t>(piece.movieFrames());
  avi.picture.size = 40;
  avi.picture.width = piece.movieWidth();
  avi.picture.height = piece.movieHeight();
  avi.picture.planes = 1;
  avi.picture.bitCount = 24;
  return ClipMediaHeader(avi);
}

// A clip of the segment's file from `in` to the segment's end.
void AddSegmentClip(TLEvent* head, const TLFilter& segment, std::int32_t in) {
  TLEvent* track = FirstVideoTrack(head);
  if (track == nullptr) return;
  TLEventFields fields;
  std::string_view path = segment.fileName;
  std::string_view fileName = FileNamePart(path);
  std::string_view extension = FileExtension(path);
  fields.directory = std::string(path.substr(0, path.size() - fileName.size()));
  fields.name = std::string(fileName.substr(0, fileName.size() - extension.size()));
  fields.extension = std::string(extension);
  fields.mediaType = GetMediaTypeCode(path);
  fields.playIn = 0;
  fields.playOut = segment.end - in;
  fields.header = SegmentFileHeader(segment);
  fields.renderedSegmentClip = true;
  InsertClip(head, track->trackNumber, in, segment.end, fields);
}

std::int32_t GridRateOf(const MovieFrameGrid& grid) {
  return grid.fps > 0.0 ? static_cast<std::int32_t>(std::lround(grid.fps * 1000.0)) : 0;
}

}  // namespace

void CutPictureClips(TLEvent* head, std::int32_t start, std::int32_t end) {
  if (head == nullptr || end <= start) return;
  std::vector<TLEvent*> clips;
  for (TLEvent* event = head; event != nullptr; event = GetNextEvent(event)) {
    bool picture = event->trackType == kTrackVideo || event->trackType == kTrackTransition;
    if (event->kind == kEventClipIn && picture && event->time < end && event->OutTime() > start) {
      clips.push_back(event);
    }
  }
  for (TLEvent* clip : clips) {
    std::int32_t in = clip->time;
    std::int32_t out = clip->OutTime();
    if (in >= start && out <= end) {
      DeleteClip(clip);
      continue;
    }
    if (out > end) {
      TLEventFields right = *clip;
      SetPlayRangeForPart(right, *clip, end, out);
      InsertClip(head, clip->trackNumber, end, out, right);
    }
    if (in < start) {
      TLEventFields left = *clip;
      SetPlayRangeForPart(left, *clip, in, start);
      InsertClip(head, clip->trackNumber, in, start, left);
    }
    DeleteClip(clip);
  }
}

EventListSlot BuildSegmentRenderTimeline(const TLEvent* head) {
  EventListSlot copy = CopyEventList(head);
  if (!copy) return copy;
  for (TLFilter& segment : copy->segments) {
    segment.fileName.clear();
    segment.rendered = 0;
    segment.boardClip = 0;
    segment.params.clear();
  }
  return copy;
}

TLFilterParam MakeSegmentFilePiece(const MovieFrameGrid& grid, std::int32_t frames, std::int32_t width,
                                   std::int32_t height) {
  TLFilterParam piece;
  piece.movieRate() = static_cast<std::int32_t>(std::lround(grid.fps * 100.0));
  piece.movieFrames() = frames;
  piece.movieWidth() = width;
  piece.movieHeight() = height;
  piece.gridOrigin() = grid.originMs;
  piece.gridRate() = GridRateOf(grid);
  return piece;
}

std::pair<std::int64_t, std::int32_t> SegmentGridFrames(const TLFilter& segment, const MovieFrameGrid& grid) {
  const std::int64_t first = grid.FirstFrameFrom(segment.start);
  const std::int64_t end = grid.FirstFrameFrom(segment.end);
  return {first, static_cast<std::int32_t>(std::clamp<std::int64_t>(end - first, 0, INT32_MAX))};
}

bool SegmentFileFitsGrid(const TLFilter& segment, const MovieFrameGrid& grid) {
  if (segment.params.empty() || segment.rendered != 0) return false;
  const TLFilterParam& piece = segment.params.front();
  if (!piece.DescribesSegmentMovie() || piece.gridRate() <= 0 || piece.gridRate() != GridRateOf(grid)) return false;
  // Every frame of the movie inside the segment must be a frame of the file:
  // the grid the file was made on (for a movie from another start) shows
  // the same times there.
  const MovieFrameGrid made{grid.fps, piece.gridOrigin()};
  const std::int64_t madeFirst = made.FirstFrameFrom(segment.start);
  const auto [first, frames] = SegmentGridFrames(segment, grid);
  for (std::int64_t k = first; k < first + frames; ++k) {
    const std::int32_t time = grid.TimeOf(k);
    const std::int64_t j = made.FirstFrameFrom(time);
    if (made.TimeOf(j) != time || j - madeFirst >= piece.movieFrames()) return false;
  }
  return true;
}

EventListSlot BuildRenderedPlaybackTimeline(const TLEvent* head, const MovieFrameGrid& grid) {
  EventListSlot copy = CopyEventList(head);
  if (!copy) return copy;
  for (const TLFilter& segment : copy->segments) {
    if (segment.end <= segment.start || !PathExists(segment.fileName) || !SegmentFileFitsGrid(segment, grid)) {
      continue;
    }
    if (SegmentGridFrames(segment, grid).second == 0) continue;
    // The file's first frame shows the time of the first frame of its own grid.
    const MovieFrameGrid made{grid.fps, segment.params.front().gridOrigin()};
    CutPictureClips(copy.get(), segment.start, segment.end);
    AddSegmentClip(copy.get(), segment, made.TimeOf(made.FirstFrameFrom(segment.start)));
  }
  return copy;
}

EventListSlot BuildSegmentPreviewTimeline(const TLEvent* head, std::int32_t duration) {
  if (head == nullptr) return nullptr;
  EventListSlot preview = NewTimeline(head->rate, duration);
  AppendTrack(preview.get(), kTrackVideo);
  preview->segments = head->segments;
  preview->cropMargins = head->cropMargins;
  for (const TLFilter& segment : head->segments) {
    if (segment.end > segment.start && PathExists(segment.fileName))
      AddSegmentClip(preview.get(), segment, segment.start);
  }
  return preview;
}

}  // namespace sprocket
