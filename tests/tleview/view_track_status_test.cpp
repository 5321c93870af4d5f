// A track's view status: offered by its header's pop-up, changed as one
// undoable edit, and an audio track's clips drawn as boxes in every status.

#include <gtest/gtest.h>
#include <QAction>
#include <QMenu>

#include "commands/command_ids.h"
#include "commands/command_router.h"
#include "tleview/view_commands.h"
#include "view_test_support.h"

namespace sprocket {
namespace {

TEST_F(ClipView, TheHeaderOffersTheStatusesAndAChangeIsOneUndoStep) {
  TLEvent* sound = AddDemoClip(6, 1000, "tone.wav");
  ASSERT_NE(sound, nullptr);
  Paint();
  const std::int32_t heightBefore = view->GetTotalTrackHeight();
  QMenu menu;
  ViewCommands::Of(*view).BuildTrackViewStatusPopup(menu, 6);
  QStringList captions;
  for (QAction* action : menu.actions()) captions << action->text();
  EXPECT_EQ(captions, (QStringList{"Balance", "Video Only", "Volume", "Actual Waveform", "Stereo"}));
  EXPECT_TRUE(menu.actions()[1]->isChecked());  // "Video Only", the default
  menu.actions()[4]->trigger();                 // "Stereo"
  EXPECT_EQ(Track(6)->viewStatus, kTrackViewStereo);
  EXPECT_EQ(view->GetTotalTrackHeight(), heightBefore + doc().RowHeight() + 1);  // a second row
  EXPECT_TRUE(sound->waveform0);                                                 // made at once
  EXPECT_EQ(UndoText(doc()), "&Undo track view status\tCtrl+Z");
  EXPECT_EQ(doc().undoSteps.size(), 1u);
  view->SetTrackViewStatus(6, kTrackViewStereo);  // no change, no step
  EXPECT_EQ(doc().undoSteps.size(), 1u);
  ASSERT_TRUE(ViewCommands::Of(*view).Execute(kCmdEditUndo));
  EXPECT_EQ(Track(6)->viewStatus, kTrackViewVideoOnly);
  // The transition track has no statuses.
  view->SetTrackViewStatus(2, kTrackViewWaveform);
  EXPECT_EQ(Track(2)->viewStatus, kTrackViewVideoOnly);
}

TEST_F(ClipView, AudioClipsAreBoxesInEveryStatus) {
  TLEvent* sound = AddDemoClip(6, 1000, "tone.wav");
  ASSERT_NE(sound, nullptr);
  for (std::int32_t status : {kTrackViewBalance, kTrackViewVideoOnly, kTrackViewVolume, kTrackViewWaveform}) {
    Track(6)->viewStatus = status;
    Paint();
    const dc::Rect row{sound->drawnRect.left, Top(6) + 2, sound->drawnRect.right, Top(6) + doc().RowHeight() - 1};
    EXPECT_GT(Count(row, kAudioBody), row.Width() * row.Height() / 4) << status;
    if (status == kTrackViewVideoOnly)  // the box's left edge, without the sound's rows
      EXPECT_GT(Count(dc::Rect{row.left, row.top, row.left + 1, row.bottom}, kBlack), row.Height() / 2);
  }
}

TEST_F(ClipView, AudioRowsOfVideoTracksJoinTheirFirstRowWithoutAGap) {
  for (std::int32_t status : {kTrackViewBalance, kTrackViewVolume, kTrackViewWaveform, kTrackViewStereo}) {
    Track(1)->viewStatus = status;
    Paint();
    const int y = Top(1) + doc().RowHeight();  // the first row's last line
    EXPECT_EQ(Count(dc::Rect{kX0 + 1, y, kWidth, y + 1}, kWhite), 0) << status;
  }
}

}  // namespace
}  // namespace sprocket
