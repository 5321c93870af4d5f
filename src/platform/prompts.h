#pragma once
// Messages and questions for the user.
//
// The core never shows a window itself: it calls ShowMessage, which hands the
// text to the process's Prompts (a dialog in the editor, stderr in the
// command-line tool, a script in tests) and returns the button chosen.

#include <string>
#include <string_view>

namespace sprocket {

// Button sets and icons, combined with |.
inline constexpr unsigned MB_OK = 0x0;
inline constexpr unsigned MB_OKCANCEL = 0x1;
inline constexpr unsigned MB_ABORTRETRYIGNORE = 0x2;
inline constexpr unsigned MB_YESNOCANCEL = 0x3;
inline constexpr unsigned MB_YESNO = 0x4;
inline constexpr unsigned MB_RETRYCANCEL = 0x5;
inline constexpr unsigned MB_BUTTONMASK = 0xF;
inline constexpr unsigned MB_ICONSTOP = 0x10;
inline constexpr unsigned MB_ICONQUESTION = 0x20;
inline constexpr unsigned MB_ICONEXCLAMATION = 0x30;
inline constexpr unsigned MB_ICONINFORMATION = 0x40;
inline constexpr unsigned MB_ICONMASK = 0xF0;
inline constexpr unsigned MB_DEFBUTTON2 = 0x100;
inline constexpr unsigned MB_DEFBUTTON3 = 0x200;
inline constexpr unsigned MB_DEFMASK = 0xF00;

// Answers.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDABORT = 3;
inline constexpr int IDRETRY = 4;
inline constexpr int IDIGNORE = 5;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

class Prompts {
public:
  virtual ~Prompts() = default;
  // Shows the text with the buttons of `type` and returns the answer.
  virtual int MessageBox(const std::string& text, const std::string& caption, unsigned type) = 0;
};

// The answer a prompt gives when nobody chooses: its default button.
int DefaultAnswer(unsigned type);

// Prints each prompt to a stream and gives the default answer (or Yes/OK
// when `answerYes` is set). Used by the command-line tool and as the
// process default.
class StreamPrompts : public Prompts {
public:
  explicit StreamPrompts(bool answerYes = false) : answerYes_(answerYes) {}
  int MessageBox(const std::string& text, const std::string& caption, unsigned type) override;

private:
  bool answerYes_;
};

// The process's prompts (a StreamPrompts until SetPrompts is called).
Prompts& AppPrompts();
// Installs `prompts` for the process (not owned); null restores the default.
void SetPrompts(Prompts* prompts);

// Shows a text, or the string-table text of an id, through AppPrompts().
int ShowMessage(const std::string& text, unsigned type = MB_OK, const std::string& caption = "Sprocket");
int ShowMessage(int stringId, unsigned type = MB_OK, const std::string& caption = "Sprocket");

}  // namespace sprocket
