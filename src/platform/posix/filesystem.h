#pragma once
// Small file-system look-ups and folder creation on POSIX paths.

#include <sys/types.h>

#include <optional>
#include <string>

#include "platform/posix/descriptor.h"
#include "platform/result.h"

namespace nuvelo {

// Which file or folder a path names, whatever its spelling.
struct FileIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  bool operator==(const FileIdentity&) const = default;
};

// The identity of what the path names (links followed); nothing when it cannot be looked up.
std::optional<FileIdentity> identityOf(const std::string& path);

// The current working folder; empty when it cannot be told.
std::string currentFolder();

// The path made absolute against the current working folder and cleaned as text ("." and
// doubled separators dropped, ".." taking away the component before it, no trailing "/"),
// without resolving symbolic links.
std::string absoluteCleanPath(const std::string& path);

bool isExistingFolder(const std::string& path);
bool isExistingEntry(const std::string& path);
bool isWritableFolder(const std::string& path);

// Creates the folder and every missing parent, one component at a time. Succeeds when the
// folder exists afterwards; the failure names `path`.
[[nodiscard]] Result<> makeFolders(const std::string& path);

// The folder that holds the running executable, without a trailing "/".
std::string executableFolder();

// The user's configuration folder: $XDG_CONFIG_HOME when set to an absolute path, else
// ~/.config.
std::string userConfigFolder();
// The user's folder for state that outlives a run: $XDG_STATE_HOME when set to an absolute
// path, else ~/.local/state.
std::string userStateFolder();

}  // namespace nuvelo

struct stat;

namespace nuvelo {

// Looks an entry up by its path, following symbolic links when asked; works for paths longer
// than PATH_MAX by resolving them one folder at a time.
bool lookUpEntry(const std::string& path, struct stat& result, bool followLinks = true);

// open(2) of a path of any length; the failure names the path.
Result<Descriptor> openEntry(const std::string& path, int flags);

// A second descriptor of what `fd` has open, closed on exec, to be used and closed on its own.
Result<Descriptor> duplicateDescriptor(int fd);

}  // namespace nuvelo
