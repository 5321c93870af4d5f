#pragma once
// The New, Edit and Delete commands of custom transition groups. The
// dialogs themselves (the group dialog writes the file and its registration,
// the delete dialog removes registrations) are behind CustomFxGroupDialogs,
// which the editor answers with its windows and tests with a script.

#include <optional>
#include <string>

namespace sprocket {

inline constexpr const char* kCustomFxFileFilter = "Custom Transtion Group Files (.FXC) | *.fxc ||";
inline constexpr const char* kCustomFxEditTitle = "Open custom transition file to edit";
inline constexpr const char* kCustomFxEditCaption = "Edit Custom Transition Group File: ";

class CustomFxGroupDialogs {
public:
  virtual ~CustomFxGroupDialogs() = default;
  // The file dialog for opening, with a filter text and a title; nothing on Cancel.
  virtual std::optional<std::string> OpenFile(const std::string& filter, const std::string& title) = 0;
  // The group dialog: create mode without a path, edit mode with the group's file.
  virtual void RunGroupDialog(const std::optional<std::string>& editPath) = 0;
  virtual void RunDeleteDialog() = 0;
};

void NewCustomFxGroup(CustomFxGroupDialogs& dialogs);
// Asks for the group file, then opens it in the group dialog; nothing more
// on Cancel.
void EditCustomFxGroup(CustomFxGroupDialogs& dialogs);
void DeleteCustomFxGroup(CustomFxGroupDialogs& dialogs);

}  // namespace sprocket
