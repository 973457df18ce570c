#include "engine/search/search_run.h"

#include <climits>
#include <cstdlib>
#include <memory>

#include "platform/posix/filesystem.h"
#include "platform/path_text.h"

namespace nuvelo {
namespace {

// The path with every link resolved; empty when it cannot be resolved.
std::string resolvedPath(const std::string& path) {
  std::unique_ptr<char, decltype(&std::free)> resolved(realpath(path.c_str(), nullptr), &std::free);
  return resolved ? std::string(resolved.get()) : std::string();
}

}  // namespace

std::optional<std::string> searchRefusal(const std::string& source) {
  if (source.empty()) return std::string(NoSourceMessage);
  if (!isExistingFolder(source)) return std::string(BadSourceMessage);
  return std::nullopt;
}

std::string cleanSourceFolder(const std::string& text) {
  return text.empty() ? text : absoluteCleanPath(text);
}

std::optional<FileIdentity> destinationInsideSource(const std::string& source,
                                                    const std::string& destination) {
  if (source.empty() || destination.empty()) return std::nullopt;
  const std::string from = resolvedPath(source);
  const std::string to = resolvedPath(destination);
  if (from.empty() || to.empty() || to.size() <= from.size()) return std::nullopt;
  const bool below = to.compare(0, from.size(), from) == 0 && (from == "/" || to[from.size()] == '/');
  return below ? identityOf(to) : std::nullopt;
}

WalkControl walkControlOf(WalkObserver& observer) {
  WalkControl control;
  control.aborted = [&observer] { return observer.abortRequested(); };
  control.onEntry = [&observer] { observer.entryRead(); };
  control.poll = [&observer] { observer.poll(); };
  control.unreadable = [&observer](const std::string& path, int error) {
    observer.folderUnreadable({path, error});
  };
  return control;
}

SearchOutcome runSearch(const std::string& source, const WalkFilter& filter,
                        WalkObserver& observer) {
  SearchOutcome outcome;
  WalkControl control = walkControlOf(observer);
  control.unreadable = [&](const std::string& path, int error) {
    outcome.unreadable.push_back({path, error});
    observer.folderUnreadable(outcome.unreadable.back());
  };
  WalkFolder(source, outcome.paths, filter, false, control, &outcome.found);
  if (observer.abortRequested()) {
    outcome = SearchOutcome{};
    outcome.aborted = true;
  }
  return outcome;
}

}  // namespace nuvelo
