// The subfolder switch CbKai and the list of excluded subfolders it governs: "ADD..." and
// "DEL...".

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "engine/search/search_run.h"
#include "engine/settings/folder_rules.h"
#include "gui/main_window/main_window.h"
#include "platform/posix/filesystem.h"
#include "platform/qt/gui_text.h"

namespace nuvelo {

void TForm1::CbKaiClick() {
  if (Busy) {
    // A running walk reads the switch: the box goes back to the state it started with.
    CbKai->setChecked(LastKaiChecked);
    return;
  }
  LastKaiChecked = CbKai->isChecked();
  for (QWidget* control : {static_cast<QWidget*>(LblFolEx), static_cast<QWidget*>(LstBxFolEx),
                           static_cast<QWidget*>(BtnFolExADD), static_cast<QWidget*>(BtnFolExDel)})
    control->setEnabled(LastKaiChecked);
}

void TForm1::BtnFolExADDClick() {
  if (Busy) return;
  // Cleaned as the search cleans it, so that the entry starts with the "/" the walk expects.
  const std::string source = cleanSourceFolder(utf8(Edit1->text()));
  if (!isExistingFolder(source)) {
    boxes().show(MessageKind::Error, "上位フォルダが不正です。", MessageButtons::Ok,
                 MessagePlacement::centred());
    Edit1->setFocus();
    return;
  }
  const std::string chosen = ChooseFolder(source);
  const auto entry = excludedSubfolderEntry(source, chosen);
  if (!entry) {
    boxes().show(MessageKind::Error, "\"" + source + "\"\rの下位フォルダを指定してください",
                 MessageButtons::Ok, MessagePlacement::centred());
    return;
  }
  if (entry->empty()) return;  // the source folder itself, or a cancelled browser
  const QString text = qt(*entry);
  for (int i = 0; i < LstBxFolEx->count(); ++i)
    if (LstBxFolEx->item(i)->text() == text) return;
  LstBxFolEx->addItem(text);
}

void TForm1::BtnFolExDelClick() {
  if (Busy) return;
  const QList<QListWidgetItem*> selected = LstBxFolEx->selectedItems();
  if (selected.isEmpty()) return;
  delete LstBxFolEx->takeItem(LstBxFolEx->row(selected.front()));
  LstBxFolEx->clearSelection();
  LstBxFolEx->setCurrentRow(-1);
}

}  // namespace nuvelo
