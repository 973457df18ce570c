#pragma once
// A desktop portal's file chooser on a private bus, answering as a test tells it to.

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QTimer>

#include "platform/qt/portal_folder_chooser.h"
#include "support/private_bus.h"

namespace nuvelo::testing {

enum class PortalManner {
  Answers,       // the dialog's Response follows OpenFile's reply at once
  Holds,         // the Response waits for respond(), as a dialog waits for the user
  LacksChooser,  // the version read fails: the portal offers no file chooser
  Silent,        // replies to nothing, as a portal whose backend hangs
  TakesNoCall,   // replies to the version read, never to OpenFile
};

class FakePortal : public QDBusVirtualObject {
 public:
  // Answers with `response` and `uris` unless it holds its answers.
  FakePortal(PrivateBus& bus, PortalManner manner, uint response = 1, QStringList uris = {})
      : bus_(bus.connect()), manner_(manner), response_(response), uris_(std::move(uris)) {
    registered_ = bus_.registerService(QString::fromLatin1(PortalService)) &&
                  bus_.registerVirtualObject(Path, this, QDBusConnection::SubPath);
  }
  ~FakePortal() override {
    bus_.unregisterObject(Path, QDBusConnection::UnregisterTree);
    bus_.unregisterService(QString::fromLatin1(PortalService));
  }
  bool registered() const { return registered_; }

  // What the last OpenFile carried.
  QString parentWindow;
  QString title;
  QVariantMap options;
  int openFileCalls = 0;
  QStringList closedRequests;  // the requests a caller closed

  // Ends the request the portal holds with the user's answer.
  void respond(uint response, const QStringList& uris) {
    QDBusMessage signal = QDBusMessage::createSignal(
        requestPath_, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
    signal << response << QVariantMap{{QStringLiteral("uris"), uris}};
    bus_.send(signal);
  }

  QString introspect(const QString&) const override { return QString(); }
  bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override {
    if (manner_ == PortalManner::Silent) return true;
    if (message.member() == QStringLiteral("Get")) return replyToVersionRead(message);
    if (message.member() == QStringLiteral("Close")) {
      closedRequests << message.path();
      bus_.send(message.createReply());
      return true;
    }
    if (message.member() != QStringLiteral("OpenFile")) return false;
    ++openFileCalls;
    parentWindow = message.arguments().value(0).toString();
    title = message.arguments().value(1).toString();
    options = qdbus_cast<QVariantMap>(message.arguments().value(2));
    if (manner_ == PortalManner::TakesNoCall) return true;
    requestPath_ = portalRequestPath(message.service(),
                                     options.value(QStringLiteral("handle_token")).toString());
    bus_.send(message.createReply(QVariant::fromValue(QDBusObjectPath(requestPath_))));
    if (manner_ == PortalManner::Answers)
      QTimer::singleShot(0, this, [this] { respond(response_, uris_); });
    return true;
  }

 private:
  static inline const QString Path = QStringLiteral("/org/freedesktop/portal/desktop");

  bool replyToVersionRead(const QDBusMessage& message) {
    if (manner_ == PortalManner::LacksChooser)
      bus_.send(
          message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.UnknownProperty"),
                                   QStringLiteral("no file chooser")));
    else
      bus_.send(message.createReply(QVariant::fromValue(QDBusVariant(3u))));
    return true;
  }

  QDBusConnection bus_;
  PortalManner manner_;
  uint response_;
  QStringList uris_;
  QString requestPath_;
  bool registered_ = false;
};

}  // namespace nuvelo::testing
