#include "engine/search/search_run.h"

#include <climits>
#include <cstdlib>
#include <memory>
#include <new>

#include "platform/path_text.h"
#include "platform/posix/filesystem.h"

namespace nuvelo {
namespace {

// The path with every link resolved; empty when it cannot be resolved.
std::string resolvedPath(const std::string& path) {
  std::unique_ptr<char, decltype(&std::free)> resolved(realpath(path.c_str(), nullptr), &std::free);
  return resolved ? std::string(resolved.get()) : std::string();
}

// The search's side of the walk: the outcome keeps what it finds, and the folders it could not
// read as well as telling them.
class SearchWalk : public ObservedWalk {
 public:
  SearchWalk(WalkObserver& observer, SearchOutcome& outcome)
      : ObservedWalk(observer,
                     [&observer, &outcome, keeps = observer.outcomeKeepsEntries()](WalkEntry e) {
                       if (observer.takesEntries()) {
                         observer.takeEntry(std::move(e));
                         return;
                       }
                       observer.entryFound(e);
                       if (keeps) outcome.entries.push_back(std::move(e));
                     }),
        outcome_(outcome) {}
  void unreadable(const Failure& folder) override {
    outcome_.unreadable.push_back(folder);
    ObservedWalk::unreadable(folder);
  }

 private:
  SearchOutcome& outcome_;
};

}  // namespace

std::optional<SearchRefusal> searchRefusal(const std::string& source) {
  if (source.empty()) return SearchRefusal::NoSource;
  if (!isExistingFolder(source)) return SearchRefusal::BadSource;
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
  const bool below =
      to.compare(0, from.size(), from) == 0 && (from == "/" || to[from.size()] == '/');
  return below ? identityOf(to) : std::nullopt;
}

void tellFound(WalkObserver& observer, std::vector<WalkEntry>& entries) {
  if (!observer.takesEntries()) {
    for (const WalkEntry& entry : entries) observer.entryFound(entry);
    return;
  }
  for (WalkEntry& entry : entries) observer.takeEntry(std::move(entry));
  entries.clear();
}

SearchOutcome runSearch(const std::string& source, const WalkFilter& filter,
                        WalkObserver& observer) {
  SearchOutcome outcome;
  try {
    SearchWalk walk(observer, outcome);
    walkFolder(source, filter, WalkMode::Search, walk);
  } catch (const std::bad_alloc&) {
    outcome = SearchOutcome{};  // gives back what the search held
    outcome.outOfMemory = true;
    return outcome;
  }
  if (observer.abortRequested()) {
    outcome = SearchOutcome{};
    outcome.aborted = true;
  }
  return outcome;
}

}  // namespace nuvelo
