#pragma once
// Entries that are no regular files, made inside a test's own folder: a character device (a
// stand-in for /dev/null, which needs root), a FIFO, a socket and a folder.

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <string>

namespace nuvelo::testing {

enum class NonRegularKind { CharacterDevice, Fifo, Socket, Folder };

inline const char* nameOf(NonRegularKind kind) {
  switch (kind) {
    case NonRegularKind::CharacterDevice:
      return "CharacterDevice";
    case NonRegularKind::Fifo:
      return "Fifo";
    case NonRegularKind::Socket:
      return "Socket";
    case NonRegularKind::Folder:
      return "Folder";
  }
  return "";
}

inline bool makeSocketFile(const std::string& path) {
  sockaddr_un address{};
  if (path.size() >= sizeof address.sun_path) return false;
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  if (fd < 0) return false;
  const bool bound = bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  close(fd);  // the socket's entry stays
  return bound;
}

// False when this process may not make it (a device without root).
inline bool makeEntry(NonRegularKind kind, const std::string& path) {
  switch (kind) {
    case NonRegularKind::CharacterDevice:
      return mknod(path.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    case NonRegularKind::Fifo:
      return mkfifo(path.c_str(), 0666) == 0;
    case NonRegularKind::Socket:
      return makeSocketFile(path);
    case NonRegularKind::Folder:
      return mkdir(path.c_str(), 0777) == 0;
  }
  return false;
}

// The entry's type bits, or 0 when there is none.
inline mode_t entryType(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0 ? (st.st_mode & S_IFMT) : 0;
}

}  // namespace nuvelo::testing
