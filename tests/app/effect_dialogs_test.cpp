// The effect dialogs driven as a user would, without showing them.

#include <gtest/gtest.h>

#include "app/effect_sequence_dialog.h"
#include "app/fx_group_dialogs.h"
#include "app/movie_output_dialogs.h"
#include "app/movie_stats_dialog.h"
#include "effects/custom_fx_group.h"
#include "libs/effectcatalog/effect_ids.h"
#include "scripted_prompts.h"
#include "temp_dir.h"

namespace sprocket {
namespace {

using testing::ScriptedPrompts;
using testing::TempDir;

TLFilter Filter(std::int32_t id) {
  TLFilter filter;
  InitFilter(filter);
  filter.id = id;
  return filter;
}

TEST(EffectSequenceDialogs, TransitionModeKeepsTheSequenceRecordFirst) {
  TLEvent transition;
  transition.clipName = "Mix";
  const EffectSequenceRequest request{
      EffectSequenceMode::kTransition, &transition, 25, 25, {Filter(effect_id::kEffectSequence)}};
  CMtvExplorerDlg dialog(request);
  EffectListPanel* panel = dialog.Panel();
  EXPECT_EQ(dialog.windowTitle(), "DIR Azarivev");
  EXPECT_FALSE(panel->ChooseEffect(effect_id::kEffectSequence));  // not offered inside itself
  EXPECT_FALSE(panel->ChooseEffect(effect_id::kBlur));            // a filter, not a transition
  ASSERT_TRUE(panel->ChooseEffect(effect_id::kWipeLeftToRight));
  panel->SetCurrentRow(-1);
  panel->AddChosen();
  ASSERT_TRUE(panel->ChooseEffect(effect_id::kCrossDissolve));
  panel->AddChosen();
  ASSERT_EQ(panel->CurrentRow(), 2);
  ASSERT_GT(panel->Params()->rowCount(), 0);
  panel->Params()->SetValue(0, FilterParamTable::kEnd, 60);
  EXPECT_TRUE(panel->MoveCurrent(-1));
  EXPECT_FALSE(panel->MoveCurrent(-1));  // never before the locked record
  panel->SetCurrentRow(0);
  EXPECT_FALSE(panel->RemoveCurrent());

  const FilterList filters = dialog.Filters();
  ASSERT_EQ(filters.size(), 3u);
  EXPECT_EQ(filters[0].id, effect_id::kEffectSequence);
  EXPECT_EQ(filters[1].id, effect_id::kCrossDissolve);
  EXPECT_EQ(filters[2].id, effect_id::kWipeLeftToRight);
  const ParamDescriptor& first = FindEffect(effect_id::kCrossDissolve)->params.front();
  ASSERT_EQ(filters[1].params.size(), 2u);
  EXPECT_EQ(filters[1].params[1].values[static_cast<std::size_t>(first.slot)],
            std::clamp(60, first.minimum, first.maximum));
  EXPECT_EQ(filters[1].params[0].values[static_cast<std::size_t>(first.slot)], first.defaultValue);
}

TEST(EffectSequenceDialogs, ClipModeEditsAFilterList) {
  TLEvent clip;
  FilterList list = {Filter(effect_id::kBlur)};
  list.front().params.resize(1);
  CMtvExplorerDlg dialog({EffectSequenceMode::kClip, &clip, 50, 25, list});
  EffectListPanel* panel = dialog.Panel();
  EXPECT_FALSE(panel->ChooseEffect(effect_id::kCrossDissolve));
  ASSERT_TRUE(panel->ChooseEffect(effect_id::kSharpen));
  panel->AddChosen();
  EXPECT_TRUE(panel->MoveCurrent(-1));
  panel->SetCurrentRow(1);
  ASSERT_GT(panel->Params()->rowCount(), 0);
  const int start = panel->Params()->Value(0, FilterParamTable::kStart);
  panel->Params()->SetValue(0, FilterParamTable::kEnd, start + 1);
  FilterList filters = dialog.Filters();
  ASSERT_EQ(filters.size(), 2u);
  EXPECT_EQ(filters[0].id, effect_id::kSharpen);
  EXPECT_EQ(filters[1].id, effect_id::kBlur);
  ASSERT_EQ(filters[1].params.size(), 2u);  // the end set made from the start set
  const auto slot = static_cast<std::size_t>(FindEffect(effect_id::kBlur)->params.front().slot);
  EXPECT_EQ(filters[1].params[1].values[slot], filters[1].params[0].values[slot] + 1);
  panel->SetCurrentRow(0);
  EXPECT_TRUE(panel->RemoveCurrent());
  EXPECT_EQ(dialog.Filters().size(), 1u);
}

TEST(FxGroupDialogs, CreateEditAndDeleteRoundTripThroughTheSettings) {
  TempDir dir;
  Profile profile(dir / "RODUVER.INI");
  const auto path = dir / "wipes.fxc";
  {
    CFxGroupDlg create(profile, std::nullopt);
    create.SetTitle("Wipes");
    create.SetFileName(QString::fromStdString((dir / "wipes").string()));
    ASSERT_TRUE(create.Panel()->ChooseEffect(effect_id::kWipeLeftToRight));
    create.Panel()->AddChosen();
    create.accept();
    EXPECT_EQ(create.result(), QDialog::Accepted);
    EXPECT_EQ(create.RegisteredSlot(), 1);
  }
  EXPECT_EQ(profile.GetProfileString("Custom FXs", "File Name1"), path.string());
  EXPECT_EQ(profile.GetProfileString("Custom FXs", "Title1"), "Wipes");
  {
    CFxGroupDlg edit(profile, path.string());
    EXPECT_EQ(edit.windowTitle(), "Edit Custom Transition Group File: wipes.fxc");
    ASSERT_EQ(edit.Panel()->Rows().size(), 1u);
    ASSERT_TRUE(edit.Panel()->ChooseEffect(effect_id::kCrossDissolve));
    edit.Panel()->AddChosen();
    edit.SetTitle("Wipes and mixes");
    edit.accept();
    EXPECT_EQ(edit.RegisteredSlot(), 1);
  }
  CustomFxGroup group;
  ASSERT_TRUE(ReadCustomFxGroup(path, group, nullptr));
  EXPECT_EQ(group.title, "Wipes and mixes");
  EXPECT_EQ(group.transitions.size(), 2u);
  EXPECT_EQ(profile.GetProfileString("Custom FXs", "Title1"), "Wipes and mixes");

  CustomFxRegistry(profile).Register((dir / "other.fxc").string(), "Other");
  CDeleteFxGroupDlg remove(profile);
  ASSERT_EQ(remove.RowCount(), 2);
  remove.SetCurrentRow(0);
  remove.SetDeleteFile(true);
  remove.accept();
  EXPECT_EQ(profile.GetProfileString("Custom FXs", "File Name1"), "");
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_EQ(profile.GetProfileString("Custom FXs", "Title2"), "Other");
}

TEST(FxGroupDialogs, RefusedGroupsAndDamagedFilesAreReported) {
  TempDir dir;
  Profile profile(dir / "RODUVER.INI");
  ScriptedPrompts prompts;
  prompts.Expect("The custom transition group was not saved: the group has no title.");
  CFxGroupDlg create(profile, std::nullopt);
  create.SetFileName(QString::fromStdString((dir / "x.fxc").string()));
  create.accept();
  EXPECT_NE(create.result(), QDialog::Accepted);
  EXPECT_FALSE(std::filesystem::exists(dir / "x.fxc"));

  const auto damaged = dir.Write("damaged.fxc", "{\"format\": \"sprocket-fxc\", \"version\": 1, \"title\"");
  std::string error;
  CustomFxGroup group;
  ASSERT_FALSE(ReadCustomFxGroup(damaged, group, &error));
  prompts.Expect(error);
  CFxGroupDlg edit(profile, damaged.string());
  EXPECT_TRUE(edit.Panel()->Rows().empty());
  EXPECT_TRUE(prompts.AllShown());
  EXPECT_EQ(profile.GetProfileString("Custom FXs", "File Name1"), "");
}

TEST(MovieStatsDialog, ShowsTheRecordedMovieOrSaysThereIsNone) {
  TempDir dir;
  Profile profile(dir / "RODUVER.INI");
  EXPECT_EQ(CMovieStatsDlg(profile).Lines().size(), 1u);
  profile.WriteProfileStrings("Last Make Movie", {{"FileName", "/OUT/M.AVI"}, {"Frames", "50"}});
  CMovieStatsDlg dialog(profile);
  EXPECT_EQ(dialog.windowTitle(), "Last Compiled Movie Statistics");
  const auto lines = dialog.Lines();
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines.front().second, "/OUT/M.AVI");
  EXPECT_EQ(lines.back().first, "Frames:");
  EXPECT_EQ(lines.back().second, "50");
}

TEST(FxGroupDialogs, TheGroupFilterReadsAsAFileDialogFilter) {
  EXPECT_EQ(FileDialogFilter(kCustomFxFileFilter), "Custom Transtion Group Files (.FXC) (*.fxc)");
}

}  // namespace
}  // namespace sprocket
