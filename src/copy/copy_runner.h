#pragma once
// One entry of a copy run: where the file lands, whether the policy copies it, and the copy.
// The window and the headless command both run their copies through this.

#include <cstdint>
#include <functional>
#include <string>

#include "copy/destination_path.h"
#include "copy/destination_folders.h"
#include "copy/file_copier.h"

namespace nuvelo {

struct CopySettings {
  DestinationRule rule;
  std::string destination;  // the destination folder's text as the user gave it
  std::int32_t overwrite = OverwriteAsk;
};

struct EntryReport {
  enum Kind {
    Copied,
    NotCopied,  // the policy leaves this file alone
    Declined,   // the user kept the existing file
    Failed,
  } kind = Failed;
  std::string source;
  std::string target;  // destination folder + "/" + file name
  std::string reason;  // for a failure: the system's reason
};

class CopyRunner {
 public:
  // askReplace: the question for one existing namesake (its path), true to replace it.
  CopyRunner(CopySettings settings, std::function<bool(const std::string& target)> askReplace,
             CopyHooks hooks = {});

  // Makes the file's destination folder (also when the file is then not copied), decides by
  // the policy and copies.
  EntryReport copy(const std::string& source);
  // What copy() would do, without touching the destination: Copied means it would copy
  // (perhaps after asking), NotCopied that the policy leaves the file alone.
  EntryReport plan(const std::string& source) const;

  const CopySettings& settings() const { return settings_; }

 private:
  CopySettings settings_;
  std::function<bool(const std::string&)> askReplace_;
  CopyHooks hooks_;
  DestinationFolders folders_;
};

// The messages of a copy, in the program's words.
std::string copyFailureText(const EntryReport& report);
std::string replaceQuestionText(const std::string& target);

}  // namespace nuvelo
