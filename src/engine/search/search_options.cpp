#include "engine/search/search_options.h"

#include "engine/search/search_run.h"

namespace nuvelo {

WalkFilter walkFilterOf(const SearchOptions& options, const std::string& destination) {
  WalkFilter filter;
  filter.includeSubfolders = options.includeSubfolders;
  filter.sourceText = cleanSourceFolder(options.sourceFolder);
  filter.excludedSubfolders = options.excludedSubfolders;
  filter.excludedExtensions = options.excludedExtensions;
  filter.excludedNames = options.excludedNames;
  filter.perFolder = options.perFolder;
  filter.since = SinceThreshold::forDay(options.since).withChangeTime(options.changeTime);
  filter.leftOutFolder = destinationInsideSource(filter.sourceText, destination);
  filter.threads = options.walkThreads;
  return filter;
}

}  // namespace nuvelo
