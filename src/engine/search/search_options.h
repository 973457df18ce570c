#pragma once
// What a search looks for, as one value: the window builds it from its controls and the settings
// file, and hands it to the search run and to the copy run's folder expansion.

#include <string>
#include <vector>

#include "engine/search/folder_walk.h"
#include "platform/posix/date_time_value.h"

namespace nuvelo {

struct SearchOptions {
  std::string sourceFolder;  // as the user gave it
  DateTimeValue since = 0;   // files changed on this day or later are found
  bool includeSubfolders = true;
  bool perFolder = false;  // a changed file's folder is listed instead of the file
  std::vector<std::string> excludedSubfolders;  // entries below the source folder
  std::vector<std::string> excludedExtensions;  // without the dot
  std::vector<std::string> excludedNames;       // name patterns, at any depth
  // Files whose change time (ctime) is on or after the day are found too: moved, renamed or
  // unpacked files that kept an old last-write time.
  bool changeTime = true;
  unsigned walkThreads = 0;  // threads that read folders; 0 chooses by the file system
};

// The most threads a search or a copy may be asked for, from whichever source (the settings
// file, a job file, the command line): more is a slip of the keyboard, and tens of thousands of
// threads would exhaust the machine before the first folder is read.
inline constexpr unsigned MostThreads = 1024;

// The walk's conditions for these options. The source folder is cleaned as the runs use it, and
// `destination`, the copy's destination folder, is left out of the walk when it lies inside
// the source.
WalkFilter walkFilterOf(const SearchOptions& options, const std::string& destination);

}  // namespace nuvelo
