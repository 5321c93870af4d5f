#include "platform/qt/message_box_prompts.h"

#include <QMessageBox>
#include <vector>

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

}  // namespace

int MessageBoxPrompts::MessageBox(const std::string& text, const std::string& caption, unsigned type) {
  const std::vector<ButtonAnswer> buttons = ButtonsOf(type);
  QMessageBox box(IconOf(type), QString::fromStdString(caption), QString::fromStdString(text), QMessageBox::NoButton,
                  parent_);
  for (const ButtonAnswer& entry : buttons) box.addButton(entry.button);
  std::size_t defaultIndex = (type & MB_DEFMASK) >> 8;
  if (defaultIndex < buttons.size()) box.setDefaultButton(buttons[defaultIndex].button);
  auto chosen = static_cast<QMessageBox::StandardButton>(box.exec());
  for (const ButtonAnswer& entry : buttons) {
    if (entry.button == chosen) return entry.answer;
  }
  // Closed without a button: the cancelling answer when there is one.
  for (const ButtonAnswer& entry : buttons) {
    if (entry.answer == IDCANCEL || entry.answer == IDNO) return entry.answer;
  }
  return buttons.front().answer;
}

}  // namespace sprocket
