#pragma once
// The detail settings dialog TfrmConf: excluded extensions, path mode, per-folder mode,
// overwrite policy, drive-letter folder and the copy-finished notice switch. Made once with the
// main window; each showing loads the main window's fields, only "OK" writes them back.

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;
class QWidget;

namespace nuvelo {

class RadioGroup;
class TForm1;

class TfrmConf : public QDialog {
  Q_OBJECT
 public:
  explicit TfrmConf(TForm1& main);

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
  QGroupBox* copyGroup = nullptr;
  RadioGroup* overwriteGroup = nullptr;
  QCheckBox* driveLetterCheckBox = nullptr;
  QCheckBox* copyNoticeCheckBox = nullptr;

  // The path mode as the main window held it when last shown or accepted.
  bool ShownDirAbs = true;

  void FormShow();
  void onAddExtension();
  void onExtensionPicked();
  void onRemoveExtension();
  void onPathModeClicked();
  void onOk();
  void onCancel();

  // Centres the dialog on the main window.
  void centreOnMainWindow();

  static constexpr int DesignWidth = 317;
  static constexpr int DesignHeight = 338;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void buildExtensionPage();
  void buildSearchCopyPage();
  void buildTabOrder();
  void convertRowPaths();

  TForm1& main_;
};

}  // namespace nuvelo
