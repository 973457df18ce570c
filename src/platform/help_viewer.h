#pragma once
// The help engine: shows a help file's contents.

#include <string>

namespace nuvelo {

class HelpViewer {
 public:
  virtual ~HelpViewer() = default;
  // Shows the contents of the help file; false, showing nothing, when it does not exist.
  virtual bool showContents(const std::string& helpFile) = 0;
};

}  // namespace nuvelo
