#include "timeline/document/document.h"

namespace sprocket {

namespace {

UndoStep TakeStep(const CTestDoc& doc, std::int32_t kind) {
  UndoStep step;
  step.kind = kind;
  step.events = CopyEventList(doc.Head());
  step.indexMarks = doc.indexMarks;
  step.snapshotMarks = doc.snapshotMarks;
  step.intermediateMovies = doc.intermediateMovies;
  step.clipMarkSets = doc.clipMarkSets;
  return step;
}

void RestoreStep(CTestDoc& doc, UndoStep& step) {
  doc.ReplaceTimeline(std::move(step.events));
  doc.indexMarks = std::move(step.indexMarks);
  doc.snapshotMarks = std::move(step.snapshotMarks);
  doc.intermediateMovies = std::move(step.intermediateMovies);
  doc.clipMarkSets = std::move(step.clipMarkSets);
  doc.SetModifiedFlag();
}

}  // namespace

void CTestDoc::SaveUndoState(std::int32_t kind) {
  redoSteps.clear();
  undoSteps.push_back(TakeStep(*this, kind));
  if (undoSteps.size() > kMaxUndoSteps) undoSteps.erase(undoSteps.begin());
}

bool CTestDoc::RevertLastEdit() {
  if (undoSteps.empty()) return false;
  UndoStep step = std::move(undoSteps.back());
  undoSteps.pop_back();
  redoSteps.push_back(TakeStep(*this, step.kind));
  RestoreStep(*this, step);
  return true;
}

bool CTestDoc::RedoLastEdit() {
  if (redoSteps.empty()) return false;
  UndoStep step = std::move(redoSteps.back());
  redoSteps.pop_back();
  undoSteps.push_back(TakeStep(*this, step.kind));
  RestoreStep(*this, step);
  return true;
}

}  // namespace sprocket
