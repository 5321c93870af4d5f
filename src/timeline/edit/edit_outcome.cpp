#include "timeline/edit/edit_outcome.h"

#include "platform/prompts.h"

namespace sprocket {

bool ShowEditOutcome(const CTestDoc& doc, const EditResult& result) {
  if (result.refusal) {
    ShowMessage(result.refusal->message, MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  if (result.report.transitionsLost > 0 && doc.transitionWarning != 0)
    ShowMessage(kTransitionsDeletedMessage, MB_OK | MB_ICONEXCLAMATION);
  return true;
}

}  // namespace sprocket
