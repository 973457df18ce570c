#include "engine/copy/cut_copy.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "engine/copy/copy_retry.h"

namespace nuvelo {
namespace {

bool sameSource(const struct stat& before, const struct stat& now) {
  return before.st_dev == now.st_dev && before.st_ino == now.st_ino &&
         before.st_size == now.st_size && before.st_mtim.tv_sec == now.st_mtim.tv_sec &&
         before.st_mtim.tv_nsec == now.st_mtim.tv_nsec;
}

// Adds the file's bytes from `offset` to `hash`, `count` of them, which must all be there.
bool hashRange(int fd, std::uint64_t offset, std::size_t count, std::vector<char>& buffer,
               ContentHash& hash) {
  for (std::size_t done = 0; done < count;) {
    const ssize_t n = pread(fd, buffer.data(), count - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    hash.add(buffer.data(), static_cast<std::size_t>(n));
    done += static_cast<std::size_t>(n);
  }
  return true;
}

enum class KeptPart { Matches, Differs, Unchecked };

// Whether the first `bytes` of the kept copy are the source's, step by step; `hash` takes the
// source's bytes as they are read.
KeptPart checkKeptPart(int kept, int from, std::uint64_t bytes, ContentHash& hash,
                       const CopyHooks& hooks) {
  std::vector<char> buffer(ResumeStep);
  ContentHash keptHash;
  for (std::uint64_t offset = 0; offset < bytes; offset += ResumeStep) {
    if (hooks.abortRequested && hooks.abortRequested()) return KeptPart::Unchecked;
    if (hooks.poll) hooks.poll();
    if (!hashRange(kept, offset, ResumeStep, buffer, keptHash) ||
        !hashRange(from, offset, ResumeStep, buffer, hash))
      return KeptPart::Unchecked;
  }
  return keptHash.digest() == hash.digest() ? KeptPart::Matches : KeptPart::Differs;
}

// How much of the source the kept copy may hold: whole steps, no more than either file has.
std::uint64_t keptBytes(int kept, const struct stat& source) {
  struct stat st {};
  if (fstat(kept, &st) != 0) return 0;
  const auto most = static_cast<std::uint64_t>(std::min(st.st_size, source.st_size));
  return most / ResumeStep * ResumeStep;
}

}  // namespace

bool keepsWhenCut(const struct stat& source, const std::error_code& code) {
  return static_cast<std::uint64_t>(source.st_size) >= ResumableFrom && isTransient(code);
}

void CutCopy::keep(int folderFd, LockedTemporary temporary, const struct stat& source) {
  discard();
  folderFd_ = folderFd;
  temporary_ = std::move(temporary);
  source_ = source;
}

std::optional<ResumedCopy> CutCopy::resume(int from, const struct stat& source, ContentHash& hash,
                                           const CopyHooks& hooks) {
  if (!kept()) return std::nullopt;
  std::string name = std::move(temporary_.name);
  temporary_ = LockedTemporary();  // unlocked, to be locked again through a live descriptor
  Result<Descriptor> reopened = reopenUnheldTemporary(folderFd_, name);
  if (!reopened) return std::nullopt;
  ResumedCopy resumed{{std::move(*reopened), std::move(name)}, 0};
  TemporaryEntry entry(folderFd_, resumed.temporary.name);
  const int kept = resumed.temporary.file.get();
  if (hooks.beforeResume) hooks.beforeResume(kept);

  hash.reset();
  KeptPart part = KeptPart::Differs;
  if (sameSource(source_, source)) {
    resumed.offset = keptBytes(kept, source);
    part = checkKeptPart(kept, from, resumed.offset, hash, hooks);
  }
  if (part == KeptPart::Unchecked) return std::nullopt;
  if (part == KeptPart::Differs) {
    resumed.offset = 0;
    hash.reset();
  }
  // What lies beyond the kept part is written again.
  if (ftruncate(kept, static_cast<off_t>(resumed.offset)) != 0) return std::nullopt;
  entry.keep();
  return resumed;
}

void CutCopy::discard() {
  if (!kept()) return;
  // Removed while it is still locked, as a failed copy's temporary file is.
  unlinkat(folderFd_, temporary_.name.c_str(), 0);
  temporary_ = LockedTemporary();
}

}  // namespace nuvelo
