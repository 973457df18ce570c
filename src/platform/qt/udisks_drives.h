#pragma once
// Removable drives through UDisks2 (org.freedesktop.UDisks2), which a desktop serves on the
// system bus: the drive is found by the folder's device number, and removed by unmounting its
// file systems and powering it off. Every call is asynchronous, with a deadline.

#include <QDBusConnection>
#include <QObject>
#include <functional>
#include <memory>
#include <vector>

#include "platform/qt/udisks_objects.h"
#include "platform/removable_drives.h"

class QDBusMessage;

namespace nuvelo {

class UDisksDrives : public QObject, public RemovableDrives {
 public:
  // How long UDisks2 has to list its objects. A look-up runs when the copy-finished notice
  // opens; a service that does not answer only leaves the drive unoffered.
  static constexpr int LookupDeadlineMs = 5000;
  // How long an unmount or power-off may take: the desktop may first ask the user for a
  // password.
  static constexpr int RemovalDeadlineMs = 120000;

  explicit UDisksDrives(const QDBusConnection& bus, int lookupDeadlineMs = LookupDeadlineMs);

  void findDrive(const std::string& folder, Found found) override;
  void removeDrive(const RemovableDrive& drive, Removed done) override;

 private:
  using Reply = std::function<void(const QDBusMessage& reply)>;
  void readObjects(Reply then);
  void call(const QDBusMessage& message, int deadlineMs, Reply then);
  void runCalls(std::shared_ptr<const std::vector<UDisksCall>> calls, std::size_t next,
                Removed done);

  QDBusConnection bus_;
  int lookupDeadlineMs_;
};

}  // namespace nuvelo
