#include "gui/results/result_list_model.h"

#include <QApplication>
#include <QStyle>

#include "engine/search/file_date.h"
#include "gui/results/row_order.h"
#include "messages/result_list_texts.h"
#include "platform/text_encoding.h"

namespace nuvelo {
namespace {

// Fewer rows are freed at once: it takes less than a millisecond.
constexpr std::size_t RowsFreedElsewhere = 10000;

QString displayText(std::string_view bytes) {
  // A name that is not valid UTF-8 shows as Shift-JIS or with replacement characters; its
  // bytes stay in the row.
  return QString::fromStdString(nameForDisplay(bytes));
}

}  // namespace

ResultListModel::ResultListModel(QObject* parent) : QAbstractTableModel(parent) {}

int ResultListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ResultListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ColumnCount;
}

QString ResultListModel::text(int row, int column) const {
  const ResultRow& r = rows_[static_cast<std::size_t>(row)];
  switch (column) {
    case 0:
      return displayText(r.name());
    case 1:
      return QString::fromStdString(sizeText(r.sizeKiB));
    case 2:
      return types_.name(r.type);
    case 3:
      return QString::fromStdString(dateTimeText(localTimeParts(r.modifiedSeconds),
                                                 formats_.dateSeparator, formats_.timeSeparator));
    case 4:
      return displayText(r.pathText);
    default:
      return {};
  }
}

QVariant ResultListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const ResultRow& r = rows_[static_cast<std::size_t>(index.row())];
  switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
      return text(index.row(), index.column());
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(columnAlignment(index.column()));
    case Qt::CheckStateRole:
      if (index.column() == 0) return r.checked ? Qt::Checked : Qt::Unchecked;
      return {};
    case Qt::DecorationRole:
      if (index.column() == 0) return iconOf(r.type);
      return {};
    default:
      return {};
  }
}

bool ResultListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || index.column() != 0 || role != Qt::CheckStateRole) return false;
  rows_[static_cast<std::size_t>(index.row())].checked =
      static_cast<Qt::CheckState>(value.toInt()) == Qt::Checked;
  emit dataChanged(index, index, {Qt::CheckStateRole});
  return true;
}

Qt::ItemFlags ResultListModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
  if (index.column() == 0) f |= Qt::ItemIsUserCheckable;
  return f;
}

Qt::Alignment ResultListModel::columnAlignment(int column) {
  return (column == 1 ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
}

QVariant ResultListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount) return {};
  if (role == Qt::DisplayRole) return QString::fromStdString(resultColumnCaption(section));
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(columnAlignment(section));
  return {};
}

// The type's icon from the desktop's theme, its generic icon, or the style's file or folder.
QIcon ResultListModel::iconOf(std::uint16_t type) const {
  if (icons_.size() <= type) icons_.resize(type + 1u);
  QIcon& icon = icons_[type];
  if (!icon.isNull()) return icon;
  const FileTypeTable::Type* t = types_.type(type);
  if (!t) return icon;
  icon = QIcon::fromTheme(t->iconName, QIcon::fromTheme(t->genericIconName));
  if (icon.isNull()) {
    const bool folder = t->iconName == QStringLiteral("inode-directory");
    icon = QApplication::style()->standardIcon(folder ? QStyle::SP_DirIcon : QStyle::SP_FileIcon);
  }
  return icon;
}

void ResultListModel::setRows(std::vector<ResultRow> rows) {
  beginResetModel();
  rows_.swap(rows);
  endResetModel();
  if (rows.size() >= RowsFreedElsewhere) release_.release(std::move(rows));
}

void ResultListModel::clear() {
  setRows({});
}

void ResultListModel::sortBy(std::int32_t sortColumn, const QCollator& collator) {
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  const std::vector<std::size_t> order = sortRows(rows_, sortColumn, types_, collator);
  std::vector<int> newPosition(order.size());
  for (std::size_t now = 0; now < order.size(); ++now)
    newPosition[order[now]] = static_cast<int>(now);
  const QModelIndexList before = persistentIndexList();
  QModelIndexList after;
  for (const QModelIndex& index : before)
    after.append(index.isValid() ? this->index(newPosition[static_cast<std::size_t>(index.row())],
                                               index.column())
                                 : QModelIndex());
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void ResultListModel::setPathTexts(std::vector<std::string> paths) {
  for (std::size_t i = 0; i < rows_.size() && i < paths.size(); ++i)
    rows_[i].pathText = std::move(paths[i]);
  if (!rows_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
}

void ResultListModel::setAllChecked(bool checked) {
  for (ResultRow& r : rows_) r.checked = checked;
  if (!rows_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::CheckStateRole});
}

}  // namespace nuvelo
