#pragma once
// The copier's temporary entries: a fresh name for each copy, the file locked for as long as
// the copy holds it, and removal when the copy does not get as far as putting it in place.
// The names are those of platform/temporary_names.h; removeStaleTemporaries (the sweep of what
// a killed copy left) is declared in copy/file_copier.h.

#include <string>

namespace nuvelo {

// Creates a fresh temporary file in the folder, open for reading and writing and locked with
// flock until its descriptor is closed; its name goes to `name`. -1 with errno set on failure.
int createLockedTemporary(int folderFd, std::string& name);

// Creates a symbolic link holding `linkText` under a fresh temporary name in the folder.
bool createTemporaryLink(int folderFd, const std::string& linkText, std::string& name);

// Removes a temporary entry when it goes out of scope, unless it was put in place meanwhile.
class TemporaryEntry {
 public:
  TemporaryEntry(int folderFd, std::string name) : folderFd_(folderFd), name_(std::move(name)) {}
  ~TemporaryEntry();
  TemporaryEntry(const TemporaryEntry&) = delete;
  TemporaryEntry& operator=(const TemporaryEntry&) = delete;

  const std::string& name() const { return name_; }
  // The entry now lives under its final name; nothing is left to remove.
  void placed() { placed_ = true; }

 private:
  int folderFd_;
  std::string name_;
  bool placed_ = false;
};

}  // namespace nuvelo
