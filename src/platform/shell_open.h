#pragma once
// Opening a file or folder with the desktop's application for it.

#include <string>

namespace nuvelo {

// Results as the program reads them: above 32 success; 0 out of memory; 2 file not found;
// 3 path not found; 31 no application for the file; any other value up to 32 another failure.
namespace ShellResult {
constexpr int OutOfMemory = 0;
constexpr int FileNotFound = 2;
constexpr int PathNotFound = 3;
constexpr int NoAssociation = 31;
constexpr int Opened = 42;
}  // namespace ShellResult

class ShellOpen {
 public:
  virtual ~ShellOpen() = default;
  virtual int open(const std::string& path) = 0;
};

}  // namespace nuvelo
