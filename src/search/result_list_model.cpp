#include "search/result_list_model.h"

namespace nuvelo {
namespace {

const char* const Headers[ResultListModel::ColumnCount] = {"ファイル名", "サイズ", "ファイルの種類",
                                                           "更新日時", "パス"};

}  // namespace

int ResultListModel::rowCount(const QModelIndex& parent) const {
  Q_UNUSED(parent);
  return 0;  // the search fills the rows
}

int ResultListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ColumnCount;
}

QVariant ResultListModel::data(const QModelIndex&, int) const { return {}; }

Qt::Alignment ResultListModel::columnAlignment(int column) {
  return (column == 1 ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
}

QVariant ResultListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount) return {};
  if (role == Qt::DisplayRole) return QString::fromUtf8(Headers[section]);
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(columnAlignment(section));
  return {};
}

}  // namespace nuvelo
