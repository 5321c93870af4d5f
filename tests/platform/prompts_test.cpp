#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "platform/message_pump.h"
#include "platform/prompts.h"
#include "platform/string_table.h"
#include "scripted_prompts.h"

namespace sprocket {
namespace {

using testing::ScriptedPrompts;

TEST(StringTable, TextsByIdentifier) {
  EXPECT_EQ(StringText(61430), "Timeline Duration can not exceed 10 hours");
  EXPECT_EQ(StringText(61440), "The number of tracks can not be more than 100");
  EXPECT_EQ(StringText(165), "&Undo change transition\tCtrl+Z");
  EXPECT_EQ(StringText(61486), "Corrupted File");
  EXPECT_TRUE(HasStringText(61301));
  EXPECT_FALSE(HasStringText(12345));
  EXPECT_EQ(StringText(12345), "");
}

TEST(Prompts, DefaultAnswers) {
  EXPECT_EQ(DefaultAnswer(MB_OK), IDOK);
  EXPECT_EQ(DefaultAnswer(MB_YESNO), IDYES);
  EXPECT_EQ(DefaultAnswer(MB_YESNO | MB_DEFBUTTON2), IDNO);
  EXPECT_EQ(DefaultAnswer(MB_YESNOCANCEL | MB_DEFBUTTON3), IDCANCEL);
  EXPECT_EQ(DefaultAnswer(MB_OKCANCEL | MB_ICONQUESTION), IDOK);
  EXPECT_EQ(DefaultAnswer(MB_RETRYCANCEL | MB_DEFBUTTON2), IDCANCEL);
}

TEST(Prompts, ScriptAnswersAndRecords) {
  ScriptedPrompts prompts;
  prompts.Expect("The Timeline has been changed, Do you want to save the changes first ?", IDNO)
      .Expect("Fail to open wave file!");
  EXPECT_EQ(ShowMessage(61301, MB_YESNO), IDNO);
  EXPECT_EQ(ShowMessage("Fail to open wave file!"), IDOK);
  EXPECT_TRUE(prompts.AllShown());
  ASSERT_EQ(prompts.shown().size(), 2u);
  EXPECT_EQ(prompts.shown()[0].type, MB_YESNO);
}

TEST(Prompts, UnexpectedPromptFailsTheTest) {
  EXPECT_NONFATAL_FAILURE(
      {
        ScriptedPrompts prompts;
        ShowMessage("Out of Memory !");
      },
      "unexpected prompt: Out of Memory !");
  EXPECT_NONFATAL_FAILURE({ ScriptedPrompts().Expect("never shown"); }, "expected prompt was not shown");
  EXPECT_NONFATAL_FAILURE(
      {
        ScriptedPrompts prompts;
        prompts.Expect("one text");
        ShowMessage("another text");
      },
      "a different prompt was shown");
}

TEST(Prompts, StreamPromptsAnswerDefaultOrYes) {
  StreamPrompts quiet;
  EXPECT_EQ(quiet.MessageBox("question", "Sprocket", MB_YESNO | MB_DEFBUTTON2), IDNO);
  StreamPrompts yes(true);
  EXPECT_EQ(yes.MessageBox("question", "Sprocket", MB_YESNO | MB_DEFBUTTON2), IDYES);
  EXPECT_EQ(yes.MessageBox("question", "Sprocket", MB_OKCANCEL | MB_DEFBUTTON2), IDOK);
}

TEST(MessagePump, HookAndAbortFlag) {
  int pumped = 0;
  SetPumpHook([&] {
    if (++pumped == 3) RequestAbort();
  });
  ClearAbort();
  while (!IsAbortRequested()) PumpMessages();
  EXPECT_EQ(pumped, 3);
  ClearAbort();
  EXPECT_FALSE(IsAbortRequested());
  SetPumpHook({});
  PumpMessages();  // no hook: nothing happens
  EXPECT_EQ(pumped, 3);
}

}  // namespace
}  // namespace sprocket
