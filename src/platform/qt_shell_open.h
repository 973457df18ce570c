#pragma once
// Opening files and folders through the desktop (xdg-open behind QDesktopServices).

#include "platform/shell_open.h"

namespace nuvelo {

class QtShellOpen : public ShellOpen {
 public:
  int open(const std::string& path) override;
};

}  // namespace nuvelo
