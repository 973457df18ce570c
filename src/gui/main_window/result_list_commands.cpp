// What the user does with a filled result list: sorting by a column, checking or clearing every
// row, the clicked row's date, opening a row's file, its properties, and the pop-up menu.

#include <QAction>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMenu>
#include <QPushButton>

#include "gui/main_window/main_window.h"
#include "gui/results/result_list_view.h"
#include "gui/results/row_order.h"
#include "gui/widgets/status_bar.h"
#include "platform/desktop_shell.h"

namespace nuvelo {
namespace {

// The message for a failed open, by the shell's failure code.
const char* openFailureText(std::error_code code) {
  if (code == std::errc::not_enough_memory) return "メモリーが不足しています";
  if (code == std::errc::no_such_file_or_directory) return "ファイルが見つかりません";
  if (code == std::errc::not_a_directory) return "パスが見つかりません";
  if (code == std::errc::executable_format_error)
    return "関連づけされたアプリケーションが見つかりません";
  return "起動できませんでした";
}

}  // namespace

void TForm1::connectResultList() {
  connect(lsvFilesFrom->header(), &QHeaderView::sectionClicked, this,
          [this](int column) { lsvFilesFromColumnClick(column); });
  connect(BtnSelAll, &QPushButton::clicked, this, [this] { BtnSelAllClick(); });
  connect(BtnReleaseSel, &QPushButton::clicked, this, [this] { BtnReleaseSelClick(); });
  connect(lsvFilesFrom, &ResultListView::mouseReleased, this, [this](Qt::MouseButton button) {
    if (button == Qt::LeftButton) lsvFilesFromClick();
    lsvFilesFromMouseUp();
  });
  connect(lsvFilesFrom, &ResultListView::doubleClickedAnywhere, this,
          [this] { lsvFilesFromDblClick(); });
  connect(Show1, &QAction::triggered, this, [this] { lsvFilesFromDblClick(); });
  connect(Property1, &QAction::triggered, this, [this] { Property1Click(); });
  connect(lsvFilesFrom, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    PopupMenu1Popup();
    PopupMenu1->popup(lsvFilesFrom->viewport()->mapToGlobal(at));
  });
}

std::optional<int> TForm1::selectedRow() const {
  const QModelIndexList rows = lsvFilesFrom->selectionModel()->selectedRows();
  if (rows.isEmpty()) return std::nullopt;
  return rows.front().row();
}

void TForm1::lsvFilesFromColumnClick(int column) {
  // The copy run reads the rows by their place in the list while it gathers them: a new order
  // then would skip some rows and take others twice.
  if (CopyList) return;
  SortColumn = std::abs(SortColumn) == column + 1 ? -SortColumn : column + 1;
  resultModel_->sortBy(SortColumn, userCollator());
  lsvFilesFrom->header()->setSortIndicatorShown(true);
  lsvFilesFrom->header()->setSortIndicator(
      column, SortColumn > 0 ? Qt::AscendingOrder : Qt::DescendingOrder);
}

int TForm1::lsvFilesFromCompare(int rowA, int rowB) const {
  const auto& rows = resultModel_->rows();
  return compareRows(rows[static_cast<std::size_t>(rowA)], rows[static_cast<std::size_t>(rowB)],
                     SortColumn, resultModel_->types(), userCollator());
}

void TForm1::BtnSelAllClick() {
  if (Busy) return;
  resultModel_->setAllChecked(true);
  RecountChecked();
}

void TForm1::BtnReleaseSelClick() {
  if (Busy) return;
  resultModel_->setAllChecked(false);
  RecountChecked();
}

void TForm1::lsvFilesFromClick() {
  if (const auto row = selectedRow()) StatusBar1->setPanelText(1, resultModel_->text(*row, 3));
}

void TForm1::lsvFilesFromMouseUp() {
  RecountChecked();
}

void TForm1::lsvFilesFromDblClick() {
  const auto row = selectedRow();
  if (!row) return;
  const Result<> opened =
      services_.shell->open(RowFullPath(resultModel_->rows()[static_cast<std::size_t>(*row)]));
  if (!opened)
    boxes().show(MessageKind::Error, openFailureText(opened.error().code), MessageButtons::Ok,
                 MessagePlacement::centred());
}

void TForm1::Property1Click() {
  const auto row = selectedRow();
  if (!row) return;
  services_.shell->showProperties(
      RowFullPath(resultModel_->rows()[static_cast<std::size_t>(*row)]));
}

void TForm1::PopupMenu1Popup() {
  const bool rowSelected = selectedRow().has_value();
  Property1->setEnabled(rowSelected);
  Show1->setEnabled(rowSelected);
}

}  // namespace nuvelo
