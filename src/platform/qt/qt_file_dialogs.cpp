#include "platform/qt/qt_file_dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

#include "platform/posix/filesystem.h"
#include "platform/qtcore/byte_paths.h"

namespace nuvelo {
namespace {

const QString ConditionFilter = QStringLiteral("DATファイル (*.dat)");
const QString FolderBrowserTitle = QStringLiteral("フォルダを選択して下さい。");

QString fromPath(const std::string& path) {
  return pathToQt(path);
}
std::string toPath(const QString& path) {
  return pathFromQt(path);
}

void startAt(QFileDialog& dialog, const FileDialogStart& start) {
  if (!start.path.empty())
    dialog.selectFile(fromPath(start.path));
  else
    dialog.setDirectory(fromPath(start.folder));
}

std::optional<std::string> chosenFile(QFileDialog& dialog) {
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return toPath(dialog.selectedFiles().front());
}

// A status line under the dialog's own widgets that shows the selected folder's path, the
// initial folder's from the start.
void addStatusLine(QFileDialog& dialog, const QString& initial) {
  auto* grid = qobject_cast<QGridLayout*>(dialog.layout());
  if (!grid) return;
  auto* status = new QLabel(QDir::toNativeSeparators(initial), &dialog);
  status->setObjectName(QStringLiteral("statusLine"));
  status->setTextFormat(Qt::PlainText);
  grid->addWidget(status, grid->rowCount(), 0, 1, grid->columnCount());
  const auto show = [status](const QString& path) {
    status->setText(QDir::toNativeSeparators(path));
  };
  QObject::connect(&dialog, &QFileDialog::currentChanged, status, show);
  QObject::connect(&dialog, &QFileDialog::directoryEntered, status, show);
}

// In the middle of the screen the dialog opens on, not over its owner.
void centreOnScreen(QFileDialog& dialog) {
  const QScreen* screen = dialog.screen() ? dialog.screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  if (dialog.layout()) dialog.layout()->activate();
  dialog.resize(dialog.sizeHint().expandedTo(dialog.size()));
  const QRect area = screen->availableGeometry();
  dialog.move(area.left() + (area.width() - dialog.width()) / 2,
              area.top() + (area.height() - dialog.height()) / 2);
}

}  // namespace

QtFileDialogs::~QtFileDialogs() {
  if (ownFolderBrowser_) {
    ownFolderBrowser_->disconnect();
    delete ownFolderBrowser_;
  }
}

void QtFileDialogs::useFolderPortal(const QDBusConnection& bus, int replyDeadlineMs) {
  portal_ = std::make_unique<PortalFolderChooser>(bus, replyDeadlineMs);
}

QString QtFileDialogs::portalParentWindow() const {
  if (!owner_ || QGuiApplication::platformName() != QStringLiteral("xcb")) return QString();
  return QStringLiteral("x11:%1").arg(owner_->window()->winId(), 0, 16);
}

void QtFileDialogs::chooseFolder(const std::string& initial, FolderAnswer answer) {
  if (folderAnswer_) {
    answer(std::nullopt);
    return;
  }
  folderAnswer_ = std::move(answer);
  if (portal_ && !portalGivenUp_)
    askPortal(initial);
  else
    openOwnFolderBrowser(initial);
}

void QtFileDialogs::askPortal(const std::string& initial) {
  // The portal's dialog is another program's window: the owner is kept from input here until
  // it answers, as Qt's own modal browser would keep it.
  portalBlock_ = std::make_unique<InputBlock>(owner_ ? owner_->window() : nullptr, [this, initial] {
    portalBlock_->lift();  // before Qt's own browser opens: a disabled owner disables it too
    portal_->abandon();
    portalGivenUp_ = true;
    openOwnFolderBrowser(initial);
  });
  const std::string start = isExistingFolder(initial) ? initial : std::string();
  portal_->chooseFolder(portalParentWindow(), FolderBrowserTitle, start,
                        [this, initial](PortalOutcome outcome) {
                          portalBlock_.reset();  // as above, before Qt's own opens
                          if (outcome.answered)
                            answerFolder(std::move(outcome.folder));
                          else
                            openOwnFolderBrowser(initial);
                        });
}

void QtFileDialogs::openOwnFolderBrowser(const std::string& initial) {
  auto* dialog = new QFileDialog(owner_, FolderBrowserTitle);
  dialog->setFileMode(QFileDialog::Directory);
  dialog->setOption(QFileDialog::ShowDirsOnly);
  dialog->setOption(QFileDialog::DontUseNativeDialog);
  const bool initialExists = isExistingFolder(initial);
  addStatusLine(*dialog, initialExists ? fromPath(initial) : QString());
  if (initialExists) {
    const QFileInfo info(fromPath(initial));
    dialog->setDirectory(info.absolutePath());
    dialog->selectFile(info.fileName());
  }
  centreOnScreen(*dialog);
  // Destroyed with its owner before it answered: there is no one left to answer.
  QObject::connect(dialog, &QObject::destroyed, [this] { folderAnswer_ = nullptr; });
  QObject::connect(dialog, &QDialog::finished, dialog, [this, dialog](int result) {
    QObject::disconnect(dialog, &QObject::destroyed, nullptr, nullptr);
    dialog->deleteLater();
    const QStringList chosen = dialog->selectedFiles();
    answerFolder(result == QDialog::Accepted && !chosen.isEmpty()
                     ? std::optional<std::string>(toPath(chosen.front()))
                     : std::nullopt);
  });
  ownFolderBrowser_ = dialog;
  dialog->open();  // window-modal; the caller's event loop runs on
}

void QtFileDialogs::answerFolder(std::optional<std::string> folder) {
  const FolderAnswer answer = std::move(folderAnswer_);
  folderAnswer_ = nullptr;
  answer(std::move(folder));
}

std::optional<std::string> QtFileDialogs::conditionFileToSave(const FileDialogStart& start) {
  QFileDialog dialog(owner_, QStringLiteral("条件ファイルに保存"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilter(ConditionFilter);
  dialog.setDefaultSuffix(QStringLiteral("dat"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  startAt(dialog, start);
  return chosenFile(dialog);
}

std::optional<std::string> QtFileDialogs::conditionFileToOpen(const FileDialogStart& start) {
  QFileDialog dialog(owner_, QStringLiteral("条件ファイルを開く"));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::AnyFile);  // a name typed that does not exist is taken too
  dialog.setNameFilter(ConditionFilter);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  startAt(dialog, start);
  return chosenFile(dialog);
}

}  // namespace nuvelo
