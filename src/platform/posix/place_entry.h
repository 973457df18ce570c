#pragma once
// Putting a finished temporary entry in place under its final name without replacing a
// namesake, on every file system a copy may meet.

#include "platform/result.h"

namespace nuvelo {

// Gives the temporary entry `from` the name `to` in the folder only where no namesake is; the
// failure's code is EEXIST when a namesake is there. Where the file system refuses the
// no-replace rename (some file systems in user space and network shares), a hard link does the
// same atomically and the temporary name is dropped; where it has no hard links either (FAT),
// the name is looked up just before a plain rename. The final name never shows a
// half-written file: the entry renamed or linked is complete.
[[nodiscard]] Result<> placeWithoutReplacing(int folderFd, const char* from, const char* to);

}  // namespace nuvelo

namespace nuvelo {

// Moves the entry `from` of the folder `fromFd` to the name `to` of the folder `toFd` (on the
// same file system) only where no namesake is there; EEXIST when one is. Where the file system
// refuses the no-replace rename, the name is looked up just before a plain rename.
[[nodiscard]] Result<> moveWithoutReplacing(int fromFd, const char* from, int toFd, const char* to);

}  // namespace nuvelo
