#include "engine/copy/destination_names.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace nuvelo {
namespace {

// The folder's entries by the name as compared.
std::unordered_map<std::string, std::string> entriesOf(int folderFd, const FileSystemRules& rules) {
  std::unordered_map<std::string, std::string> entries;
  const int listFd = folderFd >= 0 ? openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1;
  DIR* listing = listFd >= 0 ? fdopendir(listFd) : nullptr;
  if (!listing) {
    if (listFd >= 0) close(listFd);
    return entries;
  }
  while (const dirent* entry = readdir(listing)) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..")
      entries.emplace(comparableName(name, rules), std::string(name));
  }
  closedir(listing);
  return entries;
}

}  // namespace

DestinationNames::Folder& DestinationNames::folder(const std::string& subpath, int folderFd,
                                                   const FileSystemRules& rules) {
  const auto [at, added] = folders_.try_emplace(subpath);
  if (added)
    for (auto& [compared, stored] : entriesOf(folderFd, rules))
      at->second.emplace(compared, Entry{stored, {}});
  return at->second;
}

std::optional<NameClash> DestinationNames::clash(const std::string& subpath, int folderFd,
                                                 const std::string& name, const std::string& source,
                                                 const FileSystemRules& rules) {
  if (!rules.foldsCase) return std::nullopt;
  const Folder& names = folder(subpath, folderFd, rules);
  const auto found = names.find(comparableName(name, rules));
  if (found == names.end() || found->second.stored == name) return std::nullopt;
  if (!found->second.source.empty() && found->second.source != source)
    return NameClash{rules.name, found->second.source, true};
  return NameClash{rules.name, found->second.stored, false};
}

void DestinationNames::placed(const std::string& subpath, const std::string& name,
                              const std::string& source, const FileSystemRules& rules) {
  if (!rules.foldsCase) return;
  folders_[subpath][comparableName(name, rules)] = Entry{name, source};
}

}  // namespace nuvelo
