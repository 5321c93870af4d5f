#include "platform/prompts.h"

#include <cstdio>

#include "platform/string_table.h"

namespace sprocket {

int DefaultAnswer(unsigned type) {
  static constexpr int kButtons[][3] = {
      {IDOK, IDOK, IDOK},             // MB_OK
      {IDOK, IDCANCEL, IDCANCEL},     // MB_OKCANCEL
      {IDABORT, IDRETRY, IDIGNORE},   // MB_ABORTRETRYIGNORE
      {IDYES, IDNO, IDCANCEL},        // MB_YESNOCANCEL
      {IDYES, IDNO, IDNO},            // MB_YESNO
      {IDRETRY, IDCANCEL, IDCANCEL},  // MB_RETRYCANCEL
  };
  unsigned buttons = type & MB_BUTTONMASK;
  if (buttons > MB_RETRYCANCEL) buttons = MB_OK;
  unsigned index = (type & MB_DEFMASK) >> 8;
  if (index > 2) index = 0;
  return kButtons[buttons][index];
}

int StreamPrompts::MessageBox(const std::string& text, const std::string& caption, unsigned type) {
  int answer = DefaultAnswer(type);
  if (answerYes_) {
    unsigned buttons = type & MB_BUTTONMASK;
    if (buttons == MB_YESNO || buttons == MB_YESNOCANCEL) answer = IDYES;
    if (buttons == MB_OKCANCEL) answer = IDOK;
  }
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  return answer;
}

int ShowMessage(const std::string& text, unsigned type, const std::string& caption) {
  return AppPrompts().MessageBox(text, caption, type);
}

int ShowMessage(int stringId, unsigned type, const std::string& caption) {
  return ShowMessage(std::string(StringText(stringId)), type, caption);
}

}  // namespace sprocket
