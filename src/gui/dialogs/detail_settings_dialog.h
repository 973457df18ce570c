#pragma once
// The detail settings dialog (design name frmConf): excluded extensions, path mode, per-folder
// mode, overwrite policy, drive-letter folder, the copy-finished notice switch, whether
// replaced files are kept, and the names excluded at any depth. Made once and
// reused; each showing loads the settings it is given, and "OK" hands the edited settings to
// the owner, which may refuse them and keep the dialog open.

#include <QDialog>
#include <functional>

#include "engine/copy/copy_options.h"
#include "engine/search/search_options.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QWidget;

namespace nuvelo {

class RadioGroup;
struct DetailSettingsTexts;

// What the dialog edits: of the search, per-folder mode, the excluded extensions and the name
// patterns; of the copy, the path mode, the drive-letter folder, the overwrite policy and whether
// replaced files are kept; and whether the copy-finished notice shows. Every other member passes
// through unchanged.
struct DetailOptions {
  SearchOptions search;
  CopyOptions copy;
  bool showCopyNotice = true;
};

class DetailSettingsDialog : public QDialog {
  Q_OBJECT
 public:
  // adopt: takes the settings "OK" hands back; false keeps the dialog open.
  using Adopt = std::function<bool(const DetailOptions&)>;
  DetailSettingsDialog(Adopt adopt, QWidget* parent);

  QPushButton* cancelButton = nullptr;
  QPushButton* okButton = nullptr;
  QTabWidget* pages = nullptr;
  QWidget* extensionPathPage = nullptr;
  QGroupBox* extensionGroup = nullptr;
  QLabel* extensionLabel = nullptr;
  QLineEdit* extensionEdit = nullptr;
  QPushButton* addExtensionButton = nullptr;
  QPushButton* removeExtensionButton = nullptr;
  QLabel* extensionListLabel = nullptr;
  QListWidget* extensionList = nullptr;
  RadioGroup* pathModeGroup = nullptr;
  QWidget* searchCopyPage = nullptr;
  QGroupBox* searchGroup = nullptr;
  QCheckBox* perFolderCheckBox = nullptr;
  QLabel* perFolderNoteLabel = nullptr;
  // Files moved, renamed or unpacked into the source keep an old last-write time; their change
  // time (ctime) says when they arrived.
  QCheckBox* changeTimeCheckBox = nullptr;
  QGroupBox* copyGroup = nullptr;
  RadioGroup* overwriteGroup = nullptr;
  QCheckBox* driveLetterCheckBox = nullptr;
  QCheckBox* copyNoticeCheckBox = nullptr;
  // Each file the copy replaces is kept in the versions folder (the settings file's
  // VersionsFolder, else the destination's .nuvelo-versions).
  QCheckBox* keepReplacedCheckBox = nullptr;
  // Name patterns, one a line: files and folders whose names they match are left out at any
  // depth (engine/search/name_patterns.h).
  QWidget* namePage = nullptr;
  QGroupBox* nameGroup = nullptr;
  QLabel* nameNoteLabel = nullptr;
  QPlainTextEdit* excludedNamesEdit = nullptr;

  // Shows `settings` in the controls, for the next showing.
  void load(const DetailOptions& settings);
  // The loaded settings with the controls' edits.
  DetailOptions edited() const;

  void onAddExtension();
  void onExtensionPicked();
  void onRemoveExtension();
  void onPathModeClicked();
  void onOk();
  void onCancel();

  // Centres the dialog on its parent window.
  void centreOnParent();

  static constexpr int DesignWidth = 317;
  // 44 pixels taller than the design's 338: 22 for the change-time check box of the search
  // group, 22 for the keep-replaced check box of the copy group.
  static constexpr int DesignHeight = 382;
  static constexpr int ExtraHeight = 44;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void buildExtensionPage(const DetailSettingsTexts& texts);
  void buildSearchCopyPage(const DetailSettingsTexts& texts);
  void buildNamePage(const DetailSettingsTexts& texts);
  void buildTabOrder();

  Adopt adopt_;
  DetailOptions loaded_;
};

}  // namespace nuvelo
