#pragma once
// UDisks2 on a private bus: the object tree a test builds, and the calls it takes, each answered
// at once (with an error where the test asks for one) or, while silent, never.

#include <QByteArrayList>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVirtualObject>

#include "platform/qt/udisks_objects.h"
#include "support/private_bus.h"

namespace nuvelo::testing {

class FakeUDisks : public QDBusVirtualObject {
 public:
  explicit FakeUDisks(PrivateBus& bus) : bus_(bus.connect()) {
    qDBusRegisterMetaType<QByteArrayList>();
    qDBusRegisterMetaType<UDisksInterfaces>();
    qDBusRegisterMetaType<UDisksObjects>();
    registered_ = bus_.registerService(UDisksService) &&
                  bus_.registerVirtualObject(UDisksPath, this, QDBusConnection::SubPath);
  }
  ~FakeUDisks() override {
    bus_.unregisterObject(UDisksPath, QDBusConnection::UnregisterTree);
    bus_.unregisterService(UDisksService);
  }
  bool registered() const { return registered_; }

  // The object "drives/<name>" or "block_devices/<name>"; "/" for none.
  static QDBusObjectPath path(const QString& name) {
    return QDBusObjectPath(name.isEmpty() ? QStringLiteral("/") : UDisksPath + ('/' + name));
  }
  void add(const QString& name, const QString& interface, const QVariantMap& properties) {
    objects[path(name)]["org.freedesktop.UDisks2." + interface] = properties;
  }
  // A block device with a file system, on `drive` or unlocked from the encrypted `backing`.
  void addFileSystem(const QString& name, quint64 device, const QString& drive, bool mounted,
                     const QString& backing = {}) {
    add(name, "Block",
        {{"DeviceNumber", QVariant::fromValue(device)},
         {"Drive", QVariant::fromValue(path(drive))},
         {"CryptoBackingDevice", QVariant::fromValue(path(backing))}});
    const QByteArrayList points = mounted ? QByteArrayList{"/media/user/x"} : QByteArrayList{};
    add(name, "Filesystem", {{"MountPoints", QVariant::fromValue(points)}});
  }

  UDisksObjects objects;
  QStringList calls;                             // "<method> <object's last name>"
  QMap<QString, QPair<QString, QString>> fails;  // method: error name and message
  bool silent = false;

  QString introspect(const QString&) const override { return {}; }
  bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override {
    if (silent) return true;
    if (message.member() == "GetManagedObjects")
      return bus_.send(message.createReply(QVariant::fromValue(objects)));
    calls << message.member() + ' ' + message.path().section('/', -1);
    const auto fail = fails.find(message.member());
    return bus_.send(fail == fails.end() ? message.createReply()
                                         : message.createErrorReply(fail->first, fail->second));
  }

 private:
  QDBusConnection bus_;
  bool registered_ = false;
};

}  // namespace nuvelo::testing
