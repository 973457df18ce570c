// The run log from the window: each copy's line when it ends, and the list of the last runs
// that the 実行 menu opens.

#include <QAction>

#include "engine/jobs/run_status.h"
#include "engine/runlog/run_log_file.h"
#include "engine/text/output_text.h"
#include "gui/dialogs/run_log_dialog.h"
#include "gui/main_window/main_window.h"
#include "gui/widgets/status_bar.h"
#include "messages/failure_reasons.h"
#include "messages/run_log_texts.h"
#include "platform/qt/gui_text.h"
#include "platform/qt/modal_runner.h"
#include "platform/text_encoding.h"

namespace nuvelo {
namespace {

// The runs the list shows: a few screens, read from the log's end at once (a few hundred short
// lines take a millisecond or two, no reason for a thread).
constexpr std::size_t ListedRuns = 200;

}  // namespace

std::optional<Failure> MainWindow::logCopyRun(const CopyRunResult& result,
                                              const std::optional<JobEnd>& end, bool endedInError) {
  const std::vector<std::string> noFolders;
  const std::vector<std::string>& unreadable = listMade_ ? listMade_->unreadable : noFolders;
  RunLogEntry entry;
  entry.start = isoLocalTime(copyRun_->started);
  entry.end = isoLocalTime(std::time(nullptr));
  entry.from = "window";
  entry.source = searchRoot_;
  entry.destination = copyRun_->job.options.copy.destination;
  entry.found = static_cast<std::uint64_t>(resultModel_->rowCount());
  countCopyRun(entry, result, unreadable);
  entry.bytes = result.bytesCopied;
  entry.waiting = end ? end->waiting : 0;
  // A run whose day and retry list could not be recorded, or that ended in an error, failed as
  // nuvelo-cli's would.
  const bool recordFailed = endedInError || (!end && !result.refusedForRoom);
  entry.exitStatus = copyRunStatus(result, unreadable.size(), recordFailed);
  const Result<> appended = appendRunLog(runLogPath(settingsPath_), runLogLine(entry));
  if (appended) return std::nullopt;
  return appended.error();
}

void MainWindow::warnOfRunLog(const Failure& failure) {
  if (runLogWarned_) return;
  runLogWarned_ = true;
  const std::string file = failure.path.empty() ? runLogPath(settingsPath_) : failure.path;
  statusPanels->setPanelText(
      1, qt(runLogUnwritableText(nameForDisplay(file), reasonText(failure.code))));
}

void MainWindow::onRunLog() {
  const RunLogTail tail = readRunLog(runLogPath(settingsPath_), ListedRuns);
  RunLogDialog dialog(tail.entries, this);
  services_.dialogs->run(dialog);
}

}  // namespace nuvelo
