#pragma once
// A source file and an empty destination folder for the copier's tests.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "engine/copy/file_copier.h"
#include "support/file_tree.h"

namespace nuvelo::testing {

class Copier : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(destination());
    writeFile(sourceFile(), "new content");
    chmod(sourceFile().c_str(), 0640);
    setModified(sourceFile(), {1714521600, 123456789});
  }
  void TearDown() override {
    if (folderFd >= 0) close(folderFd);
  }
  std::string sourceFile() const { return tree.path() + "/report.txt"; }
  std::string destination() const { return tree.path() + "/dest"; }
  std::string target() const { return destination() + "/report.txt"; }
  int folder() {
    if (folderFd < 0) folderFd = open(destination().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    return folderFd;
  }
  CopyOutcome copyFrom(const std::string& source, ReplaceMode mode,
                       ReplaceAnswer answer = ReplaceAnswer::Replace, const CopyHooks& hooks = {}) {
    return copyEntryInto(
        source, folder(), "report.txt", mode,
        [this, answer] {
          ++questions;
          return answer;
        },
        hooks);
  }
  CopyOutcome copy(ReplaceMode mode, ReplaceAnswer answer = ReplaceAnswer::Replace,
                   const CopyHooks& hooks = {}) {
    return copyFrom(sourceFile(), mode, answer, hooks);
  }

  TempFolder tree;
  int folderFd = -1;
  int questions = 0;
};

inline struct stat statusOf(const std::string& path) {
  struct stat st {};
  lstat(path.c_str(), &st);
  return st;
}

inline std::string linkText(const std::string& path) {
  std::error_code error;
  return std::filesystem::read_symlink(path, error).string();
}

}  // namespace nuvelo::testing
