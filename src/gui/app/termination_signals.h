#pragma once
// Turns the termination signals a desktop session or a terminal sends (SIGTERM, SIGHUP,
// SIGINT) into an ordinary close of the main window, so the settings are saved as for the
// close box and a running search or copy is stopped cleanly first. Open modal dialogs and
// boxes (the copy notice, a question) are closed first, and windows that belong to the main
// window (the help) do not keep the program running.

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <csignal>

#include "platform/signal_closable.h"

class QSocketNotifier;

namespace nuvelo {

class TerminationSignalCloser : public QObject {
  Q_OBJECT
 public:
  // Only one may exist at a time; the previous signal handlers come back when it goes.
  explicit TerminationSignalCloser(QWidget* window);
  ~TerminationSignalCloser() override;

 private:
  void closeWindow();
  void closeModalWindows();

  QPointer<QWidget> window_;
  QSocketNotifier* notifier_ = nullptr;
  struct sigaction previous_[3]{};
};

}  // namespace nuvelo
