// The subfolder switch and the list of excluded subfolders it governs: "ADD..." and "DEL...".

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "engine/search/search_run.h"
#include "engine/settings/folder_rules.h"
#include "gui/main_window/main_window.h"
#include "messages/window_messages.h"
#include "platform/posix/filesystem.h"
#include "platform/qt/gui_text.h"

namespace nuvelo {
namespace {

void addUnlessListed(QListWidget& list, const QString& text) {
  for (int i = 0; i < list.count(); ++i)
    if (list.item(i)->text() == text) return;
  list.addItem(text);
}

}  // namespace

void MainWindow::onSubfoldersToggled() {
  if (running()) {
    // A running walk reads the switch: the box goes back to the state it started with.
    subfoldersCheckBox->setChecked(lastSubfoldersChecked_);
    return;
  }
  lastSubfoldersChecked_ = subfoldersCheckBox->isChecked();
  for (QWidget* control : {static_cast<QWidget*>(excludedSubfoldersLabel),
                           static_cast<QWidget*>(excludedSubfoldersList),
                           static_cast<QWidget*>(addExcludedSubfolderButton),
                           static_cast<QWidget*>(removeExcludedSubfolderButton)})
    control->setEnabled(lastSubfoldersChecked_);
}

void MainWindow::onAddExcludedSubfolder() {
  if (running()) return;
  // Cleaned as the search cleans it, so that the entry starts with the "/" the walk expects.
  const std::string source = cleanSourceFolder(utf8(sourceFolderEdit->text()));
  if (!isExistingFolder(source)) {
    boxes().show(MessageKind::Error, badParentFolderText(), MessageButtons::Ok,
                 MessagePlacement::centred());
    sourceFolderEdit->setFocus();
    return;
  }
  chooseFolder(source, [this, source](const std::string& chosen) {
    const auto entry = excludedSubfolderEntry(source, chosen);
    if (!entry) {
      boxes().show(MessageKind::Error, notBelowSourceText(source), MessageButtons::Ok,
                   MessagePlacement::centred());
      return;
    }
    if (entry->empty()) return;  // the source folder itself, or a cancelled browser
    addUnlessListed(*excludedSubfoldersList, qt(*entry));
  });
}

void MainWindow::onRemoveExcludedSubfolder() {
  if (running()) return;
  const QList<QListWidgetItem*> selected = excludedSubfoldersList->selectedItems();
  if (selected.isEmpty()) return;
  delete excludedSubfoldersList->takeItem(excludedSubfoldersList->row(selected.front()));
  excludedSubfoldersList->clearSelection();
  excludedSubfoldersList->setCurrentRow(-1);
}

}  // namespace nuvelo
