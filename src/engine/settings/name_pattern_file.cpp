#include "engine/settings/name_pattern_file.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "platform/posix/descriptor.h"

namespace nuvelo {
namespace {

// More than any list of names a person writes: a device that never ends is refused, not read.
constexpr std::size_t MostPatternFileBytes = 1 << 20;

Result<std::string> readListFile(const std::string& path) {
  Descriptor fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.isOpen()) return failureFromErrno(path);
  struct stat st {};
  if (fstat(fd.get(), &st) != 0) return failureFromErrno(path);
  if (S_ISDIR(st.st_mode)) return failure(std::errc::is_a_directory, path);
  std::string content;
  char buffer[65536];
  for (;;) {
    const ssize_t n = read(fd.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return failureFromErrno(path);
    if (n == 0) return content;
    if (content.size() + static_cast<std::size_t>(n) > MostPatternFileBytes)
      return failure(std::errc::file_too_large, path);
    content.append(buffer, static_cast<std::size_t>(n));
  }
}

}  // namespace

Expected<std::vector<std::string>, NamePatternFileProblem> readNamePatternFile(
    const std::string& path) {
  Result<std::string> text = readListFile(path);
  if (!text) return Unexpected(NamePatternFileProblem{text.error(), {}, {}});
  std::vector<std::string> patterns;
  for (PatternLine& line : patternLinesOf(*text)) {
    if (const NamePatternFault fault = namePatternFault(line.pattern);
        fault != NamePatternFault::None)
      return Unexpected(NamePatternFileProblem{std::nullopt, std::move(line), fault});
    patterns.push_back(std::move(line.pattern));
  }
  return patterns;
}

}  // namespace nuvelo
