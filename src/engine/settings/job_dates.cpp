#include "engine/settings/job_dates.h"

#include <cstdint>
#include <cstdio>

namespace nuvelo {
namespace {

std::uint64_t fnv1a(const std::string& text) {
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  for (const char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3ULL;
  }
  return hash;
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

std::optional<std::string> readJobDate(const ProfileFile& file, const std::string& key) {
  auto value = file.readValue(JobsSection, key);
  if (value && value->empty()) return std::nullopt;
  return value;
}

Result<> writeJobDate(ProfileFile& file, const std::string& key, const CivilDate& day) {
  return file.writeString(JobsSection, key, slashDateText(day));
}

}  // namespace nuvelo
