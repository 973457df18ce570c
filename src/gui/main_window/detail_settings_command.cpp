// The detail settings command: shows the dialog and searches again when the per-folder mode
// changed while rows are listed.

#include "gui/main_window/detail_settings_dialog.h"
#include "gui/main_window/main_window.h"
#include "platform/qt/modal_runner.h"

namespace nuvelo {

void TForm1::onDetailSettings() {
  if (Busy) return;
  NeedResearch = false;
  detailSettingsDialog->FormShow();
  detailSettingsDialog->centreOnMainWindow();
  services_.dialogs->run(*detailSettingsDialog);
  if (NeedResearch && resultModel_->rowCount() > 0) {
    boxes().show(MessageKind::Information, "検索方法が変わったので再検索します", MessageButtons::Ok,
                 positionedPlacement());
    onSearch();
  }
}

}  // namespace nuvelo
