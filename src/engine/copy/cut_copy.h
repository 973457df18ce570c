#pragma once
// A large file's copy cut short by a failure that may pass: its temporary file is kept for the
// file's next try, which goes on from where the kept part ends once it has found that part
// still to hold the source's first bytes. A kept part that no try takes up is removed.

#include <sys/stat.h>

#include <cstdint>
#include <optional>
#include <system_error>

#include "engine/copy/content_hash.h"
#include "engine/copy/file_copier.h"
#include "platform/posix/temporary_files.h"

namespace nuvelo {

// From this size on a cut copy is kept: below it, copying the file again costs less than
// reading the kept part back to check it.
inline constexpr std::uint64_t ResumableFrom = std::uint64_t{8} << 20;
// The kept part counts in whole steps of this size; a step the cut left partly written is
// written again.
inline constexpr std::uint64_t ResumeStep = std::uint64_t{1} << 20;

// Whether a copy of `source` that failed with `code` is worth keeping for another try.
bool keepsWhenCut(const struct stat& source, const std::error_code& code);

// The temporary file a try goes on with, holding the source's first `offset` bytes.
struct ResumedCopy {
  LockedTemporary temporary;
  std::uint64_t offset = 0;
};

class CutCopy {
 public:
  CutCopy() = default;
  ~CutCopy() { discard(); }
  CutCopy(const CutCopy&) = delete;
  CutCopy& operator=(const CutCopy&) = delete;

  // Keeps the temporary file (still locked) in the folder, a cut copy of `source`.
  void keep(int folderFd, LockedTemporary temporary, const struct stat& source);
  bool kept() const { return !temporary_.name.empty(); }
  // The kept part's folder is open anew as `folderFd` (the old descriptor died with a lost
  // connection).
  void movedTo(int folderFd) { folderFd_ = folderFd; }

  // Takes the kept part up for a copy of `source` (its status as it is open now as `from`): the
  // temporary file reopened and locked, with how much of the source it holds, which `hash` then
  // holds too. From zero when the source is another file or has changed since the cut, or when
  // the kept bytes differ from the source's. Nothing when there is no part to take up, when it
  // cannot be reopened or someone else holds it, or when the run is aborted meanwhile. Either
  // way the part is no longer kept here.
  std::optional<ResumedCopy> resume(int from, const struct stat& source, ContentHash& hash,
                                    const CopyHooks& hooks);
  // Removes the kept part, if any.
  void discard();

 private:
  int folderFd_ = -1;
  LockedTemporary temporary_;
  struct stat source_ {};
};

}  // namespace nuvelo
