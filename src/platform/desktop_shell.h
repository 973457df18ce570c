#pragma once
// The desktop's shell services: opening a file or folder with its application, and showing a
// file's properties.

#include <string>

#include "platform/result.h"

namespace nuvelo {

class DesktopShell {
 public:
  virtual ~DesktopShell() = default;
  // Opens the file or folder with its application. A failure's code: ENOMEM out of memory,
  // ENOENT a missing file in an existing folder, ENOTDIR a missing folder on the way to it,
  // ENOEXEC no application for it, any other code another failure.
  virtual Result<> open(const std::string& path) = 0;
  // Opens a web address with the desktop's URL handler (the browser); failures are silent.
  virtual void openWebAddress(const std::string& url) = 0;
  // Shows the properties of a file or folder; failures are silent.
  virtual void showProperties(const std::string& path) = 0;
};

}  // namespace nuvelo
