#pragma once
// The one door through which a timeline document changes.
//
// An edit opens a TimelineEdit, changes the document's records, and commits:
//
//   TimelineEdit edit(doc, kEditMoveClip);      // the state before is kept
//   clip->time += delta; ...                    // the change itself
//   EditResult result = edit.Commit();          // checked, made whole, one undo step
//
// Commit brings the whole document in step with the change and checks it:
//
//   records in time order  ->  no clip runs into another on its track
//   -> the transition track follows the overlaps of tracks 1 and 3
//   -> the duration reaches the last clip's end
//   -> render segments split at the clip edges, and those under changed
//      picture clips forget their rendering
//   -> one undo step named by the edit's kind, and the redo history cleared.
//
// A refused edit puts the state before back and leaves no undo step; an edit
// that changed nothing leaves no undo step either. An edit that is neither
// committed nor refused is taken back when the TimelineEdit goes out of scope.
// The result tells the views what changed: a time span and the tracks.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "timeline/document/document.h"

namespace sprocket {

// Why an edit was refused.
enum class EditError {
  kNoClip,               // no clip to edit (nothing selected, a stale record)
  kTrackNotFree,         // a clip would run into another clip on its track
  kNoTrack,              // the track asked for does not exist or has another type
  kTimelineTooLong,      // the timeline would pass 10 hours
  kTransitionsConflict,  // an overlap of tracks 1 and 3 shorter than a frame, or two meeting
  kBadMedia,             // the media file cannot be used
  kOutOfRange,           // a value outside what the edit takes
};

struct EditRefusal {
  EditError error;
  std::string message;  // what the user is told; empty: the error's standard text
};

// What an edit changed, for the views to repaint that and only that.
struct EditReport {
  bool changed = false;
  // Times of every clip that changed, before and after the edit (ms).
  TimeRange span;
  // Numbers of the tracks whose clips changed (sorted, after the edit).
  std::vector<std::int32_t> tracks;
  bool tracksChanged = false;    // tracks were added, renumbered or their headers changed
  bool durationChanged = false;  // the timeline's length (and so its extent) changed
  bool segmentsChanged = false;  // the render segments band changed
  bool marksChanged = false;     // marks or the movie and preview ranges (the bands) changed
  int transitionsLost = 0;       // transitions deleted because their overlap went
};

struct EditResult {
  EditReport report;
  std::optional<EditRefusal> refusal;
  bool Ok() const { return !refusal.has_value(); }
};

class TimelineEdit {
public:
  // Keeps the document's state before the edit. `kind` names the undo step
  // (the string identifier of its undo text).
  TimelineEdit(CTestDoc& doc, std::int32_t kind);
  ~TimelineEdit();
  TimelineEdit(const TimelineEdit&) = delete;
  TimelineEdit& operator=(const TimelineEdit&) = delete;

  CTestDoc& Doc() { return doc_; }
  TLEvent* Head() { return doc_.Head(); }
  // The document's state before the edit (its event list).
  const TLEvent* Before() const { return before_.events.get(); }

  // Checks and completes the edit (see above). On a refusal the state before
  // is back and the result carries the reason.
  EditResult Commit();
  // Puts the state before back: nothing changed, no undo step.
  EditResult Refuse(EditError error, std::string message = {});

private:
  void Restore();

  CTestDoc& doc_;
  UndoStep before_;
  std::int32_t durationBefore_;
  bool modifiedBefore_;
  // The selection before, by the place of each clip among the clips.
  std::vector<std::pair<std::int32_t, ClipSelection>> selectionBefore_;
  bool open_ = true;
};

// The standard text of an error, used when a refusal carries none.
std::string EditErrorText(EditError error);

// A refused result without opening an edit (a check before any change).
EditResult RefusedEdit(EditError error, std::string message = {});

}  // namespace sprocket
