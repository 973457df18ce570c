// The copy command: its entry checks, the copy run over the checked rows, and the end of the
// run.

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "engine/copy/copy_run.h"
#include "gui/dialogs/copy_notice.h"
#include "gui/main_window/main_window.h"
#include "gui/main_window/write_failure_box.h"
#include "gui/results/result_list_view.h"
#include "gui/widgets/event_pump.h"
#include "gui/widgets/status_bar.h"
#include "platform/qt/gui_text.h"
#include "platform/qt/modal_runner.h"

namespace nuvelo {
namespace {

// The window's side of a copy run: the abort command's flag, the progress bar stepped by the
// event pump, which lets the window's events through, and a box for each question and each
// failure.
class WindowCopyObserver : public CopyObserver {
 public:
  WindowCopyObserver(const bool& abortRequested, EventPump& pump, MessageBoxes& boxes,
                     MessagePlacement placement)
      : abortRequested_(abortRequested), pump_(pump), boxes_(boxes), placement_(placement) {}

  bool abortRequested() override { return abortRequested_; }
  void entryRead() override { pump_.step(); }
  void poll() override { pump_.poll(); }
  void rowGathered() override { pump_.step(); }
  void copyStarting(std::size_t) override { pump_.sync(); }
  ReplaceAnswer askReplace(const std::string& target) override {
    pump_.sync();
    return boxes_.show(MessageKind::Confirmation, replaceQuestionText(target),
                       MessageButtons::YesNo, MessagePlacement::centred()) == MessageAnswer::Yes
               ? ReplaceAnswer::Replace
               : ReplaceAnswer::Keep;
  }
  void copyFailed(const EntryReport& report) override {
    pump_.sync();
    boxes_.show(MessageKind::Error, copyFailureText(report), MessageButtons::Ok,
                MessagePlacement::centred());
  }
  void fileDone(const EntryReport&) override { pump_.advanceHeld(); }
  bool proceedWithoutRoom(const SpaceShortage& shortage) override {
    pump_.sync();
    return boxes_.show(MessageKind::Warning, spaceShortageText(shortage) + "。\n続けますか？",
                       MessageButtons::YesNo, placement_) == MessageAnswer::Yes;
  }

 private:
  const bool& abortRequested_;
  EventPump& pump_;
  MessageBoxes& boxes_;
  MessagePlacement placement_;  // of the question about room, over the main window
};

}  // namespace

void TForm1::Button3Click() {
  if (Busy || !copyMayStart()) return;
  enterCopyingState();
  std::optional<CopyRunResult> result;
  guarded([&] { result = runCopy(); });
  CopyList.reset();
  if (result && !result->aborted && !result->refusedForRoom)
    guarded([&] { finishCompletedCopy(*result); });
  leaveCopyingState();
  finishRun();
}

// The four entry checks; each refusal is a positioned box.
bool TForm1::copyMayStart() {
  if (!anyRowChecked(resultModel_->rows())) {
    boxes().show(MessageKind::Information, NothingToCopyMessage, MessageButtons::Ok,
                 positionedPlacement());
    return false;
  }
  const std::string destination = utf8(Edit2->text());
  const auto refuse = [this](MessageKind kind, const char* text) {
    boxes().show(kind, text, MessageButtons::Ok, positionedPlacement());
    Edit2->setFocus();
    return false;
  };
  switch (destinationState(destination)) {
    case DestinationState::NotGiven:
      return refuse(MessageKind::Error, NoDestinationMessage);
    case DestinationState::Exists:
      return true;
    case DestinationState::Missing:
      break;
  }
  if (boxes().show(MessageKind::Warning, MissingDestinationQuestion, MessageButtons::YesNo,
                   positionedPlacement()) != MessageAnswer::Yes) {
    Edit2->setFocus();
    return false;
  }
  if (!makeDestination(destination))
    return refuse(MessageKind::Error, CannotMakeDestinationMessage);
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

// Gathers and copies through the engine's run; an abort ends it with AbortRequested cleared.
CopyRunResult TForm1::runCopy() {
  EventPump pump(ProgressBar1);
  ProgressBar1->setMaximum(resultModel_->rowCount());
  CopyRequest request;
  request.rule = {DirAbs, AddDriveLetter, SearchRoot, PathStyle::Posix};
  request.destination = utf8(Edit2->text());
  request.overwrite = overwritePolicyOf(Overwrite);
  request.filter = walkFilter(EscExt);
  request.verify = Verify;
  WindowCopyObserver observer(AbortRequested, pump, boxes(), positionedPlacement());
  const CopyRunResult result = nuvelo::runCopy(resultModel_->rows(), request, observer, *CopyList);
  pump.sync();
  if (result.aborted) AbortRequested = false;
  return result;
}

// Records the day, unless a file failed, and shows the notice; a settings file that cannot be
// written ends the run there, without the notice.
void TForm1::finishCompletedCopy(const CopyRunResult& result) {
  if (result.mayRecordDate(false)) {
    ProfileFile settings(settingsPath_);
    if (!writtenOrShown(writeLastCopyDate(settings, civilDateOf(todayValue())), boxes())) return;
  }
  if (!ShowResult) return;
  frmRes->showDestination(Edit2->text());
  frmRes->showNotes(result);
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
