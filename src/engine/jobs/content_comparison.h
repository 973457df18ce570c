#pragma once
// The comparison of contents: each source file and its copy at the destination read whole and
// hashed (XXH3-64), on worker threads, for the files whose time and size tell nothing. Nothing
// is written, and the files' access times are left as they were where the reader owns them.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "engine/search/search_run.h"

namespace nuvelo {

// A source file and where its copy lies.
struct FilePair {
  std::string source;
  std::string copy;
};

enum class PairVerdict : std::uint8_t {
  Same,
  Differs,           // other bytes, or sizes that now differ
  SourceGone,        // the source is no longer there: there is nothing to prove
  SourceUnreadable,  // the source could not be read: nothing proves its copy
  CopyUnreadable,    // the copy could not be read, or is gone: it cannot be proved
};

struct PairOutcome {
  PairVerdict verdict = PairVerdict::Same;
  std::error_code code;  // why a side could not be read
};

// Reads and hashes both sides of the pair; `chunkHashed` is told each chunk's bytes and
// stops the reading with false. Nothing when it was stopped.
std::optional<PairOutcome> comparePair(const FilePair& pair,
                                       const std::function<bool(std::uint64_t)>& chunkHashed);

struct ContentComparison {
  std::size_t pairs = 0;
  // The pair at an index; called on the worker threads.
  std::function<FilePair(std::size_t)> pairAt;
  std::uint64_t bytes = 0;  // both sides of every pair, for the progress
  unsigned threads = 1;
};

// Compares every pair on `threads` worker threads while the calling thread tells the observer
// the bytes hashed now and then and watches for an abort. The outcomes in the pairs' order;
// nothing when the comparison was aborted. What a worker throws (memory ran out) is thrown here.
std::optional<std::vector<PairOutcome>> compareContents(const ContentComparison& comparison,
                                                        WalkObserver& observer);

}  // namespace nuvelo
