#pragma once
// The folders below the destination folder of a copy run.

#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "engine/copy/dropped_attributes.h"
#include "platform/posix/descriptor.h"
#include "platform/result.h"

namespace nuvelo {

// Opens destination + subpath (the destination folder as the user named it, links included)
// one component at a time without following symbolic links; makes a missing folder only when
// `made` is given, and tells it the subpath of each folder it makes. Any thread may call it.
// Why not: an errno value, or CopyError::OutsideDestination.
Result<Descriptor> openDestinationFolder(
    const std::string& destination, const std::string& subpath,
    const std::function<void(std::string_view subpath)>& made = nullptr);

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
  // Closes the open folder, so that the next open() walks down anew (its descriptor may have
  // died with a lost connection).
  void forgetOpenFolder();
  // Folders made by openDestinationFolder for this run elsewhere (another try of a file, on
  // another thread), by their subpaths: finish() gives them their source folders' attributes
  // too.
  void adoptMade(const std::vector<std::string>& subpaths);
  // The folder of a file that needed another try is cleared of leftovers once more by finish():
  // a lost connection keeps a failed try from removing its temporary file.
  void sweepAtFinish(const std::string& subpath) { sweepAgain_.insert(subpath); }
  // Gives every folder made so far the mode, ACLs, attributes and times of its source folder,
  // deepest first, once the folders sweepAtFinish() names are cleared of leftovers; tells what
  // of them the destination did not keep.
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
  std::unordered_set<std::string> sweepAgain_;
};

}  // namespace nuvelo
