#pragma once
// Where one copy lands: what the replace policy makes of a namesake, and putting the finished
// temporary entry in place under the final name.

#include <functional>
#include <optional>
#include <string>

#include "engine/copy/copy_errors.h"
#include "engine/copy/file_copier.h"
#include "platform/result.h"

struct stat;

namespace nuvelo {

struct CopyTarget {
  int folderFd;
  const std::string& name;
  ReplaceMode mode;
  const std::function<ReplaceAnswer()>& askReplace;
  const ReplaceNamesake* replaceNamesake = nullptr;  // none: renamed over the namesake
};

CopyOutcome failedWith(std::error_code code);
CopyOutcome failedWith(int error);
CopyOutcome failedWith(CopyError error);
CopyOutcome failedWith(const Failure& failure);
CopyOutcome stopped();

// Whether two looked-up entries are the same file.
bool isSameEntry(const struct stat& a, const struct stat& b);

// What the copy does about the target before anything is written: nothing (an outcome), or
// go on, replacing a namesake or not.
struct TargetDecision {
  std::optional<CopyOutcome> settled;
  bool replace = false;
};
TargetDecision decideTarget(const CopyTarget& target, const struct stat& source);
// The same from the target as it was just looked up (nothing: no entry of its name).
TargetDecision decideTargetFrom(const CopyTarget& target, const struct stat& source,
                                const struct stat* existing);

// Renames the finished temporary entry to the target's name: over a namesake when `replace`
// was decided, else only where none has appeared meanwhile (asking again if one has). A
// namesake is replaced through the target's replaceNamesake when it has one.
CopyOutcome putInPlace(const CopyTarget& target, const std::string& temporary, bool replace);

}  // namespace nuvelo
