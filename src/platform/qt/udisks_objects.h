#pragma once
// Reading UDisks2's object tree (org.freedesktop.DBus.ObjectManager.GetManagedObjects on
// /org/freedesktop/UDisks2): which file system has a device number, whether the drive under it
// is removable, and the calls that take that drive away safely.

#include <QDBusObjectPath>
#include <QMap>
#include <QString>
#include <QVariantMap>
#include <optional>
#include <vector>

#include "platform/removable_drives.h"

namespace nuvelo {

inline constexpr const char* UDisksService = "org.freedesktop.UDisks2";
inline constexpr const char* UDisksPath = "/org/freedesktop/UDisks2";

// Each object's interfaces, each with its properties.
using UDisksInterfaces = QMap<QString, QVariantMap>;
using UDisksObjects = QMap<QDBusObjectPath, UDisksInterfaces>;

// The removable drive whose file system has the device number `device` (a folder's st_dev);
// nothing when no file system has it or the drive under it is not removable.
std::optional<RemovableDrive> removableDriveOf(const UDisksObjects& objects, quint64 device);

// One method call of a removal on an object of UDisks2; it takes empty options.
struct UDisksCall {
  QString path;
  QString interface;
  QString method;
  bool operator==(const UDisksCall&) const = default;
};

// The calls that remove `drive`, in order: every file system on it that is mounted unmounted
// (the folder's first), every encrypted volume on it that is unlocked locked, then the drive
// powered off, or ejected where it cannot be powered off. None when the drive is gone.
std::vector<UDisksCall> removalCalls(const UDisksObjects& objects, const RemovableDrive& drive);

}  // namespace nuvelo
