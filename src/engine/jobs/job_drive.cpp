#include "engine/jobs/job_drive.h"

namespace nuvelo {

std::optional<DriveMismatch> driveMismatch(const Job& job) {
  if (!job.recordedDrive) return std::nullopt;
  const std::string& destination = job.options.copy.destination;
  const std::optional<DriveIdentity> found = driveOf(destination);
  if (!found || found->sameDrive(*job.recordedDrive)) return std::nullopt;
  return DriveMismatch{destination, *job.recordedDrive, *found};
}

}  // namespace nuvelo
