#pragma once
// The render window: the modal dialog through which every movie, preview
// and rendered segment is made.
//
// The caller hands it the job to run (a function that runs a render job
// against the window's RenderUi and answers the job's result code) and
// runs it modally; once the window is shown, a queued call runs the job a
// single time and ends the window with the job's result. While the job
// runs, ESC (or closing the window) sets the abort flag that the job's
// message pump reads; the window itself stays until the job ends.
//
// Items, as the render window's template lays them out: the progress bar
// in a bevelled frame, the line that tells how to stop, the status line,
// the time code and the picture area.

#include <functional>

#include <QDialog>
#include <QImage>

#include "render/output/render_ui.h"

class QLabel;

namespace sprocket {

class RenderProgressBar;
class PictureArea;

class CCompileDlg : public QDialog, public RenderUi {
  Q_OBJECT
public:
  // Runs the job against the window; answers the window's result code.
  using Job = std::function<int(RenderUi& ui)>;

  explicit CCompileDlg(Job job, QWidget* parent = nullptr);
  ~CCompileDlg() override;

  // Shows the window modally and answers the job's result code.
  int DoModal();
  // True once the job has run (a second show does not run it again).
  bool HasRun() const { return renderedOnce_; }

  // Where the timeline view draws the position line during the render
  // (none: no line is drawn).
  void SetPositionLineHandler(std::function<void(std::int32_t ms, bool firstCall)> handler) {
    positionLine_ = std::move(handler);
  }

  // --- RenderUi ---
  void SetCaption(const std::string& text) override;
  void SetAbortHint(const std::string& text) override;
  void SetStatus(const std::string& text) override;
  void SetTimeCode(const std::string& text) override;
  void ShowProgress(int percent) override;
  void ShowPicture(const std::uint8_t* dib) override;
  void ShowPictureArea(PictureAreaMode mode) override;
  void ClearPicture() override;
  void MovePositionLine(std::int32_t ms, bool firstCall) override;
  void SetWaitCursor(bool on) override;
  void ShowFrameCount(std::int64_t, std::int64_t) override {}
  void Wait(int ms) override;

  // For tests: the texts and pictures shown.
  QString AbortHintText() const;
  QString StatusText() const;
  QString TimeCodeText() const;
  int Percent() const;
  QImage Picture() const;

public slots:
  // ESC and the close button ask the job to stop instead of closing.
  void reject() override;

protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

private:
  void RunJob();

  Job job_;
  bool renderedOnce_ = false;
  bool running_ = false;
  bool waitCursor_ = false;
  std::function<void(std::int32_t, bool)> positionLine_;
  RenderProgressBar* progress_ = nullptr;
  QLabel* abortHint_ = nullptr;
  QLabel* status_ = nullptr;
  QLabel* timeCode_ = nullptr;
  PictureArea* picture_ = nullptr;
};

}  // namespace sprocket
