#pragma once
// SIGTERM and SIGHUP: the handler records the process's termination request
// (which long work and the prompts read at once) and writes the signal's
// number into a pipe; a socket notifier reads it back in whichever event
// loop runs (the main loop or a modal one) and emits received(), where the
// editor ends its session in ordinary code.

#include <QObject>
#include <csignal>

class QSocketNotifier;

namespace sprocket {

class TerminationSignals : public QObject {
  Q_OBJECT
public:
  // Installs the handlers; only one object may exist at a time.
  explicit TerminationSignals(QObject* parent = nullptr);
  // Restores the handlers that were there before.
  ~TerminationSignals() override;
  TerminationSignals(const TerminationSignals&) = delete;
  TerminationSignals& operator=(const TerminationSignals&) = delete;

signals:
  void received(int signalNumber);

private:
  void ReadPending();

  int pipe_[2] = {-1, -1};
  QSocketNotifier* notifier_ = nullptr;
  struct sigaction previousTerm_ {};
  struct sigaction previousHup_ {};
};

}  // namespace sprocket
