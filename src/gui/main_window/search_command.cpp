// The search command, the abort command, the date threshold, and the rows and totals a search
// leaves in the result list.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>

#include "engine/jobs/job_search.h"
#include "engine/jobs/last_copy_day.h"
#include "engine/search/background_row_builder.h"
#include "engine/search/folder_walk.h"
#include "engine/search/search_run.h"
#include "gui/jobs/search_job.h"
#include "gui/main_window/main_window.h"
#include "gui/results/result_list_view.h"
#include "gui/widgets/clickable_label.h"
#include "gui/widgets/folder_box.h"
#include "gui/widgets/status_bar.h"
#include "gui/widgets/status_text.h"
#include "messages/run_messages.h"
#include "messages/totals_text.h"
#include "messages/window_run_messages.h"
#include "platform/path_text.h"
#include "platform/posix/filesystem.h"
#include "platform/qt/gui_text.h"

namespace nuvelo {
namespace {

constexpr int SearchProgressMaximum = 10000;

// The label shows the date as the settings file stores it (yyyy/mm/dd); a date in the user's
// own short format is taken too.
QDate parseLabelDate(const QString& text) {
  const QDate stored = QDate::fromString(text, QStringLiteral("yyyy/MM/dd"));
  return stored.isValid() ? stored : QLocale::system().toDate(text, QLocale::ShortFormat);
}

}  // namespace

void MainWindow::onSearch() {
  search(Selection::By::Day);
}

// The same search, choosing by the destination instead of the day: it needs a destination.
void MainWindow::onCompareSearch() {
  if (running()) return;
  if (destinationFolderEdit->text().isEmpty()) {
    clearResults();
    boxes().show(MessageKind::Error, noDestinationText(), MessageButtons::Ok,
                 positionedPlacement());
    destinationFolderEdit->setFocus();
    return;
  }
  search(Selection::By::Destination);
}

// Starts the search as a job; the window goes on while it runs, and searchEnded takes its rows.
void MainWindow::search(Selection::By by) {
  // One run at a time: a click on 検索 while a search runs does nothing.
  if (running()) return;
  clearResults();
  progressBar->setValue(0);
  // A day picked while the last run went on was shown but not taken: the search takes the day
  // the picker shows now.
  takeSinceDateFromPicker();
  // Every spelling of the folder ("src", "./src/", "a/../src//") becomes its one clean
  // absolute path, so that the rows, the excluded subfolders and the copy agree. Whether it is
  // a folder is asked on the search's thread: on a share that is a request.
  const std::string source = cleanSourceFolder(utf8(sourceFolderEdit->text()));
  if (source.empty()) return refuseSearch(searchRefusalText(SearchRefusal::NoSource));

  setActivity(Activity::Searching);
  searchRoot_ = source;
  progressBar->setMaximum(SearchProgressMaximum);
  progressBar->show();
  // The day the list is made: a copy of it records this day, whenever it runs.
  const CivilDate day = today();
  const std::int64_t started = std::time(nullptr);
  SearchJobWatch watch;
  watch.progressed = [this](long long position, std::uint64_t entries) {
    progressBar->setValue(static_cast<int>(position));
    if (runStatus_->due()) runStatus_->show(qt(entriesReadText(entries)));
  };
  watch.ended = [this, day, started, by](SearchJobEnd& end) {
    searchEnded(end, {day, started}, by);
  };
  runStatus_ = std::make_unique<StatusText>(*statusPanels, 2);
  searchJob_ = std::make_unique<SearchJob>(
      windowJobRequest(source, by), source,
      RowForm{copy_.dirAbs, searchRoot_, &resultModel_->types()}, std::move(watch));
  searchJob_->setGate(runGate_);
  searchJob_->start(SearchProgressMaximum);
}

// The search's end, on the window's thread: its rows shown, nothing after an abort, or the box
// of a source that is not a folder.
void MainWindow::searchEnded(SearchJobEnd& end, ListStart start, Selection::By by) {
  const std::unique_ptr<SearchJob> ended = std::move(searchJob_);
  runStatus_.reset();
  const SearchOutcome& outcome = end.outcome;
  const bool listed = !end.refusal && !outcome.aborted && !outcome.outOfMemory;
  if (listed) {
    if (qt(searchRoot_) != sourceFolderEdit->text()) sourceFolderEdit->setText(qt(searchRoot_));
    sourceFolderBox->remember(searchRoot_);
    progressBar->setValue(progressBar->maximum());
    showResultRows(std::move(end.rows));
    listMade_ = ListMade{start.day, start.instant, by, {}, end.jobKey, end.waiting, end.mirror, {}};
    const std::vector<std::string>& damaged = outcome.comparison.damagedCopies;
    if (!damaged.empty())
      listMade_->damagedCopies =
          std::make_shared<const DamagedCopies>(damaged.begin(), damaged.end());
    for (const UnreadableFolder& folder : outcome.unreadable)
      listMade_->unreadable.push_back(folder.path);
    notifyIfLongRunEnded(searchEndedText(static_cast<std::size_t>(resultModel_->rowCount())));
  } else {
    statusPanels->setPanelText(2, {});
  }
  setActivity(Activity::Idle);
  if (end.refusal && !closeAfterRun_) refuseSearch(searchRefusalText(*end.refusal));
  if (!end.error.empty()) boxes().showApplicationError(end.error);
  if (outcome.outOfMemory)
    boxes().show(MessageKind::Error, searchOutOfMemoryText(), MessageButtons::Ok,
                 positionedPlacement());
  if (listed && !outcome.unreadable.empty() && !closeAfterRun_)
    boxes().show(MessageKind::Warning, unreadableFoldersText(listMade_->unreadable),
                 MessageButtons::Ok, positionedPlacement());
  closeIfAsked();
}

void MainWindow::refuseSearch(const std::string& message) {
  boxes().show(MessageKind::Error, message, MessageButtons::Ok, positionedPlacement());
  sourceFolderEdit->setFocus();
}

Job MainWindow::windowJob(const std::string& source, Selection::By by) const {
  // The window's own job always has a day to start from: the one its picker shows.
  return *resolveJob(windowJobRequest(source, by));
}

JobRequest MainWindow::windowJobRequest(const std::string& source, Selection::By by) const {
  JobRequest request;
  request.settingsPath = settingsPath_;
  JobOptions options{searchOptions(), copyOptions()};
  options.search.sourceFolder = source;
  request.layers.push_back(optionLayerOf(options, {}));
  request.window = true;
  request.selection.by = by;
  request.selection.day = civilDateOf(search_.since);
  return request;
}

CivilDate MainWindow::today() const {
  return clock_ ? clock_() : civilDateOf(todayValue());
}

void MainWindow::onAbort() {
  SearchJob* search = searchJob_.get();
  CopyJob* copy = copyJob_.get();
  if (!search && !copy) return;
  if (search) search->abort();
  if (copy) copy->abort();
  // Files in flight stop at their next chunk: the status bar says so at once.
  statusPanels->setPanelText(1, qt(stoppingText()));
}

void MainWindow::showResultRows(BuiltRows built) {
  resultModel_->setRows(std::move(built.rows));
  totals_ = built.totals;
  showTotals();
}

void MainWindow::clearResults() {
  resultModel_->clear();
  listMade_.reset();
  resultList->header()->setSortIndicatorShown(false);  // the new rows come unsorted
  totals_ = {};
  statusPanels->setPanelText(2, {});
}

void MainWindow::recountChecked() {
  totals_ = countChecked(resultModel_->rows());
  showTotals();
}

void MainWindow::showTotals() {
  statusPanels->setPanelText(2, qt(totalsText(totals_, resultModel_->formats().decimalSeparator)));
}

std::string MainWindow::rowFullPath(const ResultRow& row) const {
  return nuvelo::rowFullPath(row, copy_.dirAbs, searchRoot_);
}

void MainWindow::onSinceDateChanged() {
  if (running()) return;
  takeSinceDateFromPicker();
}

void MainWindow::takeSinceDateFromPicker() {
  const QDate d = sinceDatePicker->date();
  search_.since = dateValueOf({d.year(), d.month(), d.day()});
}

void MainWindow::onLastCopyDateDoubleClicked() {
  if (running() || lastCopyDateLabel->text() == QStringLiteral("()")) return;
  guarded([this] {
    const QString text = lastCopyDateLabel->text().mid(1, 10);
    const QDate date = parseLabelDate(text);
    if (!date.isValid()) {
      boxes().showApplicationError(labelNotADateText(utf8(text)));
      return;
    }
    // A day after today would skip every file changed until then; one recorded in another
    // time zone starts where its list started.
    const DayJudgement judged = judgeRecordedDay(
        slashDateText({date.year(), date.month(), date.day()}), lastCopyStart_, std::time(nullptr));
    if (judged.verdict == DayJudgement::Verdict::Future) {
      if (boxes().show(MessageKind::Warning, futureLastCopyDayQuestionText(utf8(text)),
                       MessageButtons::YesNo, positionedPlacement()) == MessageAnswer::Yes)
        onCompareSearch();
      return;
    }
    const CivilDate from = judged.verdict == DayJudgement::Verdict::Usable
                               ? judged.from
                               : CivilDate{date.year(), date.month(), date.day()};
    sinceDatePicker->setDate(QDate(from.year, from.month, from.day));
    takeSinceDateFromPicker();
  });
}

}  // namespace nuvelo
