#include "engine/copy/link_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/copy/copy_attributes.h"
#include "platform/posix/descriptor.h"
#include "platform/posix/filesystem.h"
#include "platform/posix/temporary_files.h"

namespace nuvelo {
namespace {

constexpr std::size_t UsualLinkLength = 256;

// The text of the link open as `linkFd` (O_PATH); false with errno set on failure.
bool readLinkText(int linkFd, const struct stat& link, std::string& text) {
  // Some file systems give a link no size; the text tells its length by falling short.
  std::size_t room =
      link.st_size > 0 ? static_cast<std::size_t>(link.st_size) + 1 : UsualLinkLength;
  for (;; room *= 2) {
    text.resize(room);
    const ssize_t n = readlinkat(linkFd, "", text.data(), room);
    if (n < 0) return false;
    if (static_cast<std::size_t>(n) < room) {
      text.resize(static_cast<std::size_t>(n));
      return true;
    }
  }
}

}  // namespace

CopyOutcome copyLinkInto(const std::string& source, const CopyTarget& target) {
  const Descriptor link(openEntry(source, O_PATH | O_NOFOLLOW | O_CLOEXEC));
  if (!link.isOpen()) return failedWith(errno);
  struct stat st {};
  if (fstat(link.get(), &st) != 0) return failedWith(errno);
  if (!S_ISLNK(st.st_mode)) return failedWith(CopyError::ChangedWhileCopied);
  std::string text;
  if (!readLinkText(link.get(), st, text)) return failedWith(errno);

  const TargetDecision decision = decideTarget(target, st);
  if (decision.settled) return *decision.settled;
  std::string name;
  if (!createTemporaryLink(target.folderFd, text, name)) return failedWith(errno);
  TemporaryEntry temporary(target.folderFd, name);
  if (const Result<> given = giveLinkAttributes(target.folderFd, name, st); !given)
    return failedWith(given.error());
  const CopyOutcome outcome = putInPlace(target, name, decision.replace);
  if (outcome.kind == CopyOutcome::Copied) temporary.placed();
  return outcome;
}

}  // namespace nuvelo
