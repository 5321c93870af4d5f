#pragma once
// CTestFrame: the MDI child window that shows one view of a timeline
// document. A document may have several frames (Window > New Window); the
// last one to close asks whether to save a modified document.

#include <QMdiSubWindow>
#include <memory>

#include "tleview/tle_view.h"

namespace sprocket {

class DocumentDialogs;

class CTestFrame : public QMdiSubWindow {
  Q_OBJECT
public:
  CTestFrame(std::shared_ptr<ViewedDocument> document, ApplicationState& app, Profile& profile,
             DocumentDialogs& dialogs, QWidget* parent = nullptr);

  CTLEView* View() const { return view_; }
  const std::shared_ptr<ViewedDocument>& Document() const { return view_->SharedDocument(); }

  // Saves to the document's file (Save As when it has none). False, with
  // the reason shown, when it was not saved.
  bool SaveDocument();
  bool SaveDocumentAs();
  // The question before a modified document closes: "Save changes to
  // <title>?" Yes saves (closing only when that worked), No discards,
  // Cancel keeps the document open. True when it may close.
  bool CanCloseDocument();
  // The captions of every frame of this document: its title, with ":n"
  // after it when it has several views.
  void UpdateTitles();

protected:
  void closeEvent(QCloseEvent* event) override;

private:
  bool SaveTo(const std::string& path);
  bool IsLastView() const { return Document()->views.size() <= 1; }

  DocumentDialogs& dialogs_;
  CTLEView* view_ = nullptr;
};

// Turns the wait cursor on (1) or off (-1); calls nest.
void DoWaitCursor(int direction);

}  // namespace sprocket
