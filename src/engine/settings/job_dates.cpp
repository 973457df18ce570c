#include "engine/settings/job_dates.h"

#include <cstdint>
#include <cstdio>

namespace nuvelo {
namespace {

constexpr const char* WindowSection = "Default";
constexpr const char* WindowDayKey = "LastCopyDate";
constexpr const char* WindowStartKey = "LastCopyStart";

std::uint64_t fnv1a(const std::string& text) {
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  for (const char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3ULL;
  }
  return hash;
}

std::string startKeyOf(const std::string& jobKey) {
  return jobKey + ".Start";
}

RecordedDay readDay(const ProfileFile& file, const char* section, const std::string& dayKey,
                    const std::string& startKey) {
  RecordedDay recorded;
  recorded.day = file.readValue(section, dayKey);
  if (recorded.day && recorded.day->empty()) recorded.day.reset();
  recorded.start = file.readValue(section, startKey);
  recorded.file = file.path();
  recorded.line = file.lineOf(section, dayKey).value_or(0);
  recorded.key = dayKey;
  return recorded;
}

Result<> writeDay(ProfileFile& file, const char* section, const std::string& dayKey,
                  const std::string& startKey, const CivilDate& day, std::int64_t started) {
  if (Result<> written = file.writeString(section, startKey, utcInstantText(started)); !written)
    return written;
  return file.writeString(section, dayKey, slashDateText(day));
}

}  // namespace

std::string jobKey(const std::string& conditionFile, const std::string& source,
                   const std::string& destination) {
  // A NUL cannot be part of a path, so no two jobs give the same text.
  const std::string named = conditionFile.empty()
                                ? std::string("folders") + '\0' + source + '\0' + destination
                                : std::string("conditions") + '\0' + conditionFile;
  char key[24];
  std::snprintf(key, sizeof key, "J%016llx", static_cast<unsigned long long>(fnv1a(named)));
  return key;
}

RecordedDay readJobDay(const ProfileFile& file, const std::string& key) {
  return readDay(file, JobsSection, key, startKeyOf(key));
}

RecordedDay readWindowDay(const ProfileFile& file) {
  return readDay(file, WindowSection, WindowDayKey, WindowStartKey);
}

Result<> writeJobDay(ProfileFile& file, const std::string& key, const CivilDate& day,
                     std::int64_t started) {
  return writeDay(file, JobsSection, key, startKeyOf(key), day, started);
}

Result<> writeWindowDay(ProfileFile& file, const CivilDate& day, std::int64_t started) {
  return writeDay(file, WindowSection, WindowDayKey, WindowStartKey, day, started);
}

std::optional<std::string> readJobDrive(const ProfileFile& file, const std::string& key) {
  auto drive = file.readValue(JobsSection, key + ".Drive");
  if (drive && drive->empty()) return std::nullopt;
  return drive;
}

Result<> writeJobDrive(ProfileFile& file, const std::string& key, const std::string& drive) {
  return file.writeString(JobsSection, key + ".Drive", drive);
}

}  // namespace nuvelo
