#pragma once
// The folders below the destination folder of a copy run.

#include <string>

namespace nuvelo {

// The folders below the destination folder, made where missing and entered one component at a
// time without following symbolic links, so nothing is ever written outside the destination.
// The last folder stays open for the next file, which usually lands in the same place.
class DestinationFolders {
 public:
  explicit DestinationFolders(std::string destinationText);
  ~DestinationFolders();
  DestinationFolders(const DestinationFolders&) = delete;
  DestinationFolders& operator=(const DestinationFolders&) = delete;

  // A descriptor of destination + subpath, or -1 with the reason in `error`.
  int open(const std::string& subpath, std::string& error);

 private:
  std::string destination_;
  std::string openSubpath_;
  int openFd_ = -1;
};

}  // namespace nuvelo
