// The copy command: its entry checks, the copy run over the checked rows, and the end of the
// run.

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStringList>

#include "engine/copy/copy_options.h"
#include "engine/copy/copy_run.h"
#include "engine/copy/replaced_versions.h"
#include "engine/jobs/job_end.h"
#include "engine/jobs/job_state.h"
#include "gui/dialogs/copy_notice.h"
#include "gui/main_window/main_window.h"
#include "gui/main_window/write_failure_box.h"
#include "gui/results/result_list_view.h"
#include "gui/widgets/event_pump.h"
#include "gui/widgets/folder_box.h"
#include "gui/widgets/status_bar.h"
#include "gui/widgets/status_text.h"
#include "messages/copy_messages.h"
#include "messages/run_messages.h"
#include "platform/qt/gui_text.h"
#include "platform/qt/modal_runner.h"
#include "platform/text_encoding.h"

namespace nuvelo {
namespace {

// The report with its paths as the user reads them (a Shift-JIS name decoded).
EntryReport shownReport(const EntryReport& report) {
  EntryReport shown = report;
  shown.source = nameForDisplay(report.source);
  shown.target = nameForDisplay(report.target);
  return shown;
}

// The window's side of a copy run: the abort command's flag, the progress bar stepped by the
// event pump, which lets the window's events through, the progress in the status bar, a box
// for each question and each failure until the user asks for no more failure boxes, and the
// failed files with their reasons for the notice.
class WindowCopyObserver : public CopyObserver {
 public:
  WindowCopyObserver(const bool& abortRequested, EventPump& pump, MessageBoxes& boxes,
                     MessagePlacement placement, StatusText& status)
      : abortRequested_(abortRequested),
        pump_(pump),
        boxes_(boxes),
        placement_(placement),
        status_(status) {}

  bool abortRequested() override { return abortRequested_; }
  void entryRead() override { pump_.step(); }
  void poll() override { pump_.poll(); }
  bool callingThreadMayRead() const override { return false; }
  void rowGathered() override { pump_.step(); }
  void copyStarting(std::size_t) override {
    pump_.sync();
    clock_.start();
  }
  ReplaceAnswer askReplace(const std::string& target) override {
    syncShown();
    return boxes_.show(MessageKind::Confirmation, replaceQuestionText(nameForDisplay(target)),
                       MessageButtons::YesNo, MessagePlacement::centred()) == MessageAnswer::Yes
               ? ReplaceAnswer::Replace
               : ReplaceAnswer::Keep;
  }
  void copyFailed(const EntryReport& report) override {
    const EntryReport shown = shownReport(report);
    failedFiles_ << qt(failedFileLineText(shown));
    if (!failureBoxesWanted_) return;
    syncShown();
    if (boxes_.showWithCheckBox(MessageKind::Error, copyFailureText(shown),
                                "このコピー中は以降のエラーを表示しない",
                                MessagePlacement::centred()))
      failureBoxesWanted_ = false;
  }
  void fileDone(const EntryReport&) override { pump_.advanceHeld(); }
  bool proceedWithoutRoom(const SpaceShortage& shortage) override {
    syncShown();
    return boxes_.show(MessageKind::Warning, spaceShortageText(shortage) + "。\n続けますか？",
                       MessageButtons::YesNo, placement_) == MessageAnswer::Yes;
  }
  bool wantsBytes() const override { return true; }
  void progress(const CopyProgress& now) override {
    latest_ = now;
    if (status_.due()) showProgress();
  }

  const QStringList& failedFiles() const { return failedFiles_; }

 private:
  void showProgress() {
    if (latest_)
      status_.show(qt(copyProgressText(*latest_, static_cast<double>(clock_.elapsed()) / 1000.0)));
  }
  // Before a box: the bar and the status text as they are now.
  void syncShown() {
    pump_.sync();
    showProgress();
  }

  const bool& abortRequested_;
  EventPump& pump_;
  MessageBoxes& boxes_;
  MessagePlacement placement_;  // of the question about room, over the main window
  StatusText& status_;
  QElapsedTimer clock_;
  std::optional<CopyProgress> latest_;
  bool failureBoxesWanted_ = true;
  QStringList failedFiles_;
};

}  // namespace

void MainWindow::onCopy() {
  if (busy() || !copyMayStart() || !versionsFolderServes()) return;
  const Job job = windowJob(searchRoot_, Selection::By::Day);
  FileLock runLock;
  if (!lockCopyJob(job, runLock)) return;
  destinationFolderBox->remember(utf8(destinationFolderEdit->text()));
  setActivity(Activity::Copying);
  showCopyProgress();
  copyList_.emplace();
  std::optional<CopyRunResult> result;
  guarded([&] { result = runCopy(); });
  // A copy that started records what it carried and what waits, an aborted one too.
  std::optional<JobEnd> end;
  if (result && !result->refusedForRoom) guarded([&] { end = recordCopy(job, *result); });
  copyList_.reset();
  showTotals();  // in place of the copy's progress
  if (result && result->completed(false)) {
    notifyIfLongRunEnded(copyEndedText(result->counts));
    if (end) guarded([&] { finishCompletedCopy(*result, *end); });
  } else if (result && result->outOfMemory) {
    boxes().show(MessageKind::Error, copyOutOfMemoryText(), MessageButtons::Ok,
                 positionedPlacement());
  }
  failedFiles_.clear();
  setActivity(Activity::Idle);
  finishRun();
}

bool MainWindow::lockCopyJob(const Job& job, FileLock& lock) {
  auto taken = lockJobRun(job.stateFolder, job.key, LockWait::Never);
  if (taken) {
    lock = std::move(*taken);
    return true;
  }
  boxes().show(
      MessageKind::Warning,
      "このコピーと同じジョブを nuvelo-cli が実行中です。終わってからもう一度コピーしてください",
      MessageButtons::Ok, positionedPlacement());
  return false;
}

std::optional<JobEnd> MainWindow::recordCopy(Job job, const CopyRunResult& result) {
  // The rows judge only what waited when their search started, and only for the same job (the
  // destination may have changed since).
  const bool sameJob = listMade_ && listMade_->jobKey == job.key;
  job.waiting = sameJob ? listMade_->waiting : std::vector<std::string>{};
  RunRecord run;
  run.dayOfList = listMade_ ? listMade_->day : today();
  run.completed = result.completed(false);
  if (!job.waiting.empty())
    for (const ResultRow& row : resultModel_->rows()) run.listed.push_back(rowFullPath(row));
  run.carried = carriedSources(*copyList_, result);
  run.failed = result.failedSources;
  if (listMade_)
    run.failed.insert(run.failed.end(), listMade_->unreadable.begin(), listMade_->unreadable.end());
  const Result<JobEnd> end = recordRun(job, run);
  if (end) return *end;
  writtenOrShown(Unexpected(end.error()), boxes());
  return std::nullopt;
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

// With replaced files kept, their folder must be able to take them; else a positioned box.
bool MainWindow::versionsFolderServes() {
  const CopyOptions copy = copyOptions();
  if (!copy.keepReplaced) return true;
  const auto refusal = versionsFolderRefusal(copy.destination, copy.versionsFolder, searchRoot_);
  if (!refusal) return true;
  boxes().show(MessageKind::Error,
               versionsFolderRefusalText(
                   *refusal, nameForDisplay(versionsRootOf(copy.destination, copy.versionsFolder))),
               MessageButtons::Ok, positionedPlacement());
  return false;
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
  StatusText status(*statusPanels, 2);
  WindowCopyObserver observer(abortRequested_, pump, boxes(), positionedPlacement(), status);
  const CopyRunResult result = nuvelo::runCopy(resultModel_->rows(), request, observer, *copyList_);
  pump.sync();
  if (result.aborted) abortRequested_ = false;
  failedFiles_ = observer.failedFiles();
  return result;
}

// Shows the notice of a completed run, whose day and retry list are recorded.
void MainWindow::finishCompletedCopy(const CopyRunResult& result, const JobEnd& end) {
  if (!showCopyNotice_) return;
  copyNotice->setNoticesWanted(true);
  copyNotice->showDestination(destinationFolderEdit->text());
  copyNotice->showNotes(result, failedFiles_, end.waiting);
  services_.dialogs->run(*copyNotice);
  showCopyNotice_ = copyNotice->noticesWanted();
}

}  // namespace nuvelo
