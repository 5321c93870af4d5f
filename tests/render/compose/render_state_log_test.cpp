#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "platform/settings/profile.h"
#include "platform/settings_store.h"
#include "platform/system_info.h"
#include "render/compose/render_log.h"
#include "render/sources/render_state.h"
#include "scripted_prompts.h"
#include "temp_dir.h"

namespace sprocket {
namespace {

std::string ReadLog() {
  std::ifstream file(RenderLogPath(), std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

TEST(RenderLog, FirstEntryOnlyCreatesTheFileThenEntriesAppend) {
  testing::ScopedConfigDir config;
  ASSERT_FALSE(std::filesystem::exists(RenderLogPath()));
  EXPECT_EQ(WriteRenderLog("logged in GetDIB()", 0, nullptr), 0);
  ASSERT_TRUE(std::filesystem::exists(RenderLogPath()));
  EXPECT_EQ(ReadLog(), "");

  EXPECT_EQ(WriteRenderLog("logged in GetDIB()", 0, nullptr), 1);
  EXPECT_EQ(WriteRenderLog("second", 0, nullptr), 1);
  const std::regex entry(
      "\n[0-2][0-9]:[0-5][0-9]:[0-6][0-9],\tFree Memory: [0-9]+ Byte,\t[01][0-9]/[0-3][0-9]/[0-9][0-9],\t\n"
      "<<:0>>\tlogged in GetDIB\\(\\)\n"
      "\n[0-9:]{8},\tFree Memory: [0-9]+ Byte,\t[0-9/]{8},\t\n<<:0>>\tsecond\n");
  EXPECT_TRUE(std::regex_match(ReadLog(), entry)) << ReadLog();
}

TEST(RenderLog, CodeGivesTabsAndSourceText) {
  testing::ScopedConfigDir config;
  WriteRenderLog("", 0, nullptr);
  ASSERT_EQ(WriteRenderLog("message", 35, "Topic 3, Level 5"), 1);
  const std::string log = ReadLog();
  const std::size_t secondLine = log.find(",\t\n") + 3;
  EXPECT_EQ(log.substr(secondLine), "\t\t\t\t\t\t\t<<Topic 3, Level 5:35>>\tmessage\n");
  // 19 mod 9 is 1: no tabs.
  ASSERT_EQ(WriteRenderLog("x", 19, nullptr), 1);
  EXPECT_NE(ReadLog().find("\n<<:19>>\tx\n"), std::string::npos);
}

TEST(RenderLog, TopicsAndLevelsOutOfRangeWriteNothing) {
  testing::ScopedConfigDir config;
  WriteRenderLog("", 0, nullptr);
  EXPECT_EQ(WriteRenderLog("too far", 100010, nullptr), 0);
  EXPECT_EQ(ReadLog(), "");
  EXPECT_EQ(WriteRenderLog("last topic", 100009, nullptr), 1);
  EXPECT_NE(ReadLog().find(":100009>>\tlast topic"), std::string::npos);
}

TEST(RenderState, JobResetClearsCopyStateAndKeepsBitDepth) {
  RenderState& state = TheRenderState();
  state.StoreLastSourceFile(std::string(300, 'a'));
  EXPECT_EQ(state.lastSourceFile->size(), kMaxRenderFileName);
  EXPECT_TRUE(state.IsLastSourceFile(std::string(300, 'a')));
  state.outputPictureCounter = 7;
  state.keyFrameSeen = true;
  state.lastFrameCopied = 12;
  state.outputKeyFrame = true;
  state.lastPassThroughTrack = 3;
  state.outputBitDepth = 8;
  ResetRenderJobState();
  EXPECT_FALSE(state.lastSourceFile.has_value());
  EXPECT_EQ(state.outputPictureCounter, 0);
  EXPECT_FALSE(state.keyFrameSeen);
  EXPECT_EQ(state.lastFrameCopied, 0);
  EXPECT_FALSE(state.outputKeyFrame);
  EXPECT_EQ(state.lastPassThroughTrack, 0);
  EXPECT_EQ(state.outputBitDepth, 8);
  state.outputBitDepth = 24;
}

TEST(RenderState, MessagesAreShownOncePerJobAndSubject) {
  testing::ScriptedPrompts prompts;
  prompts.Expect("Broken!").Expect("Broken!").Expect("Broken!");
  ResetRenderJobState();
  EXPECT_TRUE(ShowRenderMessageOnce("Broken!", "a.avi"));
  EXPECT_FALSE(ShowRenderMessageOnce("Broken!", "a.avi"));
  EXPECT_TRUE(ShowRenderMessageOnce("Broken!", "b.avi"));
  ResetRenderJobState();
  EXPECT_TRUE(ShowRenderMessageOnce("Broken!", "a.avi"));
  EXPECT_TRUE(prompts.AllShown());
}

TEST(RenderState, LockExistsOnlyWithTheSettingOnSeveralProcessors) {
  testing::ScopedConfigDir config;
  if (RenderLock() == nullptr) {
    EXPECT_FALSE(InitRenderLock());
    EXPECT_EQ(RenderLock(), nullptr);
  }
  WriteProfileInt("MULTIPROC", "ENABLEMULTIPROC", 1);
  EXPECT_EQ(InitRenderLock(), ProcessorCount() >= 2);
  // The lock is recursive: a nested render takes it again.
  RenderLockGuard outer;
  RenderLockGuard inner;
}

}  // namespace
}  // namespace sprocket
