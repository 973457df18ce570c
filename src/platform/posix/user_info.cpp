#include "platform/posix/user_info.h"

#include <pwd.h>
#include <unistd.h>

#include <climits>
#include <vector>

#include "platform/path_text.h"
#include "platform/posix/filesystem.h"

namespace nuvelo {

std::optional<UserEntry> runningUser() {
  struct passwd entry {};
  struct passwd* found = nullptr;
  std::vector<char> buffer(16384);
  if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
    return std::nullopt;
  return UserEntry{found->pw_name, found->pw_dir ? found->pw_dir : ""};
}

std::optional<std::string> loggedOnUserName() {
  const auto user = runningUser();
  return user ? std::optional<std::string>(user->name) : std::nullopt;
}

VersionInfo programVersion() {
  const VersionNumber version = {NUVELO_VERSION_MAJOR, NUVELO_VERSION_MINOR, NUVELO_VERSION_PATCH,
                                 NUVELO_VERSION_TWEAK};
  return {version, version};
}

std::string versionText(const VersionNumber& v) {
  return std::to_string(v[0]) + "." + std::to_string(v[1]) + "." + std::to_string(v[2]) + "." +
         std::to_string(v[3]);
}

std::string helpFileFor(const std::string& executablePath) {
  const auto slash = executablePath.rfind('/');
  const auto dot = executablePath.rfind('.');
  const bool hasExtension =
      dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
  return (hasExtension ? executablePath.substr(0, dot) : executablePath) + ".HLP";
}

std::string installedDataFolder(const std::string& executableFolder) {
  return folderOf(executableFolder) + "/share/nuvelo";
}

bool isInstalledProgramFolder(const std::string& executableFolder) {
  return isExistingFolder(installedDataFolder(executableFolder));
}

std::string findHelpFile(const std::string& executablePath) {
  const std::string beside = helpFileFor(executablePath);
  if (isExistingEntry(beside)) return beside;
  const std::string installed =
      installedDataFolder(folderOf(executablePath)) + "/" + std::string(lastComponent(beside));
  return isExistingEntry(installed) ? installed : beside;
}

std::string executablePath() {
  std::vector<char> buffer(PATH_MAX + 1);
  const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  return n > 0 ? std::string(buffer.data(), static_cast<std::size_t>(n)) : std::string();
}

}  // namespace nuvelo
