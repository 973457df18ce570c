#include "gui/main_window/main_window.h"
#include "gui/results/result_list_view.h"

#include <QAction>
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

#include "gui/dialogs/copy_notice.h"
#include "gui/main_window/detail_settings_dialog.h"
#include "gui/main_window/write_failure_box.h"
#include "gui/results/result_list_model.h"
#include "gui/widgets/clickable_label.h"
#include "gui/widgets/program_icon.h"
#include "gui/widgets/status_bar.h"
#include "platform/qt/gui_text.h"

namespace nuvelo {
namespace {

constexpr int MinimumWidth = 420;
constexpr int MinimumHeight = 380;

}  // namespace

TForm1::TForm1(MainWindowServices services, std::string settingsPath, std::string executableFolder,
               QWidget* parent)
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

  connectCommands();
  FormCreate();
  // The dialogs of the program live, hidden, as long as the main window.
  frmConf = new TfrmConf(*this);
  frmRes = new TfrmRes(ShowResult, *services_.boxes, *services_.shell, this);
}

TForm1::~TForm1() = default;

void TForm1::connectCommands() {
  connect(CbKai, &QCheckBox::toggled, this, [this] { CbKaiClick(); });
  connect(Exit1, &QAction::triggered, this, [this] { Exit1Click(); });
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(Find1, &QAction::triggered, this, [this] { Button1Click(); });
  connect(Button5, &QPushButton::clicked, this, [this] { Button5Click(); });
  connect(N6, &QAction::triggered, this, [this] { Button5Click(); });
  connect(DateTimePicker1, &QDateEdit::dateChanged, this, [this] { DateTimePicker1Change(); });
  connect(LblLastDate, &DoubleClickLabel::doubleClicked, this, [this] { LblLastDateDblClick(); });
  connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
  connect(Copy1, &QAction::triggered, this, [this] { Button3Click(); });
  connectResultList();
  connect(BtnFolExADD, &QPushButton::clicked, this, [this] { BtnFolExADDClick(); });
  connect(BtnFolExDel, &QPushButton::clicked, this, [this] { BtnFolExDelClick(); });
  connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
  connect(N1, &QAction::triggered, this, [this] { Button2Click(); });
  connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
  connect(N2, &QAction::triggered, this, [this] { Button4Click(); });
  connect(N4, &QAction::triggered, this, [this] { N4Click(); });
  connect(Mnu_SaveAs, &QAction::triggered, this, [this] { Mnu_SaveAsClick(); });
  connect(Mnu_LoadFile, &QAction::triggered, this, [this] { Mnu_LoadFileClick(); });
  connect(D1, &QAction::triggered, this, [this] { D1Click(); });
  connect(About1, &QAction::triggered, this, [this] { About1Click(); });
  connect(Contents1, &QAction::triggered, this, [this] { Contents1Click(); });
}

void TForm1::setDisplayFormats(const DisplayFormats& formats) {
  resultModel_->setFormats(formats);
}

void TForm1::FormCreate() {
  EscExt.clear();
  const ProfileFile settings(settingsPath_);
  DateTimePicker1->setDate(QDate::currentDate());
  applySettings(readMainWindowSettings(settings));
  LastKaiChecked = CbKai->isChecked();
  Busy = false;
  AbortRequested = false;
  const QDate picked = DateTimePicker1->date();
  SinceDate = dateValueOf({picked.year(), picked.month(), picked.day()});

  // The progress bar covers the first status panel; it shows only while a run goes on.
  ProgressBar1->setParent(StatusBar1);
  ProgressBar1->setGeometry(2, 2, StatusBar1->panel(0)->width() - 4, StatusBar1->height() - 4);
  ProgressBar1->hide();
  StatusBar1->update();

  DateTimePicker1->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
  conditionFileFolder_ = executableFolder_;
  Button1->setFocus();  // the first control in tab order
}

// Applies the settings file's values in the order they are read; a change of CbKai runs its
// click handler.
void TForm1::applySettings(const MainWindowSettings& s) {
  Edit1->setText(qt(s.from));
  Edit2->setText(qt(s.to));
  DirAbs = s.dirAbs;
  AddDriveLetter = s.addDriveLetter;
  CbKai->setChecked(s.dirKai);
  ShowResult = s.showResult;
  PickupFolder = s.pickupFolder;
  Overwrite = s.overwrite;
  Verify = s.verify;
  EscExt = s.escExt;
  for (int c = 0; c < ResultListModel::ColumnCount; ++c) {
    const int width = s.columnWidths[static_cast<std::size_t>(c)];
    if (width >= 0) lsvFilesFrom->setColumnWidth(c, width);
  }
  applyWindowBounds(s);
  showLastCopyDate(s.lastCopyDate);
}

void TForm1::applyWindowBounds(const MainWindowSettings& s) {
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

void TForm1::showLastCopyDate(const std::string& dateText) {
  if (dateText.empty()) {
    LblLastDate->hide();
    return;
  }
  LblLastDate->setText(QStringLiteral("(") + qt(dateText) + QStringLiteral(") "));
  LblLastDate->show();
}

MainWindowSettings TForm1::currentSettings() const {
  MainWindowSettings s;
  s.from = utf8(Edit1->text());
  s.to = utf8(Edit2->text());
  s.dirAbs = DirAbs;
  s.addDriveLetter = AddDriveLetter;
  s.dirKai = CbKai->isChecked();
  s.showResult = ShowResult;
  s.pickupFolder = PickupFolder;
  s.overwrite = Overwrite;
  s.escExt = EscExt;
  for (int c = 0; c < ResultListModel::ColumnCount; ++c)
    s.columnWidths[static_cast<std::size_t>(c)] = lsvFilesFrom->columnWidth(c);
  s.top = y();
  s.left = x();
  s.height = height();
  s.width = width();
  return s;
}

bool TForm1::FormCloseQuery() {
  ProfileFile settings(settingsPath_);
  return writtenOrShown(writeSettingsAtClose(settings, currentSettings()), boxes());
}

void TForm1::closeEvent(QCloseEvent* event) {
  if (Busy) {
    // The running search or copy still uses the window's state: stop it, and close once it
    // has returned.
    AbortRequested = true;
    closePending_ = true;
    event->ignore();
    return;
  }
  if (!FormCloseQuery()) {
    event->ignore();
    return;
  }
  event->accept();
}

void TForm1::finishRun() {
  if (!closePending_) return;
  closePending_ = false;
  QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void TForm1::Exit1Click() {
  if (Busy) return;
  close();
}

MessagePlacement TForm1::positionedPlacement() const {
  const QRect frame = frameGeometry();
  return MessagePlacement::positionedOn({frame.x(), frame.y(), frame.width(), frame.height()});
}

}  // namespace nuvelo
