// The window's busy state: what a search or a copy changes on the window while it runs.

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "gui/main_window/main_window.h"
#include "gui/widgets/status_bar.h"
#include "messages/run_messages.h"
#include "platform/desktop_notifier.h"
#include "platform/qt/gui_text.h"

namespace nuvelo {
namespace {

QString statusTextOf(MainWindow::Activity activity) {
  switch (activity) {
    case MainWindow::Activity::Searching:
      return qt(searchingText());
    case MainWindow::Activity::Copying:
      return qt(copyingText());
    case MainWindow::Activity::Idle:
      break;
  }
  return {};
}

}  // namespace

void MainWindow::setActivity(Activity activity) {
  const bool wasBusy = activity_ != Activity::Idle;
  activity_ = activity;
  const bool nowBusy = activity_ != Activity::Idle;
  if (nowBusy && !wasBusy) QApplication::setOverrideCursor(Qt::WaitCursor);
  if (!nowBusy && wasBusy) QApplication::restoreOverrideCursor();
  if (nowBusy && !wasBusy) runClock_.start();

  // Neither run starts while the other goes on; each reads its own folder box.
  searchButton->setEnabled(activity != Activity::Copying);
  searchAction->setEnabled(activity != Activity::Copying);
  compareSearchAction->setEnabled(activity != Activity::Copying);
  copyButton->setEnabled(activity != Activity::Searching);
  copyAction->setEnabled(activity != Activity::Searching);
  sourceFolderEdit->setReadOnly(activity == Activity::Searching);
  destinationFolderEdit->setReadOnly(activity == Activity::Copying);
  abortButton->setEnabled(nowBusy);
  abortAction->setEnabled(nowBusy);
  if (!nowBusy) {
    progressBar->setValue(0);
    progressBar->hide();
  }
  statusPanels->setPanelText(1, statusTextOf(activity));
  if (wasBusy && !nowBusy) emit runEnded();
}

void MainWindow::notifyIfLongRunEnded(const std::string& body) {
  if (!services_.notifier || isActiveWindow() || !runClock_.isValid() ||
      runClock_.elapsed() < longRunMilliseconds_)
    return;
  services_.notifier->notify("Nuvelo", body);
}

}  // namespace nuvelo
