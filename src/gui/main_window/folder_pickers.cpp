// Choosing the source and destination folders in the folder browser.

#include <QLineEdit>

#include "gui/main_window/main_window.h"
#include "platform/file_dialogs.h"
#include "platform/path_text.h"
#include "platform/qt/gui_text.h"

namespace nuvelo {

std::string TForm1::chooseFolder(const std::string& initial) {
  return services_.files->chooseFolder(initial).value_or(initial);
}

// The browse commands of both folder boxes: the chosen folder, without a trailing "/" (the root
// folder itself keeps its "/").
void TForm1::browseInto(QLineEdit* box) {
  if (busy()) return;
  box->setFocus();
  box->setText(qt(chooseFolder(utf8(box->text()))));
  const QString trimmed = qt(withoutTrailingSeparator(utf8(box->text())));
  if (trimmed != box->text()) box->setText(trimmed);
}

void TForm1::onBrowseSource() {
  browseInto(sourceFolderEdit);
}

void TForm1::onBrowseDestination() {
  browseInto(destinationFolderEdit);
}

}  // namespace nuvelo
