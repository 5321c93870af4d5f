#include "timeline/document/document.h"
#include "timeline/records/event_queries.h"

namespace sprocket {

UndoStep CTestDoc::TakeUndoStep(std::int32_t kind) const {
  UndoStep step;
  step.kind = kind;
  step.events = CopyEventList(Head());
  step.indexMarks = indexMarks;
  step.snapshotMarks = snapshotMarks;
  step.intermediateMovies = intermediateMovies;
  step.clipMarkSets = clipMarkSets;
  step.movieRange = movieRange;
  step.previewRange = previewRange;
  step.rangesFollowContent = rangesFollowContent;
  return step;
}

void CTestDoc::RestoreUndoStep(UndoStep& step) {
  ReplaceTimeline(std::move(step.events));
  indexMarks = std::move(step.indexMarks);
  snapshotMarks = std::move(step.snapshotMarks);
  intermediateMovies = std::move(step.intermediateMovies);
  clipMarkSets = std::move(step.clipMarkSets);
  movieRange = step.movieRange;
  previewRange = step.previewRange;
  rangesFollowContent = step.rangesFollowContent;
  // The track count and the duration live in the list (an undone paste past
  // the end gives the shorter timeline back).
  trackCount = CountTracks(Head());
  if (Head() != nullptr) duration = TimelineDuration(Head());
  RecalcScale();
}

void CTestDoc::PushUndoStep(UndoStep step) {
  redoSteps.clear();
  undoSteps.push_back(std::move(step));
  if (undoSteps.size() > kMaxUndoSteps) undoSteps.erase(undoSteps.begin());
}

void CTestDoc::SaveUndoState(std::int32_t kind) { PushUndoStep(TakeUndoStep(kind)); }

bool CTestDoc::RevertLastEdit() {
  if (undoSteps.empty()) return false;
  UndoStep step = std::move(undoSteps.back());
  undoSteps.pop_back();
  redoSteps.push_back(TakeUndoStep(step.kind));
  RestoreUndoStep(step);
  SetModifiedFlag();
  return true;
}

bool CTestDoc::RedoLastEdit() {
  if (redoSteps.empty()) return false;
  UndoStep step = std::move(redoSteps.back());
  redoSteps.pop_back();
  undoSteps.push_back(TakeUndoStep(step.kind));
  RestoreUndoStep(step);
  SetModifiedFlag();
  return true;
}

}  // namespace sprocket
