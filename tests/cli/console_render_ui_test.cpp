#include "cli/console_render_ui.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "render_test_project.h"

namespace sprocket {
namespace {

using testing::StreamText;

TEST(ConsoleRenderUi, ShowsFrameTimeCodeAndPercentOnOneLine) {
  std::FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  {
    ConsoleRenderUi ui(file, true);
    ui.SetCaption("Generating Movie...");
    ui.ShowFrameCount(3, 125);
    ui.ShowProgress(2);
    ui.SetTimeCode("00:00:00:02");
    EXPECT_EQ(ui.ProgressLine(), "Generating Movie...  frame 3 of 125  00:00:00:02    2%");
    ui.ShowFrameCount(125, 125);
    ui.ShowProgress(100);
    ui.SetTimeCode("00:00:05:00");
  }
  const std::string text = StreamText(file);
  std::fclose(file);
  // Each drawing starts at the line's beginning; the last one shows the end
  // and the line is ended.
  EXPECT_EQ(text.front(), '\r');
  EXPECT_NE(text.find("frame 125 of 125  00:00:05:00  100%"), std::string::npos);
  EXPECT_EQ(text.back(), '\n');
  EXPECT_EQ(text.find('\n'), text.size() - 1);
}

TEST(ConsoleRenderUi, WritesNothingWhenNotATerminal) {
  std::FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  {
    ConsoleRenderUi ui(file, false);
    ui.ShowFrameCount(1, 2);
    ui.ShowProgress(100);
    ui.SetTimeCode("00:00:00:01");
  }
  EXPECT_EQ(StreamText(file), "");
  std::fclose(file);
  EXPECT_FALSE(ConsoleRenderUi::IsTerminal(nullptr));
}

}  // namespace
}  // namespace sprocket
