#include "platform/qt/udisks_objects.h"

#include <QByteArrayList>
#include <QDBusArgument>

namespace nuvelo {
namespace {

const QString BlockInterface = QStringLiteral("org.freedesktop.UDisks2.Block");
const QString FilesystemInterface = QStringLiteral("org.freedesktop.UDisks2.Filesystem");
const QString EncryptedInterface = QStringLiteral("org.freedesktop.UDisks2.Encrypted");
const QString DriveInterface = QStringLiteral("org.freedesktop.UDisks2.Drive");

// An object path property; empty for UDisks2's "/", which names no object.
QString objectProperty(const QVariantMap& properties, const QString& name) {
  const QString path = properties.value(name).value<QDBusObjectPath>().path();
  return path == QStringLiteral("/") ? QString() : path;
}

UDisksInterfaces objectAt(const UDisksObjects& objects, const QString& path) {
  if (!path.startsWith(QLatin1Char('/'))) return {};
  return objects.value(QDBusObjectPath(path));
}

// The drive a block device lies on: its own, or for the unlocked volume of an encrypted
// device, the encrypted device's.
QString driveOf(const UDisksObjects& objects, const QVariantMap& block) {
  const QString own = objectProperty(block, QStringLiteral("Drive"));
  if (!own.isEmpty()) return own;
  const QString backing = objectProperty(block, QStringLiteral("CryptoBackingDevice"));
  if (backing.isEmpty()) return {};
  return objectProperty(objectAt(objects, backing).value(BlockInterface), QStringLiteral("Drive"));
}

bool isRemovable(const QVariantMap& drive) {
  return drive.value(QStringLiteral("Removable")).toBool() ||
         drive.value(QStringLiteral("MediaRemovable")).toBool() ||
         drive.value(QStringLiteral("Ejectable")).toBool() ||
         drive.value(QStringLiteral("ConnectionBus")).toString() == QStringLiteral("usb");
}

// MountPoints is an array of byte strings, which reaches a variant still marshalled.
bool isMounted(const QVariantMap& filesystem) {
  const QVariant points = filesystem.value(QStringLiteral("MountPoints"));
  if (points.userType() == qMetaTypeId<QDBusArgument>())
    return !qdbus_cast<QByteArrayList>(points).isEmpty();
  return !points.value<QByteArrayList>().isEmpty();
}

UDisksCall unmountOf(const QString& path) {
  return {path, FilesystemInterface, QStringLiteral("Unmount")};
}

}  // namespace

std::optional<RemovableDrive> removableDriveOf(const UDisksObjects& objects, quint64 device) {
  for (auto object = objects.begin(); object != objects.end(); ++object) {
    const QVariantMap block = object->value(BlockInterface);
    const QVariant number = block.value(QStringLiteral("DeviceNumber"));
    if (!object->contains(FilesystemInterface) || !number.isValid() ||
        number.toULongLong() != device)
      continue;
    const QString drive = driveOf(objects, block);
    if (drive.isEmpty() || !isRemovable(objectAt(objects, drive).value(DriveInterface)))
      return std::nullopt;
    return RemovableDrive{object.key().path().toStdString(), drive.toStdString()};
  }
  return std::nullopt;
}

std::vector<UDisksCall> removalCalls(const UDisksObjects& objects, const RemovableDrive& drive) {
  const QString drivePath = QString::fromStdString(drive.drive);
  const UDisksInterfaces driveObject = objectAt(objects, drivePath);
  if (!driveObject.contains(DriveInterface)) return {};
  std::vector<UDisksCall> unmounts, locks;
  for (auto object = objects.begin(); object != objects.end(); ++object) {
    const QVariantMap block = object->value(BlockInterface);
    if (block.isEmpty() || driveOf(objects, block) != drivePath) continue;
    const QString path = object.key().path();
    if (object->contains(FilesystemInterface) && isMounted(object->value(FilesystemInterface))) {
      if (path.toStdString() == drive.fileSystem)
        unmounts.insert(unmounts.begin(), unmountOf(path));
      else
        unmounts.push_back(unmountOf(path));
    }
    const QString backing = objectProperty(block, QStringLiteral("CryptoBackingDevice"));
    if (!backing.isEmpty()) locks.push_back({backing, EncryptedInterface, QStringLiteral("Lock")});
  }
  std::vector<UDisksCall> calls = std::move(unmounts);
  calls.insert(calls.end(), locks.begin(), locks.end());
  const QVariantMap properties = driveObject.value(DriveInterface);
  if (properties.value(QStringLiteral("CanPowerOff")).toBool())
    calls.push_back({drivePath, DriveInterface, QStringLiteral("PowerOff")});
  else if (properties.value(QStringLiteral("Ejectable")).toBool())
    calls.push_back({drivePath, DriveInterface, QStringLiteral("Eject")});
  return calls;
}

}  // namespace nuvelo
