// The subfolder switch CbKai and the controls of the excluded-subfolder list it governs.

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "app/main_window.h"

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

}  // namespace nuvelo
