#include "platform/qt/message_box_prompts.h"

#include <QMessageBox>
#include <vector>

#include "platform/message_pump.h"

namespace sprocket {

namespace {

struct ButtonAnswer {
  QMessageBox::StandardButton button;
  int answer;
};

std::vector<ButtonAnswer> ButtonsOf(unsigned type) {
  switch (type & MB_BUTTONMASK) {
    case MB_OKCANCEL:
      return {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}};
    case MB_ABORTRETRYIGNORE:
      return {{QMessageBox::Abort, IDABORT}, {QMessageBox::Retry, IDRETRY}, {QMessageBox::Ignore, IDIGNORE}};
    case MB_YESNOCANCEL:
      return {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}};
    case MB_YESNO:
      return {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}};
    case MB_RETRYCANCEL:
      return {{QMessageBox::Retry, IDRETRY}, {QMessageBox::Cancel, IDCANCEL}};
    default:
      return {{QMessageBox::Ok, IDOK}};
  }
}

QMessageBox::Icon IconOf(unsigned type) {
  switch (type & MB_ICONMASK) {
    case MB_ICONSTOP:
      return QMessageBox::Critical;
    case MB_ICONQUESTION:
      return QMessageBox::Question;
    case MB_ICONEXCLAMATION:
      return QMessageBox::Warning;
    case MB_ICONINFORMATION:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

// The answer of a box closed without a button: the cancelling one when
// there is one.
int ClosedAnswer(const std::vector<ButtonAnswer>& buttons) {
  for (const ButtonAnswer& entry : buttons) {
    if (entry.answer == IDCANCEL || entry.answer == IDNO) return entry.answer;
  }
  return buttons.front().answer;
}

}  // namespace

int MessageBoxPrompts::MessageBox(const std::string& text, const std::string& caption, unsigned type) {
  const std::vector<ButtonAnswer> buttons = ButtonsOf(type);
  // Once the process is asked to end nobody answers: the box is not shown,
  // and one on screen when the request comes is closed by it.
  if (ProcessTerminationSignal() != 0) return ClosedAnswer(buttons);
  QMessageBox box(IconOf(type), QString::fromStdString(caption), QString::fromStdString(text), QMessageBox::NoButton,
                  parent_);
  for (const ButtonAnswer& entry : buttons) box.addButton(entry.button);
  std::size_t defaultIndex = (type & MB_DEFMASK) >> 8;
  if (defaultIndex < buttons.size()) box.setDefaultButton(buttons[defaultIndex].button);
  auto chosen = static_cast<QMessageBox::StandardButton>(box.exec());
  if (ProcessTerminationSignal() != 0) return ClosedAnswer(buttons);
  for (const ButtonAnswer& entry : buttons) {
    if (entry.button == chosen) return entry.answer;
  }
  return ClosedAnswer(buttons);
}

}  // namespace sprocket
