#pragma once
// The video board's own output format, and the snapping of a timeline's
// times onto the board's frame grid for the length of one render.
//
// A settings record is in the board-native format when its compressor is
// "CFCC", its width 720 and either its height 480 at 29.97 frames a second
// or its height 576 at 25. Only the workstation platform family has the
// format at all.
//
// A render in that format places every time of the timeline on the frame
// grid of the board's rate: SnapTimesToBoardRate keeps the exact values
// (the four range times, each segment's span, each clip's in, out, play-in
// and play-out) and moves the times onto the grid; RestoreSnappedTimes puts
// the kept values back exactly. BoardRateSnap does both around a scope.

#include <cstdint>

#include "platform/application_state.h"
#include "platform/system_info.h"
#include "timeline/document/document.h"

namespace sprocket {

// The record's rate in hundredths, from its frames per second (rounded).
std::int32_t RecordRateHundredths(const MovieSettings& record);

// The format test of one record (no platform condition).
bool IsBoardNativeRecord(const MovieSettings& record);

// With `either` set: true when either record is native. Otherwise: whether
// the record the preview flag selects is native. Always false on the
// single-user platform family.
bool IsBoardNativeFormat(PlatformFamily family, const ApplicationState& app, bool either, bool preview);
// The same for the process: its settings' platform family and its records.
bool IsBoardNativeFormat(bool either, bool preview);

// The board's rate in hundredths for a render: the rate of the record the
// preview flag selects when that record is native, else 2997.
std::int32_t BoardRate(const ApplicationState& app, bool preview);

// Keeps the document's exact times and snaps them to the board's rate.
// Nothing happens when the document's rate equals the board's rate, or
// while a snapshot is already held (a second call must not lose the first
// kept values).
void SnapTimesToBoardRate(CTestDoc& doc, ApplicationState& app, bool preview);
// Puts every kept time back and frees the snapshot. Records that hold no
// kept values (made after the snap) are left as they are.
void RestoreSnappedTimes(CTestDoc& doc, ApplicationState& app, bool preview);
// True while the application holds a snapshot.
bool HoldsSnappedTimes(const ApplicationState& app);

// Snaps on construction when `active` is set, and restores on Restore() or
// destruction, whichever comes first. With `markHead` the head's snapped
// flag is set for the time and cleared again.
class BoardRateSnap {
public:
  BoardRateSnap() = default;
  BoardRateSnap(CTestDoc& doc, ApplicationState& app, bool preview, bool markHead);
  ~BoardRateSnap() { Restore(); }
  BoardRateSnap(const BoardRateSnap&) = delete;
  BoardRateSnap& operator=(const BoardRateSnap&) = delete;

  // Snaps now (when not yet snapped by this object).
  void Snap(CTestDoc& doc, ApplicationState& app, bool preview, bool markHead);
  void Restore();
  bool active() const { return doc_ != nullptr; }

private:
  CTestDoc* doc_ = nullptr;
  ApplicationState* app_ = nullptr;
  bool preview_ = false;
  bool markHead_ = false;
};

}  // namespace sprocket
