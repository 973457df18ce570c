#pragma once
// The day each unattended copy job last copied, kept in the settings file's [Jobs] section so
// that two timers with their own jobs do not move each other's day (the window's own day stays
// Default/LastCopyDate). A job is its condition file, or its source and destination folders;
// its key is a hash of that text, since the section's keys match without regard to ASCII case
// and cannot hold every byte a path may.

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

// The job's day as stored (yyyy/mm/dd), or nothing when the job has none yet.
std::optional<std::string> readJobDate(const ProfileFile& file, const std::string& key);

[[nodiscard]] Result<> writeJobDate(ProfileFile& file, const std::string& key,
                                    const CivilDate& day);

}  // namespace nuvelo
