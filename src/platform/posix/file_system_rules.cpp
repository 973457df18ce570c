#include "platform/posix/file_system_rules.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <locale.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/vfs.h>
#include <unistd.h>
#include <wctype.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/ascii_text.h"
#include "platform/posix/mount_table.h"
#include "platform/posix/temporary_names.h"
#include "platform/text_encoding.h"

namespace nuvelo {
namespace {

constexpr long ExfatMagic = 0x2011BAB0;
constexpr long Ntfs3Magic = 0x7366746e;
constexpr long CifsMagic = 0xFF534D42;
constexpr long Smb2Magic = 0xFE534D42;
constexpr long FuseMagic = 0x65735546;
constexpr long NfsMagic = 0x6969;
constexpr long V9fsMagic = 0x01021997;
constexpr long CephMagic = 0x00c36400;
constexpr long AfsMagic = 0x6B414653;
constexpr std::uint64_t Fat32Limit = (std::uint64_t{4} << 30) - 1;

// Drives that Windows, a Mac and a camera all read: letter case folded, Windows' names only,
// no permission bits, owners or links.
FileSystemRules windowsDrive(const char* name, std::int64_t granularityMs) {
  FileSystemRules rules;
  rules.name = name;
  rules.foldsCase = true;
  rules.timeGranularityMs = granularityMs;
  rules.keepsPermissions = false;
  rules.keepsOwners = false;
  rules.keepsLinks = false;
  rules.windowsNames = true;
  return rules;
}

FileSystemRules fat32() {
  FileSystemRules rules = windowsDrive("FAT32", 2000);
  rules.maxFileBytes = Fat32Limit;
  return rules;
}

// The rules a file system in user space tells by the name it mounts under.
std::optional<FileSystemRules> rulesBySubtype(std::string_view type) {
  if (type == "fuse.fusefat") return fat32();
  if (type == "fuse.exfat" || type == "fuseblk.exfat") return windowsDrive("exFAT", 1000);
  if (type.find("ntfs") != std::string_view::npos) {
    FileSystemRules rules;
    rules.name = "NTFS";
    return rules;
  }
  return std::nullopt;
}

// The rules a block device's own signature tells, where it can be read.
std::optional<FileSystemRules> rulesBySignature(const std::string& device) {
  if (device.empty() || device.front() != '/') return std::nullopt;
  const int fd = open(device.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  std::array<char, 512> boot{};
  const ssize_t n = pread(fd, boot.data(), boot.size(), 0);
  close(fd);
  if (n < static_cast<ssize_t>(boot.size())) return std::nullopt;
  const std::string_view sector(boot.data(), boot.size());
  // exFAT keeps whole seconds through its file system in user space.
  if (sector.substr(3, 8) == "EXFAT   ") return windowsDrive("exFAT", 1000);
  if (sector.substr(3, 8) == "NTFS    ") {
    FileSystemRules rules;
    rules.name = "NTFS";
    return rules;
  }
  if (sector.substr(82, 8) == "FAT32   ") return fat32();
  if (sector.substr(54, 5) == "FAT16" || sector.substr(54, 5) == "FAT12") {
    FileSystemRules rules = fat32();
    rules.name = "FAT";
    return rules;
  }
  return std::nullopt;
}

// Whether a probe name with `extra` after it can be made in the folder.
bool takesNamesWith(int folderFd, std::string_view extra) {
  const std::string name = freshTemporaryName() + std::string(extra);
  const int fd = openat(folderFd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  close(fd);
  unlinkat(folderFd, name.c_str(), 0);
  return true;
}

bool makesLinks(int folderFd) {
  const std::string name = freshTemporaryName();
  if (symlinkat("probe", folderFd, name.c_str()) != 0) return false;
  unlinkat(folderFd, name.c_str(), 0);
  return true;
}

// The granularity of the time the file system keeps of a time set on the probe: an odd
// second and a fraction, read back.
std::optional<std::int64_t> keptGranularityMs(int fd) {
  constexpr time_t OddSecond = 1700000001;
  const timespec set{OddSecond, 123456789};
  const timespec times[2] = {set, set};
  struct stat st {};
  if (futimens(fd, times) != 0 || fstat(fd, &st) != 0) return std::nullopt;
  const long ns = st.st_mtim.tv_nsec;
  if (st.st_mtim.tv_sec != OddSecond)
    return ns == 0 ? std::optional<std::int64_t>(2000) : std::nullopt;
  if (ns == 0) return 1000;
  for (const std::int64_t ms : {100, 10}) {
    if (ns % (ms * 1000000) == 0) return ms;
  }
  return 1;
}

// Whether the probe, once renamed, still has the time set on it.
bool renameKeepsTimesOf(int folderFd, std::string& probeName) {
  struct stat before {
  }, after{};
  const std::string renamed = freshTemporaryName();
  if (fstatat(folderFd, probeName.c_str(), &before, 0) != 0 ||
      renameat(folderFd, probeName.c_str(), folderFd, renamed.c_str()) != 0)
    return true;
  probeName = renamed;
  return fstatat(folderFd, renamed.c_str(), &after, 0) == 0 &&
         after.st_mtim.tv_sec == before.st_mtim.tv_sec;
}

bool keepsModes(int fd) {
  for (const mode_t mode : {mode_t{0640}, mode_t{0604}}) {
    struct stat st {};
    if (fchmod(fd, mode) != 0 || fstat(fd, &st) != 0 || (st.st_mode & 0777) != mode) return false;
  }
  return true;
}

// Only root can give a file away; an ordinary user's copies are theirs on any file system.
bool keepsOwnership(int fd, bool byType) {
  if (geteuid() != 0) return byType;
  constexpr uid_t Someone = 1;
  struct stat st {};
  return fchown(fd, Someone, Someone) == 0 && fstat(fd, &st) == 0 && st.st_uid == Someone &&
         st.st_gid == Someone;
}

// The probe's name in capitals finds it only where letter case is folded: the random name has
// no other entry. (Inode numbers cannot tell: a file system in user space may number each name
// it was looked up by on its own.)
bool foldsCaseOf(int folderFd, const std::string& probeName) {
  std::string upper = probeName;
  for (char& c : upper) c = asciiUpper(c);
  struct stat st {};
  return fstatat(folderFd, upper.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

// Letter case as the C.UTF-8 locale maps it, whatever locale the program runs in.
char32_t upperCase(char32_t c) {
  static const locale_t unicode =
      newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
  if (c < 0x80) return static_cast<char32_t>(asciiUpper(static_cast<char>(c)));
  return unicode ? static_cast<char32_t>(towupper_l(static_cast<wint_t>(c), unicode)) : c;
}

bool isReservedDeviceName(std::string_view name) {
  const std::string stem = asciiLowered(name.substr(0, name.find('.')));
  static constexpr std::array<std::string_view, 4> plain = {"con", "prn", "aux", "nul"};
  for (const std::string_view reserved : plain)
    if (stem == reserved) return true;
  return stem.size() == 4 && (stem.starts_with("com") || stem.starts_with("lpt")) &&
         stem[3] >= '1' && stem[3] <= '9';
}

std::size_t utf16Length(std::string_view name) {
  std::size_t units = 0;
  for (std::size_t i = 0; i < name.size();) {
    const auto c = decodeAt(name, i);
    units += c && *c >= 0x10000 ? 2 : 1;
  }
  return units;
}

// A file system in user space on a block device the kernel knows (fuseblk) is written out with
// that device; one without (a share, or a driver that opens its drive itself, as fusefat
// does) stores what it was given only when asked file by file, and its drive, if any, only with
// every drive of the machine.
FlushWay fuseFlushWay(const struct stat& folder) {
  return major(folder.st_dev) != 0 ? FlushWay::FileSystem : FlushWay::EachFileAndAllDrives;
}

FileSystemRules rulesOfType(long type, const struct stat& folder, const MountEntry& mount) {
  FileSystemRules rules;
  rules.name = mount.type.empty() ? "?" : mount.type;
  switch (type) {
    case MSDOS_SUPER_MAGIC:
      return fat32();
    case ExfatMagic:
      return windowsDrive("exFAT", 10);
    case Ntfs3Magic:
      rules.name = "NTFS";
      return rules;
    case CifsMagic:
    case Smb2Magic:
      rules.name = "SMB";
      rules.foldsCase = true;
      rules.windowsNames = true;
      rules.flush = FlushWay::EachFile;
      return rules;
    case NfsMagic:
    case V9fsMagic:
    case CephMagic:
    case AfsMagic:
      rules.flush = FlushWay::EachFile;
      return rules;
    case FuseMagic: {
      FileSystemRules fuse =
          rulesBySubtype(mount.type).value_or(rulesBySignature(mount.source).value_or(rules));
      fuse.flush = fuseFlushWay(folder);
      return fuse;
    }
    default:
      return rules;
  }
}

}  // namespace

FileSystemRules rulesByType(int folderFd) {
  struct statfs fs {};
  struct stat st {};
  if (fstatfs(folderFd, &fs) != 0 || fstat(folderFd, &st) != 0) return {};
  return rulesOfType(static_cast<long>(fs.f_type), st,
                     mountEntryOf(st.st_dev).value_or(MountEntry{}));
}

FileSystemRules probeRules(int folderFd) {
  FileSystemRules rules = rulesByType(folderFd);
  const std::string name = freshTemporaryName();
  const int fd = openat(folderFd, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return rules;
  flock(fd, LOCK_EX | LOCK_NB);  // a sweep of another run leaves it alone
  rules.foldsCase = foldsCaseOf(folderFd, name);
  if (const auto granularity = keptGranularityMs(fd)) rules.timeGranularityMs = *granularity;
  rules.keepsPermissions = keepsModes(fd);
  rules.keepsOwners = rules.keepsPermissions && keepsOwnership(fd, rules.keepsOwners);
  std::string probeName = name;
  rules.renameKeepsTimes = renameKeepsTimesOf(folderFd, probeName);
  unlinkat(folderFd, probeName.c_str(), 0);
  close(fd);
  rules.keepsLinks = makesLinks(folderFd);
  rules.windowsNames = !takesNamesWith(folderFd, "?");
  rules.asciiNamesOnly = !takesNamesWith(folderFd, "\xC3\xA9");  // é
  return rules;
}

std::optional<NameRefusal> nameRefusal(std::string_view name, const FileSystemRules& rules) {
  using Why = NameRefusal::Why;
  if (rules.asciiNamesOnly)
    for (const char c : name)
      if (static_cast<unsigned char>(c) >= 0x80) return NameRefusal{Why::NotAscii};
  if (!rules.windowsNames) {
    if (name.size() > rules.maxNameLength) return NameRefusal{Why::TooLong};
    return std::nullopt;
  }
  for (const char c : name) {
    if (static_cast<unsigned char>(c) < 0x20) return NameRefusal{Why::ControlCharacter};
    if (std::strchr("\"*:<>?\\|", c) != nullptr) return NameRefusal{Why::RefusedCharacter, c};
  }
  if (!name.empty() && (name.back() == '.' || name.back() == ' '))
    return NameRefusal{Why::TrailingDotOrSpace};
  if (isReservedDeviceName(name)) return NameRefusal{Why::ReservedName};
  if (!isValidUtf8(name)) return NameRefusal{Why::NotUtf8};
  if (utf16Length(name) > rules.maxNameLength) return NameRefusal{Why::TooLong};
  return std::nullopt;
}

std::string comparableName(std::string_view name, const FileSystemRules& rules) {
  if (!rules.foldsCase) return std::string(name);
  std::string folded;
  folded.reserve(name.size());
  for (std::size_t i = 0; i < name.size();) {
    const std::size_t start = i;
    if (const auto c = decodeAt(name, i))
      appendUtf8(folded, upperCase(*c));
    else
      folded.append(name.substr(start, i - start));
  }
  return folded;
}

}  // namespace nuvelo
