// Choosing the source and destination folders in the folder browser.

#include <QLineEdit>

#include "gui/main_window/main_window.h"
#include "platform/file_dialogs.h"
#include "platform/path_text.h"
#include "platform/qt/gui_text.h"

namespace nuvelo {

std::string MainWindow::chooseFolder(const std::string& initial) {
  return services_.files->chooseFolder(initial).value_or(initial);
}

// The browse commands of both folder boxes: the chosen folder, without a trailing "/" (the root
// folder itself keeps its "/").
void MainWindow::browseInto(QLineEdit* box) {
  if (running()) return;
  box->setFocus();
  box->setText(qt(chooseFolder(utf8(box->text()))));
  const QString trimmed = qt(withoutTrailingSeparator(utf8(box->text())));
  if (trimmed != box->text()) box->setText(trimmed);
}

void MainWindow::onBrowseSource() {
  browseInto(sourceFolderEdit);
}

void MainWindow::onBrowseDestination() {
  browseInto(destinationFolderEdit);
}

}  // namespace nuvelo
