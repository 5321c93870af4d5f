// File > Preferences: the dialog's widgets and values, its check on OK, and
// what OK does in the main window (settings stored and applied, the field
// orders of open AVI clips, the rate of new timelines).

#include "app/preferences_dialog.h"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QSpinBox>
#include <filesystem>
#include <functional>
#include <optional>

#include "app/main_frame.h"
#include "app/timeline_mdi_window.h"
#include "scripted_prompts.h"
#include "temp_dir.h"
#include "timeline/records/clip_media_header.h"
#include "tleview/tle_view.h"

namespace sprocket {
namespace {

namespace fs = std::filesystem;

OutputPreferences Stored() {
  OutputPreferences values;
  values.fieldOrders[0] = "DUDC(1)";
  values.fieldOrders[5] = "MJPG(2)";
  // Values the dialog does not show, or offers no item for, come back as they were.
  values.movie.VKeyFrame = 7;
  values.movie.szPaletteFile = "film.pal";
  values.movie.ASamplesPerSec = 32000;
  values.movie.VReserved1 = 5;
  values.preview.VCompressionType = "QQQQ";
  values.preview.VReserved1 = 0;
  return values;
}

TEST(PreferencesDialog, ShowsTheValuesAndGivesThemBackUnchanged) {
  const OutputPreferences values = Stored();
  CPreferencesDlg dialog(values);
  EXPECT_EQ(dialog.Values(), values);
  EXPECT_EQ(dialog.MoviePage()->width->value(), 640);
  EXPECT_EQ(dialog.MoviePage()->compressor->currentText(), "MJPG");
  EXPECT_FALSE(dialog.PreviewPage()->sound->isChecked());
  EXPECT_FALSE(dialog.PreviewPage()->soundRate->isEnabled());
  EXPECT_EQ(dialog.FieldOrderEdit(5)->text(), "MJPG(2)");
}

TEST(PreferencesDialog, OkTellsWhatCannotBeUsedAndClosesOnlyWhenAllCan) {
  testing::ScriptedPrompts prompts;
  CPreferencesDlg dialog(Stored());
  dialog.PreviewPage()->compressor->setCurrentText("DIB ");
  MovieRecordPage& movie = *dialog.MoviePage();
  movie.width->setValue(9000);
  movie.framesPerSecond->setValue(25.0);
  movie.sound->setChecked(false);
  movie.soundBits->setCurrentIndex(movie.soundBits->findData(8));
  movie.flcHeight->setValue(240);
  dialog.FieldOrderEdit(2)->setText("TVMJ2");
  prompts.Expect(
      "These settings cannot be used:\n"
      "Movie, AVI movie: The output size 9000X480 is too large! At most 8192X8192 can be made.\n"
      "AVI Field Info, ENTRY2: \"TVMJ2\" is not a compressor code with its field order, such as CFCC(2).");
  dialog.accept();
  EXPECT_TRUE(prompts.AllShown());
  EXPECT_NE(dialog.result(), QDialog::Accepted);

  movie.width->setValue(720);
  dialog.FieldOrderEdit(2)->setText(" TVMJ(2) ");
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  const OutputPreferences values = dialog.Values();
  EXPECT_EQ(values.movie.VResWidth, 720);
  EXPECT_FLOAT_EQ(values.movie.VFramesPerSec, 25.0f);
  EXPECT_EQ(values.movie.VReserved1, 0);
  EXPECT_EQ(values.movie.ABitsPerSample, 8);
  EXPECT_EQ(values.movie.FResHeight, 240);
  EXPECT_EQ(values.preview.VCompressionType, "DIB ");
  EXPECT_EQ(values.fieldOrders[2], "TVMJ(2)");
}

// Answers the Preferences dialog with a change of the values it is given.
class ScriptedPreferences : public PreferencesDialogs {
public:
  std::function<void(OutputPreferences&)> change;  // empty: Cancel
  std::optional<OutputPreferences> EditPreferences(QWidget*, const OutputPreferences& current) override {
    if (!change) return std::nullopt;
    OutputPreferences values = current;
    change(values);
    return values;
  }
};

class PreferencesCommand : public ::testing::Test {
protected:
  PreferencesCommand() : profile(config.path() / "RODUVER.INI"), frame(nullptr, &app, &profile) {
    frame.SetPreferencesDialogs(&dialogs);
    const fs::path examples = fs::path(SPROCKET_SOURCE_DIR) / "examples";
    fs::copy(examples / "demo.tle", work.path() / "demo.tle");
    fs::copy(examples / "media", work.path() / "media", fs::copy_options::recursive);
  }
  // The first AVI clip of the active timeline.
  ClipMediaHeader* FirstAviClip() {
    for (TLEvent* event = frame.ActiveView()->GetDocument().Head(); event != nullptr; event = GetNextEvent(event)) {
      if (event->IsClipIn() && event->header && event->header->Avi() != nullptr) return &*event->header;
    }
    return nullptr;
  }

  testing::ScopedConfigDir config;
  testing::TempDir work;
  testing::ScriptedPrompts prompts;
  ApplicationState app;
  Profile profile;
  CMainFrame frame;
  ScriptedPreferences dialogs;
};

TEST_F(PreferencesCommand, OkStoresAppliesAndSetsTheFieldOrdersOfOpenClips) {
  bool listed = false;
  for (QAction* action : frame.menuBar()->actions().front()->menu()->actions()) {
    listed = listed || action->text() == "&Preferences...";
  }
  EXPECT_TRUE(listed) << "File > Preferences...";

  ASSERT_NE(frame.OpenTimeline((work.path() / "demo.tle").string()), nullptr);
  ClipMediaHeader* clip = FirstAviClip();
  ASSERT_NE(clip, nullptr);
  std::string code;
  for (int i = 0; i < 4; ++i) code += static_cast<char>((clip->CompressorCode() >> (8 * i)) & 0xFF);
  clip->SetFieldOrder(0);

  EXPECT_FALSE(frame.OnPreferences());  // Cancel
  dialogs.change = [&code](OutputPreferences& values) {
    values.movie.VFramesPerSec = 25.0f;
    values.preview.VResWidth = 160;
    values.fieldOrders[9] = code + "(2)";
  };
  ASSERT_TRUE(frame.OnPreferences());
  EXPECT_FLOAT_EQ(app.movie.VFramesPerSec, 25.0f);
  EXPECT_EQ(app.preview.VResWidth, 160);
  EXPECT_EQ(profile.GetProfileString("Movie", "VFramesPerSec"), "2500");
  EXPECT_EQ(profile.GetProfileString("AVI Field Info", "ENTRY9"), code + "(2)");
  EXPECT_EQ(clip->FieldOrder(), 2);

  // New timelines take the movie's rate.
  CTestFrame* created = frame.OnFileNew();
  ASSERT_NE(created, nullptr);
  EXPECT_EQ(created->View()->GetDocument().rate, 2500);
  EXPECT_EQ(created->View()->GetDocument().Head()->rate, 2500);
}

TEST_F(PreferencesCommand, ValuesThatCannotBeUsedAreNotStored) {
  dialogs.change = [](OutputPreferences& values) { values.movie.VFramesPerSec = 500.0f; };
  prompts.Expect(
      "These settings cannot be used:\n"
      "Movie, AVI movie: The frame rate of 500.00 frames per second is too high! At most 120 can be made.\n"
      "Movie, image sequence: The frame rate of 500.00 frames per second is too high! At most 120 can be made.\n"
      "Movie, animation (FLI/FLC): The frame rate of 500.00 frames per second is too high! At most 120 can be made.");
  EXPECT_FALSE(frame.OnPreferences());
  EXPECT_TRUE(prompts.AllShown());
  EXPECT_FLOAT_EQ(app.movie.VFramesPerSec, 29.97f);
  EXPECT_EQ(profile.GetProfileString("Movie", "VFramesPerSec"), "");
}

}  // namespace
}  // namespace sprocket
