#include "engine/settings/settings_lock.h"

#include "platform/posix/file_lock.h"

namespace nuvelo {

std::string settingsLockPath(const std::string& settingsPath) {
  return settingsPath + ".lock";
}

namespace {

// Takes the settings lock, waiting while another program holds it (none holds it long).
FileLock lockSettings(const std::string& settingsPath) {
  // Waiting has no other outcome than the lock, or a lock file that cannot be had at all.
  return takeFileLock(settingsLockPath(settingsPath), LockWait::UntilFree).value_or(FileLock());
}

}  // namespace

Result<> changeSettingsFile(const std::string& settingsPath,
                            const std::function<Result<>(ProfileFile&)>& change) {
  const FileLock lock = lockSettings(settingsPath);
  ProfileFile file(settingsPath);
  return change(file);
}

}  // namespace nuvelo
