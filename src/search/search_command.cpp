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

#include "app/clickable_label.h"
#include "app/event_pump.h"
#include "app/main_window.h"
#include "search/result_list_view.h"
#include "app/status_bar.h"
#include "platform/filesystem.h"
#include "platform/gui_text.h"
#include "platform/path_text.h"
#include "search/folder_walk.h"

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

class InvalidDate : public std::runtime_error {
 public:
  explicit InvalidDate(const QString& text)
      : std::runtime_error("'" + utf8(text) + "' は日付ではありません") {}
};

}  // namespace

void TForm1::Button1Click() {
  if (Busy) return;
  resultModel_->clear();
  ProgressBar1->setValue(0);
  // A typed trailing "/" would double the separator in every found path.
  const QString source = qt(withoutTrailingSeparator(utf8(Edit1->text())));
  if (source != Edit1->text()) Edit1->setText(source);
  if (source.isEmpty()) return refuseSearch("更新元フォルダを指定してください");
  if (!isExistingFolder(utf8(source))) return refuseSearch("更新元フォルダが不正です。");

  enterSearchingState();
  guarded([this] { runSearch(); });
  leaveSearchingState();
  finishRun();
}

void TForm1::refuseSearch(const char* message) {
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

void TForm1::runSearch() {
  std::vector<std::string> resultList;
  std::vector<FoundEntry> found;
  EventPump pump(ProgressBar1);
  pump.processNow();
  ProgressBar1->setMaximum(SearchProgressMaximum);
  ProgressBar1->show();

  nuvelo::WalkFolder(SearchRoot, resultList, walkFilter(EscExt), false, walkControl(pump), &found);

  if (AbortRequested) {
    AbortRequested = false;
    return;
  }
  pump.setPosition(ProgressBar1->maximum());
  ProgressBar1->repaint();
  FillResultRows(resultList, found, pump);
  RecountChecked();
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

void TForm1::Button5Click() { AbortRequested = true; }

WalkFilter TForm1::walkFilter(const std::vector<std::string>& extList) const {
  WalkFilter filter;
  filter.includeSubfolders = CbKai->isChecked();
  filter.sourceText = utf8(Edit1->text());
  for (int i = 0; i < LstBxFolEx->count(); ++i)
    filter.excludedSubfolders.push_back(utf8(LstBxFolEx->item(i)->text()));
  filter.excludedExtensions = extList;
  filter.pickupFolder = PickupFolder;
  filter.since = SinceThreshold::forDay(SinceDate);
  return filter;
}

WalkControl TForm1::walkControl(EventPump& pump) {
  WalkControl control;
  control.aborted = [this] { return AbortRequested; };
  control.onEntry = [&pump] { pump.step(); };
  control.poll = [&pump] { pump.poll(); };
  return control;
}

void TForm1::WalkFolder(const std::string& folder, std::vector<std::string>& resultList,
                        const std::vector<std::string>& extList, bool folderMode,
                        EventPump& pump) {
  nuvelo::WalkFolder(folder, resultList, walkFilter(extList), folderMode, walkControl(pump));
}

void TForm1::FillResultRows(const std::vector<std::string>& paths,
                            const std::vector<FoundEntry>& found, EventPump& pump) {
  resultModel_->setRows(buildResultRows(paths, DirAbs, SearchRoot, resultModel_->types(),
                                        [&pump] { pump.poll(); }, &found));
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
    if (!date.isValid()) throw InvalidDate(text);
    DateTimePicker1->setDate(date);
    SinceDate = dateValueOfPicker(DateTimePicker1);
  });
}

}  // namespace nuvelo
