// Saving the search conditions to a condition file and loading them from one.

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>

#include "engine/settings/condition_file.h"
#include "gui/main_window/main_window.h"
#include "platform/file_dialogs.h"
#include "platform/qt/gui_text.h"

namespace nuvelo {

void TForm1::onSaveConditionFile() {
  if (Busy) return;
  const auto path = services_.files->conditionFileToSave({lastSavePath_, conditionFileFolder_});
  if (!path) return;
  lastSavePath_ = *path;
  SearchConditions conditions;
  conditions.escExt = EscExt;
  conditions.dirFrom = utf8(sourceFolderEdit->text());
  conditions.dirTo = utf8(destinationFolderEdit->text());
  conditions.cbKai = subfoldersCheckBox->isChecked();
  for (int i = 0; i < excludedSubfoldersList->count(); ++i)
    conditions.folEx.push_back(utf8(excludedSubfoldersList->item(i)->text()));
  guarded([&] { writeConditionFile(*path, conditions); });
}

void TForm1::onOpenConditionFile() {
  if (Busy) return;
  const auto path = services_.files->conditionFileToOpen({lastOpenPath_, conditionFileFolder_});
  if (!path) return;
  lastOpenPath_ = *path;
  const auto conditions = readConditionFile(*path);
  if (!conditions) {
    boxes().show(MessageKind::Error, InvalidConditionFileMessage, MessageButtons::Ok,
                 positionedPlacement());
    return;
  }
  sourceFolderEdit->setText(qt(conditions->dirFrom));
  destinationFolderEdit->setText(qt(conditions->dirTo));
  subfoldersCheckBox->setChecked(
      conditions->cbKai);  // its click handler runs when the state changes
  excludedSubfoldersList->clear();
  for (const std::string& entry : conditions->folEx) excludedSubfoldersList->addItem(qt(entry));
  EscExt = conditions->escExt;
}

}  // namespace nuvelo
