#pragma once
// What one source of a job's options says: the settings file, a condition or job file, the
// command line, the window, or the built-in defaults. Each option it sets carries where it was
// set, so that nuvelo-cli -v can name it; a file's key names stay inside that file's reader.

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "engine/copy/link_mode.h"
#include "engine/copy/overwrite_policy.h"

namespace nuvelo {

template <class T>
struct Said {
  std::optional<T> value;
  std::string where;  // "/home/u/.config/nuvelo/NVO.ini [Option] DirKAI", "--no-subfolders", ...
  void set(T v, std::string from) {
    value = std::move(v);
    where = std::move(from);
  }
};

struct OptionLayer {
  Said<std::string> source;
  Said<std::string> destination;
  Said<bool> includeSubfolders;
  Said<std::vector<std::string>> excludedSubfolders;
  Said<std::vector<std::string>> excludedExtensions;
  Said<std::vector<std::string>> excludedNames;  // name patterns, matched at any depth
  Said<bool> perFolder;
  Said<bool> changeTime;  // also take files whose change time (ctime) is on or after the day
  Said<bool> dirAbs;
  Said<bool> addDriveLetter;
  Said<OverwritePolicy> overwrite;
  Said<bool> verify;
  Said<bool> keepReplaced;           // keep each file a copy replaces in the versions folder
  Said<std::string> versionsFolder;  // empty: the destination's .nuvelo-versions
  // Kept versions older than this many days are removed after a copy; none: never.
  Said<std::optional<unsigned>> pruneVersionsDays;
  Said<unsigned> threads;
  Said<unsigned> retries;                     // tries again after a failure that may pass
  Said<std::chrono::milliseconds> retryWait;  // before the first of them; doubled for each next
  Said<LinkMode> links;  // a symbolic link the destination cannot keep: fail or leave out
};

// What every other layer leaves unsaid: the settings file's defaults, the folders empty.
OptionLayer builtInOptions();

}  // namespace nuvelo
