#pragma once
// The folders below the destination folder of a copy run.

#include <string>
#include <unordered_set>
#include <vector>

#include "engine/copy/dropped_attributes.h"
#include "platform/posix/descriptor.h"
#include "platform/result.h"

namespace nuvelo {

// The folders below the destination folder, made where missing and entered one component at a
// time without following symbolic links, so nothing is ever written outside the destination.
// The last folder stays open for the next file, which usually lands in the same place.
//
// A folder made here mirrors a source folder: it is made private while the run fills it, and
// finish() gives it the source folder's permission bits, ACLs and extended attributes (owner
// and group too where they can be kept) and times, once its content is in. The copier's temporary
// files that a killed run left in a folder are removed the first time the run puts a file there.
class DestinationFolders {
 public:
  // sourceBase followed by a subpath names the source folder that the destination folder of
  // that subpath mirrors.
  explicit DestinationFolders(std::string destinationText, std::string sourceBase = {});
  ~DestinationFolders();
  DestinationFolders(const DestinationFolders&) = delete;
  DestinationFolders& operator=(const DestinationFolders&) = delete;

  // A descriptor of destination + subpath, which stays open until the next call or finish();
  // or why not: an errno value, or CopyError::OutsideDestination.
  Result<int> open(const std::string& subpath);
  // Gives every folder made so far the mode, ACLs, attributes and times of its source folder,
  // deepest first; tells what of them the destination did not keep.
  DroppedAttributes finish();

 private:
  Result<int> walkDown(const std::string& subpath, bool create);
  DroppedAttributes mirrorSourceFolder(const std::string& subpath);

  std::string destination_;
  std::string sourceBase_;
  std::string openSubpath_;
  Descriptor openFd_;
  bool lastWasMade_ = false;               // the last walkDown made its final folder
  std::vector<std::string> made_;          // subpaths of the folders made, in order
  std::unordered_set<std::string> swept_;  // subpaths already cleared of leftovers
};

}  // namespace nuvelo
