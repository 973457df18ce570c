#pragma once
// The drive a folder lies on, when the user can take it away (a USB stick or disk, a memory
// card), and its safe removal: its file systems unmounted and the drive powered off, so that it
// can be unplugged without losing what was written to it.

#include <functional>
#include <optional>
#include <string>

namespace nuvelo {

// A removable drive as the desktop names it.
struct RemovableDrive {
  std::string fileSystem;  // the file system the folder lies on
  std::string drive;       // the drive that holds it
  bool operator==(const RemovableDrive&) const = default;
};

// What came of asking for a drive's removal.
struct DriveRemoval {
  enum class Outcome {
    Removed,  // the drive may be unplugged
    Busy,     // a program still uses a file system of the drive
    Refused,  // the desktop could not or would not remove it, or did not answer
  };
  Outcome outcome = Outcome::Refused;
  std::string reason;  // the desktop's own words when it was not removed
};

class RemovableDrives {
 public:
  virtual ~RemovableDrives() = default;

  using Found = std::function<void(std::optional<RemovableDrive>)>;
  // Looks up the removable drive that holds `folder` and returns without waiting for the
  // desktop: `found` is called once, with nothing when the folder is on no removable drive or
  // the desktop does not answer in time. It may be called before findDrive returns.
  virtual void findDrive(const std::string& folder, Found found) = 0;

  using Removed = std::function<void(DriveRemoval)>;
  // Unmounts the drive's file systems and powers it off, returning without waiting; `done` is
  // called once with the outcome. It may be called before removeDrive returns.
  virtual void removeDrive(const RemovableDrive& drive, Removed done) = 0;
};

}  // namespace nuvelo
