#include "app/timeline_mdi_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <filesystem>

#include "app/document_dialogs.h"
#include "platform/prompts.h"
#include "timeline/tlefile/timeline_file.h"

namespace sprocket {

void DoWaitCursor(int direction) {
  if (direction > 0)
    QApplication::setOverrideCursor(Qt::WaitCursor);
  else if (QApplication::overrideCursor() != nullptr)
    QApplication::restoreOverrideCursor();
}

CTestFrame::CTestFrame(std::shared_ptr<ViewedDocument> document, ApplicationState& app, Profile& profile,
                       DocumentDialogs& dialogs, QWidget* parent)
    : QMdiSubWindow(parent), dialogs_(dialogs) {
  setAttribute(Qt::WA_DeleteOnClose);
  view_ = new CTLEView(std::move(document), app, profile, this);
  setWidget(view_);
  resize(720, 420);
  UpdateTitles();
}

void CTestFrame::UpdateTitles() {
  const auto& views = Document()->views;
  const QString title = QString::fromStdString(Document()->doc.title);
  for (std::size_t i = 0; i < views.size(); ++i) {
    auto* frame = qobject_cast<CTestFrame*>(views[i]->parentWidget());
    if (frame == nullptr) continue;
    frame->setWindowTitle(views.size() == 1 ? title : QStringLiteral("%1:%2").arg(title).arg(i + 1));
  }
}

bool CTestFrame::SaveTo(const std::string& path) {
  std::string error;
  DoWaitCursor(1);
  const bool saved = SaveTimelineDocument(Document()->doc, path, &error);
  DoWaitCursor(-1);
  if (!saved) {
    ShowMessage("The timeline could not be saved to " + path + ".\n" + error, MB_OK | MB_ICONSTOP);
    return false;
  }
  UpdateTitles();
  return true;
}

bool CTestFrame::SaveDocument() {
  const CTestDoc& doc = Document()->doc;
  if (doc.pathName.empty()) return SaveDocumentAs();
  return SaveTo(doc.pathName);
}

bool CTestFrame::SaveDocumentAs() {
  const CTestDoc& doc = Document()->doc;
  const std::string suggested = doc.pathName.empty() ? WithTimelineExtension(doc.title) : doc.pathName;
  const std::optional<std::string> path = dialogs_.SaveTimelinePath(this, suggested);
  return path.has_value() && SaveTo(WithTimelineExtension(*path));
}

bool CTestFrame::CanCloseDocument() {
  if (!Document()->doc.IsModified()) return true;
  const int answer = ShowMessage("Save changes to " + Document()->doc.title + "?", MB_YESNOCANCEL | MB_ICONEXCLAMATION);
  if (answer == IDCANCEL) return false;
  return answer == IDNO || SaveDocument();
}

void CTestFrame::closeEvent(QCloseEvent* event) {
  if (IsLastView() && !CanCloseDocument()) {
    event->ignore();
    return;
  }
  std::shared_ptr<ViewedDocument> document = Document();
  QMdiSubWindow::closeEvent(event);
  if (!event->isAccepted()) return;
  // The view leaves its document's list when it is destroyed; the other
  // frames renumber now.
  setWidget(nullptr);
  delete view_;
  view_ = nullptr;
  for (CTLEView* other : document->views) {
    if (auto* frame = qobject_cast<CTestFrame*>(other->parentWidget())) frame->UpdateTitles();
  }
}

}  // namespace sprocket
