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

void QtFileDialogs::useFolderPortal(const QDBusConnection& bus) {
  portal_ = std::make_unique<PortalFolderChooser>(bus);
}

QString QtFileDialogs::portalParentWindow() const {
  if (!owner_ || QGuiApplication::platformName() != QStringLiteral("xcb")) return QString();
  return QStringLiteral("x11:%1").arg(owner_->window()->winId(), 0, 16);
}

std::optional<std::string> QtFileDialogs::chooseFolder(const std::string& initial) {
  const QString title = QStringLiteral("フォルダを選択して下さい。");
  if (portal_ && portal_->present()) {
    const std::string start = isExistingFolder(initial) ? initial : std::string();
    if (const auto answer = portal_->chooseFolder(portalParentWindow(), title, start))
      return *answer;
  }
  QFileDialog dialog(owner_, title);
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  const bool initialExists = isExistingFolder(initial);
  addStatusLine(dialog, initialExists ? fromPath(initial) : QString());
  if (initialExists) {
    const QFileInfo info(fromPath(initial));
    dialog.setDirectory(info.absolutePath());
    dialog.selectFile(info.fileName());
  }
  centreOnScreen(dialog);
  return chosenFile(dialog);
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
