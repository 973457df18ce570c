#include "gui/main_window/main_window.h"
#include "gui/results/result_list_view.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDateEdit>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTreeView>
#include <iostream>

#include "engine/settings/settings_lock.h"
#include "engine/settings/stored_options.h"
#include "gui/dialogs/copy_notice.h"
#include "gui/main_window/write_failure_box.h"
#include "gui/results/result_list_model.h"
#include "gui/widgets/clickable_label.h"
#include "gui/widgets/folder_box.h"
#include "gui/widgets/list_texts.h"
#include "gui/widgets/program_icon.h"
#include "gui/widgets/scale_to_font.h"
#include "gui/widgets/status_bar.h"
#include "gui/widgets/status_text.h"
#include "platform/qt/gui_text.h"

namespace nuvelo {
namespace {

constexpr int MinimumWidth = 420;
constexpr int MinimumHeight = 380;

}  // namespace

MainWindow::MainWindow(MainWindowServices services, std::string settingsPath,
                       std::string executableFolder, QWidget* parent)
    : QMainWindow(parent),
      services_(services),
      settingsPath_(std::move(settingsPath)),
      executableFolder_(std::move(executableFolder)) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("Nuvelo"));
  setWindowIcon(programIcon());
  setMinimumSize(MinimumWidth, MinimumHeight);
  buildMenus();
  buildControls();
  buildPopupMenu();
  buildTabOrder();
  scaleToFont(*this);
  fitResultColumns();

  connectCommands();
  restoreFromSettings();
  // The dialogs of the program live, hidden, as long as the main window.
  detailSettingsDialog = new DetailSettingsDialog(
      [this](const DetailOptions& settings) { return adoptDetailOptions(settings); }, this);
  copyNotice = new CopyNotice(*services_.boxes, *services_.shell, *services_.dialogs,
                              *services_.drives, this);
}

MainWindow::~MainWindow() {
  // A window that goes away during a run stops it first (its jobs go first), and gives the
  // cursor back.
  copyJob_.reset();
  searchJob_.reset();
  if (running()) QApplication::restoreOverrideCursor();
}

void MainWindow::connectCommands() {
  connect(subfoldersCheckBox, &QCheckBox::toggled, this, [this] { onSubfoldersToggled(); });
  connect(exitAction, &QAction::triggered, this, [this] { onExit(); });
  connect(searchButton, &QPushButton::clicked, this, [this] { onSearch(); });
  connect(searchAction, &QAction::triggered, this, [this] { onSearch(); });
  connect(compareSearchAction, &QAction::triggered, this, [this] { onCompareSearch(); });
  connect(abortButton, &QPushButton::clicked, this, [this] { onAbort(); });
  connect(abortAction, &QAction::triggered, this, [this] { onAbort(); });
  connect(runLogAction, &QAction::triggered, this, [this] { onRunLog(); });
  connect(sinceDatePicker, &QDateEdit::dateChanged, this, [this] { onSinceDateChanged(); });
  connect(lastCopyDateLabel, &DoubleClickLabel::doubleClicked, this,
          [this] { onLastCopyDateDoubleClicked(); });
  connect(copyButton, &QPushButton::clicked, this, [this] { onCopy(); });
  connect(copyAction, &QAction::triggered, this, [this] { onCopy(); });
  connectResultList();
  connect(addExcludedSubfolderButton, &QPushButton::clicked, this,
          [this] { onAddExcludedSubfolder(); });
  connect(removeExcludedSubfolderButton, &QPushButton::clicked, this,
          [this] { onRemoveExcludedSubfolder(); });
  connect(browseSourceButton, &QPushButton::clicked, this, [this] { onBrowseSource(); });
  connect(sourceFolderAction, &QAction::triggered, this, [this] { onBrowseSource(); });
  connect(browseDestinationButton, &QPushButton::clicked, this, [this] { onBrowseDestination(); });
  connect(destinationFolderAction, &QAction::triggered, this, [this] { onBrowseDestination(); });
  connect(detailSettingsAction, &QAction::triggered, this, [this] { onDetailSettings(); });
  connect(saveConditionFileAction, &QAction::triggered, this, [this] { onSaveConditionFile(); });
  connect(saveJobFileAction, &QAction::triggered, this, [this] { onSaveJobFile(); });
  connect(openConditionFileAction, &QAction::triggered, this, [this] { onOpenConditionFile(); });
  connect(sinceDateAction, &QAction::triggered, this, [this] { onDropDownSinceDate(); });
  connect(aboutAction, &QAction::triggered, this, [this] { onAbout(); });
  connect(helpContentsAction, &QAction::triggered, this, [this] { onHelpContents(); });
}

void MainWindow::setDisplayFormats(const DisplayFormats& formats) {
  resultModel_->setFormats(formats);
}

void MainWindow::restoreFromSettings() {
  const ProfileFile settings(settingsPath_);
  sinceDatePicker->setDate(QDate::currentDate());
  applySettings(readMainWindowSettings(settings));
  lastSubfoldersChecked_ = subfoldersCheckBox->isChecked();
  takeSinceDateFromPicker();

  // The progress bar covers the first status panel; it shows only while a run goes on.
  progressBar->setParent(statusPanels);
  progressBar->setGeometry(2, 2, statusPanels->panel(0)->width() - 4, statusPanels->height() - 4);
  progressBar->hide();
  statusPanels->update();

  sinceDatePicker->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
  conditionFileFolder_ = executableFolder_;
  searchButton->setFocus();  // the first control in tab order
}

// Applies the settings file's values in the order they are read; a change of the subfolder
// switch runs its handler.
void MainWindow::applySettings(const MainWindowSettings& s) {
  const SearchOptions search = storedSearchOptions(s);
  copy_ = storedCopyOptions(s);
  sourceFolderEdit->setText(qt(search.sourceFolder));
  destinationFolderEdit->setText(qt(copy_.destination));
  subfoldersCheckBox->setChecked(search.includeSubfolders);
  showCopyNotice_ = s.showResult;
  search_.perFolder = search.perFolder;
  search_.excludedExtensions = search.excludedExtensions;
  search_.excludedNames = search.excludedNames;
  search_.walkThreads = search.walkThreads;
  search_.changeTime = search.changeTime;
  for (int c = 0; c < ResultListModel::ColumnCount; ++c) {
    const int width = s.columnWidths[static_cast<std::size_t>(c)];
    if (width >= 0) resultList->setColumnWidth(c, std::max(width, resultColumnNeed(c)));
  }
  applyWindowBounds(s);
  showLastCopyDate(s.lastCopyDate);
  lastCopyStart_ = s.lastCopyStart;
  sourceFolderBox->setRecent(s.recentSources);
  destinationFolderBox->setRecent(s.recentDestinations);
}

void MainWindow::applyWindowBounds(const MainWindowSettings& s) {
  move(s.left, s.top);
  resize(s.width, s.height);
  // A window saved on a screen that is gone would open out of reach: bring it back.
  const QRect bounds(pos(), size());
  const auto screens = QGuiApplication::screens();
  const bool visible = std::any_of(screens.begin(), screens.end(), [&](const QScreen* screen) {
    return screen->availableGeometry().intersects(bounds);
  });
  if (!visible && QGuiApplication::primaryScreen())
    move(QGuiApplication::primaryScreen()->availableGeometry().topLeft());
}

void MainWindow::showLastCopyDate(const std::string& dateText) {
  if (dateText.empty()) {
    lastCopyDateLabel->hide();
    return;
  }
  lastCopyDateLabel->setText(QStringLiteral("(") + qt(dateText) + QStringLiteral(") "));
  lastCopyDateLabel->show();
}

SearchOptions MainWindow::searchOptions() const {
  SearchOptions options = search_;
  options.sourceFolder = utf8(sourceFolderEdit->text());
  options.includeSubfolders = subfoldersCheckBox->isChecked();
  options.excludedSubfolders = listTexts(*excludedSubfoldersList);
  return options;
}

CopyOptions MainWindow::copyOptions() const {
  CopyOptions options = copy_;
  options.destination = utf8(destinationFolderEdit->text());
  return options;
}

MainWindowSettings MainWindow::currentSettings() const {
  MainWindowSettings s;
  storeOptions(searchOptions(), copyOptions(), s);
  s.showResult = showCopyNotice_;
  for (int c = 0; c < ResultListModel::ColumnCount; ++c)
    s.columnWidths[static_cast<std::size_t>(c)] = resultList->columnWidth(c);
  s.top = y();
  s.left = x();
  s.height = height();
  s.width = width();
  s.recentSources = sourceFolderBox->recent();
  s.recentDestinations = destinationFolderBox->recent();
  return s;
}

void MainWindow::saveSettingsForClose() {
  // Read again under the lock: what nuvelo-cli wrote since the window started stays.
  const Result<> written = changeSettingsFile(settingsPath_, [this](ProfileFile& settings) {
    return writeSettingsAtClose(settings, currentSettings());
  });
  if (written) return;
  // The window closes all the same: a settings file that cannot be written must not keep the
  // program, or a logout, waiting.
  if (closingForSignal_)
    std::cerr << "nuvelo: " << written.error().path << " に書き込めません" << std::endl;
  else
    writtenOrShown(written, boxes());
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (running()) {
    // The run still uses what the window handed it: stop it, and close once it has ended.
    closeAfterRun_ = true;
    onAbort();
    event->ignore();
    return;
  }
  saveSettingsForClose();
  event->accept();
}

void MainWindow::closeIfAsked() {
  if (!closeAfterRun_) return;
  closeAfterRun_ = false;
  close();
}

void MainWindow::closeForSignal() {
  closingForSignal_ = true;
  close();
}

void MainWindow::onExit() {
  // 終了 is refused while a run goes on; the close box stops the run instead.
  if (running()) return;
  close();
}

MessagePlacement MainWindow::positionedPlacement() const {
  const QRect frame = frameGeometry();
  return MessagePlacement::positionedOn({frame.x(), frame.y(), frame.width(), frame.height()});
}

}  // namespace nuvelo
