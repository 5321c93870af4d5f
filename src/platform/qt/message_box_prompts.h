#pragma once
// Prompts shown as modal message boxes of the editor.

#include <QPointer>
#include <QWidget>

#include "platform/prompts.h"

namespace sprocket {

class MessageBoxPrompts : public Prompts {
public:
  explicit MessageBoxPrompts(QWidget* parent = nullptr) : parent_(parent) {}
  void setParent(QWidget* parent) { parent_ = parent; }
  int MessageBox(const std::string& text, const std::string& caption, unsigned type) override;

private:
  QPointer<QWidget> parent_;
};

}  // namespace sprocket
