#include "gui/dialogs/copy_notice.h"

#include <algorithm>

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStyle>

#include "engine/copy/copy_run.h"
#include "gui/dialogs/failed_files_dialog.h"
#include "gui/widgets/design_scale.h"
#include "gui/widgets/program_icon.h"
#include "gui/widgets/scale_to_font.h"
#include "messages/copy_messages.h"
#include "messages/window_messages.h"
#include "platform/desktop_shell.h"
#include "platform/message_boxes.h"
#include "platform/qt/gui_text.h"
#include "platform/qt/modal_runner.h"

namespace nuvelo {
namespace {

constexpr int WidenAbove = 150;
constexpr int WrittenTop = 64;
constexpr int ButtonsTop = 80;
constexpr int CheckBoxTop = 112;
constexpr int RightMargin = 30;
// The remove button follows the open button as the open button follows OK, and keeps the open
// button's margin to the right edge.
constexpr int ButtonGap = 15;
constexpr int RemoveDriveWidth = 73;
constexpr int ButtonsRightMargin = 27;
constexpr int FailedFilesWidth = 100;
constexpr int FailedFilesHeight = 25;

// The style's spacing between rows of controls on `window`.
int rowSpacing(const QWidget& window) {
  const QStyle* style = window.style();
  const int spacing = style->pixelMetric(QStyle::PM_LayoutVerticalSpacing, nullptr, &window);
  if (spacing >= 0) return spacing;
  return style->layoutSpacing(QSizePolicy::CheckBox, QSizePolicy::PushButton, Qt::Vertical, nullptr,
                              &window);
}

// Drawn in the palette's link colour, which a dark palette keeps readable, also after the
// desktop's theme changes.
QLabel* linkColouredLabel(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setForegroundRole(QPalette::Link);
  return label;
}

// Widens `window`, if need be, to hold `control` and `designMargin` right of it.
void widenToHold(QDialog& window, const QWidget& control, int designMargin) {
  const int needed = control.geometry().right() + 1 + DesignScale(window.font()).x(designMargin);
  window.setFixedSize(std::max(window.width(), needed), window.height());
}

}  // namespace

CopyNotice::CopyNotice(MessageBoxes& boxes, DesktopShell& shell, ModalRunner& dialogs,
                       RemovableDrives& drives, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      boxes_(boxes),
      shell_(shell),
      dialogs_(dialogs),
      drives_(drives) {
  setObjectName(QStringLiteral("frmRes"));
  setWindowTitle(QStringLiteral("結果"));
  setWindowIcon(programIcon());
  setFixedSize(DesignWidth, DesignHeight);

  finishedLabel = new QLabel(QStringLiteral("コピーが終了しました。"), this);
  finishedLabel->setObjectName(QStringLiteral("Label1"));
  finishedLabel->move(32, 24);
  finishedLabel->adjustSize();

  writtenLabel = new QLabel(QStringLiteral("ドライブに書き込み済みです。取り外せます。"), this);
  writtenLabel->setObjectName(QStringLiteral("LblWritten"));
  writtenLabel->move(32, WrittenTop);
  writtenLabel->adjustSize();

  iconLabel = new QLabel(this);
  iconLabel->setObjectName(QStringLiteral("Image1"));
  iconLabel->setGeometry(216, 8, 33, 33);
  iconLabel->setPixmap(programIconPixmap(32));

  destinationCaption = linkColouredLabel(QStringLiteral("コピー先："), this);
  destinationCaption->setObjectName(QStringLiteral("Label2"));
  destinationCaption->move(32, 48);
  destinationCaption->adjustSize();

  destinationLabel = linkColouredLabel({}, this);
  destinationLabel->setObjectName(QStringLiteral("LblCopyTo"));
  destinationLabel->setTextFormat(Qt::PlainText);
  destinationLabel->move(96, 48);

  okButton = new QPushButton(QStringLiteral("OK"), this);
  okButton->setObjectName(QStringLiteral("Button1"));
  okButton->setGeometry(32, ButtonsTop, 73, 25);
  okButton->setDefault(true);

  openDestinationButton = new QPushButton(QStringLiteral("コピー先フォルダを開く"), this);
  openDestinationButton->setObjectName(QStringLiteral("Button2"));
  openDestinationButton->setGeometry(120, ButtonsTop, 137, 25);
  openDestinationButton->setAutoDefault(false);

  removeDriveButton = new QPushButton(QStringLiteral("取り外す"), this);
  removeDriveButton->setObjectName(QStringLiteral("RemoveDriveButton"));
  removeDriveButton->resize(RemoveDriveWidth, 25);  // placed by offerRemoval
  removeDriveButton->setAutoDefault(false);
  removeDriveButton->hide();

  noMoreNoticesCheckBox = new QCheckBox(QStringLiteral("今後、この通知をしない"), this);
  noMoreNoticesCheckBox->setObjectName(QStringLiteral("cbNoReport"));
  noMoreNoticesCheckBox->setGeometry(32, CheckBoxTop, 145, 17);

  notesLabel = new QLabel(this);
  notesLabel->setObjectName(QStringLiteral("LblCounts"));
  notesLabel->move(32, WrittenTop);  // under writtenLabel once scaled
  notesLabel->hide();

  failedFilesButton = new QPushButton(QStringLiteral("失敗したファイル..."), this);
  failedFilesButton->setObjectName(QStringLiteral("FailedFilesButton"));
  failedFilesButton->resize(FailedFilesWidth, FailedFilesHeight);  // placed by showNotes
  failedFilesButton->setAutoDefault(false);
  failedFilesButton->hide();

  scaleToFont(*this);
  notesLabel->move(notesLabel->x(), writtenLabel->geometry().bottom() + 1);
  widenToHold(*this, *writtenLabel, RightMargin);
  setTabOrder(okButton, openDestinationButton);
  setTabOrder(openDestinationButton, removeDriveButton);
  setTabOrder(removeDriveButton, noMoreNoticesCheckBox);
  setTabOrder(noMoreNoticesCheckBox, failedFilesButton);
  connect(okButton, &QPushButton::clicked, this, [this] { onOk(); });
  connect(failedFilesButton, &QPushButton::clicked, this, [this] { onFailedFiles(); });
  connect(openDestinationButton, &QPushButton::clicked, this, [this] { onOpenDestination(); });
  connect(removeDriveButton, &QPushButton::clicked, this, [this] { onRemoveDrive(); });

  move(227, 254);  // its own place on the screen, not centred on the main window
}

void CopyNotice::showDestination(const QString& destination) {
  destinationLabel->setText(destination);
  destinationLabel->adjustSize();
  const DesignScale scale(font());
  if (destinationLabel->width() > scale.x(WidenAbove))
    setFixedSize(destinationLabel->x() + destinationLabel->width() + scale.x(RightMargin),
                 height());
}

void CopyNotice::showNotes(const CopyRunResult& result, const QStringList& failedFiles,
                           std::size_t waiting) {
  failedFiles_ = failedFiles;
  failedFilesButton->setVisible(!failedFiles_.isEmpty());
  const CopyCounts& counts = result.counts;
  QStringList lines;
  if (counts.failed > 0) {
    lines << qt(copyCountsText(counts));
    lines << qt(failedNamesText(result.failedSources));
  }
  if (result.retried > 0) lines << qt(retriedFilesText(result.retried));
  if (const std::string damaged = damagedCopyCountsText(result.damaged, false); !damaged.empty())
    lines << qt(damaged).split(QLatin1Char('\n'));
  if (waiting > 0) lines << qt(waitingFilesText(waiting));
  if (result.attributesNote) lines << qt(attributesNoteText(*result.attributesNote));
  if (const std::string versions = versionCountsText(result.versions); !versions.empty())
    lines << qt(versions).split(QLatin1Char('\n'));
  notesLabel->setVisible(!lines.isEmpty());
  notesLabel->setText(lines.join(QLatin1Char('\n')));
  notesLabel->adjustSize();
  // The notes lie under writtenLabel and push the buttons and the check box down.
  const int extra = lines.isEmpty() ? 0 : notesLabel->height();
  const DesignScale scale(font());
  okButton->move(okButton->x(), scale.y(ButtonsTop) + extra);
  openDestinationButton->move(openDestinationButton->x(), scale.y(ButtonsTop) + extra);
  removeDriveButton->move(removeDriveButton->x(), okButton->y());
  noMoreNoticesCheckBox->move(noMoreNoticesCheckBox->x(), scale.y(CheckBoxTop) + extra);
  setFixedSize(width(), scale.y(DesignHeight) + extra);
  if (!lines.isEmpty()) widenToHold(*this, *notesLabel, RightMargin);
  if (!failedFiles_.isEmpty()) placeFailedFilesButton();
}

// The button takes a row of its own under the check box, at the right edge, as far from the
// check box and the window's edges as the style lays out controls.
void CopyNotice::placeFailedFilesButton() {
  const QStyle* s = style();
  const int leftMargin = s->pixelMetric(QStyle::PM_LayoutLeftMargin, nullptr, this);
  const int rightMargin = s->pixelMetric(QStyle::PM_LayoutRightMargin, nullptr, this);
  const int bottomMargin = s->pixelMetric(QStyle::PM_LayoutBottomMargin, nullptr, this);
  const DesignScale scale(font());
  const QSize size(std::max(scale.x(FailedFilesWidth), failedFilesButton->sizeHint().width()),
                   std::max(scale.y(FailedFilesHeight), failedFilesButton->sizeHint().height()));
  const int windowWidth = std::max(width(), leftMargin + size.width() + rightMargin);
  const int top = noMoreNoticesCheckBox->geometry().bottom() + 1 + rowSpacing(*this);
  failedFilesButton->setGeometry(windowWidth - rightMargin - size.width(), top, size.width(),
                                 size.height());
  setFixedSize(windowWidth, top + size.height() + bottomMargin);
}

void CopyNotice::lookForRemovableDrive(const std::string& destination) {
  offerRemoval(std::nullopt);
  const unsigned showing = ++showing_;
  drives_.findDrive(destination, [notice = QPointer<CopyNotice>(this),
                                  showing](std::optional<RemovableDrive> drive) {
    if (notice && notice->showing_ == showing) notice->offerRemoval(std::move(drive));
  });
}

void CopyNotice::offerRemoval(std::optional<RemovableDrive> drive) {
  drive_ = std::move(drive);
  removeDriveButton->setVisible(drive_.has_value());
  removeDriveButton->setEnabled(true);
  if (!drive_) return;
  placeRemoveDriveButton();
  if (!failedFiles_.isEmpty()) placeFailedFilesButton();  // at the new right edge
}

// Right of the open button on the buttons' row, as wide as OK or as its caption needs.
void CopyNotice::placeRemoveDriveButton() {
  const DesignScale scale(font());
  const QRect open = openDestinationButton->geometry();
  const int buttonWidth =
      std::max(scale.x(RemoveDriveWidth), removeDriveButton->sizeHint().width());
  removeDriveButton->setGeometry(open.right() + 1 + scale.x(ButtonGap), open.y(), buttonWidth,
                                 open.height());
  widenToHold(*this, *removeDriveButton, ButtonsRightMargin);
}

void CopyNotice::onRemoveDrive() {
  if (!drive_ || !removeDriveButton->isEnabled()) return;
  removeDriveButton->setEnabled(false);  // until the removal has ended
  drives_.removeDrive(*drive_, [notice = QPointer<CopyNotice>(this),
                                showing = showing_](const DriveRemoval& removal) {
    if (notice) notice->driveRemovalEnded(removal, showing);
  });
}

// The outcome is told even when the notice has closed meanwhile; a removed drive closes the
// notice as OK does, since its folder can no longer be opened.
void CopyNotice::driveRemovalEnded(const DriveRemoval& removal, unsigned showing) {
  const bool removed = removal.outcome == DriveRemoval::Outcome::Removed;
  const MessageKind kind = removed ? MessageKind::Information
                           : removal.outcome == DriveRemoval::Outcome::Busy ? MessageKind::Warning
                                                                            : MessageKind::Error;
  boxes_.show(kind, driveRemovalText(removal), MessageButtons::Ok, MessagePlacement::centred());
  if (showing != showing_) return;  // a later notice is up, about another copy
  if (!removed) {
    removeDriveButton->setEnabled(true);
    return;
  }
  offerRemoval(std::nullopt);
  if (isVisible()) onOk();
}

void CopyNotice::takeNoMoreNoticesChoice() {
  if (noMoreNoticesCheckBox->isChecked()) noticesWanted_ = false;
}

void CopyNotice::onOk() {
  takeNoMoreNoticesChoice();
  accept();
}

void CopyNotice::onOpenDestination() {
  takeNoMoreNoticesChoice();
  const Result<> opened = shell_.open(utf8(destinationLabel->text()));
  if (!opened && opened.error().code == std::errc::not_enough_memory)
    boxes_.show(MessageKind::Error, "メモリーが不足しています", MessageButtons::Ok,
                MessagePlacement::centred());
  else if (!opened)
    boxes_.show(MessageKind::Error, "コピー先フォルダが開けません", MessageButtons::Ok,
                MessagePlacement::centred());
  accept();
}

void CopyNotice::onFailedFiles() {
  FailedFilesDialog list(failedFiles_, this);
  dialogs_.run(list);
}

// No button cancels the notice: Esc does nothing; the close box closes it.
void CopyNotice::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace nuvelo
