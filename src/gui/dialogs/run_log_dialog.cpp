#include "gui/dialogs/run_log_dialog.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "gui/widgets/design_scale.h"
#include "messages/dialog_texts.h"
#include "messages/run_log_texts.h"
#include "platform/qt/gui_text.h"
#include "platform/text_encoding.h"

namespace nuvelo {
namespace {

QTreeWidgetItem* rowOf(const RunLogEntry& e) {
  // Dates as the window writes them: 2024/05/01.
  const std::string& place = runPlace(e);
  auto* item = new QTreeWidgetItem({qt(runStartText(e, '/')), qt(nameForDisplay(place)),
                                    QString::number(e.copied), QString::number(e.failed),
                                    qt(runStatusText(e.exitStatus))});
  for (const int count : {2, 3}) item->setTextAlignment(count, Qt::AlignRight | Qt::AlignVCenter);
  item->setToolTip(1, qt(nameForDisplay(place)));
  return item;
}

}  // namespace

RunLogDialog::RunLogDialog(const std::vector<RunLogEntry>& entries, QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("frmRunLog"));
  setWindowTitle(qt(runLogDialogTitle()));
  runList = new QTreeWidget(this);
  runList->setObjectName(QStringLiteral("RunList"));
  runList->setRootIsDecorated(false);
  runList->setUniformRowHeights(true);
  runList->setSelectionMode(QAbstractItemView::SingleSelection);
  runList->setEditTriggers(QAbstractItemView::NoEditTriggers);
  QStringList headings;
  for (const std::string& heading : runLogListHeadings()) headings << qt(heading);
  runList->setHeaderLabels(headings);
  for (const int count : {2, 3})
    runList->headerItem()->setTextAlignment(count, Qt::AlignRight | Qt::AlignVCenter);
  for (auto e = entries.rbegin(); e != entries.rend(); ++e) runList->addTopLevelItem(rowOf(*e));
  closeButton = new QPushButton(qt(closeCaption()), this);
  closeButton->setObjectName(QStringLiteral("CloseButton"));
  closeButton->setDefault(true);
  connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(runList);
  layout->addWidget(closeButton, 0, Qt::AlignRight);
  const DesignScale scale(font());
  resize(scale.x(620), scale.y(300));
  for (int column = 0; column < runList->columnCount(); ++column)
    runList->resizeColumnToContents(column);
  runList->header()->setStretchLastSection(false);
  runList->header()->setSectionResizeMode(1, QHeaderView::Stretch);
}

}  // namespace nuvelo
