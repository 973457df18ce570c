// Saving the search conditions to a condition file and loading them from one.

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>

#include "engine/settings/condition_file.h"
#include "engine/settings/job_file.h"
#include "engine/settings/stored_options.h"
#include "gui/main_window/main_window.h"
#include "gui/main_window/write_failure_box.h"
#include "gui/widgets/list_texts.h"
#include "messages/run_messages.h"
#include "platform/file_dialogs.h"
#include "platform/qt/gui_text.h"

namespace nuvelo {

void MainWindow::onSaveConditionFile() {
  if (running()) return;
  const auto path = services_.files->conditionFileToSave({lastSavePath_, conditionFileFolder_});
  if (!path) return;
  lastSavePath_ = *path;
  writtenOrShown(
      writeConditionFile(*path, conditionsOf(searchOptions(), utf8(destinationFolderEdit->text()))),
      boxes());
}

void MainWindow::onSaveJobFile() {
  if (running()) return;
  const auto path = services_.files->conditionFileToSave({lastSavePath_, conditionFileFolder_});
  if (!path) return;
  lastSavePath_ = *path;
  writtenOrShown(writeJobFile(*path, searchOptions(), copyOptions()), boxes());
}

void MainWindow::onOpenConditionFile() {
  if (running()) return;
  const auto path = services_.files->conditionFileToOpen({lastOpenPath_, conditionFileFolder_});
  if (!path) return;
  lastOpenPath_ = *path;
  const auto conditions = readConditionFile(*path);
  if (!conditions) {
    boxes().show(MessageKind::Error, invalidConditionFileText(), MessageButtons::Ok,
                 positionedPlacement());
    return;
  }
  applyConditions(*conditions);
}

void MainWindow::applyConditions(const SearchConditions& conditions) {
  sourceFolderEdit->setText(qt(conditions.source));
  destinationFolderEdit->setText(qt(conditions.destination));
  // The switch's click handler runs when its state changes.
  subfoldersCheckBox->setChecked(conditions.includeSubfolders);
  setListTexts(*excludedSubfoldersList, conditions.excludedSubfolders);
  search_.excludedExtensions = conditions.excludedExtensions;
}

}  // namespace nuvelo
