#include "scripted_prompts.h"

#include <gtest/gtest.h>

namespace sprocket::testing {

ScriptedPrompts::ScriptedPrompts() { SetPrompts(this); }

ScriptedPrompts::~ScriptedPrompts() {
  SetPrompts(nullptr);
  for (const Expected& missing : expected_) ADD_FAILURE() << "expected prompt was not shown: " << missing.text;
}

ScriptedPrompts& ScriptedPrompts::Expect(std::string text, int answer) {
  expected_.push_back({std::move(text), answer});
  return *this;
}

int ScriptedPrompts::MessageBox(const std::string& text, const std::string& caption, unsigned type) {
  shown_.push_back({text, caption, type});
  if (expected_.empty()) {
    ADD_FAILURE() << "unexpected prompt: " << text;
    return DefaultAnswer(type);
  }
  Expected next = expected_.front();
  expected_.pop_front();
  EXPECT_EQ(next.text, text) << "a different prompt was shown";
  return next.answer;
}

std::vector<std::string> ScriptedPrompts::texts() const {
  std::vector<std::string> out;
  for (const ShownPrompt& prompt : shown_) out.push_back(prompt.text);
  return out;
}

}  // namespace sprocket::testing
