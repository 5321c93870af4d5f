// The clip commands' dialogs: what they show of their input and what they
// give back on OK, offscreen.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QSpinBox>

#include "scripted_prompts.h"
#include "tleview/clip_command_dialogs.h"

namespace sprocket::testing {
namespace {

TEST(ClipCommandDialogs, SetValueKeepsItsModesRange) {
  struct Case {
    SetValueMode mode;
    int given, typed, expected;
  };
  for (const Case& c : {Case{SetValueMode::kVolume, 150, 0, 0}, Case{SetValueMode::kSpeed, 100, 0, 1},
                        Case{SetValueMode::kBalance, 100, 250, 200}}) {
    CSetVolumeDlg dialog(c.mode, c.given);
    EXPECT_EQ(dialog.Percent(), c.given);
    dialog.SetPercent(c.typed);
    EXPECT_EQ(dialog.Percent(), c.expected);
  }
}

TEST(ClipCommandDialogs, DurationOutsideTheRangeIsRefusedWithTheRangeMessage) {
  ScriptedPrompts prompts;
  CGoToDlg dialog(180000, 7200000, 1800000);
  EXPECT_EQ(dialog.DurationMs(), 1800000);
  dialog.SetDurationMs(60000);
  prompts.Expect("Timeline Duration Range is from 3 Min to 2 Hours");
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  dialog.SetDurationMs(3600000);
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_TRUE(prompts.AllShown());
}

TEST(ClipCommandDialogs, FieldHandlingShowsThePathAndReturnsTheOrder) {
  CFieldHandlingDlg dialog(3, "/media/shot.avi");
  EXPECT_EQ(dialog.FieldOrder(), 3);
  bool pathShown = false;
  for (const QLabel* label : dialog.findChildren<QLabel*>()) pathShown |= label->text() == "/media/shot.avi";
  EXPECT_TRUE(pathShown);
  dialog.SetFieldOrder(0);
  EXPECT_EQ(dialog.FieldOrder(), 0);
}

TEST(ClipCommandDialogs, AudioPreviewTracksGivesBackWhatItWasGivenOrChosen) {
  const std::vector<AudioPreviewChannel> tracks = {{'V', 1, false}, {'V', 2, false}, {'A', 1, false}};
  const AudioPreviewChoice current{1, {{{'A', 1, true}, {'V', 2, false}, {}, {}}}};
  CAudioPreviewTracksDlg dialog(current, tracks);
  EXPECT_EQ(dialog.Choice(), current);
  dialog.SetChannel(2, 0, true);
  dialog.SetChannel(0, -1, false);
  const AudioPreviewChoice chosen = dialog.Choice();
  EXPECT_EQ(chosen.channels[0], AudioPreviewChannel{});
  EXPECT_EQ(chosen.channels[2], (AudioPreviewChannel{'V', 1, true}));
}

}  // namespace
}  // namespace sprocket::testing
