#include <gtest/gtest.h>
#include <QApplication>
#include <QMdiArea>
#include <QTimer>

#include "app/editor_app.h"
#include "app/main_frame.h"
#include "platform/settings_store.h"
#include "temp_dir.h"

namespace sprocket {
namespace {

TEST(MainFrame, HasEmptyMdiAreaAndFreeMemoryText) {
  CMainFrame frame;
  frame.show();
  QApplication::processEvents();
  ASSERT_NE(frame.mdiArea(), nullptr);
  EXPECT_TRUE(frame.mdiArea()->subWindowList().isEmpty());
  EXPECT_TRUE(frame.freeMemoryText().startsWith("Free Memory:"));
  EXPECT_TRUE(frame.freeMemoryText().endsWith("K"));
}

TEST(MainFrame, FreeMemoryInThousands) {
  EXPECT_EQ(FormatFreeMemory(123456789), "Free Memory:123456K");
  EXPECT_EQ(FormatFreeMemory(999), "Free Memory:0K");
}

TEST(EditorApp, StartsSeedsSettingsAndQuits) {
  testing::ScopedConfigDir config;
  testing::TempDir temp;  // the clean exit deletes the backup timeline here
  WriteProfileString("Temp File Dir", "Dir", temp.path().string());
  QTimer::singleShot(0, [] {
    QApplication::closeAllWindows();
    QApplication::quit();
  });
  EXPECT_EQ(RunEditor(), 0);
  EXPECT_EQ(GetProfileString("AVI Field Info", "ENTRY0"), "DUDC(1)");
  EXPECT_EQ(GetProfileString("AVI Field Info", "ENTRY3"), "TVJP(2)");
}

}  // namespace
}  // namespace sprocket
