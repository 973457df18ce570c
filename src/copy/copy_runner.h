#pragma once
// One file of a copy run: where it lands, whether the policy copies it, and the copy.

#include <cstdint>
#include <functional>
#include <string>

#include "copy/destination_folders.h"
#include "copy/destination_path.h"
#include "copy/file_copier.h"

namespace nuvelo {

struct CopySettings {
  DestinationRule rule;
  std::string destination;  // the destination folder's text as the user gave it
  std::int32_t overwrite = OverwriteAsk;
  bool verify = false;
};

struct EntryReport {
  enum Kind {
    Copied,
    NotCopied,  // the policy leaves this file alone
    Declined,   // the user kept the existing file
    SameFile,   // the target is the source itself: never written
    Stopped,    // the run was stopped during this file; the target is as it was
    Failed,
  } kind = Failed;
  std::string source;
  std::string target;  // destination folder + "/" + file name
  std::string reason;  // for a failure: the system's reason
};

class CopyRunner {
 public:
  // askReplace: the question for one existing namesake (its path).
  CopyRunner(CopySettings settings,
             std::function<ReplaceAnswer(const std::string& target)> askReplace,
             CopyHooks hooks = {});

  // Makes the file's destination folder (also when the file is then not copied), decides by
  // the policy and copies.
  EntryReport copy(const std::string& source);
  // What copy() would do, without touching the destination: Copied means it would copy
  // (perhaps after asking), NotCopied that the policy leaves the file alone.
  EntryReport plan(const std::string& source) const;
  // Gives the folders this runner made the modes and times of their source folders; call
  // once the last file is in.
  void finish();

  const CopySettings& settings() const { return settings_; }

 private:
  EntryReport reportFor(const std::string& source) const;

  CopySettings settings_;
  std::function<ReplaceAnswer(const std::string&)> askReplace_;
  CopyHooks hooks_;
  DestinationFolders folders_;
};

// The messages of a copy, in the program's words.
std::string copyFailureText(const EntryReport& report);
std::string replaceQuestionText(const std::string& target);
inline constexpr const char* SameFileText = "コピー元と同じファイルです";

}  // namespace nuvelo
