#include "effects/custom_fx_commands.h"

#include <gtest/gtest.h>

#include <vector>

namespace sprocket {
namespace {

// Records what each command asked for; the file dialog answers from a script.
class RecordingGroupDialogs : public CustomFxGroupDialogs {
public:
  std::optional<std::string> fileAnswer;
  std::vector<std::string> calls;
  std::optional<std::string> OpenFile(const std::string& filter, const std::string& title) override {
    calls.push_back("open " + filter + " / " + title);
    return fileAnswer;
  }
  void RunGroupDialog(const std::optional<std::string>& editPath) override {
    calls.push_back(editPath ? "edit " + *editPath : "create");
  }
  void RunDeleteDialog() override { calls.push_back("delete"); }
};

TEST(CustomFxCommands, EachCommandRunsItsDialogs) {
  const std::string open = "open Custom Transtion Group Files (.FXC) | *.fxc || / Open custom transition file to edit";
  const struct {
    void (*command)(CustomFxGroupDialogs&);
    std::optional<std::string> fileAnswer;
    std::vector<std::string> expected;
  } cases[] = {
      {NewCustomFxGroup, std::nullopt, {"create"}},
      {DeleteCustomFxGroup, std::nullopt, {"delete"}},
      {EditCustomFxGroup, std::nullopt, {open}},
      {EditCustomFxGroup, "/g/wipes.fxc", {open, "edit /g/wipes.fxc"}},
  };
  for (const auto& c : cases) {
    RecordingGroupDialogs dialogs;
    dialogs.fileAnswer = c.fileAnswer;
    c.command(dialogs);
    EXPECT_EQ(dialogs.calls, c.expected);
  }
}

}  // namespace
}  // namespace sprocket
