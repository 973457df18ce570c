// The date command, the About box and the help contents.

#include <QApplication>
#include <QDateEdit>

#include "engine/keys/send_keys.h"
#include "gui/dialogs/about_box.h"
#include "gui/main_window/main_window.h"
#include "messages/run_messages.h"
#include "messages/window_messages.h"
#include "platform/help_viewer.h"
#include "platform/posix/user_info.h"
#include "platform/qt/modal_runner.h"

namespace nuvelo {

void MainWindow::onDropDownSinceDate() {
  if (running()) return;
  sinceDatePicker->setFocus();
  const SentKeys sent = SendKeys("%{DOWN}", true, *services_.keys);
  if (!sent) boxes().showApplicationError(notAnIntegerText(sent.error().countText));
}

void MainWindow::onAbout() {
  AboutBox box(programVersion(), loggedOnUserName(), *services_.shell, this);
  const QRect frame = frameGeometry();
  box.move(frame.x() + (frame.width() - box.width()) / 2,
           frame.y() + (frame.height() - box.height()) / 2);
  services_.dialogs->run(box);
}

void MainWindow::onHelpContents() {
  const std::string helpFile = findHelpFile(executablePath());
  qApp->setProperty("helpFile", QString::fromStdString(helpFile));
  if (!services_.help->showContents(helpFile))
    boxes().show(MessageKind::Error, helpFileMissingText(helpFile), MessageButtons::Ok,
                 positionedPlacement());
}

}  // namespace nuvelo
