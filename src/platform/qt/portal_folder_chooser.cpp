#include "platform/qt/portal_folder_chooser.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QEventLoop>
#include <QRandomGenerator>
#include <QUrl>

namespace nuvelo {
namespace {

const QString PortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString FileChooser = QStringLiteral("org.freedesktop.portal.FileChooser");
const QString Request = QStringLiteral("org.freedesktop.portal.Request");

}  // namespace

std::optional<std::string> folderFromPortalUris(const QStringList& uris) {
  for (const QString& uri : uris) {
    if (!uri.startsWith(QStringLiteral("file://"))) continue;
    // The path part, from the first slash after the host, percent-decoded byte for byte.
    const qsizetype slash = uri.indexOf(QLatin1Char('/'), 7);
    if (slash < 0) continue;
    const QByteArray bytes = QByteArray::fromPercentEncoding(uri.mid(slash).toUtf8());
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  }
  return std::nullopt;
}

QVariantMap portalFolderOptions(const std::string& initial, const QString& handleToken) {
  QVariantMap options{{QStringLiteral("handle_token"), handleToken},
                      {QStringLiteral("modal"), true},
                      {QStringLiteral("directory"), true},
                      {QStringLiteral("multiple"), false}};
  if (!initial.empty()) {
    QByteArray folder(initial.data(), static_cast<qsizetype>(initial.size()));
    folder.append('\0');
    options.insert(QStringLiteral("current_folder"), folder);
  }
  return options;
}

QString portalRequestPath(const QString& uniqueName, const QString& handleToken) {
  QString sender = uniqueName.startsWith(QLatin1Char(':')) ? uniqueName.mid(1) : uniqueName;
  sender.replace(QLatin1Char('.'), QLatin1Char('_'));
  return PortalPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + handleToken;
}

bool PortalFolderChooser::present() const {
  if (!bus_.isConnected() || !bus_.interface()) return false;
  const QString service = QString::fromLatin1(PortalService);
  if (bus_.interface()->isServiceRegistered(service)) return true;
  const QDBusMessage activatable = bus_.call(QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
      QStringLiteral("org.freedesktop.DBus"), QStringLiteral("ListActivatableNames")));
  return activatable.type() == QDBusMessage::ReplyMessage &&
         activatable.arguments().value(0).toStringList().contains(service);
}

std::optional<std::optional<std::string>> PortalFolderChooser::chooseFolder(
    const QString& parentWindow, const QString& title, const std::string& initial) {
  if (!bus_.isConnected()) return std::nullopt;
  const QString token =
      QStringLiteral("nuvelo%1").arg(QRandomGenerator::global()->generate() & 0x7fffffff);
  // Listens on the request's path before calling, so that an answer that comes at once is not
  // missed; a portal that names another path is listened to there as well.
  const QString expectedPath = portalRequestPath(bus_.baseService(), token);
  QString requestPath = expectedPath;
  const auto listen = [this](const QString& path) {
    return bus_.connect(QString::fromLatin1(PortalService), path, Request,
                        QStringLiteral("Response"), this, SLOT(onResponse(uint, QVariantMap)));
  };
  if (!listen(requestPath)) return std::nullopt;

  QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(PortalService), PortalPath,
                                                     FileChooser, QStringLiteral("OpenFile"));
  call << parentWindow << title << portalFolderOptions(initial, token);
  answer_.reset();
  QEventLoop loop;
  bool failed = false;
  QDBusPendingCallWatcher watcher(bus_.asyncCall(call));
  connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, [&] {
    const QDBusPendingReply<QDBusObjectPath> handle = watcher;
    if (handle.isError()) {
      failed = true;
      loop.quit();
    } else if (handle.value().path() != requestPath) {
      requestPath = handle.value().path();
      listen(requestPath);
    }
  });
  connect(this, &PortalFolderChooser::answered, &loop, &QEventLoop::quit);
  if (!answer_) loop.exec();
  for (const QString& path : {expectedPath, requestPath})
    bus_.disconnect(QString::fromLatin1(PortalService), path, Request, QStringLiteral("Response"),
                    this, SLOT(onResponse(uint, QVariantMap)));
  if (failed) return std::nullopt;
  return answer_;
}

void PortalFolderChooser::onResponse(uint response, const QVariantMap& results) {
  // 0: a folder was chosen; 1: the user cancelled; 2: the dialog ended otherwise.
  if (response == 0)
    answer_ = folderFromPortalUris(results.value(QStringLiteral("uris")).toStringList());
  else
    answer_ = std::optional<std::string>();
  emit answered();
}

}  // namespace nuvelo
