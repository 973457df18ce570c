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

  QPushButton* BtnCancel = nullptr;
  QPushButton* BtnAdopt = nullptr;
  QTabWidget* PageControl1 = nullptr;
  QWidget* TabSheet1 = nullptr;
  QGroupBox* GrpKakutyo = nullptr;
  QLabel* Label1 = nullptr;
  QLineEdit* EdtKakutyo = nullptr;
  QPushButton* BtnAdd = nullptr;
  QPushButton* BtnDel = nullptr;
  QLabel* Label2 = nullptr;
  QListWidget* LstKakutyo = nullptr;
  RadioGroup* GrpPath = nullptr;
  QWidget* TabSheet2 = nullptr;
  QGroupBox* GroupBox1 = nullptr;
  QCheckBox* cbxPickupFolder = nullptr;
  QLabel* Label3 = nullptr;
  QGroupBox* GroupBox2 = nullptr;
  RadioGroup* GrpOverWrite = nullptr;
  QCheckBox* cbxDriveLetter = nullptr;
  QCheckBox* cbShowResult = nullptr;

  // The path mode as the main window held it when last shown or accepted.
  bool ShownDirAbs = true;

  void FormShow();
  void BtnAddClick();
  void LstKakutyoClick();
  void BtnDelClick();
  void GrpPathClick();
  void BtnAdoptClick();
  void BtnCancelClick();

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
