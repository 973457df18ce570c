// Saving the search conditions to a condition file and loading them from one.

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>

#include "engine/settings/condition_file.h"
#include "gui/main_window/main_window.h"
#include "gui/main_window/write_failure_box.h"
#include "platform/file_dialogs.h"
#include "platform/qt/gui_text.h"

namespace nuvelo {

void TForm1::Mnu_SaveAsClick() {
  if (Busy) return;
  const auto path = services_.files->conditionFileToSave({lastSavePath_, conditionFileFolder_});
  if (!path) return;
  lastSavePath_ = *path;
  SearchConditions conditions;
  conditions.escExt = EscExt;
  conditions.dirFrom = utf8(Edit1->text());
  conditions.dirTo = utf8(Edit2->text());
  conditions.cbKai = CbKai->isChecked();
  for (int i = 0; i < LstBxFolEx->count(); ++i)
    conditions.folEx.push_back(utf8(LstBxFolEx->item(i)->text()));
  writtenOrShown(writeConditionFile(*path, conditions), boxes());
}

void TForm1::Mnu_LoadFileClick() {
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
  Edit1->setText(qt(conditions->dirFrom));
  Edit2->setText(qt(conditions->dirTo));
  CbKai->setChecked(conditions->cbKai);  // its click handler runs when the state changes
  LstBxFolEx->clear();
  for (const std::string& entry : conditions->folEx) LstBxFolEx->addItem(qt(entry));
  EscExt = conditions->escExt;
}

}  // namespace nuvelo
