// The copy command: its entry checks, the copy run over the checked rows, and the end of the
// run.

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "engine/copy/copy_options.h"
#include "engine/copy/copy_run.h"
#include "gui/dialogs/copy_notice.h"
#include "gui/main_window/main_window.h"
#include "gui/main_window/write_failure_box.h"
#include "gui/results/result_list_view.h"
#include "gui/widgets/event_pump.h"
#include "gui/widgets/status_bar.h"
#include "messages/copy_messages.h"
#include "messages/run_messages.h"
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
  bool callingThreadMayRead() const override { return false; }
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

void MainWindow::onCopy() {
  if (busy() || !copyMayStart()) return;
  setActivity(Activity::Copying);
  showCopyProgress();
  copyList_.emplace();
  std::optional<CopyRunResult> result;
  guarded([&] { result = runCopy(); });
  copyList_.reset();
  if (result && !result->aborted && !result->refusedForRoom)
    guarded([&] { finishCompletedCopy(*result); });
  setActivity(Activity::Idle);
  finishRun();
}

// The four entry checks; each refusal is a positioned box.
bool MainWindow::copyMayStart() {
  if (!anyRowChecked(resultModel_->rows())) {
    boxes().show(MessageKind::Information, nothingToCopyText(), MessageButtons::Ok,
                 positionedPlacement());
    return false;
  }
  const std::string destination = utf8(destinationFolderEdit->text());
  const auto refuse = [this](MessageKind kind, const std::string& text) {
    boxes().show(kind, text, MessageButtons::Ok, positionedPlacement());
    destinationFolderEdit->setFocus();
    return false;
  };
  switch (destinationState(destination)) {
    case DestinationState::NotGiven:
      return refuse(MessageKind::Error, noDestinationText());
    case DestinationState::Exists:
      return true;
    case DestinationState::Missing:
      break;
  }
  if (boxes().show(MessageKind::Warning, missingDestinationQuestion(), MessageButtons::YesNo,
                   positionedPlacement()) != MessageAnswer::Yes) {
    destinationFolderEdit->setFocus();
    return false;
  }
  if (!makeDestination(destination)) return refuse(MessageKind::Error, cannotMakeDestinationText());
  return true;
}

void MainWindow::showCopyProgress() {
  progressBar->setMaximum(resultModel_->rowCount());
  progressBar->setValue(0);
  progressBar->show();
}

// Gathers and copies through the engine's run; an abort ends it with abortRequested_ cleared.
CopyRunResult MainWindow::runCopy() {
  EventPump pump(progressBar);
  progressBar->setMaximum(resultModel_->rowCount());
  const CopyRequest request = copyRequestOf(copyOptions(), searchRoot_, walkFilter());
  WindowCopyObserver observer(abortRequested_, pump, boxes(), positionedPlacement());
  const CopyRunResult result = nuvelo::runCopy(resultModel_->rows(), request, observer, *copyList_);
  pump.sync();
  if (result.aborted) abortRequested_ = false;
  return result;
}

// Records the day, unless a file failed, and shows the notice; a settings file that cannot be
// written ends the run there, without the notice.
void MainWindow::finishCompletedCopy(const CopyRunResult& result) {
  if (result.mayRecordDate(false)) {
    ProfileFile settings(settingsPath_);
    if (!writtenOrShown(writeLastCopyDate(settings, civilDateOf(todayValue())), boxes())) return;
  }
  if (!showCopyNotice_) return;
  copyNotice->setNoticesWanted(true);
  copyNotice->showDestination(destinationFolderEdit->text());
  copyNotice->showNotes(result);
  services_.dialogs->run(*copyNotice);
  showCopyNotice_ = copyNotice->noticesWanted();
}

}  // namespace nuvelo
