#pragma once
// Whole-file reads and atomic whole-file replacement.

#include <optional>
#include <string>
#include <string_view>

#include "platform/result.h"

namespace nuvelo {

// The bytes of a regular file (symbolic links followed); nothing when it cannot be read
// (missing, no permission) or is no regular file. A FIFO or a device is never opened in a way
// that could block.
std::optional<std::string> readWholeFile(const std::string& path);

// Whether replaceFileAtomically may replace `path`; the failure it would refuse with otherwise.
// Following symbolic links to the final target: a target that is no regular file (EISDIR for a
// folder, EINVAL for a device, FIFO or socket), a target whose owner lacks write permission or
// that this process may not write (EACCES, checked on the mode bits too, since root passes
// every permission check), or a missing (ENOENT) or unwritable (EACCES) folder for it.
[[nodiscard]] Result<> checkReplaceable(const std::string& path);

// Replaces the file at `path` with `content` so that a reader only ever sees the old file or
// the complete new one: the content goes into a temporary file beside the target, is flushed
// to disk, and is renamed over the target. A symbolic link is followed, so the file it points
// to is replaced and the link stays. A new file gets the usual permissions (0666 less the
// umask); an existing one keeps its permission bits. What replacementRefusal refuses is left
// alone. On failure the target is untouched, the temporary file is removed and the failure
// names `path`. The temporary file is locked while it is written, and each write first removes
// the temporary files beside the target that no writer holds (left by a writer that was
// killed).
[[nodiscard]] Result<> replaceFileAtomically(const std::string& path, std::string_view content);

}  // namespace nuvelo
