#pragma once
// The files and folders that an earlier run of a job could not carry. The walk takes them
// whatever their times, so that a file that failed once is tried again by every later run
// until it is carried, although the job's day has moved past it; a folder that could not be
// read stands for every file below it.

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace nuvelo {

class WaitingFiles {
 public:
  WaitingFiles() = default;
  // Absolute paths as the walk spells them (the source folder cleaned, then the names below).
  explicit WaitingFiles(const std::vector<std::string>& paths);

  bool empty() const { return paths_.empty(); }
  std::size_t size() const { return paths_.size(); }
  bool contains(std::string_view path) const;
  // The folder is one of the paths, or lies below one of them.
  bool coversFolder(std::string_view folder) const;

 private:
  std::unordered_set<std::string> paths_;
  std::unordered_set<std::string> namesOfPaths_;  // last components: most look-ups stop here
};

}  // namespace nuvelo
