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
#include "engine/jobs/copy_run_record.h"
#include "engine/jobs/job_drive.h"
#include "engine/jobs/job_end.h"
#include "engine/jobs/job_search.h"
#include "engine/jobs/job_state.h"
#include "gui/dialogs/copy_notice.h"
#include "gui/jobs/copy_job.h"
#include "gui/main_window/copy_questions.h"
#include "gui/main_window/main_window.h"
#include "gui/main_window/write_failure_box.h"
#include "gui/results/result_list_view.h"
#include "gui/widgets/folder_box.h"
#include "gui/widgets/status_bar.h"
#include "gui/widgets/status_text.h"
#include "messages/copy_messages.h"
#include "messages/run_messages.h"
#include "messages/window_run_messages.h"
#include "platform/qt/gui_text.h"
#include "platform/qt/modal_runner.h"
#include "platform/text_encoding.h"

namespace nuvelo {

namespace {

// The sources of the list's rows in their order, with their check marks now.
std::vector<CopySource> copySourcesOf(const MainWindow& window, const std::vector<ResultRow>& rows,
                                      std::vector<bool>& checked) {
  std::vector<CopySource> sources;
  sources.reserve(rows.size());
  checked.reserve(rows.size());
  for (const ResultRow& row : rows) {
    // Each row's whole kibibytes and one more: no more than the row holds.
    const auto atMost = (static_cast<std::uint64_t>(row.sizeKiB) + 1) * 1024;
    sources.push_back({window.rowFullPath(row), row.folder, atMost});
    checked.push_back(row.checked);
  }
  return sources;
}

}  // namespace

// Starts the copy of the checked rows as a job; copyEnded takes what it did.
void MainWindow::onCopy() {
  // One run at a time: a click on コピー while a copy runs does nothing.
  if (running() || !copyMayStart() || !versionsFolderServes()) return;
  auto run = std::make_unique<CopyRun>(CopyRun{
      windowJob(searchRoot_, Selection::By::Day), {}, {boxes(), positionedPlacement()}, {}, {}});
  if (!lockCopyJob(run->job, run->lock)) return;
  destinationFolderBox->remember(utf8(destinationFolderEdit->text()));
  setActivity(Activity::Copying);
  showCopyProgress();
  std::vector<bool> checked;
  std::vector<CopySource> sources = copySourcesOf(*this, resultModel_->rows(), checked);
  run->marks = std::make_shared<CheckMarks>(checked);
  run->clock.start();
  run->started = std::time(nullptr);
  copyRun_ = std::move(run);
  runStatus_ = std::make_unique<StatusText>(*statusPanels, 2);
  copyJob_ = std::make_unique<CopyJob>(
      std::move(sources), copyRun_->marks,
      [copy = copyOptions(), root = searchRoot_, search = searchOptions(),
       damaged = damagedCopiesFor(copyRun_->job)] {
        CopyRequest request = copyRequestOf(copy, root, walkFilterOf(search, copy.destination));
        request.damagedCopies = damaged;
        return request;
      },
      copyRun_->questions, copyWatch());
  copyJob_->setGate(runGate_);
  copyJob_->setDriveCheck([job = copyRun_->job] { return driveMismatch(job); });
  copyJob_->start(progressBar->maximum());
}

// The damaged copies the rows' comparison found, for a copy to where it read them: copied
// elsewhere, a file that is not older there is no damaged copy of it.
std::shared_ptr<const DamagedCopies> MainWindow::damagedCopiesFor(const Job& job) const {
  if (!listMade_ || listMade_->mirror != mirrorFolderOf(job)) return nullptr;
  return listMade_->damagedCopies;
}

CopyJobWatch MainWindow::copyWatch() {
  CopyJobWatch watch;
  watch.progressed = [this](long long position, const std::optional<CopyProgress>& latest,
                            bool now) {
    progressBar->setValue(static_cast<int>(position));
    if (latest && (runStatus_->due() || now)) {
      const double seconds = static_cast<double>(copyRun_->clock.elapsed()) / 1000.0;
      runStatus_->show(qt(copyProgressText(*latest, seconds)));
    }
  };
  watch.copying = [this] { copyRun_->clock.start(); };
  watch.flushing = [this] { runStatus_->show(qt(flushingText())); };
  watch.failed = [this](const EntryReport& report) {
    failedFiles_ << qt(failedFileLineText(shownReport(report)));
  };
  watch.ended = [this](const CopyRunResult& result, const std::vector<std::string>& copyList,
                       const std::string& error, std::optional<CopyRefusal> refusal) {
    copyEnded(result, copyList, error, refusal);
  };
  return watch;
}

// The copy's end, on the window's thread: the run recorded (an aborted one too), the totals back
// in the status bar, and the notice of a completed run.
void MainWindow::copyEnded(const CopyRunResult& result, const std::vector<std::string>& copyList,
                           const std::string& error, std::optional<CopyRefusal> refusal) {
  const std::unique_ptr<CopyJob> ended = std::move(copyJob_);
  runStatus_.reset();
  if (refusal) return copyRefused(*refusal);
  std::optional<JobEnd> end;
  if (error.empty() && !result.refusedForRoom)
    guarded([&] { end = recordCopy(copyRun_->job, result, copyList); });
  const std::optional<Failure> unlogged = logCopyRun(result, end, !error.empty());
  showTotals();  // in place of the copy's progress
  if (!error.empty()) boxes().showApplicationError(error);
  if (error.empty() && result.completed(false)) {
    notifyIfLongRunEnded(copyEndedText(result.counts));
    if (end && !closeAfterRun_) guarded([&] { finishCompletedCopy(result, *end); });
  } else if (result.outOfMemory) {
    boxes().show(MessageKind::Error, copyOutOfMemoryText(), MessageButtons::Ok,
                 positionedPlacement());
  } else if (result.flush.failure) {
    boxes().show(MessageKind::Error, nameForDisplay(flushFailureText(*result.flush.failure)),
                 MessageButtons::Ok, positionedPlacement());
  }
  failedFiles_.clear();
  copyRun_.reset();
  setActivity(Activity::Idle);
  // Failures are told whatever boxes and notices the user turned off.
  if (end && result.counts.failed > 0)
    statusPanels->setPanelText(
        1, qt(copyFailuresWaitText(result.counts.failed, result.lastingFailures.size())));
  else if (unlogged)
    warnOfRunLog(*unlogged);
  closeIfAsked();
}

// A copy that ended before it started: the destination was missing and not to be made, or could
// not be made.
void MainWindow::copyRefused(CopyRefusal refusal) {
  copyRun_.reset();
  setActivity(Activity::Idle);
  if (refusal == CopyRefusal::CannotMakeDestination && !closeAfterRun_)
    boxes().show(MessageKind::Error, cannotMakeDestinationText(), MessageButtons::Ok,
                 positionedPlacement());
  destinationFolderEdit->setFocus();
  closeIfAsked();
}

bool MainWindow::lockCopyJob(const Job& job, FileLock& lock) {
  auto taken = lockJobRun(job.stateFolder, job.key, LockWait::Never);
  if (taken) {
    lock = std::move(*taken);
    return true;
  }
  boxes().show(MessageKind::Warning, jobRunningElsewhereText(), MessageButtons::Ok,
               positionedPlacement());
  return false;
}

std::optional<JobEnd> MainWindow::recordCopy(Job job, const CopyRunResult& result,
                                             const std::vector<std::string>& copyList) {
  // The rows judge only what waited when their search started, and only for the same job (the
  // destination may have changed since).
  const bool sameJob = listMade_ && listMade_->jobKey == job.key;
  job.waiting = sameJob ? listMade_->waiting : std::vector<std::string>{};
  RunRecord run;
  run.dayOfList = listMade_ ? listMade_->day : today();
  run.listStarted = listMade_ ? listMade_->started : std::time(nullptr);
  run.completed = result.completed(false);
  if (!job.waiting.empty())
    for (const ResultRow& row : resultModel_->rows()) run.listed.push_back(rowFullPath(row));
  addCopyRun(run, copyList, result);
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
  // The rows were found below the folder the source box named at the search: a box that names
  // another folder now would copy files the user no longer sees as the source's.
  if (cleanSourceFolder(utf8(sourceFolderEdit->text())) != searchRoot_) {
    boxes().show(MessageKind::Warning, sourceChangedSinceSearchText(), MessageButtons::Ok,
                 positionedPlacement());
    sourceFolderEdit->setFocus();
    return false;
  }
  // Whether the destination exists is asked on the copy's thread: on a share it is a request.
  if (destinationFolderEdit->text().isEmpty()) {
    boxes().show(MessageKind::Error, noDestinationText(), MessageButtons::Ok,
                 positionedPlacement());
    destinationFolderEdit->setFocus();
    return false;
  }
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

// Shows the notice of a completed run, whose day and retry list are recorded.
void MainWindow::finishCompletedCopy(const CopyRunResult& result, const JobEnd& end) {
  if (!showCopyNotice_) return;
  copyNotice->setNoticesWanted(true);
  copyNotice->showDestination(destinationFolderEdit->text());
  copyNotice->showNotes(result, failedFiles_, end.waiting);
  copyNotice->lookForRemovableDrive(copyRun_->job.options.copy.destination);
  services_.dialogs->run(*copyNotice);
  showCopyNotice_ = copyNotice->noticesWanted();
}

}  // namespace nuvelo
