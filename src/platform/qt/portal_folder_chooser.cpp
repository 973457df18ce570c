#include "platform/qt/portal_folder_chooser.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QRandomGenerator>
#include <QUrl>

namespace nuvelo {
namespace {

const QString PortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString FileChooser = QStringLiteral("org.freedesktop.portal.FileChooser");
const QString RequestInterface = QStringLiteral("org.freedesktop.portal.Request");

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

struct PortalFolderChooser::Request {
  unsigned number = 0;
  QString parentWindow;
  QString title;
  std::string initial;
  std::function<void(PortalOutcome)> done;
  QStringList paths;  // where its Response may come: the path expected, and the one replied
};

PortalFolderChooser::PortalFolderChooser(const QDBusConnection& bus, int replyDeadlineMs)
    : bus_(bus), replyDeadlineMs_(replyDeadlineMs) {}

PortalFolderChooser::~PortalFolderChooser() {
  abandon();
}

void PortalFolderChooser::chooseFolder(const QString& parentWindow, const QString& title,
                                       const std::string& initial,
                                       std::function<void(PortalOutcome)> done) {
  if (request_ || !bus_.isConnected()) {
    done({});
    return;
  }
  request_.reset(new Request{++requestNumber_, parentWindow, title, initial, std::move(done), {}});
  // Reading the chooser's version asks the portal, started by the bus if need be, whether it
  // offers a file chooser at all; a portal that does not reply in time is not waited for.
  QDBusMessage version = QDBusMessage::createMethodCall(
      QString::fromLatin1(PortalService), PortalPath,
      QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
  version << FileChooser << QStringLiteral("version");
  send(version, [this](const QDBusMessage& reply) {
    if (reply.type() == QDBusMessage::ReplyMessage)
      askForFolder();
    else
      finish({});
  });
}

void PortalFolderChooser::askForFolder() {
  const QString token =
      QStringLiteral("nuvelo%1").arg(QRandomGenerator::global()->generate() & 0x7fffffff);
  // Listens on the request's path before calling, so that an answer that comes at once is not
  // missed; a portal that names another path is listened to there as well.
  if (!listen(portalRequestPath(bus_.baseService(), token))) return finish({});
  QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(PortalService), PortalPath,
                                                     FileChooser, QStringLiteral("OpenFile"));
  call << request_->parentWindow << request_->title
       << portalFolderOptions(request_->initial, token);
  send(call, [this](const QDBusMessage& reply) {
    const QString path = reply.arguments().value(0).value<QDBusObjectPath>().path();
    if (reply.type() != QDBusMessage::ReplyMessage || path.isEmpty()) return finish({});
    if (!request_->paths.contains(path) && !listen(path)) finish({});
  });
}

void PortalFolderChooser::send(const QDBusMessage& call,
                               std::function<void(const QDBusMessage& reply)> then) {
  auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, replyDeadlineMs_), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this,
          [this, watcher, number = request_->number, then = std::move(then)] {
            watcher->deleteLater();
            if (request_ && request_->number == number) then(watcher->reply());
          });
}

bool PortalFolderChooser::listen(const QString& requestPath) {
  if (!bus_.connect(QString::fromLatin1(PortalService), requestPath, RequestInterface,
                    QStringLiteral("Response"), this,
                    SLOT(onResponse(uint, QVariantMap, QDBusMessage))))
    return false;
  request_->paths << requestPath;
  return true;
}

void PortalFolderChooser::stopListening() {
  for (const QString& path : request_->paths)
    bus_.disconnect(QString::fromLatin1(PortalService), path, RequestInterface,
                    QStringLiteral("Response"), this,
                    SLOT(onResponse(uint, QVariantMap, QDBusMessage)));
}

void PortalFolderChooser::onResponse(uint response, const QVariantMap& results,
                                     const QDBusMessage& message) {
  if (!request_ || !request_->paths.contains(message.path())) return;  // an earlier request's
  // 0: a folder was chosen; 1: the user cancelled; 2: the dialog ended otherwise, as when the
  // desktop could not show it, and a browser of the program's own asks instead.
  if (response == 0)
    finish({true, folderFromPortalUris(results.value(QStringLiteral("uris")).toStringList())});
  else if (response == 1)
    finish({true, std::nullopt});
  else
    finish({});
}

void PortalFolderChooser::finish(PortalOutcome outcome) {
  stopListening();
  const std::function<void(PortalOutcome)> done = std::move(request_->done);
  request_.reset();
  done(std::move(outcome));
}

void PortalFolderChooser::abandon() {
  if (!request_) return;
  stopListening();
  if (!request_->paths.isEmpty())
    bus_.send(QDBusMessage::createMethodCall(QString::fromLatin1(PortalService),
                                             request_->paths.back(), RequestInterface,
                                             QStringLiteral("Close")));
  request_.reset();
}

}  // namespace nuvelo
