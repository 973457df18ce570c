#pragma once
// A job: the options a run searches and copies with, the day it starts from, and the files that
// wait from its earlier runs, resolved in one place for the window and nuvelo-cli. The options
// come from layers (the command line, then a condition or job file, then the settings file,
// then the built-in defaults; the window hands its own state as its one layer), and the job is
// named by its folders, or by the condition or job file that holds them.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/copy/copy_options.h"
#include "engine/search/folder_walk.h"
#include "engine/search/search_options.h"
#include "engine/settings/job_dates.h"
#include "engine/settings/option_layer.h"
#include "platform/posix/date_time_value.h"
#include "platform/posix/drive_identity.h"
#include "platform/result.h"

namespace nuvelo {

struct JobOptions {
  SearchOptions search;
  CopyOptions copy;
};

// How a run chooses its files.
struct Selection {
  enum class By {
    Day,       // changed on or after the local midnight of `day`
    Instant,   // changed at or after `instant` (seconds since the epoch)
    LastCopy,  // changed on or after the job's own recorded day
    // Missing at the destination or older there, or a copy there that is damaged (a regular
    // file of another size, another kind of entry), whatever the times.
    Destination,
  };
  By by = By::Day;
  CivilDate day;
  std::int64_t instant = 0;
  // Destination: the bytes of every file whose copy is of the same time (or newer) and size
  // are compared too, and a copy with other bytes is damaged.
  bool contents = false;
};

enum class JobNamedBy { Folders, ConditionFile, JobFile };

struct JobRequest {
  std::string settingsPath;
  // From the first that says something to the last; the built-in defaults follow them.
  std::vector<OptionLayer> layers;
  JobNamedBy namedBy = JobNamedBy::Folders;
  std::string namingFile;  // the condition or job file
  // The window's own job: it keeps the window's day (Default/LastCopyDate) whatever its folders.
  bool window = false;
  Selection selection;
  // Now, in seconds since the epoch, for judging a recorded day; 0: the clock's.
  std::int64_t now = 0;
};

struct Job {
  JobOptions options;  // the source folder cleaned
  // Each option with where it came from ("" for a built-in default).
  OptionLayer resolved;
  std::string settingsPath;
  std::string stateFolder;
  std::string key;  // its day in [Jobs], its retry list and its run lock
  JobNamedBy namedBy = JobNamedBy::Folders;
  bool window = false;
  Selection selection;               // LastCopy stands resolved as the Day it names
  std::vector<std::string> waiting;  // the retry list as the job's last run left it
  // LastCopy found a recorded day later than now (a clock that ran ahead): it is not trusted,
  // and the job compares with the destination instead. The day as recorded.
  std::optional<std::string> untrustedDay;
  // The drive its destination lay on when it last copied; nothing before its first copy.
  std::optional<DriveIdentity> recordedDrive;
};

// Why a job cannot run.
struct JobRefusal {
  enum class Kind {
    NoDayOfItsOwn,  // LastCopy was asked of a job that has never recorded a day of its own
    UnreadableDay,  // LastCopy found a recorded day that is no day
  };
  Kind kind = Kind::NoDayOfItsOwn;
  RecordedDay day;  // as stored, and where
};

Expected<Job, JobRefusal> resolveJob(const JobRequest& request);

// The options as the layers say them, each with the first layer that says it.
OptionLayer resolvedOptions(const std::vector<OptionLayer>& layers);
JobOptions jobOptionsOf(const OptionLayer& resolved);
// The layer that says every option as the window holds it.
OptionLayer optionLayerOf(const JobOptions& options, const std::string& where);

// The walk's conditions for a run of the job: its exclusions, the day or instant of its
// selection with the change-time switch (every file for a comparison with the destination),
// the files that wait, and the destination left out when it lies inside the source.
WalkFilter walkFilterOf(const Job& job);

class ProfileFile;

// Whether the job keeps the window's day (Default/LastCopyDate) besides its own: the window's
// job, or a run of the window's folders (Default/From and Default/To of `settings`, each
// compared as the runs clean it) not named by a job file.
bool keepsWindowsDay(const Job& job, const ProfileFile& settings);

}  // namespace nuvelo
