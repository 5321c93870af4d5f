#include "timeline/document/document.h"

#include <algorithm>
#include <atomic>

#include "platform/temp_files.h"
#include "timeline/document/render_segments.h"
#include "timeline/document/track_rows.h"
#include "timeline/records/event_queries.h"
#include "timeline/records/timeline_builder.h"

namespace sprocket {

namespace {

std::uint32_t NextBackupNumber() {
  static std::atomic<std::uint32_t> last{0};
  return ++last;
}

}  // namespace

CTestDoc::CTestDoc() : rangesFollowContent(true), tempDir(ConfiguredTempFolder()), backupNumber(NextBackupNumber()) {
  head = MakeDefaultTimeline(rate, duration);
  sprocket::SplitSegmentsAtClips(head.get());
  trackCount = CountTracks(head.get());
  RecalcScale();
}

void CTestDoc::FollowContentWithRanges() {
  if (!rangesFollowContent) return;
  movieRange = previewRange = TimeRange{0, LatestClipOutTime(Head())};
}

EventListSlot CTestDoc::ReplaceTimeline(EventListSlot newHead) {
  ClearSelection();
  std::swap(head, newHead);
  return newHead;
}

TLEvent* CTestDoc::InsertTrack(char type, std::int32_t number) {
  TLEvent* track = sprocket::InsertTrack(head.get(), type, number);
  if (track == nullptr) return nullptr;
  for (ClipMarkSet& set : clipMarkSets) {
    if (set.trackNumber >= number) ++set.trackNumber;
  }
  trackCount = CountTracks(head.get());
  return track;
}

// --- Render segments ---

void CTestDoc::UpdateSegmentsForEdit(TLEvent* editHead, const TLEvent* clip, const EditRecord* edit, int flag) {
  sprocket::UpdateSegmentsForEdit(editHead, clip, edit, flag);
  SetModifiedFlag();
}

void CTestDoc::SplitSegmentsAtClips() { sprocket::SplitSegmentsAtClips(head.get()); }

void CTestDoc::RefreshRenderSegments(TLEvent* segmentHead) { sprocket::RefreshRenderSegments(segmentHead); }

// --- Selection ---

ClipSelection& CTestDoc::AddSelection(TLEvent* clip) {
  ClipSelection* existing = nullptr;
  if (FindSelection(clip, &existing) != 0) return *existing;
  ClipSelection entry;
  entry.clip = clip;
  if (clip != nullptr) {
    entry.in = clip->time;
    entry.out = clip->OutTime();
    GetClipRect(*this, *clip, entry.rect);
  }
  selection.push_back(entry);
  return selection.back();
}

void CTestDoc::RemoveSelection(const ClipSelection* entry) {
  auto found = std::find_if(selection.begin(), selection.end(),
                            [entry](const ClipSelection& candidate) { return &candidate == entry; });
  if (found != selection.end()) selection.erase(found);
}

int CTestDoc::FindSelection(const TLEvent* clip, ClipSelection** entry) {
  for (ClipSelection& candidate : selection) {
    if (candidate.clip == clip) {
      if (entry != nullptr) *entry = &candidate;
      return 1;
    }
  }
  if (entry != nullptr) *entry = nullptr;
  return 0;
}

// --- Marks ---

ClipMarkSet* CTestDoc::FindClipMarkSet(const std::string& path, std::int32_t clipTime, std::int32_t trackNumber) {
  for (ClipMarkSet& set : clipMarkSets) {
    if (set.path == path && set.clipTime == clipTime && set.trackNumber == trackNumber) return &set;
  }
  return nullptr;
}

const ClipIndexMark* CTestDoc::GetClipIndexMarks(const std::string& path, std::int32_t clipTime,
                                                 std::int32_t trackNumber, int* count) {
  const ClipMarkSet* set = FindClipMarkSet(path, clipTime, trackNumber);
  int marks = set != nullptr ? static_cast<int>(set->marks.size()) : 0;
  if (count != nullptr) *count = marks;
  return marks > 0 ? &set->marks.front() : nullptr;
}

// --- Geometry ---

std::int32_t CTestDoc::RowHeight(int zoomLevel) const {
  int level = std::clamp(zoomLevel, 0, 3);
  return 3 * pictureWidths[level] / 4 + 4 + sprocketHeights[level];
}

double CTestDoc::UnitMs() const {
  int scale = std::clamp(scaleIndex, 0, static_cast<int>(kScaleUnits.size()) - 1);
  double unit = kScaleUnits[scale];
  if (scale < kFrameScaleCount) return rate > 0 ? unit * 1000.0 / (rate * 0.01) : unit;
  return unit;
}

void CTestDoc::SetFrameRate(std::int32_t rateHundredths) {
  rate = rateHundredths;
  if (head) head->rate = rateHundredths;
  RecalcScale();
}

void CTestDoc::RecalcScale() {
  pixelsPerUnit = pictureWidths[std::clamp(zoom, 0, 3)];
  double unitsInDuration = duration / UnitMs();
  extent = static_cast<std::int32_t>(unitsInDuration * pixelsPerUnit + 0.5) + margin + headerWidth;
  majorTickCount = static_cast<std::int32_t>(unitsInDuration + 0.5);
  scaleGroup = std::min(std::clamp(zoom, 0, 3), 2) + 1;
  groupScaleIndex = std::clamp(scaleIndex, 0, 5);  // the waveform rows stop at scale 5
}

std::int32_t CTestDoc::TimeToX(std::int32_t ms) const {
  double offset = (static_cast<double>(ms) - timeOrigin) * pixelsPerUnit / UnitMs();
  return static_cast<std::int32_t>(offset) - horizontalScroll + margin + headerWidth;
}

std::int32_t CTestDoc::XToTime(std::int32_t x) const {
  if (pixelsPerUnit <= 0) return timeOrigin;
  double ms = static_cast<double>(x - margin - headerWidth) * UnitMs() / pixelsPerUnit + timeOrigin;
  return static_cast<std::int32_t>(ms);
}

void CTestDoc::SetDuration(std::int32_t ms) {
  duration = ms;
  for (TLEvent* event = head.get(); event != nullptr; event = event->masterNext.get()) {
    if (event->kind == kEventTrackEnd || event->kind == kEventTimelineEnd) event->time = ms;
  }
  if (head && !head->segments.empty()) {
    TLFilter& last = head->segments.back();
    last.end = ms;
    last.length = last.end - last.start;
    if (last.length <= 0) head->segments.pop_back();
  }
  RecalcScale();
}

std::int32_t GetTrackHeight(const CTestDoc& doc, const TLEvent& trackHeader) {
  const std::int32_t h = doc.RowHeight();
  return h + (TrackRowCount(trackHeader) - 1) * (h + 1);
}

std::int32_t GetTrackTop(const CTestDoc& doc, std::int32_t n) {
  if (n < 1) return 0;
  std::int32_t top = 0;
  for (const TLEvent* event = GetNextEvent(doc.Head()); event != nullptr && event->kind == kEventTrackBegin;
       event = GetNextEvent(event)) {
    top += GetTrackHeight(doc, *event);
    if (event->trackNumber == n) break;
  }
  return top;
}

bool GetClipRect(const CTestDoc& doc, const TLEvent& clip, ClipRect& rect) {
  if (FindTrack(doc.Head(), clip.trackNumber) == nullptr) return false;
  rect.left = doc.TimeToX(clip.time);
  rect.right = doc.TimeToX(clip.OutTime());
  rect.top = doc.TrackAreaTop() + GetTrackTop(doc, clip.trackNumber - 1);
  rect.bottom = rect.top + doc.RowHeight() + 1;
  return true;
}

}  // namespace sprocket
