#include "gui/dialogs/detail_settings_dialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

#include "engine/search/name_patterns.h"
#include "gui/widgets/list_texts.h"
#include "gui/widgets/radio_group.h"
#include "gui/widgets/scale_to_font.h"
#include "messages/detail_settings_texts.h"
#include "messages/dialog_texts.h"
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

QPushButton* button(const char* name, const std::string& text, QWidget* parent, QRect geometry) {
  auto* b = placed(new QPushButton(qt(text), parent), name, geometry);
  b->setAutoDefault(false);  // neither Enter nor Esc closes the dialog
  return b;
}

// A check box with the tip that says what it does.
QCheckBox* tippedCheckBox(const char* name, const std::string& text, const std::string& tip,
                          QWidget* parent, QRect geometry) {
  auto* box = placed(new QCheckBox(qt(text), parent), name, geometry);
  box->setToolTip(qt(tip));
  return box;
}

QLabel* label(const char* name, const std::string& text, QWidget* parent, QPoint at) {
  return placed(new QLabel(qt(text), parent), name, QRect(at, QSize()));
}

QGroupBox* group(const char* name, const std::string& caption, QWidget* parent, QRect geometry) {
  return placed(new QGroupBox(qt(caption), parent), name, geometry);
}

QCheckBox* checkBox(const char* name, const std::string& text, QWidget* parent, QRect geometry) {
  return placed(new QCheckBox(qt(text), parent), name, geometry);
}

// A page of the dialog's tabs, added after those already there.
QWidget* addedPage(QTabWidget& pages, const char* name, const std::string& title) {
  auto* page = new QWidget;
  page->setObjectName(QString::fromLatin1(name));
  pages.addTab(page, qt(title));
  return page;
}

QStringList qtTexts(const std::vector<std::string>& texts) {
  QStringList list;
  for (const std::string& text : texts) list << qt(text);
  return list;
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
  const DetailSettingsTexts texts = detailSettingsTexts();
  setWindowTitle(qt(texts.title));
  setFixedSize(DesignWidth, DesignHeight);

  cancelButton = button("BtnCancel", cancelCaption(), this, {160, 304 + ExtraHeight, 75, 25});
  okButton = button("BtnAdopt", okCaption(), this, {48, 304 + ExtraHeight, 75, 25});
  pages = placed(new QTabWidget(this), "PageControl1", {8, 4, 297, 289 + ExtraHeight});
  buildExtensionPage(texts);
  buildSearchCopyPage(texts);
  buildNamePage(texts);
  buildTabOrder();
  scaleToFont(*this);

  connect(cancelButton, &QPushButton::clicked, this, [this] { onCancel(); });
  connect(okButton, &QPushButton::clicked, this, [this] { onOk(); });
  connect(addExtensionButton, &QPushButton::clicked, this, [this] { onAddExtension(); });
  connect(removeExtensionButton, &QPushButton::clicked, this, [this] { onRemoveExtension(); });
  connect(extensionList, &QListWidget::currentRowChanged, this, [this] { onExtensionPicked(); });
  connect(pathModeGroup, &RadioGroup::clicked, this, [this] { onPathModeClicked(); });
}

void DetailSettingsDialog::buildExtensionPage(const DetailSettingsTexts& texts) {
  extensionPathPage = addedPage(*pages, "TabSheet1", texts.extensionPathPage);
  extensionGroup = group("GrpKakutyo", texts.extensionGroup, extensionPathPage, {10, 8, 270, 153});
  extensionLabel = label("Label1", texts.extensionCaption, extensionGroup, {24, 18});
  extensionEdit = placed(new QLineEdit(extensionGroup), "EdtKakutyo", {120, 16, 81, 20});
  addExtensionButton = button("BtnAdd", texts.addExtension, extensionGroup, {120, 58, 81, 25});
  removeExtensionButton =
      button("BtnDel", texts.removeExtension, extensionGroup, {120, 88, 81, 25});
  extensionListLabel = label("Label2", texts.extensionListCaption, extensionGroup, {24, 42});
  extensionList = placed(new QListWidget(extensionGroup), "LstKakutyo", {24, 56, 73, 81});
  extensionList->setSelectionMode(QAbstractItemView::SingleSelection);
  pathModeGroup =
      placed(new RadioGroup(qt(texts.pathModeGroup), qtTexts(texts.pathModes), extensionPathPage),
             "GrpPath", {12, 176, 270, 57});
  pathModeGroup->setItemIndex(0);
}

void DetailSettingsDialog::buildSearchCopyPage(const DetailSettingsTexts& texts) {
  searchCopyPage = addedPage(*pages, "TabSheet2", texts.searchCopyPage);
  searchGroup =
      group("GroupBox1", texts.searchGroup, searchCopyPage, {10, 8, 270, 65 + ChangeTimeRoom});
  perFolderCheckBox = checkBox("cbxPickupFolder", texts.perFolder, searchGroup, {16, 18, 233, 17});
  perFolderNoteLabel = label("Label3", texts.perFolderNote, searchGroup, {32, 40});
  changeTimeCheckBox = tippedCheckBox("cbxChangeTime", texts.changeTime, texts.changeTimeTip,
                                      searchGroup, {16, 62, 233, 17});
  copyGroup = group("GroupBox2", texts.copyGroup, searchCopyPage,
                    {10, 80 + ChangeTimeRoom, 270, 169 + KeepReplacedRoom});
  overwriteGroup =
      placed(new RadioGroup(qt(texts.overwriteGroup), qtTexts(texts.overwriteChoices), copyGroup),
             "GrpOverWrite", {12, 22, 245, 89});
  overwriteGroup->setItemIndex(1);
  driveLetterCheckBox =
      checkBox("cbxDriveLetter", texts.driveLetter, copyGroup, {16, 122, 225, 17});
  copyNoticeCheckBox = checkBox("cbShowResult", texts.copyNotice, copyGroup, {16, 144, 201, 17});
  keepReplacedCheckBox = tippedCheckBox("cbxKeepReplaced", texts.keepReplaced,
                                        texts.keepReplacedTip, copyGroup, {16, 166, 233, 17});
}

void DetailSettingsDialog::buildNamePage(const DetailSettingsTexts& texts) {
  namePage = addedPage(*pages, "TabSheet3", texts.namePage);
  nameGroup = group("GrpExcludeNames", texts.nameGroup, namePage, {10, 8, 270, 285});
  nameNoteLabel = label("LblExcludeNames", texts.nameNote, nameGroup, {16, 20});
  excludedNamesEdit = placed(new QPlainTextEdit(nameGroup), "MemExcludeNames", {16, 92, 238, 180});
  excludedNamesEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
  excludedNamesEdit->setTabChangesFocus(true);
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
                                 keepReplacedCheckBox,
                                 excludedNamesEdit};
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
  excludedNamesEdit->setPlainText(qt(namePatternsText(settings.search.excludedNames)));
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
  settings.search.excludedNames = namePatternsOf(utf8(excludedNamesEdit->toPlainText()));
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
