#include "platform/qt/qt_desktop_notifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

#include "platform/qt/gui_text.h"

namespace nuvelo {

void QtDesktopNotifier::notify(const std::string& summary, const std::string& body) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return;
  QDBusMessage call = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.Notifications"),
      QStringLiteral("/org/freedesktop/Notifications"),
      QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
  // app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout (-1: the
  // server's default).
  call << QStringLiteral("Nuvelo") << 0u << QStringLiteral("nuvelo") << qt(summary) << qt(body)
       << QStringList() << QVariantMap() << -1;
  bus.call(call, QDBus::NoBlock);
}

}  // namespace nuvelo
