#pragma once
// The main window TForm1: its controls, its state fields, its creation and its close.

#include <QMainWindow>
#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "engine/copy/copy_run.h"
#include "engine/search/folder_walk.h"
#include "engine/search/search_run.h"
#include "engine/settings/settings_file.h"
#include "gui/results/result_list_model.h"
#include "platform/message_boxes.h"
#include "platform/posix/date_time_value.h"

class QAction;
class QCheckBox;
class QDateEdit;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;

namespace nuvelo {

class DoubleClickLabel;
class ResultListView;
class EventPump;
class DesktopShell;
class FileDialogs;
class HelpViewer;
class KeySink;
class TfrmConf;
class ModalRunner;
class StatusBar;
class TfrmRes;

// The platform services the main window works through; tests hand in doubles.
struct MainWindowServices {
  MessageBoxes* boxes = nullptr;
  DesktopShell* shell = nullptr;
  ModalRunner* dialogs = nullptr;
  FileDialogs* files = nullptr;
  KeySink* keys = nullptr;
  HelpViewer* help = nullptr;
};

class TForm1 : public QMainWindow {
  Q_OBJECT
 public:
  // settingsPath: the NVO.ini to read and write; executableFolder: the program's own folder.
  TForm1(MainWindowServices services, std::string settingsPath, std::string executableFolder,
         QWidget* parent = nullptr);
  ~TForm1() override;

  // Controls, named as on the form.
  QLabel* Label2 = nullptr;
  QDateEdit* DateTimePicker1 = nullptr;
  QLabel* Label6 = nullptr;
  DoubleClickLabel* LblLastDate = nullptr;
  QLabel* Label3 = nullptr;
  QLineEdit* Edit1 = nullptr;
  QPushButton* Button2 = nullptr;
  QCheckBox* CbKai = nullptr;
  QLabel* LblFolEx = nullptr;
  QListWidget* LstBxFolEx = nullptr;
  QPushButton* BtnFolExADD = nullptr;
  QPushButton* BtnFolExDel = nullptr;
  QLabel* Label4 = nullptr;
  QLineEdit* Edit2 = nullptr;
  QPushButton* Button4 = nullptr;
  QFrame* Panel1 = nullptr;
  QLabel* Label1 = nullptr;
  QPushButton* BtnSelAll = nullptr;
  QPushButton* BtnReleaseSel = nullptr;
  ResultListView* lsvFilesFrom = nullptr;
  QPushButton* Button1 = nullptr;
  QPushButton* Button3 = nullptr;
  QPushButton* Button5 = nullptr;
  QProgressBar* ProgressBar1 = nullptr;
  StatusBar* StatusBar1 = nullptr;

  // Main menu.
  QMenu* File1 = nullptr;
  QAction* Mnu_LoadFile = nullptr;
  QAction* Mnu_SaveAs = nullptr;
  QAction* N8 = nullptr;
  QAction* Exit1 = nullptr;
  QMenu* R1 = nullptr;
  QAction* Find1 = nullptr;
  QAction* Copy1 = nullptr;
  QAction* N5 = nullptr;
  QAction* N6 = nullptr;
  QMenu* S1 = nullptr;
  QAction* D1 = nullptr;
  QAction* N1 = nullptr;
  QAction* N2 = nullptr;
  QAction* N3 = nullptr;
  QAction* N4 = nullptr;
  QMenu* Help1 = nullptr;
  QAction* Contents1 = nullptr;
  QAction* About1 = nullptr;

  // The result list's pop-up menu.
  QMenu* PopupMenu1 = nullptr;
  QAction* Property1 = nullptr;
  QAction* Show1 = nullptr;

  // The program's dialogs, made once with the window and reused.
  TfrmConf* frmConf = nullptr;
  TfrmRes* frmRes = nullptr;

  // State fields.
  std::string SearchRoot;  // the source folder as Edit1 held it when the last search started
  bool Busy = false;       // a search or copy is running
  std::int32_t SortColumn = 0;
  std::optional<std::vector<std::string>> CopyList;  // exists only during a copy run
  bool AbortRequested = false;
  bool DirAbs = true;
  bool AddDriveLetter = true;
  bool PickupFolder = false;
  bool LastKaiChecked = true;
  bool ShowResult = true;
  bool NeedResearch = false;
  std::int32_t Overwrite = 1;
  bool Verify = false;  // re-read every copy before it is put in place (Option/Verify)
  DateTimeValue SinceDate = 0;
  double TotalBytes = 0;
  std::int32_t TotalCount = 0;
  std::vector<std::string> EscExt;

  // Handlers.
  void FormCreate();
  bool FormCloseQuery();  // false when the settings could not be saved: the window stays
  void Exit1Click();
  void CbKaiClick();
  void BtnFolExADDClick();
  void BtnFolExDelClick();
  void Button2Click();  // source folder "参照..."
  void Button4Click();  // destination folder "参照..."
  // The folder browser: the chosen folder, or `initial` when cancelled.
  std::string ChooseFolder(const std::string& initial);
  void N4Click();  // detail settings
  void Mnu_SaveAsClick();
  void Mnu_LoadFileClick();
  void D1Click();  // the date picker's calendar
  void About1Click();
  void Contents1Click();
  void Button1Click();  // search
  void Button5Click();  // abort
  void DateTimePicker1Change();
  void LblLastDateDblClick();
  void Button3Click();  // copy
  // The result list.
  void lsvFilesFromColumnClick(int column);
  int lsvFilesFromCompare(int rowA, int rowB) const;
  void BtnSelAllClick();
  void BtnReleaseSelClick();
  void lsvFilesFromClick();
  void lsvFilesFromMouseUp();
  void lsvFilesFromDblClick();
  void Property1Click();
  void PopupMenu1Popup();
  // The selected row, if any.
  std::optional<int> selectedRow() const;

  // The walk's conditions as the window holds them now: the subfolder switch, the excluded
  // subfolders and the source folder's text, per-folder mode, SinceDate, and the destination
  // folder, which the walk leaves out when it lies inside the source.
  WalkFilter walkFilter(const std::vector<std::string>& extList) const;
  void FillResultRows(const std::vector<WalkEntry>& entries, EventPump& pump);
  void RecountChecked();
  void ShowTotals();
  std::string RowFullPath(const ResultRow& row) const;

  const std::string& settingsPath() const { return settingsPath_; }
  const std::string& executableFolder() const { return executableFolder_; }
  // The folder the condition-file dialogs start in.
  const std::string& conditionFileFolder() const { return conditionFileFolder_; }
  ResultListModel* resultModel() const { return resultModel_; }
  // Separators for dates, times and decimals; the user's by default.
  void setDisplayFormats(const DisplayFormats& formats);
  MessageBoxes& boxes() const { return *services_.boxes; }

  // A box placed over this window, as the "positioned" messages are.
  MessagePlacement positionedPlacement() const;
  // The current controls and fields in the form the settings file stores them.
  MainWindowSettings currentSettings() const;

  // A search or copy calls this when it has returned to idle; a close asked for while it ran
  // happens now.
  void finishRun();
  bool closePending() const { return closePending_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildControls();
  void buildPanel();
  void buildMenus();
  void buildTabOrder();
  void buildPopupMenu();
  void connectResultList();
  void browseInto(QLineEdit* box);
  void applySettings(const MainWindowSettings& settings);
  void applyWindowBounds(const MainWindowSettings& settings);
  void showLastCopyDate(const std::string& dateText);
  void connectCommands();
  void refuseSearch(const std::string& message);
  void enterSearchingState();
  std::vector<UnreadableFolder> runSearch();
  void leaveSearchingState();
  bool copyMayStart();
  void enterCopyingState();
  CopyRunResult runCopy();
  void finishCompletedCopy(const CopyRunResult& result);
  void leaveCopyingState();

  // Runs a handler body; an exception that escapes it goes to the application's error box. The
  // program's own failures come back as Results; only the standard library throws (bad_alloc).
  template <class Body>
  bool guarded(Body&& body) {
    try {
      body();
      return true;
    } catch (const std::exception& error) {
      services_.boxes->showApplicationError(error.what());
      return false;
    }
  }

  MainWindowServices services_;
  std::string settingsPath_;
  std::string executableFolder_;
  std::string conditionFileFolder_;
  ResultListModel* resultModel_ = nullptr;
  bool closePending_ = false;
  std::string lastSavePath_;  // the condition-file dialogs start with what they returned last
  std::string lastOpenPath_;
};

}  // namespace nuvelo
