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
#include "messages/result_list_texts.h"
#include "platform/desktop_shell.h"

namespace nuvelo {
void MainWindow::connectResultList() {
  // A running copy reads the check marks as it reaches each row.
  connect(resultModel_, &QAbstractItemModel::dataChanged, this,
          [this](const QModelIndex& top, const QModelIndex& bottom, const QList<int>& roles) {
            if (!copyRun_ || (!roles.isEmpty() && !roles.contains(Qt::CheckStateRole))) return;
            const auto& rows = resultModel_->rows();
            for (int row = top.row(); row <= bottom.row(); ++row)
              copyRun_->marks->set(static_cast<std::size_t>(row),
                                   rows[static_cast<std::size_t>(row)].checked);
          });
  connect(resultList->header(), &QHeaderView::sectionClicked, this,
          [this](int column) { onResultColumnClicked(column); });
  connect(checkAllButton, &QPushButton::clicked, this, [this] { onCheckAll(); });
  connect(uncheckAllButton, &QPushButton::clicked, this, [this] { onUncheckAll(); });
  connect(resultList, &ResultListView::mouseReleased, this, [this](Qt::MouseButton button) {
    if (button == Qt::LeftButton) onResultClicked();
    onResultMouseUp();
  });
  connect(resultList, &ResultListView::doubleClickedAnywhere, this, [this] { onOpenResult(); });
  connect(openResultAction, &QAction::triggered, this, [this] { onOpenResult(); });
  connect(propertiesAction, &QAction::triggered, this, [this] { onResultProperties(); });
  connect(resultList, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    onResultMenuAboutToShow();
    resultMenu->popup(resultList->viewport()->mapToGlobal(at));
  });
}

std::optional<int> MainWindow::selectedRow() const {
  const QModelIndexList rows = resultList->selectionModel()->selectedRows();
  if (rows.isEmpty()) return std::nullopt;
  return rows.front().row();
}

void MainWindow::onResultColumnClicked(int column) {
  // The copy run reads the rows by their place in the list while it gathers them: a new order
  // then would skip some rows and take others twice.
  if (copyJob_) return;
  sortColumn_ = std::abs(sortColumn_) == column + 1 ? -sortColumn_ : column + 1;
  resultModel_->sortBy(sortColumn_, userCollator());
  resultList->header()->setSortIndicatorShown(true);
  resultList->header()->setSortIndicator(
      column, sortColumn_ > 0 ? Qt::AscendingOrder : Qt::DescendingOrder);
}

int MainWindow::compareResultRows(int rowA, int rowB) const {
  const auto& rows = resultModel_->rows();
  return compareRows(rows[static_cast<std::size_t>(rowA)], rows[static_cast<std::size_t>(rowB)],
                     sortColumn_, resultModel_->types(), userCollator());
}

void MainWindow::onCheckAll() {
  if (running()) return;
  resultModel_->setAllChecked(true);
  recountChecked();
}

void MainWindow::onUncheckAll() {
  if (running()) return;
  resultModel_->setAllChecked(false);
  recountChecked();
}

void MainWindow::onResultClicked() {
  if (const auto row = selectedRow()) statusPanels->setPanelText(1, resultModel_->text(*row, 3));
}

void MainWindow::onResultMouseUp() {
  recountChecked();
}

void MainWindow::onOpenResult() {
  const auto row = selectedRow();
  if (!row) return;
  const Result<> opened =
      services_.shell->open(rowFullPath(resultModel_->rows()[static_cast<std::size_t>(*row)]));
  if (!opened)
    boxes().show(MessageKind::Error, openFailureText(opened.error().code), MessageButtons::Ok,
                 MessagePlacement::centred());
}

void MainWindow::onResultProperties() {
  const auto row = selectedRow();
  if (!row) return;
  services_.shell->showProperties(
      rowFullPath(resultModel_->rows()[static_cast<std::size_t>(*row)]));
}

void MainWindow::onResultMenuAboutToShow() {
  const bool rowSelected = selectedRow().has_value();
  propertiesAction->setEnabled(rowSelected);
  openResultAction->setEnabled(rowSelected);
}

}  // namespace nuvelo
