#pragma once
// A job's backup drive: the drive its destination lay on when it last copied. A run whose
// destination now lies elsewhere (most often the empty mount point of a drive that is not
// connected, on the system disk) would fill the wrong disk, and the next run would not know.

#include <optional>
#include <string>

#include "engine/jobs/job.h"
#include "platform/posix/drive_identity.h"

namespace nuvelo {

struct DriveMismatch {
  std::string destination;  // the destination folder as the job names it
  DriveIdentity expected;   // the drive the job recorded
  DriveIdentity found;      // the drive the destination (or the folder above it) lies on now
};

// Where the destination lies on another drive than the job recorded; nothing when it lies on
// the same, when the job has recorded none yet, or when the drive cannot be told.
std::optional<DriveMismatch> driveMismatch(const Job& job);

}  // namespace nuvelo
