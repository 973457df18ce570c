#include "gui/dialogs/detail_settings_dialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>

#include "gui/widgets/list_texts.h"
#include "gui/widgets/radio_group.h"
#include "gui/widgets/scale_to_font.h"
#include "platform/qt/gui_text.h"

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

// A check box with the tip that says what it does.
QCheckBox* tippedCheckBox(const char* name, const char* text, const char* tip, QWidget* parent,
                          QRect geometry) {
  auto* box = placed(new QCheckBox(QString::fromUtf8(text), parent), name, geometry);
  box->setToolTip(QString::fromUtf8(tip));
  return box;
}

QLabel* label(const char* name, const char* text, QWidget* parent, QPoint at) {
  return placed(new QLabel(QString::fromUtf8(text), parent), name, QRect(at, QSize()));
}

// The rows added to the design's layout: the change-time check box in the search group, the
// keep-replaced check box in the copy group.
constexpr int ChangeTimeRoom = 22;
constexpr int KeepReplacedRoom = 22;
static_assert(ChangeTimeRoom + KeepReplacedRoom == DetailSettingsDialog::ExtraHeight);

}  // namespace

DetailSettingsDialog::DetailSettingsDialog(Adopt adopt, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      adopt_(std::move(adopt)) {
  setObjectName(QStringLiteral("frmConf"));
  setWindowTitle(QStringLiteral("詳細設定"));
  setFixedSize(DesignWidth, DesignHeight);

  cancelButton = button("BtnCancel", "キャンセル", this, {160, 304 + ExtraHeight, 75, 25});
  okButton = button("BtnAdopt", "OK", this, {48, 304 + ExtraHeight, 75, 25});
  pages = placed(new QTabWidget(this), "PageControl1", {8, 4, 297, 289 + ExtraHeight});
  buildExtensionPage();
  buildSearchCopyPage();
  buildTabOrder();
  scaleToFont(*this);

  connect(cancelButton, &QPushButton::clicked, this, [this] { onCancel(); });
  connect(okButton, &QPushButton::clicked, this, [this] { onOk(); });
  connect(addExtensionButton, &QPushButton::clicked, this, [this] { onAddExtension(); });
  connect(removeExtensionButton, &QPushButton::clicked, this, [this] { onRemoveExtension(); });
  connect(extensionList, &QListWidget::currentRowChanged, this, [this] { onExtensionPicked(); });
  connect(pathModeGroup, &RadioGroup::clicked, this, [this] { onPathModeClicked(); });
}

void DetailSettingsDialog::buildExtensionPage() {
  extensionPathPage = new QWidget;
  extensionPathPage->setObjectName(QStringLiteral("TabSheet1"));
  pages->addTab(extensionPathPage, QStringLiteral("拡張子・パス"));
  extensionGroup = placed(new QGroupBox(QStringLiteral("拡張子"), extensionPathPage), "GrpKakutyo",
                          {10, 8, 270, 153});
  extensionLabel = label("Label1", "除外する拡張子：", extensionGroup, {24, 18});
  extensionEdit = placed(new QLineEdit(extensionGroup), "EdtKakutyo", {120, 16, 81, 20});
  addExtensionButton = button("BtnAdd", "追加", extensionGroup, {120, 58, 81, 25});
  removeExtensionButton = button("BtnDel", "削除", extensionGroup, {120, 88, 81, 25});
  extensionListLabel = label("Label2", "除外リスト", extensionGroup, {24, 42});
  extensionList = placed(new QListWidget(extensionGroup), "LstKakutyo", {24, 56, 73, 81});
  extensionList->setSelectionMode(QAbstractItemView::SingleSelection);
  pathModeGroup = placed(new RadioGroup(QStringLiteral("パス"),
                                        {QStringLiteral("ドライブルートからの絶対パス"),
                                         QStringLiteral("現在位置からの相対パス")},
                                        extensionPathPage),
                         "GrpPath", {12, 176, 270, 57});
  pathModeGroup->setItemIndex(0);
}

void DetailSettingsDialog::buildSearchCopyPage() {
  searchCopyPage = new QWidget;
  searchCopyPage->setObjectName(QStringLiteral("TabSheet2"));
  pages->addTab(searchCopyPage, QStringLiteral("検索・コピー"));
  searchGroup = placed(new QGroupBox(QStringLiteral("検索"), searchCopyPage), "GroupBox1",
                       {10, 8, 270, 65 + ChangeTimeRoom});
  perFolderCheckBox = placed(new QCheckBox(QStringLiteral("フォルダ単位で処理する"), searchGroup),
                             "cbxPickupFolder", {16, 18, 233, 17});
  perFolderNoteLabel =
      label("Label3", "(注意：設定を変更すると再検索が必要)", searchGroup, {32, 40});
  changeTimeCheckBox =
      tippedCheckBox("cbxChangeTime", "移動・展開したファイルも対象とする",
                     "更新日時が古くても、フォルダに移動・展開・名前変更された日時 (ctime) "
                     "が指定日以降のファイルを対象にします",
                     searchGroup, {16, 62, 233, 17});
  copyGroup = placed(new QGroupBox(QStringLiteral("コピー"), searchCopyPage), "GroupBox2",
                     {10, 80 + ChangeTimeRoom, 270, 169 + KeepReplacedRoom});
  overwriteGroup =
      placed(new RadioGroup(QStringLiteral("コピー先に同名ファイルがあった時"),
                            {QStringLiteral("上書きする"), QStringLiteral("上書きするか確認する"),
                             QStringLiteral("タイムスタンプが新しい時だけ上書き"),
                             QStringLiteral("コピーしない")},
                            copyGroup),
             "GrpOverWrite", {12, 22, 245, 89});
  overwriteGroup->setItemIndex(1);
  driveLetterCheckBox =
      placed(new QCheckBox(QStringLiteral("先頭にドライブレターのフォルダを付加"), copyGroup),
             "cbxDriveLetter", {16, 122, 225, 17});
  copyNoticeCheckBox =
      placed(new QCheckBox(QStringLiteral("コピー完了メッセージを表示する"), copyGroup),
             "cbShowResult", {16, 144, 201, 17});
  keepReplacedCheckBox =
      tippedCheckBox("cbxKeepReplaced", "置き換えるファイルを残す",
                     "上書きで置き換えるファイルを消さずに、コピー先の .nuvelo-versions "
                     "フォルダの中に、コピーを始めた日時のフォルダを作って残します",
                     copyGroup, {16, 166, 233, 17});
}

void DetailSettingsDialog::buildTabOrder() {
  const QList<QWidget*> chain = {cancelButton,
                                 okButton,
                                 pages,
                                 extensionEdit,
                                 addExtensionButton,
                                 removeExtensionButton,
                                 extensionList,
                                 pathModeGroup->item(0),
                                 pathModeGroup->item(1),
                                 perFolderCheckBox,
                                 changeTimeCheckBox,
                                 overwriteGroup->item(0),
                                 overwriteGroup->item(1),
                                 overwriteGroup->item(2),
                                 overwriteGroup->item(3),
                                 driveLetterCheckBox,
                                 copyNoticeCheckBox,
                                 keepReplacedCheckBox};
  for (qsizetype i = 1; i < chain.size(); ++i) setTabOrder(chain[i - 1], chain[i]);
}

void DetailSettingsDialog::load(const DetailOptions& settings) {
  loaded_ = settings;
  setListTexts(*extensionList, settings.search.excludedExtensions);
  extensionEdit->clear();
  extensionList->setCurrentRow(-1);
  driveLetterCheckBox->setChecked(settings.copy.addDriveLetter);
  pathModeGroup->setItemIndex(settings.copy.dirAbs ? 0 : 1);
  onPathModeClicked();  // the box follows the path mode also when the index did not change
  overwriteGroup->setItemIndex(settings.copy.overwrite < -1 ? -1 : settings.copy.overwrite);
  copyNoticeCheckBox->setChecked(settings.showCopyNotice);
  perFolderCheckBox->setChecked(settings.search.perFolder);
  changeTimeCheckBox->setChecked(settings.search.changeTime);
  keepReplacedCheckBox->setChecked(settings.copy.keepReplaced);
}

DetailOptions DetailSettingsDialog::edited() const {
  DetailOptions settings = loaded_;
  settings.search.excludedExtensions = listTexts(*extensionList);
  settings.search.perFolder = perFolderCheckBox->isChecked();
  settings.search.changeTime = changeTimeCheckBox->isChecked();
  settings.copy.dirAbs = pathModeGroup->itemIndex() == 0;
  settings.copy.addDriveLetter = driveLetterCheckBox->isChecked();
  settings.copy.overwrite = overwriteGroup->itemIndex();
  settings.showCopyNotice = copyNoticeCheckBox->isChecked();
  settings.copy.keepReplaced = keepReplacedCheckBox->isChecked();
  return settings;
}

void DetailSettingsDialog::onAddExtension() {
  const QString text = extensionEdit->text();
  if (text.isEmpty()) return;
  for (int i = 0; i < extensionList->count(); ++i)
    if (extensionList->item(i)->text() == text) return;
  extensionList->addItem(text);
  extensionList->setCurrentRow(extensionList->count() - 1);
}

void DetailSettingsDialog::onExtensionPicked() {
  if (QListWidgetItem* item = extensionList->currentItem()) extensionEdit->setText(item->text());
}

void DetailSettingsDialog::onRemoveExtension() {
  const int i = extensionList->currentRow();
  if (i < 0 || !extensionList->currentItem() || !extensionList->currentItem()->isSelected()) return;
  delete extensionList->takeItem(i);
  if (extensionList->count() == 0) {
    extensionList->setCurrentRow(-1);
    extensionEdit->clear();
    return;
  }
  extensionList->setCurrentRow(i > 0 ? i - 1 : 0);
  onExtensionPicked();
}

void DetailSettingsDialog::onPathModeClicked() {
  driveLetterCheckBox->setEnabled(pathModeGroup->itemIndex() == 0);
}

void DetailSettingsDialog::onOk() {
  const DetailOptions settings = edited();
  if (!adopt_(settings)) return;
  loaded_ = settings;
  accept();
}

void DetailSettingsDialog::onCancel() {
  reject();
}

void DetailSettingsDialog::centreOnParent() {
  const QRect frame = parentWidget()->frameGeometry();
  move(frame.x() + (frame.width() - width()) / 2, frame.y() + (frame.height() - height()) / 2);
}

void DetailSettingsDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace nuvelo
