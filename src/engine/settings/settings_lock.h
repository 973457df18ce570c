#pragma once
// Every read-change-write of the settings file, and of the job state kept with it, happens under
// one lock that the window and nuvelo-cli alike take: the file is read again under the lock and
// changed key by key, so that no key another program wrote meanwhile is written back over.

#include <functional>
#include <string>

#include "engine/settings/profile_file.h"

namespace nuvelo {

// The lock file of a settings file: beside it, its name and ".lock".
std::string settingsLockPath(const std::string& settingsPath);

// Reads the settings file afresh under its lock and hands it to `change`, whose result it
// returns.
[[nodiscard]] Result<> changeSettingsFile(const std::string& settingsPath,
                                          const std::function<Result<>(ProfileFile&)>& change);

}  // namespace nuvelo
