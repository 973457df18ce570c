#include "engine/copy/destination_names.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace nuvelo {
namespace {

// The folder's entries by the name as compared.
std::unordered_map<std::string, std::string> entriesOf(int folderFd, const FileSystemRules& rules) {
  std::unordered_map<std::string, std::string> entries;
  for (std::string& name : entryNamesOf(folderFd).value_or(std::vector<std::string>{}))
    entries.emplace(comparableName(name, rules), std::move(name));
  return entries;
}

}  // namespace

std::optional<std::vector<std::string>> entryNamesOf(int folderFd) {
  const int listFd = folderFd >= 0 ? openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1;
  DIR* listing = listFd >= 0 ? fdopendir(listFd) : nullptr;
  if (!listing) {
    if (listFd >= 0) close(listFd);
    return std::nullopt;
  }
  std::vector<std::string> names;
  while (const dirent* entry = readdir(listing)) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
  }
  closedir(listing);
  return names;
}

// Names as a file system that folds letter case compares them: where the destination folds
// case without the run knowing, another spelling still counts as the name.
std::string foldedName(std::string_view name) {
  static const FileSystemRules folding = [] {
    FileSystemRules rules;
    rules.foldsCase = true;
    return rules;
  }();
  return comparableName(name, folding);
}

bool KnownEntries::mayHold(const std::string& subpath, int folderFd, const std::string& name) {
  const auto [at, added] = folders_.try_emplace(subpath);
  Folder& folder = at->second;
  if (added) {
    if (auto names = entryNamesOf(folderFd)) {
      folder.listed = true;
      for (const std::string& listed : *names) folder.names.insert(foldedName(listed));
    }
  }
  return !folder.listed || folder.names.contains(foldedName(name));
}

void KnownEntries::placed(const std::string& subpath, const std::string& name) {
  folders_[subpath].names.insert(foldedName(name));
}

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
