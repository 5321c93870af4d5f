#include "timeline/document/render_list.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "platform/application_state.h"
#include "timeline/basics/media_type.h"
#include "timeline/records/event_queries.h"

namespace sprocket {

namespace {

struct TimelineRate {
  double fps = 0.0;
  double frameMs = 0.0;  // one frame, 0 at rate 0
};

TimelineRate RateOf(const TLEvent* head) {
  TimelineRate rate;
  rate.fps = head->rate * 0.01;
  rate.frameMs = rate.fps > 0.0 ? 1000.0 / rate.fps : 0.0;
  return rate;
}

bool Covers(const TLEvent& clip, double t) { return clip.time <= t && t < clip.OutTime(); }

// Progress of t through a clip for effects: 0 at its in time, 1 on its last frame.
double ClipProgress(const TLEvent& clip, double t, double frameMs) {
  double span = (clip.OutTime() - clip.time) - frameMs;
  if (span <= 0.0) return 1.0;
  return std::clamp((t - clip.time) / span, 0.0, 1.0);
}

std::int32_t RoundFrames(double ms, double fps) {
  if (!(fps > 0.0)) return 0;
  double frames = std::round(ms * fps * 0.001);
  return static_cast<std::int32_t>(std::clamp(frames, -2147483648.0, 2147483647.0));
}

bool IsMovingPicture(const TLEvent& clip) {
  return IsVideoMediaType(clip.mediaType) || (clip.header && clip.header->FrameCount() > 0);
}

void FillSide(RenderSide& side, const TLEvent& clip, double t1, double t2, const TimelineRate& timeline) {
  side.trackNumber = clip.trackNumber;
  side.mediaType = clip.mediaType;
  side.header = clip.header;
  side.filters = clip.filters;
  side.maskFlag = HasAlphaChannelFilter(clip.filters) ? 1 : 0;
  side.fieldSelector = 0;
  side.effectPercent = static_cast<float>(100.0 * ClipProgress(clip, t2, timeline.frameMs));

  double clipFps = clip.header ? clip.header->FramesPerSecond() : 0.0;
  if (!(clipFps > 0.0)) clipFps = timeline.fps;
  side.rate = static_cast<float>(clipFps);

  double offset = (t1 - clip.time) * clip.speed / 100.0;
  double mediaMs = clip.playIn + offset;
  if (clip.reverse != 0) mediaMs = clip.playOut - offset - (clipFps > 0.0 ? 1000.0 / clipFps : 0.0);

  if (clip.intermediateMovie) {
    side.fileName.clear();
    side.sourceTime = static_cast<std::int32_t>(clip.intermediateMovie->start + clip.playIn + offset);
    side.sourceFrame = RoundFrames(t1 - clip.time, timeline.fps);
    if (Covers(clip, side.sourceTime)) side.fileName = kBlankFrameName;  // the clip would show itself
    return;
  }

  side.fileName = clip.MediaPath();
  if (side.fileName.empty()) side.fileName = kBlankFrameName;
  if (IsMovingPicture(clip)) {
    std::int32_t frame = std::max(0, RoundFrames(mediaMs, clipFps));
    std::int32_t frames = clip.header ? clip.header->FrameCount() : 0;
    if (frames > 0) frame = std::min(frame, frames - 1);
    side.sourceFrame = frame;
    double length = clip.header ? clip.header->MediaLengthMs() : 0.0;
    side.sourceTime = static_cast<std::int32_t>(length > 0.0 ? length : clip.playOut);
  } else {
    side.sourceFrame = std::max(0, RoundFrames(t1 - clip.time, timeline.fps));
    side.sourceTime = clip.OutTime() - clip.time;
  }
}

void FillBlankSide(RenderSide& side, const TimelineRate& timeline) {
  side.fileName = kBlankFrameName;
  side.rate = static_cast<float>(timeline.fps);
}

// Start and end percent of a transition: the first two values of its first
// filter's first parameter, 0 and 100 when absent or both 0.
std::pair<double, double> TransitionPercentRange(const TLEvent& transition) {
  if (!transition.filters.empty() && !transition.filters.front().params.empty()) {
    const TLFilterParam& param = transition.filters.front().params.front();
    if (param.values[0] != 0 || param.values[1] != 0) return {param.values[0], param.values[1]};
  }
  return {0.0, 100.0};
}

std::int32_t LeftSideTrack(const TLEvent& transition) {
  return transition.leftSide != 0 ? transition.leftSide : transition.trackNumber - 1;
}

std::int32_t RightSideTrack(const TLEvent& transition) {
  return transition.rightSide != 0 ? transition.rightSide : transition.trackNumber + 1;
}

// The first clip of the track's chain under t, found through the index
// when one is given.
const TLEvent* TrackClipAt(const TLEvent* track, double t, const ClipTimeIndex* clips) {
  if (clips != nullptr) return clips->ClipAt(track, t);
  for (const TLEvent* event = track->next; event != nullptr && event->kind != kEventTrackEnd; event = event->next) {
    if (!event->IsClipIn()) continue;
    if (event->time > t) break;  // the chain is in time order
    if (Covers(*event, t)) return event;
  }
  return nullptr;
}

// The clip under t on a video track, or null.
const TLEvent* VideoClipAt(const TLEvent* head, std::int32_t trackNumber, double t, const ClipTimeIndex* clips) {
  const TLEvent* track = FindTrack(head, trackNumber);
  if (track == nullptr || track->trackType != kTrackVideo) return nullptr;
  return TrackClipAt(track, t, clips);
}

RenderEntry MakeTransitionEntry(const TLEvent* head, const TLEvent& transition, double t1, double t2,
                                const TimelineRate& timeline, const ClipTimeIndex* clips) {
  RenderEntry entry;
  entry.trackLetter = kTrackTransition;
  entry.trackNumber = transition.trackNumber;
  entry.mediaType = transition.mediaType;
  entry.transitionFilters = transition.filters;

  RenderSide& own = entry.main;
  own.trackNumber = transition.trackNumber;
  own.rate = static_cast<float>(timeline.fps);
  double progress = ClipProgress(transition, t2, timeline.frameMs);
  own.effectPercent = static_cast<float>(100.0 * progress);
  own.sourceTime = transition.OutTime() - transition.time;
  own.sourceFrame = std::max(0, RoundFrames(t1 - transition.time, timeline.fps));
  own.maskFlag = HasAlphaChannelFilter(transition.filters) ? 1 : 0;

  auto [startPercent, endPercent] = TransitionPercentRange(transition);
  double span = (transition.OutTime() - transition.time) - timeline.frameMs;
  entry.transitionPercent =
      span <= 0.0 ? 100.0f : static_cast<float>(startPercent + progress * (endPercent - startPercent));

  const TLEvent* a = VideoClipAt(head, LeftSideTrack(transition), t1, clips);
  const TLEvent* b = VideoClipAt(head, RightSideTrack(transition), t1, clips);
  if (a != nullptr) {
    FillSide(entry.sideA, *a, t1, t2, timeline);
  } else {
    FillBlankSide(entry.sideA, timeline);
  }
  if (b != nullptr) {
    FillSide(entry.sideB, *b, t1, t2, timeline);
  } else {
    FillBlankSide(entry.sideB, timeline);
  }
  return entry;
}

RenderEntry MakeVideoEntry(const TLEvent& clip, double t1, double t2, const TimelineRate& timeline) {
  RenderEntry entry;
  entry.trackLetter = kTrackVideo;
  entry.trackNumber = clip.trackNumber;
  entry.mediaType = clip.mediaType;
  FillSide(entry.main, clip, t1, t2, timeline);
  bool hasFile = !entry.main.fileName.empty() && entry.main.fileName != kBlankFrameName;
  entry.passThroughKind = hasFile ? clip.passThroughKind : 0;
  return entry;
}

}  // namespace

const RenderEntry* RenderList::TransitionLink() const {
  if (entries.empty()) return nullptr;
  std::int32_t link = entries.front().transitionLink;
  if (link < 0 || link >= static_cast<std::int32_t>(entries.size())) return nullptr;
  return &entries[link];
}

RenderList BuildRenderList(double t1, double t2, const TLEvent* head, int preview, int /*doubleSize*/, int /*width*/,
                           int /*height*/, TurboEffectTest turboTest, const ClipTimeIndex* clips) {
  RenderList list;
  if (head == nullptr) return list;
  if (clips != nullptr && clips->Head() != head) clips = nullptr;
  TimelineRate timeline = RateOf(head);

  // Transitions under t1 and the tracks they take their pictures from.
  std::vector<const TLEvent*> transitions;
  std::set<std::int32_t> sideTracks;
  for (const TLEvent* track = GetNextEvent(head); track != nullptr && track->kind == kEventTrackBegin;
       track = GetNextEvent(track)) {
    if (track->trackType != kTrackTransition) continue;
    if (const TLEvent* transition = TrackClipAt(track, t1, clips)) {
      transitions.push_back(transition);
      sideTracks.insert(LeftSideTrack(*transition));
      sideTracks.insert(RightSideTrack(*transition));
    }
  }

  for (const TLEvent* track = GetNextEvent(head); track != nullptr && track->kind == kEventTrackBegin;
       track = GetNextEvent(track)) {
    if (track->trackType == kTrackTransition) {
      auto found = std::find_if(transitions.begin(), transitions.end(),
                                [track](const TLEvent* clip) { return clip->trackNumber == track->trackNumber; });
      if (found != transitions.end()) {
        list.entries.push_back(MakeTransitionEntry(head, **found, t1, t2, timeline, clips));
      }
    } else if (track->trackType == kTrackVideo && sideTracks.count(track->trackNumber) == 0) {
      if (const TLEvent* clip = TrackClipAt(track, t1, clips)) {
        list.entries.push_back(MakeVideoEntry(*clip, t1, t2, timeline));
      }
    }
  }
  if (list.entries.empty()) return list;

  for (std::size_t i = 0; i < list.entries.size(); ++i) {
    if (list.entries[i].trackLetter == kTrackTransition) {
      list.entries.front().transitionLink = static_cast<std::int32_t>(i);
      break;
    }
  }
  if (turboTest != nullptr) {
    std::uint32_t codec = TheApp().Settings(preview != 0).CompressionFourcc();
    for (RenderEntry& entry : list.entries) entry.fastPath = IsTurboEffectEntry(entry, codec, turboTest) ? 1 : 0;
  }
  return list;
}

void FreeRenderList(RenderList& list) { list.entries.clear(); }

bool IsTurboEffectEntry(const RenderEntry& entry, std::uint32_t codec, TurboEffectTest turboTest) {
  return turboTest != nullptr && turboTest(entry, codec);
}

const TLEvent* FindPlainClipForRange(const TLEvent* head, std::int32_t t1, std::int32_t t2) {
  if (head == nullptr) return nullptr;
  const TLEvent* topmost = nullptr;
  for (const TLEvent* event = head; event != nullptr; event = GetNextEvent(event)) {
    if (event->kind != kEventClipIn) continue;
    bool meets = event->time < std::max(t2, t1 + 1) && event->OutTime() > t1;
    if (!meets) continue;
    if (event->trackType == kTrackTransition) return nullptr;
    if (event->trackType != kTrackVideo) continue;
    if (topmost == nullptr || event->trackNumber > topmost->trackNumber) topmost = event;
  }
  if (topmost == nullptr || topmost->time > t1 || topmost->OutTime() < t2) return nullptr;
  if (!topmost->filters.empty() || topmost->intermediateMovie) return nullptr;
  return topmost;
}

}  // namespace sprocket
