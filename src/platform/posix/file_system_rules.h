#pragma once
// What the file system of a destination keeps and which names it takes. Backup drives are
// mostly exFAT or FAT32, sometimes NTFS or a network share: none of them keeps all that ext4
// keeps, and a copy must know before it writes.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace nuvelo {

// How what a copy placed is brought onto stable storage before the run records it.
enum class FlushWay {
  // One sync of the whole file system (the kernel's own file systems, and those in user space
  // on a block device the kernel knows).
  FileSystem,
  // Each placed file and each folder that took an entry, synced one by one: a share's server,
  // like a file system in user space, stores what it was given only when asked for each file.
  EachFile,
  // As EachFile, and then every drive of the machine: a file system in user space that may
  // write through a drive the kernel does not know it by (fusefat).
  EachFileAndAllDrives,
};

struct FileSystemRules {
  std::string name;                    // for messages: "exFAT", "FAT32", "ext4", ...
  bool foldsCase = false;              // names that differ only in letter case are one entry
  std::int64_t timeGranularityMs = 1;  // how finely last-write times are kept
  bool keepsPermissions = true;        // permission bits are stored
  bool keepsOwners = true;             // owner and group are stored
  bool keepsLinks = true;              // symbolic links can be made
  bool windowsNames = false;           // the names Windows refuses are refused here too
  bool asciiNamesOnly = false;         // names beyond ASCII are refused (some FAT in user space)
  bool renameKeepsTimes = true;        // a rename leaves the last-write time (some FAT in user
                                       // space set it to the time of the rename)
  std::size_t maxNameLength = 255;     // bytes, or UTF-16 units where windowsNames
  std::optional<std::uint64_t> maxFileBytes;  // FAT32: 4 GiB less one byte
  FlushWay flush = FlushWay::FileSystem;
};

// The rules that the type of the folder's file system tells: the kernel's own magic number,
// or for a file system in user space on a block device the signature of that device where it
// can be read. Writes nothing.
FileSystemRules rulesByType(int folderFd);

// The rules refined by trying them out with a probe file in the folder (removed again): letter
// case, the time kept of a time set, permission bits and owner kept, a link, and a name with
// "?" and one beyond ASCII. Needs write access; falls back to rulesByType where a probe cannot be
// made.
FileSystemRules probeRules(int folderFd);

// Why a name cannot be stored under a file system's rules.
struct NameRefusal {
  enum class Why {
    NotAscii,            // a character beyond ASCII where only ASCII is taken
    TooLong,             // longer than the file system's longest name
    RefusedCharacter,    // one of the characters Windows refuses: `character`
    ControlCharacter,    // a character below 0x20
    TrailingDotOrSpace,  // a name ending in "." or " "
    ReservedName,        // a device name of Windows (CON, NUL, COM1, ...)
    NotUtf8,             // bytes that are no UTF-8, which a drive of Windows cannot spell
  };
  Why why = Why::TooLong;
  char character = 0;  // the refused character, for RefusedCharacter

  bool operator==(const NameRefusal&) const = default;
};

// Why a name cannot be stored under the rules, or nothing when it can.
std::optional<NameRefusal> nameRefusal(std::string_view name, const FileSystemRules& rules);

// The name as the rules compare it: letter case folded where the file system folds it.
std::string comparableName(std::string_view name, const FileSystemRules& rules);

}  // namespace nuvelo
