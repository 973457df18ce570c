// The main window's form: every control at its design place with its anchors, the menus and
// the tab order.

#include <QAction>
#include <QCheckBox>
#include <QDateEdit>
#include <QFrame>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionHeader>
#include <QTreeView>

#include "gui/main_window/main_window.h"
#include "gui/results/result_list_model.h"
#include "gui/results/result_list_view.h"
#include "gui/widgets/anchor_layout.h"
#include "gui/widgets/clickable_label.h"
#include "gui/widgets/date_picker.h"
#include "gui/widgets/folder_box.h"
#include "gui/widgets/status_bar.h"

namespace nuvelo {
namespace {

const QSize DesignClientSize(430, 398);
const QSize DesignPanelSize(431, 152);
constexpr int StatusBarHeight = 21;
// The widest date and time the list and the status bar show, in digits that are as wide as
// any.
constexpr const char* SampleDateTime = "2000/12/28 20:58:58";
constexpr int DateColumn = 3;

template <class Widget>
Widget* named(Widget* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

QLabel* label(const char* name, const char* text, QWidget* parent) {
  return named(new QLabel(QString::fromUtf8(text), parent), name);
}

QPushButton* button(const char* name, const char* text, QWidget* parent) {
  auto* b = named(new QPushButton(QString::fromUtf8(text), parent), name);
  b->setAutoDefault(false);
  return b;
}

QAction* menuItem(QMenu* menu, const char* name, const char* caption) {
  return named(menu->addAction(QString::fromUtf8(caption)), name);
}

QAction* separator(QMenu* menu, const char* name) {
  return named(menu->addSeparator(), name);
}

// The pixels of a header section that its text cannot have while the sort arrow shows: the
// style's margins and the arrow's place, the same at any width of the section.
int headerSpaceBesideText(const QHeaderView& header) {
  constexpr int Probe = 1000;
  QStyleOptionHeader option;
  option.initFrom(&header);
  option.state |= QStyle::State_Horizontal;
  option.orientation = Qt::Horizontal;
  option.sortIndicator = QStyleOptionHeader::SortUp;
  option.rect = QRect(0, 0, Probe, header.sizeHint().height());
  const QStyle* style = header.style();
  const QRect label = style->subElementRect(QStyle::SE_HeaderLabel, &option, &header);
  const QRect arrow = style->subElementRect(QStyle::SE_HeaderArrow, &option, &header);
  // A style may leave the arrow inside the label's rectangle: the text ends before it.
  const int textRight =
      arrow.left() > label.left() ? std::min(label.right(), arrow.left() - 1) : label.right();
  return Probe - (textRight - label.left() + 1);
}

}  // namespace

void MainWindow::buildControls() {
  auto* client = new QWidget(this);
  auto* layout = new AnchorLayout(client, DesignClientSize);
  setCentralWidget(client);

  sinceDateLabel = label("Label2", "更新日付：", client);
  layout->place(sinceDateLabel, QRect(8, 12, 0, 0), AnchorLeftTop);

  sinceDatePicker = named(new DatePicker(client), "DateTimePicker1");
  sinceDatePicker->setCalendarPopup(true);
  sinceDatePicker->setDateRange(QDate(1901, 1, 1), QDate(2100, 1, 1));
  layout->place(sinceDatePicker, QRect(72, 8, 97, 20), AnchorLeftTop);

  sinceDateSuffixLabel = label("Label6", "以降に更新されたもの", client);
  layout->place(sinceDateSuffixLabel, QRect(175, 12, 0, 0), AnchorLeftTop);

  lastCopyDateLabel = named(new DoubleClickLabel(client), "LblLastDate");
  lastCopyDateLabel->setToolTip(QStringLiteral("前回コピーした日付です"));
  layout->place(lastCopyDateLabel, QRect(356, 12, 0, 0), AnchorTopRight);

  sourceFolderLabel = label("Label3", "検索元：", client);
  layout->place(sourceFolderLabel, QRect(8, 35, 0, 0), AnchorLeftTop);

  sourceFolderEdit = named(new QLineEdit(client), "Edit1");
  sourceFolderBox = new FolderBox(*sourceFolderEdit);
  layout->place(sourceFolderEdit, QRect(72, 32, 298, 20), AnchorLeftTopRight);

  browseSourceButton = button("Button2", "参照...", client);
  layout->place(browseSourceButton, QRect(375, 32, 49, 20), AnchorTopRight);

  subfoldersCheckBox =
      named(new QCheckBox(QStringLiteral("下位フォルダも対象とする"), client), "CbKai");
  subfoldersCheckBox->setChecked(true);
  layout->place(subfoldersCheckBox, QRect(72, 53, 169, 17), AnchorLeftTop);

  excludedSubfoldersLabel = label("LblFolEx", "除外するサブフォルダ", client);
  layout->place(excludedSubfoldersLabel, QRect(96, 72, 0, 0), AnchorLeftTop);

  excludedSubfoldersList = named(new QListWidget(client), "LstBxFolEx");
  excludedSubfoldersList->setSelectionMode(QAbstractItemView::SingleSelection);
  layout->place(excludedSubfoldersList, QRect(96, 88, 274, 41), AnchorLeftTopRight);

  addExcludedSubfolderButton = button("BtnFolExADD", "ADD...", client);
  layout->place(addExcludedSubfolderButton, QRect(374, 88, 49, 20), AnchorTopRight);

  removeExcludedSubfolderButton = button("BtnFolExDel", "DEL...", client);
  layout->place(removeExcludedSubfolderButton, QRect(374, 112, 49, 20), AnchorTopRight);

  destinationFolderLabel = label("Label4", "コピー先：", client);
  layout->place(destinationFolderLabel, QRect(8, 147, 0, 0), AnchorLeftTop);

  destinationFolderEdit = named(new QLineEdit(client), "Edit2");
  destinationFolderBox = new FolderBox(*destinationFolderEdit);
  layout->place(destinationFolderEdit, QRect(72, 144, 298, 20), AnchorLeftTopRight);

  browseDestinationButton = button("Button4", "参照...", client);
  layout->place(browseDestinationButton, QRect(374, 144, 49, 20), AnchorTopRight);

  resultPanel = named(new QFrame(client), "Panel1");
  resultPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  layout->place(resultPanel, QRect(0, 176, 431, 152), AnchorAll);
  buildPanel();

  searchButton = button("Button1", "検索", client);
  searchButton->setToolTip(QStringLiteral("検索を開始します"));
  layout->place(searchButton, QRect(196, 332, 73, 25), AnchorRightBottom);

  copyButton = button("Button3", "コピー", client);
  copyButton->setToolTip(QStringLiteral("コピーを開始します"));
  layout->place(copyButton, QRect(275, 332, 65, 25), AnchorRightBottom);

  abortButton = button("Button5", "中止", client);
  abortButton->setToolTip(QStringLiteral("処理を中止します"));
  abortButton->setEnabled(false);
  layout->place(abortButton, QRect(346, 331, 73, 25), AnchorRightBottom);

  // Panel 1 holds a run's state or the selected row's date and time, whole in any font.
  statusPanels =
      named(new StatusBar({120, 130, 50}, {QString(), QString::fromLatin1(SampleDateTime)}, client),
            "StatusBar1");
  layout->place(statusPanels,
                QRect(0, DesignClientSize.height() - StatusBarHeight, DesignClientSize.width(),
                      StatusBarHeight),
                AnchorLeft | AnchorRight | AnchorBottom);

  progressBar = named(new QProgressBar(client), "ProgressBar1");
  progressBar->setTextVisible(false);
  progressBar->setRange(0, 100);
  progressBar->hide();
}

void MainWindow::buildPanel() {
  auto* layout = new AnchorLayout(resultPanel, DesignPanelSize);

  resultLabel = label("Label1", "検索結果", resultPanel);
  layout->place(resultLabel, QRect(8, 13, 0, 0), AnchorLeftTop);

  checkAllButton = button("BtnSelAll", "すべてを選択", resultPanel);
  layout->place(checkAllButton, QRect(222, 8, 97, 23), AnchorTopRight);

  uncheckAllButton = button("BtnReleaseSel", "選択解除", resultPanel);
  layout->place(uncheckAllButton, QRect(326, 8, 97, 23), AnchorTopRight);

  resultList = named(new ResultListView(resultPanel), "lsvFilesFrom");
  resultList->setHeader(new ResultHeader(resultList));
  resultModel_ = new ResultListModel(this);
  resultModel_->setFormats(DisplayFormats::ofUser());
  resultList->setModel(resultModel_);
  resultList->setRootIsDecorated(false);
  resultList->setUniformRowHeights(true);
  resultList->setItemsExpandable(false);
  resultList->setSelectionMode(QAbstractItemView::SingleSelection);
  resultList->setSelectionBehavior(QAbstractItemView::SelectRows);
  resultList->setEditTriggers(QAbstractItemView::NoEditTriggers);
  resultList->setContextMenuPolicy(Qt::CustomContextMenu);
  resultList->header()->setStretchLastSection(true);
  resultList->header()->setSectionsMovable(false);
  resultList->header()->setSectionsClickable(true);
  const int designWidths[ResultListModel::ColumnCount] = {100, 80, 50, 100, 164};
  for (int c = 0; c < ResultListModel::ColumnCount; ++c)
    resultList->setColumnWidth(c, designWidths[c]);
  layout->place(resultList, QRect(8, 36, 416, 107), AnchorAll);
}

void MainWindow::fitResultColumns() {
  for (int c = 0; c < ResultListModel::ColumnCount; ++c)
    resultList->setColumnWidth(c, std::max(resultList->columnWidth(c), resultColumnNeed(c)));
}

int MainWindow::resultColumnNeed(int column) const {
  const QHeaderView* header = resultList->header();
  const QString title = resultModel_->headerData(column, Qt::Horizontal).toString();
  int needed =
      std::max(header->sectionSizeHint(column),
               header->fontMetrics().horizontalAdvance(title) + headerSpaceBesideText(*header));
  if (column == DateColumn) {
    const QFontMetrics metrics(resultList->font());
    const int cellMargins =
        2 * (resultList->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, resultList) +
             1) +
        metrics.averageCharWidth();
    needed = std::max(needed,
                      metrics.horizontalAdvance(QString::fromLatin1(SampleDateTime)) + cellMargins);
  }
  return needed;
}

void MainWindow::buildMenus() {
  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("MainMenu1"));

  fileMenu = named(bar->addMenu(QStringLiteral("ファイル(&F)")), "File1");
  openConditionFileAction = menuItem(fileMenu, "Mnu_LoadFile", "条件ファイルを開く(&O)...");
  saveConditionFileAction = menuItem(fileMenu, "Mnu_SaveAs", "条件ファイルに保存(&S)...");
  saveJobFileAction = menuItem(fileMenu, "Mnu_SaveJob", "ジョブファイルに保存(&J)...");
  fileMenuSeparator = separator(fileMenu, "N8");
  exitAction = menuItem(fileMenu, "Exit1", "終了(&X)");

  runMenu = named(bar->addMenu(QStringLiteral("実行(&R)")), "R1");
  searchAction = menuItem(runMenu, "Find1", "検索(&F)");
  compareSearchAction = menuItem(runMenu, "CompareFind1", "コピー先と比べて検索(&M)");
  copyAction = menuItem(runMenu, "Copy1", "コピー(&C)");
  runMenuSeparator = separator(runMenu, "N5");
  abortAction = menuItem(runMenu, "N6", "中止(&X)");
  abortAction->setEnabled(false);
  runLogSeparator = separator(runMenu, "N9");
  runLogAction = menuItem(runMenu, "RunLog1", "実行記録(&L)...");
  // Shortcuts beside the mnemonics; Esc reaches the abort only while a run keeps it enabled.
  searchAction->setShortcuts({QKeySequence(Qt::Key_F5), QKeySequence(Qt::CTRL | Qt::Key_F)});
  copyAction->setShortcuts(
      {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
  abortAction->setShortcut(QKeySequence(Qt::Key_Escape));

  settingsMenu = named(bar->addMenu(QStringLiteral("設定(&S)")), "S1");
  sinceDateAction = menuItem(settingsMenu, "D1", "更新日付(&D)");
  sourceFolderAction = menuItem(settingsMenu, "N1", "検索元(&F)...");
  destinationFolderAction = menuItem(settingsMenu, "N2", "コピー先(&T)...");
  settingsMenuSeparator = separator(settingsMenu, "N3");
  detailSettingsAction = menuItem(settingsMenu, "N4", "詳細設定(&S)...");

  helpMenu = named(bar->addMenu(QStringLiteral("ヘルプ(&H)")), "Help1");
  helpContentsAction = menuItem(helpMenu, "Contents1", "目次(&H)...");
  aboutAction = menuItem(helpMenu, "About1", "バージョン情報(&V)...");
}

void MainWindow::buildPopupMenu() {
  resultMenu = named(new QMenu(this), "PopupMenu1");
  propertiesAction = menuItem(resultMenu, "Property1", "プロパティ");
  openResultAction = menuItem(resultMenu, "Show1", "表示");
  resultMenu->setDefaultAction(openResultAction);  // drawn in bold
  QFont bold = openResultAction->font();
  bold.setBold(true);
  openResultAction->setFont(bold);
}

void MainWindow::buildTabOrder() {
  // The form's tab order (its tab indices 0 to 8, then 11 to 13, then the result panel's 14).
  const QList<QWidget*> chain = {searchButton,
                                 sourceFolderEdit,
                                 browseSourceButton,
                                 subfoldersCheckBox,
                                 destinationFolderEdit,
                                 browseDestinationButton,
                                 copyButton,
                                 abortButton,
                                 sinceDatePicker,
                                 excludedSubfoldersList,
                                 addExcludedSubfolderButton,
                                 removeExcludedSubfolderButton,
                                 checkAllButton,
                                 uncheckAllButton,
                                 resultList};
  for (qsizetype i = 1; i < chain.size(); ++i) setTabOrder(chain[i - 1], chain[i]);
}

}  // namespace nuvelo
