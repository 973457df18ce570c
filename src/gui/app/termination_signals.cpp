#include "gui/app/termination_signals.h"

#include <fcntl.h>
#include <unistd.h>
#include <QApplication>
#include <QSocketNotifier>

namespace nuvelo {
namespace {

constexpr int Signals[3] = {SIGTERM, SIGHUP, SIGINT};
int wakePipe[2] = {-1, -1};

// Only async-signal-safe work here: the event loop picks the byte up.
void onSignal(int) {
  const int savedErrno = errno;
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = write(wakePipe[1], &byte, 1);
  errno = savedErrno;
}

}  // namespace

TerminationSignalCloser::TerminationSignalCloser(QWidget* window) : window_(window) {
  if (pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  notifier_ = new QSocketNotifier(wakePipe[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignalCloser::closeWindow);

  struct sigaction action {};
  action.sa_handler = onSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int i = 0; i < 3; ++i) sigaction(Signals[i], &action, &previous_[i]);
}

TerminationSignalCloser::~TerminationSignalCloser() {
  if (!notifier_) return;
  for (int i = 0; i < 3; ++i) sigaction(Signals[i], &previous_[i], nullptr);
  ::close(wakePipe[0]);
  ::close(wakePipe[1]);
  wakePipe[0] = wakePipe[1] = -1;
}

void TerminationSignalCloser::closeWindow() {
  char buffer[64];
  while (read(wakePipe[0], buffer, sizeof buffer) > 0) {
  }
  closeModalWindows();
  if (!window_) return;
  if (auto* closable = dynamic_cast<SignalClosable*>(window_.data()))
    closable->closeForSignal();
  else
    window_->close();
}

// A modal dialog or box would hold the close until someone answered it: each is closed as its
// close box would close it, the innermost first.
void TerminationSignalCloser::closeModalWindows() {
  for (int guard = 0; guard < 16; ++guard) {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->close()) return;
  }
}

}  // namespace nuvelo
