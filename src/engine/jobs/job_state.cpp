#include "engine/jobs/job_state.h"

#include <unistd.h>

#include <cerrno>

#include "engine/jobs/retry_list.h"
#include "platform/path_text.h"
#include "platform/posix/atomic_file.h"
#include "platform/posix/filesystem.h"

namespace nuvelo {
namespace {

std::string retryListPath(const std::string& stateFolder, const std::string& jobKey) {
  return stateFolder + "/" + jobKey + ".retry";
}

}  // namespace

bool isUserSettingsFile(const std::string& settingsPath) {
  return folderOf(absoluteCleanPath(settingsPath)) == userConfigFolder() + "/nuvelo";
}

std::string besideSettingsFile(const std::string& settingsPath, const std::string& suffix) {
  const std::string absolute = absoluteCleanPath(settingsPath);
  std::string name(lastComponent(absolute));
  if (const std::size_t dot = name.rfind('.'); dot != std::string::npos && dot > 0) name.erase(dot);
  return joinPath(folderOf(absolute), name + suffix);
}

std::string jobStateFolder(const std::string& settingsPath) {
  if (isUserSettingsFile(settingsPath)) return userStateFolder() + "/nuvelo";
  return besideSettingsFile(settingsPath, "-state");
}

std::vector<std::string> readRetryList(const std::string& stateFolder, const std::string& jobKey) {
  const auto text = readWholeFile(retryListPath(stateFolder, jobKey));
  return text ? retryListPaths(*text) : std::vector<std::string>{};
}

Result<> writeRetryList(const std::string& stateFolder, const std::string& jobKey,
                        const std::vector<std::string>& paths) {
  const std::string path = retryListPath(stateFolder, jobKey);
  if (paths.empty()) {
    // No list, nor even a folder for one: nothing waits.
    if (::unlink(path.c_str()) == 0 || errno == ENOENT || errno == ENOTDIR) return {};
    return failureFromErrno(path);
  }
  if (Result<> made = makeFolders(stateFolder); !made) return made;
  return replaceFileAtomically(path, retryListText(paths));
}

Result<FileLock> lockJobRun(const std::string& stateFolder, const std::string& jobKey,
                            LockWait wait, const std::function<bool()>& giveUp) {
  // A state folder that cannot be made leaves the run without a lock rather than without a copy.
  static_cast<void>(makeFolders(stateFolder));
  return takeFileLock(stateFolder + "/" + jobKey + ".lock", wait, giveUp);
}

}  // namespace nuvelo
