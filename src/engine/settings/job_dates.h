#pragma once
// The day each unattended copy job last copied, kept in the settings file's [Jobs] section so
// that two timers with their own jobs do not move each other's day (the window's own day stays
// Default/LastCopyDate). A job is its condition file, or its source and destination folders;
// its key is a hash of that text, since the section's keys match without regard to ASCII case
// and cannot hold every byte a path may.
//
// Beside each day lies the instant its list was started, in UTC to the second ("J….Start",
// Default/LastCopyStart): it says when that day began wherever the next run is, and tells a day
// recorded while the clock ran ahead. The day keeps the form the window shows (yyyy/mm/dd).

#include <cstdint>
#include <optional>
#include <string>

#include "engine/settings/profile_file.h"
#include "platform/posix/date_time_value.h"

namespace nuvelo {

inline constexpr const char* JobsSection = "Jobs";

// The key of a job: "J" and 16 hex digits of a 64-bit FNV-1a hash of what names the job, so
// that the same job always finds the same key. conditionFile: empty when there is none; the
// paths as the runs use them (absolute and cleaned).
std::string jobKey(const std::string& conditionFile, const std::string& source,
                   const std::string& destination);

// A day as stored, with the start of its list beside it and where it was read, for a message
// about a day that cannot be read.
struct RecordedDay {
  std::optional<std::string> day;    // nothing (or empty): none recorded yet
  std::optional<std::string> start;  // nothing for a day recorded before starts were kept
  std::string file;                  // the settings file
  std::size_t line = 0;              // the day's line in it
  std::string key;                   // the day's key, "J…" or "LastCopyDate"
};

// The job's own day; the window's day (Default/LastCopyDate).
RecordedDay readJobDay(const ProfileFile& file, const std::string& key);
RecordedDay readWindowDay(const ProfileFile& file);

// Records the day a job's list was made and the instant it was started: the start first, so
// that a write cut between the two leaves a day no later than the start says.
[[nodiscard]] Result<> writeJobDay(ProfileFile& file, const std::string& key, const CivilDate& day,
                                   std::int64_t started);
[[nodiscard]] Result<> writeWindowDay(ProfileFile& file, const CivilDate& day,
                                      std::int64_t started);

// The drive the job's destination lay on when it last copied ("J….Drive", as
// DriveIdentity::recordText writes it); nothing when none is recorded.
std::optional<std::string> readJobDrive(const ProfileFile& file, const std::string& key);
[[nodiscard]] Result<> writeJobDrive(ProfileFile& file, const std::string& key,
                                     const std::string& drive);

}  // namespace nuvelo
