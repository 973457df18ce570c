#pragma once
// Where one copy lands: what the replace policy makes of a namesake, and putting the finished
// temporary entry in place under the final name.

#include <functional>
#include <optional>
#include <string>

#include "engine/copy/file_copier.h"
#include "platform/result.h"

struct stat;

namespace nuvelo {

struct CopyTarget {
  int folderFd;
  const std::string& name;
  ReplaceMode mode;
  const std::function<ReplaceAnswer()>& askReplace;
};

// Why a copy failed, where the system gives no reason of its own.
inline constexpr const char* ChangedWhileCopied = "コピー中にファイルが変更されました";
inline constexpr const char* CopyDiffers = "検証に失敗しました";
inline constexpr const char* NotARegularFile = "通常のファイルではありません";
inline constexpr const char* NoLinksHere =
    "コピー先のファイルシステムはシンボリックリンクを保存できません";

CopyOutcome failedWith(int error);
CopyOutcome failedWith(const Failure& failure);
CopyOutcome failedWith(const char* reason);
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

// Renames the finished temporary entry to the target's name: over a namesake when `replace`
// was decided, else only where none has appeared meanwhile (asking again if one has).
CopyOutcome putInPlace(const CopyTarget& target, const std::string& temporary, bool replace);

}  // namespace nuvelo
