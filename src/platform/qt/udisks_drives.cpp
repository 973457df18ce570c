#include "platform/qt/udisks_drives.h"

#include <sys/stat.h>

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>

namespace nuvelo {
namespace {

const QString BusyError = QStringLiteral("org.freedesktop.UDisks2.Error.DeviceBusy");

UDisksObjects objectsIn(const QDBusMessage& reply) {
  if (reply.type() != QDBusMessage::ReplyMessage) return {};
  return qdbus_cast<UDisksObjects>(reply.arguments().value(0));
}

DriveRemoval refusalOf(const QDBusMessage& reply) {
  const auto outcome =
      reply.errorName() == BusyError ? DriveRemoval::Outcome::Busy : DriveRemoval::Outcome::Refused;
  return {outcome, reply.errorMessage().toStdString()};
}

}  // namespace

UDisksDrives::UDisksDrives(const QDBusConnection& bus, int lookupDeadlineMs)
    : bus_(bus), lookupDeadlineMs_(lookupDeadlineMs) {}

void UDisksDrives::findDrive(const std::string& folder, Found found) {
  struct stat status {};
  if (!bus_.isConnected() || stat(folder.c_str(), &status) != 0) return found(std::nullopt);
  readObjects([found = std::move(found), device = status.st_dev](const QDBusMessage& reply) {
    found(removableDriveOf(objectsIn(reply), device));
  });
}

// The drive's state is read again at the request: since the look-up, another of its file
// systems may have been mounted, or the drive unplugged.
void UDisksDrives::removeDrive(const RemovableDrive& drive, Removed done) {
  if (!bus_.isConnected()) return done({DriveRemoval::Outcome::Refused, {}});
  readObjects([this, drive, done = std::move(done)](const QDBusMessage& reply) {
    if (reply.type() != QDBusMessage::ReplyMessage) return done(refusalOf(reply));
    runCalls(std::make_shared<const std::vector<UDisksCall>>(removalCalls(objectsIn(reply), drive)),
             0, done);
  });
}

void UDisksDrives::readObjects(Reply then) {
  call(QDBusMessage::createMethodCall(QString::fromLatin1(UDisksService),
                                      QString::fromLatin1(UDisksPath),
                                      QStringLiteral("org.freedesktop.DBus.ObjectManager"),
                                      QStringLiteral("GetManagedObjects")),
       lookupDeadlineMs_, std::move(then));
}

// The reply comes from the event loop; a call still out when this object goes is dropped with
// its watcher.
void UDisksDrives::call(const QDBusMessage& message, int deadlineMs, Reply then) {
  auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(message, deadlineMs), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [watcher, then = std::move(then)] {
    watcher->deleteLater();
    then(watcher->reply());
  });
}

// Each call waits for the one before: a file system still mounted makes the power-off fail.
void UDisksDrives::runCalls(std::shared_ptr<const std::vector<UDisksCall>> calls, std::size_t next,
                            Removed done) {
  if (next == calls->size()) return done({DriveRemoval::Outcome::Removed, {}});
  const UDisksCall& step = (*calls)[next];
  QDBusMessage message = QDBusMessage::createMethodCall(QString::fromLatin1(UDisksService),
                                                        step.path, step.interface, step.method);
  message << QVariantMap();
  call(message, RemovalDeadlineMs,
       [this, calls, next, done = std::move(done)](const QDBusMessage& reply) {
         if (reply.type() != QDBusMessage::ReplyMessage) return done(refusalOf(reply));
         runCalls(calls, next + 1, done);
       });
}

}  // namespace nuvelo
