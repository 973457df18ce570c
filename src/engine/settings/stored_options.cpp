#include "engine/settings/stored_options.h"

namespace nuvelo {

SearchOptions storedSearchOptions(const MainWindowSettings& settings) {
  SearchOptions search;
  search.sourceFolder = settings.from;
  search.includeSubfolders = settings.includeSubfolders;
  search.perFolder = settings.perFolder;
  search.excludedExtensions = settings.excludedExtensions;
  search.excludedNames = settings.excludedNames;
  search.changeTime = settings.changeTime;
  search.walkThreads = settings.threads;
  return search;
}

CopyOptions storedCopyOptions(const MainWindowSettings& settings) {
  CopyOptions copy;
  copy.destination = settings.to;
  copy.dirAbs = settings.dirAbs;
  copy.addDriveLetter = settings.addDriveLetter;
  copy.overwrite = settings.overwrite;
  copy.verify = settings.verify;
  copy.retry = settings.retry;
  copy.keepReplaced = settings.keepReplaced;
  copy.versionsFolder = settings.versionsFolder;
  return copy;
}

void storeOptions(const SearchOptions& search, const CopyOptions& copy,
                  MainWindowSettings& settings) {
  settings.from = search.sourceFolder;
  settings.includeSubfolders = search.includeSubfolders;
  settings.perFolder = search.perFolder;
  settings.excludedExtensions = search.excludedExtensions;
  settings.excludedNames = search.excludedNames;
  settings.changeTime = search.changeTime;
  settings.threads = search.walkThreads;
  settings.to = copy.destination;
  settings.dirAbs = copy.dirAbs;
  settings.addDriveLetter = copy.addDriveLetter;
  settings.overwrite = copy.overwrite;
  settings.verify = copy.verify;
  settings.retry = copy.retry;
  settings.keepReplaced = copy.keepReplaced;
  settings.versionsFolder = copy.versionsFolder;
}

SearchConditions conditionsOf(const SearchOptions& search, const std::string& destination) {
  SearchConditions conditions;
  conditions.source = search.sourceFolder;
  conditions.destination = destination;
  conditions.includeSubfolders = search.includeSubfolders;
  conditions.excludedSubfolders = search.excludedSubfolders;
  conditions.excludedExtensions = search.excludedExtensions;
  return conditions;
}

}  // namespace nuvelo
