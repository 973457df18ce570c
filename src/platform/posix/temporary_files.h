#pragma once
// Temporary entries: a fresh name (platform/temporary_names.h) for each, the file locked for as
// long as its writer holds it, removal when the writer does not get as far as putting it in
// place, and the sweep of what a killed writer left.

#include <array>
#include <string>
#include <string_view>

#include "platform/posix/descriptor.h"
#include "platform/posix/temporary_names.h"
#include "platform/result.h"

namespace nuvelo {

// A temporary file just made: open for reading and writing, locked, and its name in its folder.
struct LockedTemporary {
  Descriptor file;
  std::string name;
};

// Creates a fresh temporary file in the folder, locked with flock until its descriptor is
// closed.
Result<LockedTemporary> createLockedTemporary(int folderFd);

// Creates a symbolic link holding `linkText` under a fresh temporary name in the folder; the
// name.
Result<std::string> createTemporaryLink(int folderFd, const std::string& linkText);

// Removes the temporary files in the folder that no running writer holds (left by a writer
// that was killed).
void removeStaleTemporaries(int folderFd);

// Opens the temporary file `name` in the folder for reading and writing and locks it, when it is
// still a regular file under that name and nobody holds it; why not, else (EWOULDBLOCK: it is
// held).
Result<Descriptor> reopenUnheldTemporary(int folderFd, const std::string& name);

// Removes a temporary entry (of a name from freshTemporaryName) when it goes out of scope,
// unless it was put in place meanwhile. Made without allocating, so that a temporary file is
// removed however soon after its creation memory runs out.
class TemporaryEntry {
 public:
  TemporaryEntry(int folderFd, std::string_view name) noexcept;
  ~TemporaryEntry();
  TemporaryEntry(const TemporaryEntry&) = delete;
  TemporaryEntry& operator=(const TemporaryEntry&) = delete;

  // The entry now lives under its final name; nothing is left to remove.
  void placed() { placed_ = true; }
  // The entry stays for a later try to go on with; whoever keeps it removes it.
  void keep() { placed_ = true; }

 private:
  int folderFd_;
  std::array<char, TemporaryNameLength + 1> name_{};
  bool placed_ = false;
};

}  // namespace nuvelo
