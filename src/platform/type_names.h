#pragma once
// What an entry of a folder is, and the platform's type names of entries.

#include <cstdint>
#include <string_view>

namespace nuvelo {

// What an entry is for the walks. A symbolic link is an entry of its own, never followed;
// special files (devices, pipes, sockets) are skipped.
enum class EntryKind { Folder, File, Link, Skipped };

// Gives the type of an entry by its name (a small index, the same for entries of one type).
class TypeNamer {
 public:
  virtual ~TypeNamer() = default;
  virtual std::uint16_t typeOf(std::string_view name, EntryKind kind) = 0;
};

}  // namespace nuvelo
