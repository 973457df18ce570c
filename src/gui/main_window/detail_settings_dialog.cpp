#include "gui/main_window/detail_settings_dialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>

#include "engine/settings/folder_rules.h"
#include "gui/main_window/main_window.h"
#include "gui/main_window/write_failure_box.h"
#include "gui/widgets/radio_group.h"
#include "platform/qt/gui_text.h"
#include "platform/qt/modal_runner.h"

namespace nuvelo {
namespace {

template <class Widget>
Widget* placed(Widget* widget, const char* name, QRect geometry) {
  widget->setObjectName(QString::fromLatin1(name));
  if (geometry.width() > 0)
    widget->setGeometry(geometry);
  else {
    widget->move(geometry.topLeft());
    widget->adjustSize();
  }
  return widget;
}

QPushButton* button(const char* name, const char* text, QWidget* parent, QRect geometry) {
  auto* b = placed(new QPushButton(QString::fromUtf8(text), parent), name, geometry);
  b->setAutoDefault(false);  // neither Enter nor Esc closes the dialog
  return b;
}

QLabel* label(const char* name, const char* text, QWidget* parent, QPoint at) {
  return placed(new QLabel(QString::fromUtf8(text), parent), name, QRect(at, QSize()));
}

}  // namespace

TfrmConf::TfrmConf(TForm1& main)
    : QDialog(&main, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                         Qt::MSWindowsFixedSizeDialogHint),
      main_(main) {
  setObjectName(QStringLiteral("frmConf"));
  setWindowTitle(QStringLiteral("詳細設定"));
  setFixedSize(DesignWidth, DesignHeight);

  BtnCancel = button("BtnCancel", "キャンセル", this, {160, 304, 75, 25});
  BtnAdopt = button("BtnAdopt", "OK", this, {48, 304, 75, 25});
  PageControl1 = placed(new QTabWidget(this), "PageControl1", {8, 4, 297, 289});
  buildExtensionPage();
  buildSearchCopyPage();
  buildTabOrder();

  connect(BtnCancel, &QPushButton::clicked, this, [this] { BtnCancelClick(); });
  connect(BtnAdopt, &QPushButton::clicked, this, [this] { BtnAdoptClick(); });
  connect(BtnAdd, &QPushButton::clicked, this, [this] { BtnAddClick(); });
  connect(BtnDel, &QPushButton::clicked, this, [this] { BtnDelClick(); });
  connect(LstKakutyo, &QListWidget::currentRowChanged, this, [this] { LstKakutyoClick(); });
  connect(GrpPath, &RadioGroup::clicked, this, [this] { GrpPathClick(); });
}

void TfrmConf::buildExtensionPage() {
  TabSheet1 = new QWidget;
  TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
  PageControl1->addTab(TabSheet1, QStringLiteral("拡張子・パス"));
  GrpKakutyo =
      placed(new QGroupBox(QStringLiteral("拡張子"), TabSheet1), "GrpKakutyo", {10, 8, 270, 153});
  Label1 = label("Label1", "除外する拡張子：", GrpKakutyo, {24, 18});
  EdtKakutyo = placed(new QLineEdit(GrpKakutyo), "EdtKakutyo", {120, 16, 81, 20});
  BtnAdd = button("BtnAdd", "追加", GrpKakutyo, {120, 58, 81, 25});
  BtnDel = button("BtnDel", "削除", GrpKakutyo, {120, 88, 81, 25});
  Label2 = label("Label2", "除外リスト", GrpKakutyo, {24, 42});
  LstKakutyo = placed(new QListWidget(GrpKakutyo), "LstKakutyo", {24, 56, 73, 81});
  LstKakutyo->setSelectionMode(QAbstractItemView::SingleSelection);
  GrpPath = placed(new RadioGroup(QStringLiteral("パス"),
                                  {QStringLiteral("ドライブルートからの絶対パス"),
                                   QStringLiteral("現在位置からの相対パス")},
                                  TabSheet1),
                   "GrpPath", {12, 176, 270, 57});
  GrpPath->setItemIndex(0);
}

void TfrmConf::buildSearchCopyPage() {
  TabSheet2 = new QWidget;
  TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
  PageControl1->addTab(TabSheet2, QStringLiteral("検索・コピー"));
  GroupBox1 =
      placed(new QGroupBox(QStringLiteral("検索"), TabSheet2), "GroupBox1", {10, 8, 270, 65});
  cbxPickupFolder = placed(new QCheckBox(QStringLiteral("フォルダ単位で処理する"), GroupBox1),
                           "cbxPickupFolder", {16, 18, 233, 17});
  Label3 = label("Label3", "(注意：設定を変更すると再検索が必要)", GroupBox1, {32, 40});
  GroupBox2 =
      placed(new QGroupBox(QStringLiteral("コピー"), TabSheet2), "GroupBox2", {10, 80, 270, 169});
  GrpOverWrite =
      placed(new RadioGroup(QStringLiteral("コピー先に同名ファイルがあった時"),
                            {QStringLiteral("上書きする"), QStringLiteral("上書きするか確認する"),
                             QStringLiteral("タイムスタンプが新しい時だけ上書き"),
                             QStringLiteral("コピーしない")},
                            GroupBox2),
             "GrpOverWrite", {12, 22, 245, 89});
  GrpOverWrite->setItemIndex(1);
  cbxDriveLetter =
      placed(new QCheckBox(QStringLiteral("先頭にドライブレターのフォルダを付加"), GroupBox2),
             "cbxDriveLetter", {16, 122, 225, 17});
  cbShowResult = placed(new QCheckBox(QStringLiteral("コピー完了メッセージを表示する"), GroupBox2),
                        "cbShowResult", {16, 144, 201, 17});
}

void TfrmConf::buildTabOrder() {
  const QList<QWidget*> chain = {BtnCancel,
                                 BtnAdopt,
                                 PageControl1,
                                 EdtKakutyo,
                                 BtnAdd,
                                 BtnDel,
                                 LstKakutyo,
                                 GrpPath->item(0),
                                 GrpPath->item(1),
                                 cbxPickupFolder,
                                 GrpOverWrite->item(0),
                                 GrpOverWrite->item(1),
                                 GrpOverWrite->item(2),
                                 GrpOverWrite->item(3),
                                 cbxDriveLetter,
                                 cbShowResult};
  for (qsizetype i = 1; i < chain.size(); ++i) setTabOrder(chain[i - 1], chain[i]);
}

void TfrmConf::FormShow() {
  LstKakutyo->clear();
  EdtKakutyo->clear();
  for (const std::string& extension : main_.EscExt) LstKakutyo->addItem(qt(extension));
  LstKakutyo->setCurrentRow(-1);
  cbxDriveLetter->setChecked(main_.AddDriveLetter);
  GrpPath->setItemIndex(main_.DirAbs ? 0 : 1);
  GrpPathClick();  // the box follows the path mode also when the index did not change
  GrpOverWrite->setItemIndex(main_.Overwrite < -1 ? -1 : main_.Overwrite);
  ShownDirAbs = main_.DirAbs;
  cbShowResult->setChecked(main_.ShowResult);
  cbxPickupFolder->setChecked(main_.PickupFolder);
}

void TfrmConf::BtnAddClick() {
  const QString text = EdtKakutyo->text();
  if (text.isEmpty()) return;
  for (int i = 0; i < LstKakutyo->count(); ++i)
    if (LstKakutyo->item(i)->text() == text) return;
  LstKakutyo->addItem(text);
  LstKakutyo->setCurrentRow(LstKakutyo->count() - 1);
}

void TfrmConf::LstKakutyoClick() {
  if (QListWidgetItem* item = LstKakutyo->currentItem()) EdtKakutyo->setText(item->text());
}

void TfrmConf::BtnDelClick() {
  const int i = LstKakutyo->currentRow();
  if (i < 0 || !LstKakutyo->currentItem() || !LstKakutyo->currentItem()->isSelected()) return;
  delete LstKakutyo->takeItem(i);
  if (LstKakutyo->count() == 0) {
    LstKakutyo->setCurrentRow(-1);
    EdtKakutyo->clear();
    return;
  }
  LstKakutyo->setCurrentRow(i > 0 ? i - 1 : 0);
  LstKakutyoClick();
}

void TfrmConf::GrpPathClick() {
  cbxDriveLetter->setEnabled(GrpPath->itemIndex() == 0);
}

void TfrmConf::BtnAdoptClick() {
  main_.EscExt.clear();
  for (int i = 0; i < LstKakutyo->count(); ++i)
    main_.EscExt.push_back(utf8(LstKakutyo->item(i)->text()));
  main_.DirAbs = GrpPath->itemIndex() == 0;
  if (ShownDirAbs != main_.DirAbs) convertRowPaths();
  ShownDirAbs = main_.DirAbs;
  main_.AddDriveLetter = cbxDriveLetter->isChecked();
  main_.Overwrite = GrpOverWrite->itemIndex();
  ProfileFile settings(main_.settingsPath());
  // On a failure the accept stops here and the dialog stays open; what came before stays applied.
  if (!writtenOrShown(writeDetailOptions(settings, main_.DirAbs, main_.AddDriveLetter),
                      main_.boxes()))
    return;
  main_.ShowResult = cbShowResult->isChecked();
  if (cbxPickupFolder->isChecked() != main_.PickupFolder) main_.NeedResearch = true;
  main_.PickupFolder = cbxPickupFolder->isChecked();
  accept();
}

// The path column follows the new mode; the rows were built below the search's source folder.
void TfrmConf::convertRowPaths() {
  std::vector<std::string> paths;
  for (const ResultRow& row : main_.resultModel()->rows()) paths.push_back(row.pathText);
  main_.resultModel()->setPathTexts(main_.DirAbs ? toAbsolutePaths(paths, main_.SearchRoot)
                                                 : toRelativePaths(paths, main_.SearchRoot));
}

void TfrmConf::BtnCancelClick() {
  reject();
}

void TfrmConf::centreOnMainWindow() {
  const QRect frame = main_.frameGeometry();
  move(frame.x() + (frame.width() - width()) / 2, frame.y() + (frame.height() - height()) / 2);
}

void TfrmConf::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace nuvelo

namespace nuvelo {

void TForm1::N4Click() {
  if (Busy) return;
  NeedResearch = false;
  frmConf->FormShow();
  frmConf->centreOnMainWindow();
  services_.dialogs->run(*frmConf);
  if (NeedResearch && resultModel_->rowCount() > 0) {
    boxes().show(MessageKind::Information, "検索方法が変わったので再検索します", MessageButtons::Ok,
                 positionedPlacement());
    Button1Click();
  }
}

}  // namespace nuvelo
