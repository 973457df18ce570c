#include "platform/posix/mount_table.h"

#include <dirent.h>
#include <sys/sysmacros.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace nuvelo {
namespace {

// The table writes a space, a tab, a newline and a backslash in a path as \040, \011, \012
// and \134.
std::string unescaped(const std::string& field) {
  std::string text;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size()) {
      const std::string digits = field.substr(i + 1, 3);
      if (digits.find_first_not_of("01234567") == std::string::npos) {
        text += static_cast<char>(std::stoi(digits, nullptr, 8));
        i += 3;
        continue;
      }
    }
    text += field[i];
  }
  return text;
}

bool holds(const std::string& mountPoint, const std::string& path) {
  if (path.compare(0, mountPoint.size(), mountPoint) != 0) return false;
  return mountPoint == "/" || path.size() == mountPoint.size() || path[mountPoint.size()] == '/';
}

std::string realPathOf(const std::string& path) {
  char resolved[PATH_MAX];
  return realpath(path.c_str(), resolved) ? std::string(resolved) : std::string();
}

// The name of the link in `folder` that leads to the device, with udev's \x2f for "/" undone.
std::string linkNameFor(const std::string& folder, const std::string& device) {
  if (device.empty() || device.front() != '/') return {};
  const std::string wanted = realPathOf(device);
  DIR* links = opendir(folder.c_str());
  if (!links || wanted.empty()) {
    if (links) closedir(links);
    return {};
  }
  std::string found;
  while (const dirent* entry = readdir(links)) {
    const std::string name = entry->d_name;
    if (name == "." || name == ".." || realPathOf(folder + "/" + name) != wanted) continue;
    found = name;
    break;
  }
  closedir(links);
  for (std::size_t at; (at = found.find("\\x")) != std::string::npos && at + 4 <= found.size();)
    found.replace(at, 4, 1, static_cast<char>(std::stoi(found.substr(at + 2, 2), nullptr, 16)));
  return found;
}

}  // namespace

std::optional<MountEntry> mountEntryOf(dev_t device, const std::string& path) {
  std::ifstream table("/proc/self/mountinfo");
  const std::string wanted = std::to_string(major(device)) + ":" + std::to_string(minor(device));
  std::optional<MountEntry> best;
  for (std::string line; std::getline(table, line);) {
    std::istringstream fields(line);
    std::string id, parent, numbers, root, mountPoint;
    fields >> id >> parent >> numbers >> root >> mountPoint;
    const auto dash = line.find(" - ");
    if (numbers != wanted || dash == std::string::npos) continue;
    MountEntry entry;
    entry.mountPoint = unescaped(mountPoint);
    std::istringstream(line.substr(dash + 3)) >> entry.type >> entry.source;
    entry.source = unescaped(entry.source);
    const bool better =
        !best ||
        (holds(entry.mountPoint, path) &&
         (!holds(best->mountPoint, path) || entry.mountPoint.size() > best->mountPoint.size()));
    if (better) best = std::move(entry);
  }
  return best;
}

std::string uuidOfDevice(const std::string& device) {
  return linkNameFor("/dev/disk/by-uuid", device);
}

std::string labelOfDevice(const std::string& device) {
  return linkNameFor("/dev/disk/by-label", device);
}

}  // namespace nuvelo
