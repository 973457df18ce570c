#pragma once
// The settings file NVO.ini: where it lies, every key it holds, and the order in which the main
// window reads them at start and writes them at close.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/copy/copy_retry.h"
#include "engine/settings/option_layer.h"
#include "engine/settings/profile_file.h"
#include "platform/posix/date_time_value.h"

namespace nuvelo {

inline constexpr const char* SettingsFileName = "NVO.ini";

// An NVO.ini that already lies beside the executable (portable use); else, for an installed
// program (one whose prefix holds share/nuvelo) or one whose folder cannot be written, NVO.ini
// in the user's configuration folder ($XDG_CONFIG_HOME or ~/.config) under "nuvelo", created
// here when missing; else (a program run from its build or unpacked folder) NVO.ini beside it.
std::string resolveSettingsPath(const std::string& executableFolder);

struct MainWindowSettings {
  std::string from;           // Default/From: source folder text
  std::string to;             // Default/To: destination folder text
  std::string lastCopyDate;   // Default/LastCopyDate: yyyy/mm/dd, or empty
  std::string lastCopyStart;  // Default/LastCopyStart: when that copy's list was started (UTC)
  bool dirAbs = true;
  bool addDriveLetter = true;
  bool includeSubfolders = true;
  bool showResult = true;
  bool perFolder = false;
  std::int32_t overwrite = 1;
  // Option/ChangeTime: a file whose change time (ctime) is on or after the day is taken too, so
  // that a file moved, renamed or unpacked into the source with an old last-write time is found
  bool changeTime = true;
  bool verify = false;        // Option/Verify: read only; no window control writes it
  bool keepReplaced = false;  // Option/KeepReplaced: keep each file a copy replaces
  // Option/VersionsFolder: where the kept files go, empty for the destination's
  // .nuvelo-versions; no window control edits it
  std::string versionsFolder;
  // Option/Threads: the walk's threads, 0 (or absent) to choose by the file system; read only
  std::uint32_t threads = 0;
  // Option/Retries and Option/RetryWait (seconds, decimals allowed): how often a copy that
  // failed in a way that may pass is tried again, and the wait before the first retry; read
  // only, and a value that is not one of theirs leaves the default
  RetryPolicy retry;
  std::vector<std::string> excludedExtensions;
  // Option/ExcludeNames: name patterns that leave a file or folder out at any depth, as comma
  // text; a pattern that cannot name anything (empty, or with a "/") is dropped on reading
  std::vector<std::string> excludedNames;
  // ListView/Column0Width..Column4Width; -1 where none is stored: the window then gives the
  // column a width that fits its header and texts.
  std::array<std::int32_t, 5> columnWidths{-1, -1, -1, -1, -1};
  std::int32_t top = 0;
  std::int32_t left = 0;
  std::int32_t height = 440;
  std::int32_t width = 420;
  // Recent/From and Recent/To: the last folders searched and copied to, newest first.
  std::vector<std::string> recentSources;
  std::vector<std::string> recentDestinations;
};

// How many folders each recent list keeps.
inline constexpr std::size_t RecentFoldersKept = 10;

// The list with `folder` first, the same text further down dropped, at most RecentFoldersKept
// long; an empty folder leaves the list as it is.
std::vector<std::string> withRecentFolder(std::vector<std::string> recent,
                                          const std::string& folder);

// Every key, with the table's default for each one that is absent or unreadable.
MainWindowSettings readMainWindowSettings(const ProfileFile& file);

// The search and copy options the file sets (a key that is absent or not a number sets
// nothing), each named by the file and its key; the folders are not among them.
OptionLayer optionLayerOf(const ProfileFile& file);

// The window's own job: the source and destination folders it names (Default/From and
// Default/To), as it stores them.
struct WindowFolders {
  std::string from;
  std::string to;
};
WindowFolders windowFoldersOf(const ProfileFile& file);

// The keys written when the main window closes, in their order (the recent folders last, in a
// section of their own). Option/DirAbs, Option/AddDriveLetter and the last copy's day
// (job_dates.h) are not among them. Stops at the first key that cannot be written, whose
// failure it returns.
[[nodiscard]] Result<> writeSettingsAtClose(ProfileFile& file, const MainWindowSettings& settings);

// The two options the detail settings write as soon as they are accepted, in this order:
// Option/DirAbs and Option/AddDriveLetter.
[[nodiscard]] Result<> writeDetailOptions(ProfileFile& file, bool dirAbs, bool addDriveLetter);

}  // namespace nuvelo
