#pragma once
// The rows of the result list: one row per found file or folder, five columns.

#include <QAbstractTableModel>

namespace nuvelo {

class ResultListModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  static constexpr int ColumnCount = 5;

  using QAbstractTableModel::QAbstractTableModel;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

  static Qt::Alignment columnAlignment(int column);
};

}  // namespace nuvelo
