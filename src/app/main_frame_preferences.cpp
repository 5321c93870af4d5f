// File > Preferences: the output settings and the compressor field orders.

#include <QMdiArea>
#include <set>

#include "app/main_frame.h"
#include "app/preferences_dialog.h"
#include "app/timeline_mdi_window.h"
#include "platform/prompts.h"
#include "render/output/output_preferences.h"
#include "render/sources/avi_field_info.h"

namespace sprocket {

bool CMainFrame::OnPreferences() {
  EditorPreferencesDialogs windows;
  PreferencesDialogs& dialogs = preferencesDialogs_ != nullptr ? *preferencesDialogs_ : windows;
  const std::optional<OutputPreferences> values = dialogs.EditPreferences(this, LoadOutputPreferences(app_, profile_));
  // Whoever answered, values that cannot be used are not stored.
  if (!values || ShowPreferencesProblems(*values)) return false;
  if (!StoreOutputPreferences(*values, app_, profile_)) {
    ShowMessage("The preferences apply now, but they could not be saved in " + profile_.path().string() + ".",
                MB_OK | MB_ICONSTOP, "Preferences");
  }
  // Every open timeline's AVI clips take their field orders from the table.
  std::set<ViewedDocument*> applied;
  for (QMdiSubWindow* window : mdiArea_->subWindowList()) {
    auto* frame = qobject_cast<CTestFrame*>(window);
    if (frame == nullptr || !applied.insert(frame->Document().get()).second) continue;
    ApplyAviFieldInfo(frame->Document()->doc.Head());
    for (CTLEView* view : frame->Document()->views) view->viewport()->update();
  }
  return true;
}

}  // namespace sprocket
