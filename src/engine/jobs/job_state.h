#pragma once
// Where a job keeps what outlives a run besides its day: its retry list, and the lock that one
// run of the job holds so that a second run of the same job does not start meanwhile.
//
// An installed program keeps them in the user's state folder ($XDG_STATE_HOME/nuvelo); a
// settings file anywhere else (a build, an unpacked folder, --settings) keeps them in a folder
// beside it named after it ("NVO-state" beside NVO.ini), so that two settings files never share
// a job's state.

#include <string>
#include <vector>

#include "platform/posix/file_lock.h"
#include "platform/result.h"

namespace nuvelo {

std::string jobStateFolder(const std::string& settingsPath);
// Whether the settings file is the installed program's own, in the user's configuration folder:
// what outlives its runs then lives in the user's state folder.
bool isUserSettingsFile(const std::string& settingsPath);
// A path beside the settings file named after it: "NVO" + suffix beside NVO.ini.
std::string besideSettingsFile(const std::string& settingsPath, const std::string& suffix);

// The job's retry list; empty when it has none (or it cannot be read).
std::vector<std::string> readRetryList(const std::string& stateFolder, const std::string& jobKey);
// Replaces the retry list whole (an empty one removes it); the failure names its file. Call it
// under the settings lock.
[[nodiscard]] Result<> writeRetryList(const std::string& stateFolder, const std::string& jobKey,
                                      const std::vector<std::string>& paths);

// The lock a run of the job holds from before its search to after its day is recorded. Fails
// with EWOULDBLOCK while another run holds it (unless `wait`), or ECANCELED when `giveUp` ends
// the wait.
[[nodiscard]] Result<FileLock> lockJobRun(const std::string& stateFolder, const std::string& jobKey,
                                          LockWait wait, const std::function<bool()>& giveUp = {});

}  // namespace nuvelo
