#pragma once
// Getting what was written onto stable storage: the drive, or the server of a share. A copy is
// only as safe as the moment its bytes reach the drive; until then a pulled USB drive or a
// power cut loses it, though every call that wrote it succeeded.

#include <string>

#include "platform/result.h"

namespace nuvelo {

// Waits until the file's data and its own metadata (size, times) are on stable storage. On a
// share or a file system in user space this is the one request that makes the server store it.
[[nodiscard]] Result<> syncEntry(int fd);

// Waits until everything written to the file system the descriptor lies on is on stable
// storage: one call for any number of files.
[[nodiscard]] Result<> syncFileSystem(int fd);

// Writes out every file system and drive of the machine: for a file system in user space that
// writes through a drive the kernel does not know it by.
void syncAllDrives();

}  // namespace nuvelo
