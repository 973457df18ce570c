#pragma once
// A list of name patterns in a file of its own (nuvelo-cli --exclude-from): one pattern a line,
// as engine/search/name_patterns.h reads a list.

#include <string>
#include <vector>

#include "engine/search/name_patterns.h"
#include "platform/result.h"

namespace nuvelo {

// Why a pattern file cannot serve: it cannot be read (the failure's errno value: missing, a
// folder, no permission, larger than any list of names), or one of its lines cannot name anything.
struct NamePatternFileProblem {
  std::optional<Failure> unreadable;
  PatternLine badLine;  // when readable
  NamePatternFault fault = NamePatternFault::None;
};

// The patterns of the file at `path`, which may be a pipe (a shell's <(...)).
Expected<std::vector<std::string>, NamePatternFileProblem> readNamePatternFile(
    const std::string& path);

}  // namespace nuvelo
