#pragma once
// Which drive a folder lies on, as a job records it to know its backup drive again: the UUID
// or label udev gives the file system's device where it has one, else the device and the
// mount point. A folder that is not there (yet) lies on the drive of the nearest folder above
// it that is: a drive that is not mounted leaves its empty mount point on the system disk.

#include <optional>
#include <string>

namespace nuvelo {

struct DriveIdentity {
  std::string uuid;
  std::string label;
  std::string source;  // the device, or what a file system in user space calls itself
  std::string mountPoint;

  // As stored: "UUID=…", "LABEL=…", or "<source> on <mount point>".
  std::string recordText() const;
  static std::optional<DriveIdentity> fromRecord(const std::string& text);
  // For messages: "UUID 1234-ABCD", "LABEL BACKUP", "<source> on <mount point>".
  std::string displayText() const;
  // The same drive, by the strongest name both have.
  bool sameDrive(const DriveIdentity& other) const;
};

// The drive `path` lies on; nothing when not even "/" can be looked up, or the system lists
// no mount for it.
std::optional<DriveIdentity> driveOf(const std::string& path);

}  // namespace nuvelo
