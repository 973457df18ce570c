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

// The text of the link open as `linkFd` (O_PATH).
Result<std::string> readLinkText(int linkFd, const struct stat& link) {
  // Some file systems give a link no size; the text tells its length by falling short.
  std::size_t room =
      link.st_size > 0 ? static_cast<std::size_t>(link.st_size) + 1 : UsualLinkLength;
  for (std::string text;; room *= 2) {
    text.resize(room);
    const ssize_t n = readlinkat(linkFd, "", text.data(), room);
    if (n < 0) return failureFromErrno();
    if (static_cast<std::size_t>(n) < room) {
      text.resize(static_cast<std::size_t>(n));
      return text;
    }
  }
}

}  // namespace

CopyOutcome copyLinkInto(const std::string& source, const CopyTarget& target) {
  const Result<Descriptor> opened = openEntry(source, O_PATH | O_NOFOLLOW | O_CLOEXEC);
  if (!opened) return failedWith(opened.error());
  const Descriptor& link = *opened;
  struct stat st {};
  if (fstat(link.get(), &st) != 0) return failedWith(errno);
  if (!S_ISLNK(st.st_mode)) return failedWith(CopyError::ChangedWhileCopied);
  const Result<std::string> text = readLinkText(link.get(), st);
  if (!text) return failedWith(text.error());

  const TargetDecision decision = decideTarget(target, st);
  if (decision.settled) return *decision.settled;
  const Result<std::string> created = createTemporaryLink(target.folderFd, *text);
  if (!created) return failedWith(created.error());
  const std::string& name = *created;
  TemporaryEntry temporary(target.folderFd, name);
  if (const Result<> given = giveLinkAttributes(target.folderFd, name, st); !given)
    return failedWith(given.error());
  const CopyOutcome outcome = putInPlace(target, name, decision.replace);
  if (outcome.kind == CopyOutcome::Copied) temporary.placed();
  return outcome;
}

}  // namespace nuvelo
