#pragma once
// What the clip commands need of the window around them, as two small
// interfaces: the view's operations (repainting here and in the document's
// other views, rebuilding a clip's pictures, stopping previews) and the
// dialogs. The timeline view implements the first, the editor's dialog
// classes the second; tests answer both from a script.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "timeline/edit/timeline_edit.h"
#include "timeline/records/tl_event.h"

namespace sprocket {

class ViewOperations {
public:
  virtual ~ViewOperations() = default;
  // Brings this view and the document's other views up to date after an
  // edit: what the report names is repainted, pictures of changed clips are
  // made again, the extent follows the duration and tracks.
  virtual void ShowEdit(const EditReport& report) = 0;
  // Each repaint is made in this view and in the document's other views.
  virtual void RepaintTrackArea() = 0;
  virtual void RepaintMarkBand() = 0;
  virtual void RepaintRect(const ClipRect& rect) = 0;
  virtual void RepaintAll() = 0;
  // Deletes and rebuilds a clip's thumbnail and waveform pictures.
  virtual void RebuildClipBitmaps(TLEvent* clip) = 0;
  // Rebuilds the film-strip pictures of a clip whose length changed.
  virtual void RefreshClipThumbnails(TLEvent* clip) = 0;
  // Draws one channel's waveform picture of a clip (0 left, 1 right).
  virtual void DrawClipWaveform(TLEvent* clip, int channel) = 0;
  // Recomputes the time scale, the extent and the scroll ranges.
  virtual void RecalcTimelineExtent() = 0;
  // Ends clip and timeline previews and scrubbing, which hold clip records.
  virtual void StopPreview() = 0;
  // The view's speed-change flag: set only while the clip speed command
  // runs; the view's track-range check then leaves the edited clip out.
  virtual void SetSpeedChange(bool on) = 0;
  virtual bool SpeedChange() const = 0;
};

// Sets the view's speed-change flag for its lifetime: cleared on every way
// out of the clip speed command.
class SpeedChangeScope {
public:
  explicit SpeedChangeScope(ViewOperations& view) : view_(view) { view_.SetSpeedChange(true); }
  ~SpeedChangeScope() { view_.SetSpeedChange(false); }
  SpeedChangeScope(const SpeedChangeScope&) = delete;
  SpeedChangeScope& operator=(const SpeedChangeScope&) = delete;

private:
  ViewOperations& view_;
};

// The mode of the set-value dialog.
enum class SetValueMode { kVolume, kBalance, kSpeed };
// The values the set-value dialog offers, in percent.
inline constexpr int kSetValueMax = 200;
// The lowest speed: a clip cannot play at 0 %.
inline constexpr int kMinSpeedPercent = 1;

// One channel of audio preview: a track by its type letter and its ordinal
// among the tracks of that type (0: no track), and whether it is off.
struct AudioPreviewChannel {
  char trackType = 0;
  int ordinal = 0;
  bool switchedOff = false;
  bool operator==(const AudioPreviewChannel&) const = default;
};
inline constexpr int kAudioPreviewChannels = 4;
struct AudioPreviewChoice {
  std::int32_t option = 0;
  std::array<AudioPreviewChannel, kAudioPreviewChannels> channels{};
  bool operator==(const AudioPreviewChoice&) const = default;
};

class DialogProvider {
public:
  virtual ~DialogProvider() = default;
  // "Set Volume Control": a percent 0..200 (speed: 1..200); none on Cancel.
  virtual std::optional<int> SetValue(SetValueMode mode, int percent) = 0;
  // "Go To" in duration mode: a duration within [minMs, maxMs]; none on Cancel.
  virtual std::optional<std::int32_t> TimelineDuration(std::int32_t minMs, std::int32_t maxMs,
                                                       std::int32_t currentMs) = 0;
  // "AVI Clip Field Handling": the chosen field order (0..4); none on Cancel.
  virtual std::optional<std::int32_t> FieldHandling(std::int32_t fieldOrder, const std::string& path) = 0;
  // "Select Audio Preview Tracks": the channels chosen among `tracks` (each a
  // type letter and its ordinal); none on Cancel.
  virtual std::optional<AudioPreviewChoice> AudioPreviewTracks(const AudioPreviewChoice& current,
                                                               const std::vector<AudioPreviewChannel>& tracks) = 0;
};

}  // namespace sprocket
