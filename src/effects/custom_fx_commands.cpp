#include "effects/custom_fx_commands.h"

namespace sprocket {

void NewCustomFxGroup(CustomFxGroupDialogs& dialogs) { dialogs.RunGroupDialog(std::nullopt); }

void EditCustomFxGroup(CustomFxGroupDialogs& dialogs) {
  const std::optional<std::string> path = dialogs.OpenFile(kCustomFxFileFilter, kCustomFxEditTitle);
  if (!path || path->empty()) return;
  dialogs.RunGroupDialog(*path);
}

void DeleteCustomFxGroup(CustomFxGroupDialogs& dialogs) { dialogs.RunDeleteDialog(); }

}  // namespace sprocket
