#include "engine/search/descriptor_budget.h"

#include <algorithm>

#include "platform/posix/process_limits.h"

namespace nuvelo {
namespace {

// The deepest folders of a walk that keep their descriptor, at most: deeper trees open their
// folders again on the way back.
constexpr std::size_t MostOpenFolders = 64;
// Besides its folders, a walk opens one folder again on the way back and looks at the file
// system of the walked folder.
constexpr std::size_t WalkBesides = 3;

// Files decided ahead of the one told, for each writer: enough that the window spans many
// folders at once, since a file system makes or renames one entry of a folder at a time.
constexpr std::size_t AheadPerWriter = 32;
constexpr std::size_t MostAhead = 1024;
// A decided file holds its source, and its destination folder's descriptor, which it shares
// with the files of the same folder decided next to it (counted whole, as if each had its own).
constexpr std::size_t PerDecidedFile = 2;
// A file being written holds besides its temporary file, the folder of the version it keeps,
// and one opened for a moment (an ACL, a cut copy taken up again, a folder opened anew).
constexpr std::size_t PerWrite = 3;
// The copy as a whole: the destination folder open, the versions' folders, a probe file.
constexpr std::size_t CopyBesides = 4;

}  // namespace

std::size_t runDescriptorBudget(std::size_t given) {
  return given > 0 ? given : openFilesLimit() / 4;
}

WalkDescriptors walkDescriptors(std::size_t budget, std::size_t wantedReadAhead) {
  WalkDescriptors held;
  held.openFolders = std::clamp<std::size_t>(budget / 4, 1, MostOpenFolders);
  const std::size_t left =
      budget > held.openFolders + WalkBesides ? budget - held.openFolders - WalkBesides : 0;
  held.readAhead = std::clamp<std::size_t>(left / 2, 1, std::max<std::size_t>(wantedReadAhead, 1));
  return held;
}

CopyDescriptors copyDescriptors(std::size_t budget, unsigned threads) {
  // Each writer and the calling thread with a file being written, and at least one more decided
  // for each: PerWrite + 2 * PerDecidedFile a writer.
  const std::size_t perWriter = PerWrite + 2 * PerDecidedFile;
  const std::size_t room =
      budget > CopyBesides + PerWrite ? budget - CopyBesides - PerWrite : 0;  // the caller's
  CopyDescriptors held;
  held.writers = static_cast<unsigned>(std::min<std::size_t>(threads, room / perWriter));
  if (held.writers == 0) return held;
  const std::size_t leftForDecided = room - PerWrite * held.writers;
  held.ahead =
      std::min({AheadPerWriter * held.writers, MostAhead, leftForDecided / PerDecidedFile});
  return held;
}

}  // namespace nuvelo
