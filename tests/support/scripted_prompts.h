#pragma once
// A Prompts double for tests: answers from a script, records every text and
// fails the running test on a prompt nobody expected.

#include <deque>
#include <string>
#include <vector>

#include "platform/prompts.h"

namespace sprocket::testing {

struct ShownPrompt {
  std::string text;
  std::string caption;
  unsigned type = 0;
};

class ScriptedPrompts : public Prompts {
public:
  // Installs itself as the process's prompts until destroyed.
  ScriptedPrompts();
  ~ScriptedPrompts() override;
  ScriptedPrompts(const ScriptedPrompts&) = delete;
  ScriptedPrompts& operator=(const ScriptedPrompts&) = delete;

  // The next prompt must show exactly `text`; it is answered with `answer`.
  ScriptedPrompts& Expect(std::string text, int answer = IDOK);

  int MessageBox(const std::string& text, const std::string& caption, unsigned type) override;

  const std::vector<ShownPrompt>& shown() const { return shown_; }
  std::vector<std::string> texts() const;
  // True when every expected prompt was shown.
  bool AllShown() const { return expected_.empty(); }

private:
  struct Expected {
    std::string text;
    int answer;
  };
  std::deque<Expected> expected_;
  std::vector<ShownPrompt> shown_;
};

}  // namespace sprocket::testing
