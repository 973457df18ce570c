#include "platform/qt/qt_desktop_shell.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>
#include <QFile>
#include <QUrl>

#include "platform/path_text.h"
#include "platform/posix/filesystem.h"
#include "platform/qtcore/byte_paths.h"

namespace nuvelo {
namespace {

QUrl urlOf(const std::string& path) {
  return fileUrlOf(path);
}

}  // namespace

Result<> QtDesktopShell::open(const std::string& path) {
  if (!isExistingEntry(path)) {
    return failure(isExistingFolder(folderOf(path)) ? std::errc::no_such_file_or_directory
                                                    : std::errc::not_a_directory,
                   path);
  }
  if (!QDesktopServices::openUrl(urlOf(path)))
    return failure(std::errc::executable_format_error, path);
  return {};
}

void QtDesktopShell::openWebAddress(const std::string& url) {
  QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
}

void QtDesktopShell::showProperties(const std::string& path) {
  if (!isExistingEntry(path)) return;  // nothing to show; failures stay silent
  const QPointer<QWidget> owner = owner_;
  const auto showOwnWindow = [owner, path, own = ownProperties_] {
    if (own) own(path, owner);
  };
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return showOwnWindow();
  QDBusMessage call = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.FileManager1"),
      QStringLiteral("/org/freedesktop/FileManager1"),
      QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItemProperties"));
  call << QStringList{urlOf(path).toString()} << QString();
  // Asked without waiting: the window stays responsive, and our own window stands in when no
  // file manager answers.
  auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 3000));
  QObject::connect(watcher, &QDBusPendingCallWatcher::finished, [watcher, showOwnWindow] {
    if (watcher->isError()) showOwnWindow();
    watcher->deleteLater();
  });
}

}  // namespace nuvelo
