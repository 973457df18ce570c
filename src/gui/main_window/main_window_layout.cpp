// The main window's form: every control at its design place with its anchors, the menus and
// the tab order.

#include <QAction>
#include <QCheckBox>
#include <QDateEdit>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeView>

#include "gui/main_window/main_window.h"
#include "gui/results/result_list_model.h"
#include "gui/results/result_list_view.h"
#include "gui/widgets/anchor_layout.h"
#include "gui/widgets/clickable_label.h"
#include "gui/widgets/date_picker.h"
#include "gui/widgets/status_bar.h"

namespace nuvelo {
namespace {

const QSize DesignClientSize(430, 398);
const QSize DesignPanelSize(431, 152);
constexpr int StatusBarHeight = 21;

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

}  // namespace

void TForm1::buildControls() {
  auto* client = new QWidget(this);
  auto* layout = new AnchorLayout(client, DesignClientSize);
  setCentralWidget(client);

  Label2 = label("Label2", "更新日付：", client);
  layout->place(Label2, QRect(8, 12, 0, 0), AnchorLeftTop);

  DateTimePicker1 = named(new DatePicker(client), "DateTimePicker1");
  DateTimePicker1->setCalendarPopup(true);
  DateTimePicker1->setDateRange(QDate(1901, 1, 1), QDate(2100, 1, 1));
  layout->place(DateTimePicker1, QRect(72, 8, 97, 20), AnchorLeftTop);

  Label6 = label("Label6", "以降に更新されたもの", client);
  layout->place(Label6, QRect(175, 12, 0, 0), AnchorLeftTop);

  LblLastDate = named(new DoubleClickLabel(client), "LblLastDate");
  LblLastDate->setToolTip(QStringLiteral("前回コピーした日付です"));
  layout->place(LblLastDate, QRect(356, 12, 0, 0), AnchorTopRight);

  Label3 = label("Label3", "検索元：", client);
  layout->place(Label3, QRect(8, 35, 0, 0), AnchorLeftTop);

  Edit1 = named(new QLineEdit(client), "Edit1");
  layout->place(Edit1, QRect(72, 32, 298, 20), AnchorLeftTopRight);

  Button2 = button("Button2", "参照...", client);
  layout->place(Button2, QRect(375, 32, 49, 20), AnchorTopRight);

  CbKai = named(new QCheckBox(QStringLiteral("下位フォルダも対象とする"), client), "CbKai");
  CbKai->setChecked(true);
  layout->place(CbKai, QRect(72, 53, 169, 17), AnchorLeftTop);

  LblFolEx = label("LblFolEx", "除外するサブフォルダ", client);
  layout->place(LblFolEx, QRect(96, 72, 0, 0), AnchorLeftTop);

  LstBxFolEx = named(new QListWidget(client), "LstBxFolEx");
  LstBxFolEx->setSelectionMode(QAbstractItemView::SingleSelection);
  layout->place(LstBxFolEx, QRect(96, 88, 274, 41), AnchorLeftTopRight);

  BtnFolExADD = button("BtnFolExADD", "ADD...", client);
  layout->place(BtnFolExADD, QRect(374, 88, 49, 20), AnchorTopRight);

  BtnFolExDel = button("BtnFolExDel", "DEL...", client);
  layout->place(BtnFolExDel, QRect(374, 112, 49, 20), AnchorTopRight);

  Label4 = label("Label4", "コピー先：", client);
  layout->place(Label4, QRect(8, 147, 0, 0), AnchorLeftTop);

  Edit2 = named(new QLineEdit(client), "Edit2");
  layout->place(Edit2, QRect(72, 144, 298, 20), AnchorLeftTopRight);

  Button4 = button("Button4", "参照...", client);
  layout->place(Button4, QRect(374, 144, 49, 20), AnchorTopRight);

  Panel1 = named(new QFrame(client), "Panel1");
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  layout->place(Panel1, QRect(0, 176, 431, 152), AnchorAll);
  buildPanel();

  Button1 = button("Button1", "検索", client);
  Button1->setToolTip(QStringLiteral("検索を開始します"));
  layout->place(Button1, QRect(196, 332, 73, 25), AnchorRightBottom);

  Button3 = button("Button3", "コピー", client);
  Button3->setToolTip(QStringLiteral("コピーを開始します"));
  layout->place(Button3, QRect(275, 332, 65, 25), AnchorRightBottom);

  Button5 = button("Button5", "中止", client);
  Button5->setToolTip(QStringLiteral("処理を中止します"));
  Button5->setEnabled(false);
  layout->place(Button5, QRect(346, 331, 73, 25), AnchorRightBottom);

  StatusBar1 = named(new StatusBar({120, 130, 50}, client), "StatusBar1");
  layout->place(StatusBar1,
                QRect(0, DesignClientSize.height() - StatusBarHeight, DesignClientSize.width(),
                      StatusBarHeight),
                AnchorLeft | AnchorRight | AnchorBottom);

  ProgressBar1 = named(new QProgressBar(client), "ProgressBar1");
  ProgressBar1->setTextVisible(false);
  ProgressBar1->setRange(0, 100);
  ProgressBar1->hide();
}

void TForm1::buildPanel() {
  auto* layout = new AnchorLayout(Panel1, DesignPanelSize);

  Label1 = label("Label1", "検索結果", Panel1);
  layout->place(Label1, QRect(8, 13, 0, 0), AnchorLeftTop);

  BtnSelAll = button("BtnSelAll", "すべてを選択", Panel1);
  layout->place(BtnSelAll, QRect(222, 8, 97, 23), AnchorTopRight);

  BtnReleaseSel = button("BtnReleaseSel", "選択解除", Panel1);
  layout->place(BtnReleaseSel, QRect(326, 8, 97, 23), AnchorTopRight);

  lsvFilesFrom = named(new ResultListView(Panel1), "lsvFilesFrom");
  resultModel_ = new ResultListModel(this);
  resultModel_->setFormats(DisplayFormats::ofUser());
  lsvFilesFrom->setModel(resultModel_);
  lsvFilesFrom->setRootIsDecorated(false);
  lsvFilesFrom->setUniformRowHeights(true);
  lsvFilesFrom->setItemsExpandable(false);
  lsvFilesFrom->setSelectionMode(QAbstractItemView::SingleSelection);
  lsvFilesFrom->setSelectionBehavior(QAbstractItemView::SelectRows);
  lsvFilesFrom->setEditTriggers(QAbstractItemView::NoEditTriggers);
  lsvFilesFrom->setContextMenuPolicy(Qt::CustomContextMenu);
  lsvFilesFrom->header()->setStretchLastSection(true);
  lsvFilesFrom->header()->setSectionsMovable(false);
  lsvFilesFrom->header()->setSectionsClickable(true);
  const int designWidths[ResultListModel::ColumnCount] = {100, 80, 50, 100, 164};
  for (int c = 0; c < ResultListModel::ColumnCount; ++c)
    lsvFilesFrom->setColumnWidth(c, designWidths[c]);
  layout->place(lsvFilesFrom, QRect(8, 36, 416, 107), AnchorAll);
}

void TForm1::buildMenus() {
  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("MainMenu1"));

  File1 = named(bar->addMenu(QStringLiteral("ファイル(&F)")), "File1");
  Mnu_LoadFile = menuItem(File1, "Mnu_LoadFile", "条件ファイルを開く(&O)...");
  Mnu_SaveAs = menuItem(File1, "Mnu_SaveAs", "条件ファイルに保存(&S)...");
  N8 = separator(File1, "N8");
  Exit1 = menuItem(File1, "Exit1", "終了(&X)");

  R1 = named(bar->addMenu(QStringLiteral("実行(&R)")), "R1");
  Find1 = menuItem(R1, "Find1", "検索(&F)");
  Copy1 = menuItem(R1, "Copy1", "コピー(&C)");
  N5 = separator(R1, "N5");
  N6 = menuItem(R1, "N6", "中止(&X)");
  N6->setEnabled(false);

  S1 = named(bar->addMenu(QStringLiteral("設定(&S)")), "S1");
  D1 = menuItem(S1, "D1", "更新日付(&D)");
  N1 = menuItem(S1, "N1", "検索元(&F)...");
  N2 = menuItem(S1, "N2", "コピー先(&T)...");
  N3 = separator(S1, "N3");
  N4 = menuItem(S1, "N4", "詳細設定(&S)...");

  Help1 = named(bar->addMenu(QStringLiteral("ヘルプ(&H)")), "Help1");
  Contents1 = menuItem(Help1, "Contents1", "目次(&H)...");
  About1 = menuItem(Help1, "About1", "バージョン情報(&V)...");
}

void TForm1::buildPopupMenu() {
  PopupMenu1 = named(new QMenu(this), "PopupMenu1");
  Property1 = menuItem(PopupMenu1, "Property1", "プロパティ");
  Show1 = menuItem(PopupMenu1, "Show1", "表示");
  PopupMenu1->setDefaultAction(Show1);  // drawn in bold
  QFont bold = Show1->font();
  bold.setBold(true);
  Show1->setFont(bold);
}

void TForm1::buildTabOrder() {
  // The form's tab order: Button1 0, Edit1 1, Button2 2, CbKai 3, Edit2 4, Button4 5,
  // Button3 6, Button5 7, DateTimePicker1 8, LstBxFolEx 11, BtnFolExADD 12, BtnFolExDel 13,
  // then Panel1 (14) with BtnSelAll, BtnReleaseSel and lsvFilesFrom.
  const QList<QWidget*> chain = {Button1,         Edit1,         Button2,     CbKai,
                                 Edit2,           Button4,       Button3,     Button5,
                                 DateTimePicker1, LstBxFolEx,    BtnFolExADD, BtnFolExDel,
                                 BtnSelAll,       BtnReleaseSel, lsvFilesFrom};
  for (qsizetype i = 1; i < chain.size(); ++i) setTabOrder(chain[i - 1], chain[i]);
}

}  // namespace nuvelo
