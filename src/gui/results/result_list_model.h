#pragma once
// The result list's rows as a model for the list view: five columns, a check box in front of
// each row and the type's icon.

#include <QAbstractTableModel>
#include <QCollator>
#include <QIcon>
#include <string>
#include <vector>

#include "engine/search/result_rows.h"
#include "gui/results/background_release.h"
#include "platform/qtcore/display_formats.h"
#include "platform/qtcore/file_types.h"

namespace nuvelo {

class ResultListModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  static constexpr int ColumnCount = 5;

  explicit ResultListModel(QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

  static Qt::Alignment columnAlignment(int column);

  const std::vector<ResultRow>& rows() const { return rows_; }
  // The rows before are freed on a thread of their own when there are many.
  void setRows(std::vector<ResultRow> rows);
  void clear();
  void setAllChecked(bool checked);
  // New texts of the path column, one per row in order; nothing else of a row changes.
  void setPathTexts(std::vector<std::string> paths);
  // Puts the rows in the order of sortColumn; selections follow their rows.
  void sortBy(std::int32_t sortColumn, const QCollator& collator);
  void setFormats(const DisplayFormats& formats) { formats_ = formats; }
  const DisplayFormats& formats() const { return formats_; }
  FileTypeTable& types() { return types_; }

  // The texts of one cell as the list shows them.
  QString text(int row, int column) const;

 private:
  QIcon iconOf(std::uint16_t type) const;

  FileTypeTable types_;
  mutable std::vector<QIcon> icons_;  // per type, loaded when first shown
  std::vector<ResultRow> rows_;
  DisplayFormats formats_;
  BackgroundRelease release_;
};

}  // namespace nuvelo
