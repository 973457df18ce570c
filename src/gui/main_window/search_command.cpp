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
#include "engine/search/background_row_builder.h"
#include "engine/search/folder_walk.h"
#include "engine/search/search_run.h"
#include "gui/main_window/main_window.h"
#include "gui/results/result_list_view.h"
#include "gui/widgets/clickable_label.h"
#include "gui/widgets/event_pump.h"
#include "gui/widgets/folder_box.h"
#include "gui/widgets/status_bar.h"
#include "gui/widgets/status_text.h"
#include "messages/run_messages.h"
#include "messages/totals_text.h"
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

// The window's side of a walk: the abort command's flag, the event pump that steps the
// progress bar and lets the window's events through, the entries read so far in the status
// bar, and the entries found handed to the thread that builds their rows.
class WindowWalkObserver : public WalkObserver {
 public:
  WindowWalkObserver(const bool& abortRequested, EventPump& pump, StatusText& status,
                     BackgroundRowBuilder& rows)
      : abortRequested_(abortRequested), pump_(pump), status_(status), rows_(rows) {}
  bool abortRequested() override { return abortRequested_; }
  void entryRead() override {
    // The clock is read every 64 entries only (from the first): it costs more than an entry.
    if (++entries_ % 64 == 1 && status_.due()) status_.show(qt(entriesReadText(entries_)));
    pump_.step();
  }
  void poll() override { pump_.poll(); }
  bool callingThreadMayRead() const override { return false; }
  bool takesEntries() const override { return true; }
  void takeEntry(WalkEntry entry) override { rows_.add(std::move(entry)); }

 private:
  const bool& abortRequested_;
  EventPump& pump_;
  StatusText& status_;
  BackgroundRowBuilder& rows_;
  std::uint64_t entries_ = 0;
};

constexpr std::size_t UnreadableFoldersShown = 5;

std::string unreadableFoldersText(const std::vector<UnreadableFolder>& folders) {
  std::string text = "次のフォルダを読めませんでした (" + std::to_string(folders.size()) +
                     "個)。見つかったファイルだけを表示しています。";
  for (std::size_t i = 0; i < folders.size() && i < UnreadableFoldersShown; ++i)
    text += "\n" + folders[i].path;
  if (folders.size() > UnreadableFoldersShown) text += "\n…";
  return text;
}

}  // namespace

void MainWindow::onSearch() {
  search(Selection::By::Day);
}

// The same search, choosing by the destination instead of the day: it needs a destination.
void MainWindow::onCompareSearch() {
  if (busy()) return;
  if (destinationFolderEdit->text().isEmpty()) {
    clearResults();
    boxes().show(MessageKind::Error, noDestinationText(), MessageButtons::Ok,
                 positionedPlacement());
    destinationFolderEdit->setFocus();
    return;
  }
  search(Selection::By::Destination);
}

void MainWindow::search(Selection::By by) {
  if (busy()) return;
  clearResults();
  progressBar->setValue(0);
  // A day picked while the last run went on was shown but not taken: the search takes the day
  // the picker shows now.
  takeSinceDateFromPicker();
  // Every spelling of the folder ("src", "./src/", "a/../src//") becomes its one clean
  // absolute path, so that the rows, the excluded subfolders and the copy agree.
  const std::string source = cleanSourceFolder(utf8(sourceFolderEdit->text()));
  if (const auto refusal = searchRefusal(source)) return refuseSearch(searchRefusalText(*refusal));
  if (qt(source) != sourceFolderEdit->text()) sourceFolderEdit->setText(qt(source));
  sourceFolderBox->remember(source);

  setActivity(Activity::Searching);
  searchRoot_ = utf8(sourceFolderEdit->text());
  // The day the list is made: a copy of it records this day, whenever it runs.
  const CivilDate day = today();
  std::optional<std::vector<UnreadableFolder>> unreadable;
  const Job job = windowJob(searchRoot_, by);
  guarded([&] { unreadable = runSearch(job); });
  if (unreadable) {
    listMade_ = ListMade{day, by, {}, job.key, job.waiting};
    for (const UnreadableFolder& folder : *unreadable) listMade_->unreadable.push_back(folder.path);
  }
  if (unreadable)
    notifyIfLongRunEnded(searchEndedText(static_cast<std::size_t>(resultModel_->rowCount())));
  setActivity(Activity::Idle);
  if (unreadable && !unreadable->empty())
    boxes().show(MessageKind::Warning, unreadableFoldersText(*unreadable), MessageButtons::Ok,
                 positionedPlacement());
  finishRun();
}

void MainWindow::refuseSearch(const std::string& message) {
  boxes().show(MessageKind::Error, message, MessageButtons::Ok, positionedPlacement());
  sourceFolderEdit->setFocus();
}

Job MainWindow::windowJob(const std::string& source, Selection::By by) const {
  JobRequest request;
  request.settingsPath = settingsPath_;
  JobOptions options{searchOptions(), copyOptions()};
  options.search.sourceFolder = source;
  request.layers.push_back(optionLayerOf(options, {}));
  request.window = true;
  request.selection.by = by;
  request.selection.day = civilDateOf(search_.since);
  // The window's own job always has a day to start from: the one its picker shows.
  return *resolveJob(request);
}

CivilDate MainWindow::today() const {
  return clock_ ? clock_() : civilDateOf(todayValue());
}

std::optional<std::vector<UnreadableFolder>> MainWindow::runSearch(const Job& job) {
  EventPump pump(progressBar);
  pump.processNow();
  progressBar->setMaximum(SearchProgressMaximum);
  progressBar->show();

  StatusText status(*statusPanels, 2);
  BackgroundRowBuilder rows(copy_.dirAbs, searchRoot_, resultModel_->types());
  WindowWalkObserver observer(abortRequested_, pump, status, rows);
  const SearchOutcome outcome = runJobSearch(job, walkFilterOf(job), observer);
  const auto letEventsThrough = [&pump] { pump.processNow(); };
  if (outcome.aborted || outcome.outOfMemory) {
    rows.cancel(letEventsThrough);
    abortRequested_ = false;
    statusPanels->setPanelText(2, {});
    if (outcome.outOfMemory)
      boxes().show(MessageKind::Error, searchOutOfMemoryText(), MessageButtons::Ok,
                   positionedPlacement());
    return std::nullopt;
  }
  pump.setPosition(progressBar->maximum());
  progressBar->repaint();
  showResultRows(rows.finish(letEventsThrough));
  return outcome.unreadable;
}

void MainWindow::onAbort() {
  abortRequested_ = true;
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
  if (busy()) return;
  takeSinceDateFromPicker();
}

void MainWindow::takeSinceDateFromPicker() {
  const QDate d = sinceDatePicker->date();
  search_.since = dateValueOf({d.year(), d.month(), d.day()});
}

void MainWindow::onLastCopyDateDoubleClicked() {
  if (busy() || lastCopyDateLabel->text() == QStringLiteral("()")) return;
  guarded([this] {
    const QString text = lastCopyDateLabel->text().mid(1, 10);
    const QDate date = parseLabelDate(text);
    if (!date.isValid()) {
      boxes().showApplicationError("'" + utf8(text) + "' は日付ではありません");
      return;
    }
    sinceDatePicker->setDate(date);
    takeSinceDateFromPicker();
  });
}

}  // namespace nuvelo
