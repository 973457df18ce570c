#pragma once
// The desktop's shell services: opening a file or folder with its application, and showing a
// file's properties.

#include <string>

namespace nuvelo {

// Results of open() as the program reads them: above 32 success; 0 out of memory; 2 file not
// found; 3 path not found; 31 no application for the file; any other value up to 32 another
// failure.
namespace ShellResult {
constexpr int OutOfMemory = 0;
constexpr int FileNotFound = 2;
constexpr int PathNotFound = 3;
constexpr int NoAssociation = 31;
constexpr int Opened = 42;
}  // namespace ShellResult

class DesktopShell {
 public:
  virtual ~DesktopShell() = default;
  virtual int open(const std::string& path) = 0;
  // Shows the properties of a file or folder; failures are silent.
  virtual void showProperties(const std::string& path) = 0;
};

}  // namespace nuvelo
