// The search command, the abort command, the date threshold, and the rows and totals a search
// leaves in the result list.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>

#include "engine/search/folder_walk.h"
#include "engine/search/search_run.h"
#include "gui/main_window/main_window.h"
#include "gui/results/result_list_view.h"
#include "gui/widgets/clickable_label.h"
#include "gui/widgets/event_pump.h"
#include "gui/widgets/status_bar.h"
#include "platform/path_text.h"
#include "platform/posix/filesystem.h"
#include "platform/qt/gui_text.h"

namespace nuvelo {
namespace {

constexpr int SearchProgressMaximum = 10000;

DateTimeValue dateValueOfPicker(const QDateEdit* picker) {
  const QDate d = picker->date();
  return dateValueOf({d.year(), d.month(), d.day()});
}

// The label shows the date as the settings file stores it (yyyy/mm/dd); a date in the user's
// own short format is taken too.
QDate parseLabelDate(const QString& text) {
  const QDate stored = QDate::fromString(text, QStringLiteral("yyyy/MM/dd"));
  return stored.isValid() ? stored : QLocale::system().toDate(text, QLocale::ShortFormat);
}

// The window's side of a walk: the abort command's flag, and the event pump that steps the
// progress bar and lets the window's events through.
class WindowWalkObserver : public WalkObserver {
 public:
  WindowWalkObserver(const bool& abortRequested, EventPump& pump)
      : abortRequested_(abortRequested), pump_(pump) {}
  bool abortRequested() override { return abortRequested_; }
  void entryRead() override { pump_.step(); }
  void poll() override { pump_.poll(); }

 private:
  const bool& abortRequested_;
  EventPump& pump_;
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

void TForm1::Button1Click() {
  if (Busy) return;
  resultModel_->clear();
  ProgressBar1->setValue(0);
  // Every spelling of the folder ("src", "./src/", "a/../src//") becomes its one clean
  // absolute path, so that the rows, the excluded subfolders and the copy agree.
  const std::string source = cleanSourceFolder(utf8(Edit1->text()));
  if (const auto refusal = searchRefusal(source)) return refuseSearch(*refusal);
  if (qt(source) != Edit1->text()) Edit1->setText(qt(source));

  enterSearchingState();
  std::vector<UnreadableFolder> unreadable;
  guarded([&] { unreadable = runSearch(); });
  leaveSearchingState();
  if (!unreadable.empty())
    boxes().show(MessageKind::Warning, unreadableFoldersText(unreadable), MessageButtons::Ok,
                 positionedPlacement());
  finishRun();
}

void TForm1::refuseSearch(const std::string& message) {
  boxes().show(MessageKind::Error, message, MessageButtons::Ok, positionedPlacement());
  Edit1->setFocus();
}

void TForm1::enterSearchingState() {
  Busy = true;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  Button3->setEnabled(false);
  Copy1->setEnabled(false);
  AbortRequested = false;
  StatusBar1->setPanelText(1, {});
  StatusBar1->setPanelText(2, {});
  SearchRoot = utf8(Edit1->text());
  Edit1->setReadOnly(true);
  Button5->setEnabled(true);
  N6->setEnabled(true);
  StatusBar1->setPanelText(1, QStringLiteral("検索中です"));
}

std::vector<UnreadableFolder> TForm1::runSearch() {
  EventPump pump(ProgressBar1);
  pump.processNow();
  ProgressBar1->setMaximum(SearchProgressMaximum);
  ProgressBar1->show();

  WindowWalkObserver observer(AbortRequested, pump);
  const SearchOutcome outcome = nuvelo::runSearch(SearchRoot, walkFilter(EscExt), observer);
  if (outcome.aborted) {
    AbortRequested = false;
    return {};
  }
  pump.setPosition(ProgressBar1->maximum());
  ProgressBar1->repaint();
  FillResultRows(outcome.entries, pump);
  RecountChecked();
  return outcome.unreadable;
}

void TForm1::leaveSearchingState() {
  QApplication::restoreOverrideCursor();
  Button3->setEnabled(true);
  Copy1->setEnabled(true);
  ProgressBar1->setValue(0);
  ProgressBar1->hide();
  Busy = false;
  Edit1->setReadOnly(false);
  Button5->setEnabled(false);
  N6->setEnabled(false);
  StatusBar1->setPanelText(1, {});
}

void TForm1::Button5Click() {
  AbortRequested = true;
}

WalkFilter TForm1::walkFilter(const std::vector<std::string>& extList) const {
  WalkFilter filter;
  filter.includeSubfolders = CbKai->isChecked();
  filter.sourceText = cleanSourceFolder(utf8(Edit1->text()));
  for (int i = 0; i < LstBxFolEx->count(); ++i)
    filter.excludedSubfolders.push_back(utf8(LstBxFolEx->item(i)->text()));
  filter.excludedExtensions = extList;
  filter.pickupFolder = PickupFolder;
  filter.since = SinceThreshold::forDay(SinceDate);
  filter.leftOutFolder = destinationInsideSource(filter.sourceText, utf8(Edit2->text()));
  return filter;
}

void TForm1::FillResultRows(const std::vector<WalkEntry>& entries, EventPump& pump) {
  resultModel_->setRows(buildResultRows(entries, DirAbs, SearchRoot, resultModel_->types(),
                                        [&pump] { pump.poll(); }));
}

void TForm1::RecountChecked() {
  const Totals totals = countChecked(resultModel_->rows());
  TotalCount = totals.count;
  TotalBytes = totals.bytes;
  ShowTotals();
}

void TForm1::ShowTotals() {
  StatusBar1->setPanelText(
      2, qt(totalsText({TotalCount, TotalBytes}, resultModel_->formats().decimalSeparator)));
}

std::string TForm1::RowFullPath(const ResultRow& row) const {
  return nuvelo::RowFullPath(row, DirAbs, SearchRoot);
}

void TForm1::DateTimePicker1Change() {
  if (Busy) return;
  SinceDate = dateValueOfPicker(DateTimePicker1);
}

void TForm1::LblLastDateDblClick() {
  if (Busy || LblLastDate->text() == QStringLiteral("()")) return;
  guarded([this] {
    const QString text = LblLastDate->text().mid(1, 10);
    const QDate date = parseLabelDate(text);
    if (!date.isValid()) {
      boxes().showApplicationError("'" + utf8(text) + "' は日付ではありません");
      return;
    }
    DateTimePicker1->setDate(date);
    SinceDate = dateValueOfPicker(DateTimePicker1);
  });
}

}  // namespace nuvelo
