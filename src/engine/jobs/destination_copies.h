#pragma once
// The destination's copies of the source's files, as a comparison with the destination reads
// them, and what a source file's copy says of it: missing, older, damaged, or the same as far
// as its time and size tell.

#include <atomic>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "engine/search/folder_walk.h"
#include "platform/posix/file_system_rules.h"

namespace nuvelo {

// What a comparison knows of a file or a link from its walk.
struct CopyFacts {
  EntryKind kind = EntryKind::File;
  std::int64_t bytes = 0;  // a regular file's size; a link counts none
  timespec modified{};
};

CopyFacts copyFactsOf(const WalkEntry& entry);

enum class CopyVerdict {
  Missing,  // no copy
  Older,    // written earlier than the source, as finely as the destination keeps times
  // As new or newer, but a regular file of another size, or a link where the source is a file
  // (or the other way round): it does not hold what the source holds.
  Damaged,
  // As new or newer, of the same kind and (a regular file) the same size: only its bytes can
  // tell more.
  SameOnTheFace,
};

// The verdict on a source's copy. A link's own size is the length of the path it holds, which
// the walk does not keep, so links are judged by their kind and time alone; a destination that
// keeps coarser times (FAT: 2 s) gives its granularity.
CopyVerdict copyVerdict(const CopyFacts& source, const std::optional<CopyFacts>& copy,
                        std::int64_t granularityMs);

// The part of a path below a folder.
std::string_view pathBelow(std::string_view path, std::string_view folder);

// Gathers, from a whole-folder walk of the destination's copy of the source, the facts of every
// file and link below it, keyed by their path below it as the destination compares names.
class DestinationCopies : public WalkVisitor {
 public:
  DestinationCopies(std::string root, FileSystemRules rules, const std::atomic<bool>& stop)
      : root_(std::move(root)), rules_(std::move(rules)), stop_(stop) {}

  void found(WalkEntry entry) override;
  bool abortRequested() override { return stop_.load(std::memory_order_relaxed); }

  // The verdict on the copy of the source file below `sourceRoot`.
  CopyVerdict verdict(const WalkEntry& source, const std::string& sourceRoot) const;
  // Where the copy of the source file below `sourceRoot` lies.
  std::string copyPathOf(const WalkEntry& source, const std::string& sourceRoot) const;
  const std::string& root() const { return root_; }

 private:
  std::string root_;
  FileSystemRules rules_;
  const std::atomic<bool>& stop_;
  std::unordered_map<std::string, CopyFacts> copies_;
};

}  // namespace nuvelo
