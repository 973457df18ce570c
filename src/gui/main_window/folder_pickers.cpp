// Choosing the source and destination folders in the folder browser.

#include <QLineEdit>
#include <QPointer>

#include "gui/main_window/main_window.h"
#include "platform/file_dialogs.h"
#include "platform/path_text.h"
#include "platform/qt/gui_text.h"

namespace nuvelo {

void MainWindow::chooseFolder(const std::string& initial,
                              std::function<void(const std::string&)> then) {
  // One browser at a time: each answer goes to the command that opened its browser, once.
  if (choosingFolder_) return;
  choosingFolder_ = true;
  services_.files->chooseFolder(initial,
                                [window = QPointer<MainWindow>(this), initial,
                                 then = std::move(then)](std::optional<std::string> chosen) {
                                  if (!window) return;
                                  window->choosingFolder_ = false;
                                  then(chosen.value_or(initial));
                                });
}

// The browse commands of both folder boxes: the chosen folder, without a trailing "/" (the root
// folder itself keeps its "/").
void MainWindow::browseInto(QLineEdit* box) {
  if (running()) return;
  box->setFocus();
  chooseFolder(utf8(box->text()), [box](const std::string& chosen) {
    box->setText(qt(chosen));
    const QString trimmed = qt(withoutTrailingSeparator(utf8(box->text())));
    if (trimmed != box->text()) box->setText(trimmed);
  });
}

void MainWindow::onBrowseSource() {
  browseInto(sourceFolderEdit);
}

void MainWindow::onBrowseDestination() {
  browseInto(destinationFolderEdit);
}

}  // namespace nuvelo
