#include "platform/posix/extended_attributes.h"

#include <sys/xattr.h>

#include <algorithm>
#include <cerrno>

namespace nuvelo {
namespace {

// Enough for the names of a file with a few attributes; more room is taken when asked for.
constexpr std::size_t FirstBytes = 256;
// A list or value that keeps growing between the question of its size and the read gives up
// after this many reads.
constexpr int Reads = 8;

// `read(buffer, size)` (flistxattr or fgetxattr) into a buffer that grows until what it reads
// fits: ERANGE says it grew after its size was asked.
template <class Read>
Result<std::string> readGrowing(Read read) {
  std::string buffer(FirstBytes, '\0');
  for (int attempt = 0; attempt < Reads; ++attempt) {
    const ssize_t length = read(buffer.data(), buffer.size());
    if (length >= 0) {
      buffer.resize(static_cast<std::size_t>(length));
      return buffer;
    }
    if (errno != ERANGE) return failureFromErrno();
    const ssize_t needed = read(nullptr, 0);
    if (needed < 0) return failureFromErrno();
    buffer.resize(std::max(static_cast<std::size_t>(needed), buffer.size() * 2));
  }
  return failure(std::errc::result_out_of_range);
}

// The names in a list that flistxattr gives: each ended by a NUL.
std::vector<std::string> namesIn(const std::string& list) {
  std::vector<std::string> names;
  for (std::size_t start = 0; start < list.size();) {
    const std::size_t end = std::min(list.find('\0', start), list.size());
    if (end > start) names.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

}  // namespace

Result<std::vector<std::string>> attributeNames(int fd) {
  const Result<std::string> list =
      readGrowing([fd](char* buffer, std::size_t size) { return flistxattr(fd, buffer, size); });
  if (list) return namesIn(*list);
  if (refusesAttributes(list.error().code)) return std::vector<std::string>{};
  return Unexpected(list.error());
}

Result<std::string> attributeValue(int fd, const std::string& name) {
  return readGrowing([fd, &name](char* buffer, std::size_t size) {
    return fgetxattr(fd, name.c_str(), buffer, size);
  });
}

Result<> setAttribute(int fd, const std::string& name, const std::string& value) {
  if (fsetxattr(fd, name.c_str(), value.data(), value.size(), 0) != 0) return failureFromErrno();
  return {};
}

bool refusesAttributes(std::error_code code) {
  if (code.category() != std::generic_category()) return false;
  const int error = code.value();
  // ENOSPC and E2BIG: a value beyond what the file system stores with a file (ext4 keeps
  // about 4 KiB of them, the kernel takes 64 KiB); the file's data is written by then.
  return error == EOPNOTSUPP || error == ENOTSUP || error == ENOSYS || error == E2BIG ||
         error == ENOSPC;
}

}  // namespace nuvelo
