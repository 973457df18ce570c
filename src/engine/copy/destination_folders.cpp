#include "engine/copy/destination_folders.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "engine/copy/copy_attributes.h"
#include "engine/copy/copy_errors.h"
#include "engine/copy/file_copier.h"
#include "platform/posix/filesystem.h"
#include "platform/posix/path_walk.h"

namespace nuvelo {
namespace {

constexpr int FolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
// Only the run may write into a folder it is still filling.
constexpr mode_t FillingMode = 0700;

std::size_t depthOf(const std::string& subpath) {
  return static_cast<std::size_t>(std::count(subpath.begin(), subpath.end(), '/'));
}

mode_t currentUmask() {
  const mode_t mask = umask(0);
  umask(mask);
  return mask;
}

}  // namespace

Result<Descriptor> openDestinationFolder(const std::string& destination, const std::string& subpath,
                                         const std::function<void(std::string_view)>& made) {
  // The destination folder itself is taken as the user named it, links included.
  const Result<Descriptor> root = openEntry(destination.empty() ? "." : destination, FolderFlags);
  if (!root) return failure(root.error().code);
  bool outside = false;
  Result<Descriptor> folder = openComponents(
      root->get(), subpath, [&](int parent, const std::string& name, std::string_view soFar) {
        if (name == "..") {
          outside = true;
          errno = EINVAL;
          return -1;
        }
        // A symbolic link (ELOOP) or a file (ENOTDIR) where a folder belongs stops here.
        int next = openFolderAt(parent, name, true);
        if (next < 0 && errno == ENOENT && made) {
          const bool madeHere = mkdirat(parent, name.c_str(), FillingMode) == 0;
          if (madeHere) made(soFar);
          if (madeHere || errno == EEXIST) next = openFolderAt(parent, name, true);
        }
        return next;
      });
  if (outside) return failure(CopyError::OutsideDestination);
  return folder;
}

DestinationFolders::DestinationFolders(std::string destinationText, std::string sourceBase)
    : destination_(std::move(destinationText)), sourceBase_(std::move(sourceBase)) {}

DestinationFolders::~DestinationFolders() = default;

Result<int> DestinationFolders::open(const std::string& subpath) {
  if (openFd_.isOpen() && subpath == openSubpath_) return openFd_.get();
  openFd_.reset();
  const Result<int> walked = walkDown(subpath, true);
  if (!walked) return walked;
  const int folder = *walked;
  // A folder made just now holds no leftovers; one that was there may.
  if (swept_.insert(subpath).second && !lastWasMade_) removeStaleTemporaries(folder);
  openFd_.reset(folder);
  openSubpath_ = subpath;
  return openFd_.get();
}

Result<int> DestinationFolders::walkDown(const std::string& subpath, bool create) {
  lastWasMade_ = false;
  std::function<void(std::string_view)> recordMade = nullptr;
  // Below a folder made just now every folder is made too: the last one made is the last one.
  if (create)
    recordMade = [this](std::string_view made) {
      made_.emplace_back(made);
      lastWasMade_ = true;
    };
  Result<Descriptor> folder = openDestinationFolder(destination_, subpath, recordMade);
  if (!folder) return Unexpected(folder.error());
  return folder->release();
}

void DestinationFolders::forgetOpenFolder() {
  openFd_.reset();
  openSubpath_.clear();
}

void DestinationFolders::adoptMade(const std::vector<std::string>& subpaths) {
  for (const std::string& subpath : subpaths) {
    made_.push_back(subpath);
    swept_.insert(subpath);  // made just now: it holds no leftovers
  }
}

DroppedAttributes DestinationFolders::finish() {
  openFd_.reset();
  openSubpath_.clear();
  for (const std::string& subpath : sweepAgain_)
    if (const Result<Descriptor> folder = openDestinationFolder(destination_, subpath))
      removeStaleTemporaries(folder->get());
  sweepAgain_.clear();
  std::stable_sort(made_.begin(), made_.end(), [](const std::string& a, const std::string& b) {
    return depthOf(a) > depthOf(b);
  });
  DroppedAttributes dropped;
  for (const std::string& subpath : made_) dropped |= mirrorSourceFolder(subpath);
  made_.clear();
  return dropped;
}

DroppedAttributes DestinationFolders::mirrorSourceFolder(const std::string& subpath) {
  // A folder that cannot be entered any more (removed meanwhile) has nothing to be given.
  const Descriptor folder(walkDown(subpath, false).value_or(-1));
  if (!folder.isOpen()) return {};
  const int fd = folder.get();
  // Best effort: the files are in, and a folder left private or with the run's times loses
  // nothing of them, so a failure here is not reported. A source folder that cannot be opened
  // (searchable, not readable) still gives its mode and times.
  const std::string sourcePath = sourceBase_ + subpath;
  const Descriptor sourceFolder(openEntry(sourcePath, FolderFlags).value_or(Descriptor()));
  struct stat source {};
  const bool looked = sourceFolder.isOpen() ? fstat(sourceFolder.get(), &source) == 0
                                            : lookUpEntry(sourcePath, source);
  if (looked && S_ISDIR(source.st_mode))
    return giveFolderAttributes(fd, sourceFolder.get(), source);
  fchmod(fd, 0777 & ~currentUmask());
  return {};
}

}  // namespace nuvelo
