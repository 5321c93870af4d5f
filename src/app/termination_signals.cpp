#include "app/termination_signals.h"

#include <fcntl.h>
#include <unistd.h>
#include <QSocketNotifier>
#include <atomic>
#include <cerrno>
#include <stdexcept>

#include "platform/message_pump.h"

namespace sprocket {

namespace {

// The write end of the pipe of the one TerminationSignals object: a signal
// handler can reach nothing else.
std::atomic<int> g_signalPipe{-1};

extern "C" void WriteSignalToPipe(int signalNumber) {
  const int savedErrno = errno;
  // Long work that pumps no events (a render job, a question before the main
  // loop) sees the request at once.
  RequestProcessTermination(signalNumber);
  const int fd = g_signalPipe.load();
  if (fd >= 0) {
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
  }
  errno = savedErrno;
}

void Install(int signalNumber, struct sigaction* previous) {
  struct sigaction action {};
  action.sa_handler = WriteSignalToPipe;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(signalNumber, &action, previous);
}

}  // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
  if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) throw std::runtime_error("no pipe for the termination signals");
  int expected = -1;
  if (!g_signalPipe.compare_exchange_strong(expected, pipe_[1])) {
    ::close(pipe_[0]);
    ::close(pipe_[1]);
    throw std::logic_error("termination signals are already watched");
  }
  notifier_ = new QSocketNotifier(pipe_[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::ReadPending);
  Install(SIGTERM, &previousTerm_);
  Install(SIGHUP, &previousHup_);
  // A parent may start us with them blocked; one that came before the
  // handlers were in place is delivered now.
  sigset_t watched;
  sigemptyset(&watched);
  sigaddset(&watched, SIGTERM);
  sigaddset(&watched, SIGHUP);
  ::sigprocmask(SIG_UNBLOCK, &watched, nullptr);
}

TerminationSignals::~TerminationSignals() {
  ::sigaction(SIGTERM, &previousTerm_, nullptr);
  ::sigaction(SIGHUP, &previousHup_, nullptr);
  g_signalPipe.store(-1);
  delete notifier_;
  ::close(pipe_[0]);
  ::close(pipe_[1]);
}

void TerminationSignals::ReadPending() {
  unsigned char byte = 0;
  while (::read(pipe_[0], &byte, 1) == 1) emit received(byte);
}

}  // namespace sprocket
