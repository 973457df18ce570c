// The copy command: its entry checks, the gathering of the checked rows, the copy loop and the
// end of the run.

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "app/event_pump.h"
#include "app/main_window.h"
#include "search/result_list_view.h"
#include "app/status_bar.h"
#include "copy/copy_list.h"
#include "copy/copy_notice.h"
#include "copy/copy_runner.h"
#include "platform/filesystem.h"
#include "platform/gui_text.h"
#include "platform/modal_runner.h"

namespace nuvelo {

void TForm1::Button3Click() {
  if (Busy || !copyMayStart()) return;
  enterCopyingState();
  bool completed = false;
  guarded([&] { completed = runCopy(); });
  CopyList.reset();
  if (completed) guarded([this] { finishCompletedCopy(); });
  leaveCopyingState();
  finishRun();
}

// The four entry checks; each refusal is a positioned box.
bool TForm1::copyMayStart() {
  const auto& rows = resultModel_->rows();
  if (std::none_of(rows.begin(), rows.end(), [](const ResultRow& r) { return r.checked; })) {
    boxes().show(MessageKind::Information, "コピーするファイルがありません", MessageButtons::Ok,
                 positionedPlacement());
    return false;
  }
  const std::string destination = utf8(Edit2->text());
  const auto refuse = [this](MessageKind kind, const char* text) {
    boxes().show(kind, text, MessageButtons::Ok, positionedPlacement());
    Edit2->setFocus();
    return false;
  };
  if (destination.empty()) return refuse(MessageKind::Error, "コピー先フォルダを指定してください");
  if (isExistingFolder(destination)) return true;
  if (boxes().show(MessageKind::Warning, "コピー先が存在しません。作成しますか？",
                   MessageButtons::YesNo, positionedPlacement()) != MessageAnswer::Yes) {
    Edit2->setFocus();
    return false;
  }
  if (makeFolders(destination)) return refuse(MessageKind::Error, "ディレクトリを作成できません");
  return true;
}

void TForm1::enterCopyingState() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  ProgressBar1->setMaximum(resultModel_->rowCount());
  ProgressBar1->setValue(0);
  ProgressBar1->show();
  Button1->setEnabled(false);
  Find1->setEnabled(false);
  AbortRequested = false;
  Busy = true;
  Edit2->setReadOnly(true);
  Button5->setEnabled(true);
  N6->setEnabled(true);
  StatusBar1->setPanelText(1, QStringLiteral("コピー中です"));
  CopyList.emplace();
}

void TForm1::GatherCopyList(EventPump& pump) {
  CopyList->clear();
  ProgressBar1->setMaximum(resultModel_->rowCount());
  gatherCopyList(resultModel_->rows(), DirAbs, SearchRoot, walkFilter(EscExt), walkControl(pump),
                 [&pump] { pump.step(); }, *CopyList);
}

// Gathers and copies; true when the run completed, false when an abort ended it.
bool TForm1::runCopy() {
  EventPump pump(ProgressBar1);
  GatherCopyList(pump);
  pump.sync();
  if (AbortRequested) {
    AbortRequested = false;
    return false;
  }
  CopySettings settings;
  settings.rule = {DirAbs, AddDriveLetter, SearchRoot, PathStyle::Posix};
  settings.destination = utf8(Edit2->text());
  settings.overwrite = Overwrite;
  const auto askReplace = [&](const std::string& target) {
    pump.sync();
    return boxes().show(MessageKind::Confirmation, replaceQuestionText(target),
                        MessageButtons::YesNo, MessagePlacement::centred()) == MessageAnswer::Yes;
  };
  CopyRunner runner(settings, askReplace, CopyHooks{[&pump] { pump.poll(); }, {}});

  const std::size_t count = CopyList->size();
  for (std::size_t i = 0; i < count; ++i) {
    if (AbortRequested) {
      AbortRequested = false;
      return false;
    }
    const EntryReport report = runner.copy((*CopyList)[i]);
    if (report.kind == EntryReport::Failed) {
      pump.sync();
      boxes().show(MessageKind::Error, copyFailureText(report), MessageButtons::Ok,
                   MessagePlacement::centred());
    }
    pump.advanceHeld();
  }
  pump.sync();
  return true;
}

// Records the day and shows the notice; a settings file that cannot be written ends the run
// there, without the notice.
void TForm1::finishCompletedCopy() {
  ProfileFile settings(settingsPath_);
  writeLastCopyDate(settings, civilDateOf(todayValue()));
  if (!ShowResult) return;
  frmRes->showDestination(Edit2->text());
  services_.dialogs->run(*frmRes);
}

void TForm1::leaveCopyingState() {
  QApplication::restoreOverrideCursor();
  Button1->setEnabled(true);
  Find1->setEnabled(true);
  ProgressBar1->setValue(0);
  ProgressBar1->hide();
  Busy = false;
  Edit2->setReadOnly(false);
  Button5->setEnabled(false);
  N6->setEnabled(false);
  StatusBar1->setPanelText(1, {});
}

}  // namespace nuvelo
