#pragma once
// Builds small real folder trees with chosen last-write times, for the walk and row tests.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

#include "platform/posix/date_time_value.h"
#include "support/temp_folder.h"

namespace nuvelo::testing {

// A local date-time as a file time.
inline timespec localTime(int year, int month, int day, int hour = 12, int minute = 0,
                          int second = 0, int millisecond = 0) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  t.tm_isdst = -1;
  return timespec{mktime(&t), static_cast<long>(millisecond) * 1000000L};
}

inline void setModified(const std::string& path, const timespec& when) {
  const timespec times[2] = {when, when};
  utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

inline void makeFolder(const std::string& path, const timespec& when) {
  std::filesystem::create_directories(path);
  setModified(path, when);
}

inline void makeFile(const std::string& path, const timespec& when, std::size_t bytes = 0) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  writeFile(path, std::string(bytes, 'x'));
  setModified(path, when);
}

// Sets TZ for the life of the object (a POSIX rule, so no time-zone database is needed).
class TimeZone {
 public:
  explicit TimeZone(const char* rule) {
    if (const char* old = std::getenv("TZ")) saved_ = old, hadValue_ = true;
    setenv("TZ", rule, 1);
    tzset();
  }
  ~TimeZone() {
    if (hadValue_)
      setenv("TZ", saved_.c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }

 private:
  std::string saved_;
  bool hadValue_ = false;
};

// Today as the settings file records a copy's day.
inline std::string todayText() {
  return slashDateText(civilDateOf(todayValue()));
}

// Removes a tree of any depth (the standard library's removal fails past PATH_MAX).
inline void removeDeepTree(const std::string& path) {
  const std::string command = "rm -rf -- '" + path + "'";
  [[maybe_unused]] const int status = std::system(command.c_str());
}

}  // namespace nuvelo::testing
