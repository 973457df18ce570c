#include "engine/jobs/destination_copies.h"

#include "engine/copy/overwrite_policy.h"
#include "platform/path_text.h"

namespace nuvelo {

CopyFacts copyFactsOf(const WalkEntry& entry) {
  return {entry.kind, entry.bytes, {entry.modifiedSeconds, entry.modifiedNanoseconds}};
}

CopyVerdict copyVerdict(const CopyFacts& source, const std::optional<CopyFacts>& copy,
                        std::int64_t granularityMs) {
  if (!copy) return CopyVerdict::Missing;
  if (writtenLater(source.modified, copy->modified, granularityMs)) return CopyVerdict::Older;
  if (source.kind != copy->kind) return CopyVerdict::Damaged;
  if (source.kind == EntryKind::File && source.bytes != copy->bytes) return CopyVerdict::Damaged;
  return CopyVerdict::SameOnTheFace;
}

std::string_view pathBelow(std::string_view path, std::string_view folder) {
  const std::size_t cut = folder.size() + (folder.back() == '/' ? 0 : 1);
  return path.size() > cut ? path.substr(cut) : std::string_view();
}

void DestinationCopies::found(WalkEntry entry) {
  copies_.emplace(comparableName(pathBelow(entry.path, root_), rules_), copyFactsOf(entry));
}

CopyVerdict DestinationCopies::verdict(const WalkEntry& source,
                                       const std::string& sourceRoot) const {
  const auto copy = copies_.find(comparableName(pathBelow(source.path, sourceRoot), rules_));
  return copyVerdict(copyFactsOf(source),
                     copy == copies_.end() ? std::nullopt : std::optional<CopyFacts>(copy->second),
                     rules_.timeGranularityMs);
}

// A destination that folds letter case finds the copy by the source's spelling too.
std::string DestinationCopies::copyPathOf(const WalkEntry& source,
                                          const std::string& sourceRoot) const {
  return joinPath(root_, pathBelow(source.path, sourceRoot));
}

}  // namespace nuvelo
