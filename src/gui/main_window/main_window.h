#pragma once
// The main window (design name Form1): its controls, the options it holds, its run state, its
// creation and its close.

#include <QElapsedTimer>
#include <QMainWindow>
#include <QStringList>
#include <cstdint>
#include <ctime>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/copy/copy_options.h"
#include "engine/copy/copy_run.h"
#include "engine/jobs/job.h"
#include "engine/jobs/job_end.h"
#include "engine/search/folder_walk.h"
#include "engine/search/search_options.h"
#include "engine/search/search_run.h"
#include "engine/settings/condition_file.h"
#include "engine/settings/settings_file.h"
#include "gui/dialogs/detail_settings_dialog.h"
#include "gui/jobs/copy_job.h"
#include "gui/jobs/search_job.h"
#include "gui/main_window/copy_questions.h"
#include "gui/results/result_list_model.h"
#include "platform/message_boxes.h"
#include "platform/posix/date_time_value.h"
#include "platform/posix/file_lock.h"
#include "platform/signal_closable.h"

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

class CopyNotice;
class DoubleClickLabel;
class FolderBox;
class ResultListView;
struct BuiltRows;
class DesktopNotifier;
class DesktopShell;
class RemovableDrives;
class FileDialogs;
class HelpViewer;
class KeySink;
class ModalRunner;
class StatusBar;
class StatusText;

// The platform services the main window works through; tests hand in doubles.
struct MainWindowServices {
  MessageBoxes* boxes = nullptr;
  DesktopShell* shell = nullptr;
  ModalRunner* dialogs = nullptr;
  FileDialogs* files = nullptr;
  KeySink* keys = nullptr;
  HelpViewer* help = nullptr;
  DesktopNotifier* notifier = nullptr;
  RemovableDrives* drives = nullptr;
};

class MainWindow : public QMainWindow, public SignalClosable {
  Q_OBJECT
 public:
  // settingsPath: the NVO.ini to read and write; executableFolder: the program's own folder.
  MainWindow(MainWindowServices services, std::string settingsPath, std::string executableFolder,
             QWidget* parent = nullptr);
  ~MainWindow() override;

  // Controls; each one's Qt object name is its name on the form ("Button1", "Edit1", ...),
  // set where it is built (main_window_layout.cpp).
  QLabel* sinceDateLabel = nullptr;
  QDateEdit* sinceDatePicker = nullptr;
  QLabel* sinceDateSuffixLabel = nullptr;
  DoubleClickLabel* lastCopyDateLabel = nullptr;
  QLabel* sourceFolderLabel = nullptr;
  QLineEdit* sourceFolderEdit = nullptr;
  QPushButton* browseSourceButton = nullptr;
  QCheckBox* subfoldersCheckBox = nullptr;
  QLabel* excludedSubfoldersLabel = nullptr;
  QListWidget* excludedSubfoldersList = nullptr;
  QPushButton* addExcludedSubfolderButton = nullptr;
  QPushButton* removeExcludedSubfolderButton = nullptr;
  QLabel* destinationFolderLabel = nullptr;
  QLineEdit* destinationFolderEdit = nullptr;
  QPushButton* browseDestinationButton = nullptr;
  // The two folder boxes' drops and recent folders.
  FolderBox* sourceFolderBox = nullptr;
  FolderBox* destinationFolderBox = nullptr;
  QFrame* resultPanel = nullptr;
  QLabel* resultLabel = nullptr;
  QPushButton* checkAllButton = nullptr;
  QPushButton* uncheckAllButton = nullptr;
  ResultListView* resultList = nullptr;
  QPushButton* searchButton = nullptr;
  QPushButton* copyButton = nullptr;
  QPushButton* abortButton = nullptr;
  QProgressBar* progressBar = nullptr;
  StatusBar* statusPanels = nullptr;

  // Main menu.
  QMenu* fileMenu = nullptr;
  QAction* openConditionFileAction = nullptr;
  QAction* saveConditionFileAction = nullptr;
  // Saves the window's whole job (a condition file with the copy's options) for a timer.
  QAction* saveJobFileAction = nullptr;
  QAction* fileMenuSeparator = nullptr;
  QAction* exitAction = nullptr;
  QMenu* runMenu = nullptr;
  QAction* searchAction = nullptr;
  // A search that lists every file missing at the destination or older there, whatever its
  // times.
  QAction* compareSearchAction = nullptr;
  QAction* copyAction = nullptr;
  QAction* runMenuSeparator = nullptr;
  QAction* abortAction = nullptr;
  QAction* runLogSeparator = nullptr;
  QAction* runLogAction = nullptr;  // the last runs of the run log, in a list
  QMenu* settingsMenu = nullptr;
  QAction* sinceDateAction = nullptr;
  QAction* sourceFolderAction = nullptr;
  QAction* destinationFolderAction = nullptr;
  QAction* settingsMenuSeparator = nullptr;
  QAction* detailSettingsAction = nullptr;
  QMenu* helpMenu = nullptr;
  QAction* helpContentsAction = nullptr;
  QAction* aboutAction = nullptr;

  // The result list's pop-up menu.
  QMenu* resultMenu = nullptr;
  QAction* propertiesAction = nullptr;
  QAction* openResultAction = nullptr;

  // The program's dialogs, made once with the window and reused.
  DetailSettingsDialog* detailSettingsDialog = nullptr;
  CopyNotice* copyNotice = nullptr;

  // What the window is doing; the controls follow it.
  enum class Activity { Idle, Searching, Copying };
  // Enters or leaves a run: the wait cursor, the commands that may start, the folder box the run
  // reads (read-only meanwhile), the abort command, the progress bar and the status text.
  void setActivity(Activity activity);
  // A search or a copy runs, as a job on a thread of its own: from the click that started it
  // until the window has taken its end. The window's events go on meanwhile.
  bool running() const { return activity_ != Activity::Idle; }
  // The running job was asked to stop and has not ended yet.
  bool abortRequested() const {
    return (searchJob_ && searchJob_->abortRequested()) || (copyJob_ && copyJob_->abortRequested());
  }
  // The source folder as its box held it when the last search started: the listed rows were
  // found below it.
  const std::string& searchRoot() const { return searchRoot_; }
  void setSearchRoot(std::string folder) { searchRoot_ = std::move(folder); }
  // The sorted column, counted from 1 and negative when descending; 0 before any sorting.
  std::int32_t sortColumn() const { return sortColumn_; }
  // A copy run is gathering or copying the checked rows.
  bool copyRunning() const { return copyJob_ != nullptr; }
  // The count and size of the checked rows, as the status bar shows them.
  Totals checkedTotals() const { return totals_; }
  // The subfolder switch as it stood when last changed outside a run.
  bool subfoldersSwitchKept() const { return lastSubfoldersChecked_; }
  // The last accepted detail settings changed the per-folder mode: the rows need a new search.
  bool newSearchNeeded() const { return newSearchNeeded_; }

  // The commands that tests and tools also run directly; the others are reached through their
  // controls.
  void onAddExcludedSubfolder();
  void onDropDownSinceDate();  // the date picker's calendar
  void onSearch();
  void onCompareSearch();
  void onCopy();
  void onResultColumnClicked(int column);
  int compareResultRows(int rowA, int rowB) const;
  void onResultProperties();
  void onResultMenuAboutToShow();
  // The selected row, if any.
  std::optional<int> selectedRow() const;

  // The search's options as the window holds them now: the source folder's box, the subfolder
  // switch and the excluded subfolders, the date, per-folder mode and the excluded extensions.
  SearchOptions searchOptions() const;
  // The copy's options as the window holds them now: the destination folder's box, the path
  // mode, the drive-letter folder, the overwrite policy and the verify switch.
  CopyOptions copyOptions() const;
  // What the detail settings dialog edits; setting them writes nothing to the settings file.
  DetailOptions detailOptions() const;
  void setDetailOptions(const DetailOptions& settings);
  void recountChecked();
  std::string rowFullPath(const ResultRow& row) const;

  // The folder the condition-file dialogs start in.
  const std::string& conditionFileFolder() const { return conditionFileFolder_; }
  ResultListModel* resultModel() const { return resultModel_; }
  // Separators for dates, times and decimals; the user's by default.
  void setDisplayFormats(const DisplayFormats& formats);

  // A box placed over this window, as the "positioned" messages are.
  MessagePlacement positionedPlacement() const;

  // A search or copy that ran at least this long and ends while the window is not active is
  // told in a desktop notification.
  static constexpr qint64 LongRunMilliseconds = 10000;
  void setLongRunMilliseconds(qint64 milliseconds) { longRunMilliseconds_ = milliseconds; }

  // Today's local date, asked when a search starts (the day a copy of its list records); tests
  // set it to cross midnight.
  void setClock(std::function<CivilDate()> clock) { clock_ = std::move(clock); }
  // The day on which the search that made the listed rows started; nothing before a search.
  std::optional<CivilDate> dayOfList() const {
    return listMade_ ? std::optional<CivilDate>(listMade_->day) : std::nullopt;
  }

  // Test seam: called on each run's thread before the run starts.
  void setRunGate(std::function<void()> gate) { runGate_ = std::move(gate); }

  // The window was asked to close while a run went on: it closes once the run has stopped.
  bool closesAfterRun() const { return closeAfterRun_; }
  // A close for a termination signal: as the close box, but a failure to save the settings goes
  // to stderr instead of a box.
  void closeForSignal() override;

 signals:
  // A search or a copy has ended and the window is idle again.
  void runEnded();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  // Handlers.
  void restoreFromSettings();
  // Saves the settings for a close; a failure is told once, in a box or on stderr.
  void saveSettingsForClose();
  // A close asked for while a run went on happens now that it has ended.
  void closeIfAsked();
  void onExit();
  void onSubfoldersToggled();
  void onRemoveExcludedSubfolder();
  void onBrowseSource();       // source folder "参照..."
  void onBrowseDestination();  // destination folder "参照..."
  // Opens the folder browser and returns at once; `then` gets the chosen folder, or `initial`
  // when cancelled. Nothing happens while a browser is already open.
  void chooseFolder(const std::string& initial, std::function<void(const std::string&)> then);
  void onDetailSettings();
  void onSaveConditionFile();
  void onSaveJobFile();
  void onOpenConditionFile();
  void onAbout();
  void onRunLog();
  void onHelpContents();
  void onAbort();
  void onSinceDateChanged();
  void onLastCopyDateDoubleClicked();
  void onCheckAll();
  void onUncheckAll();
  void onResultClicked();
  void onResultMouseUp();
  void onOpenResult();

  // An empty list without totals, as a search leaves it until it has found its rows.
  void clearResults();
  void showResultRows(BuiltRows built);
  void showTotals();
  MessageBoxes& boxes() const { return *services_.boxes; }
  // The current controls and fields in the form the settings file stores them.
  MainWindowSettings currentSettings() const;
  void buildControls();
  void buildPanel();
  // Widens the result columns, as scaled to the font, to hold their headers (with the sort
  // arrow) and the date column's date and time; stored widths, applied afterwards, win.
  void fitResultColumns();
  // The width a result column needs in the current font, as fitResultColumns gives it; a
  // stored width narrower than this is widened to it.
  int resultColumnNeed(int column) const;
  void buildMenus();
  void buildTabOrder();
  void buildPopupMenu();
  void connectResultList();
  void browseInto(QLineEdit* box);
  void takeSinceDateFromPicker();
  void applyConditions(const SearchConditions& conditions);
  bool adoptDetailOptions(const DetailOptions& settings);
  bool refusesExcludedNames(const std::vector<std::string>& patterns);
  void convertRowPaths();
  void applySettings(const MainWindowSettings& settings);
  void applyWindowBounds(const MainWindowSettings& settings);
  void showLastCopyDate(const std::string& dateText);
  void connectCommands();
  void refuseSearch(const std::string& message);
  void search(Selection::By by);
  struct ListMade;
  // When a search's list was started: its local day and the instant.
  struct ListStart {
    CivilDate day;
    std::int64_t instant = 0;
  };
  void searchEnded(SearchJobEnd& end, ListStart start, Selection::By by);
  // The window's job for a run of `source` now, choosing its files as `by` says.
  Job windowJob(const std::string& source, Selection::By by) const;
  std::shared_ptr<const DamagedCopies> damagedCopiesFor(const Job& job) const;
  // What the window's job is made of, without a look at any folder.
  JobRequest windowJobRequest(const std::string& source, Selection::By by) const;
  CivilDate today() const;
  bool copyMayStart();
  bool versionsFolderServes();
  // Holds the job's run lock for the copy; false, after telling the user, while nuvelo-cli runs
  // the same job.
  bool lockCopyJob(const Job& job, FileLock& lock);
  // Records the run in the job's state; nothing, after the error box, when it could not be.
  std::optional<JobEnd> recordCopy(Job job, const CopyRunResult& result,
                                   const std::vector<std::string>& copyList);
  void showCopyProgress();
  CopyJobWatch copyWatch();
  void copyEnded(const CopyRunResult& result, const std::vector<std::string>& copyList,
                 const std::string& error, std::optional<CopyRefusal> refusal);
  void copyRefused(CopyRefusal refusal);
  void finishCompletedCopy(const CopyRunResult& result, const JobEnd& end);
  // Appends the copy's line to the run log; the failure when the log could not be written.
  std::optional<Failure> logCopyRun(const CopyRunResult& result, const std::optional<JobEnd>& end,
                                    bool endedInError);
  // A run log that cannot be written is told once, in the status bar: no box stands between
  // the user and the run's own result.
  void warnOfRunLog(const Failure& failure);
  // A desktop notification, when the run that ends now was long and the user is elsewhere.
  void notifyIfLongRunEnded(const std::string& body);

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
  // The options; a member with a control of its own (the folders, the subfolder switch, the
  // excluded subfolders) is read from its control, not from here.
  SearchOptions search_;  // the date, per-folder mode and the excluded extensions
  CopyOptions copy_;      // path mode, drive-letter folder, overwrite policy, verify
  bool showCopyNotice_ = true;
  bool closeAfterRun_ = false;
  bool runLogWarned_ = false;  // a run log that could not be written is told once
  bool closingForSignal_ = false;
  Activity activity_ = Activity::Idle;
  QElapsedTimer runClock_;  // since the running search or copy started
  qint64 longRunMilliseconds_ = LongRunMilliseconds;
  std::string searchRoot_;
  std::int32_t sortColumn_ = 0;
  QStringList failedFiles_;  // of the copy run that just ended, each with its reason
  Totals totals_;
  bool lastSubfoldersChecked_ = true;
  bool newSearchNeeded_ = false;
  std::function<CivilDate()> clock_;
  // What the last search that listed the rows was: the day it started, how it chose its files,
  // the folders it could not read (they wait for the next copy), its job's key and the files
  // that waited when it started (what the copy's record judges by the listed rows), and for a
  // comparison, where it read the copies and the files whose copies it found damaged (a copy
  // to the same place replaces them).
  struct ListMade {
    CivilDate day;
    std::int64_t started = 0;
    Selection::By by = Selection::By::Day;
    std::vector<std::string> unreadable;
    std::string jobKey;
    std::vector<std::string> waiting;
    std::string mirror;
    std::shared_ptr<const DamagedCopies> damagedCopies;
  };
  std::optional<ListMade> listMade_;
  std::string lastCopyStart_;  // when the list of the day the label shows was started (UTC)
  std::string lastSavePath_;   // the condition-file dialogs start with what they returned last
  std::string lastOpenPath_;
  bool choosingFolder_ = false;  // the folder browser is open
  // What a copy holds until it has ended.
  struct CopyRun {
    Job job;
    FileLock lock;  // the job's run lock
    WindowCopyQuestions questions;
    std::shared_ptr<CheckMarks> marks;
    QElapsedTimer clock;  // since the files started to be copied
    std::time_t started = 0;
  };
  std::unique_ptr<CopyRun> copyRun_;
  std::unique_ptr<StatusText> runStatus_;  // of the running search or copy
  std::function<void()> runGate_;
  // The running search or copy; last, so that a window going away stops them first.
  std::unique_ptr<SearchJob> searchJob_;
  std::unique_ptr<CopyJob> copyJob_;
};

}  // namespace nuvelo
