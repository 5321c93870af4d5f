#pragma once
// The router of the clip commands: the update rule of each command (enabled,
// checked, caption) and its handler, by menu id or pop-up id, and the keys
// that send commands ('S', Delete, Ctrl+X, Ctrl+V, Ctrl+Z, Ctrl+Y).
//
// Execute asks the update rule first, for menu, pop-up and key alike: a
// disabled command does nothing.

#include <string>

#include "commands/command_context.h"

namespace sprocket {

struct CommandState {
  bool enabled = false;
  bool checked = false;
  std::string text;  // empty: the item keeps its caption
  bool operator==(const CommandState&) const = default;
};

class CommandRouter {
public:
  explicit CommandRouter(CommandContext& context) : context_(context) {}
  // True for the ids this router serves.
  bool Handles(int id) const;
  CommandState Update(int id) const;
  // Runs the command when its rule enables it; false otherwise.
  bool Execute(int id);

private:
  void Run(int menuId);
  CommandContext& context_;
};

// Keys: a letter in upper case, or one of these.
inline constexpr int kKeyDelete = 127;
// The command a key sends (0: none).
int CommandForKey(int key, bool control);

// The undo and redo captions of the document's history.
std::string UndoText(const CTestDoc& doc);
std::string RedoText(const CTestDoc& doc);

}  // namespace sprocket
