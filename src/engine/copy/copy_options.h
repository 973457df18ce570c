#pragma once
// How a copy writes what a search found, as one value: the destination, the path mode, the
// overwrite policy, the verify switch and the retries, as the settings file and the detail
// settings hold them.

#include <cstdint>
#include <string>

#include "engine/copy/copy_retry.h"
#include "engine/copy/copy_run.h"
#include "engine/copy/link_mode.h"
#include "engine/copy/overwrite_policy.h"

namespace nuvelo {

struct CopyOptions {
  std::string destination;     // the destination folder's text as the user gave it
  bool dirAbs = true;          // rebuild each file's folder from the root, else from the source
  bool addDriveLetter = true;  // absolute mode: a folder named after the drive letter first
  std::int32_t overwrite = OverwriteAsk;  // the stored number (overwritePolicyOf)
  bool verify = false;                    // re-read every copy before it is put in place
  RetryPolicy retry;  // a copy that fails in a way that may pass: how often, after what wait
  bool keepReplaced = false;   // keep each replaced file in the versions folder
  std::string versionsFolder;  // versionsRootOf: empty for the destination's .nuvelo-versions
  std::optional<unsigned> pruneVersionsDays;  // none: kept versions are never removed
  LinkMode links = LinkMode::Copy;  // a link the destination cannot keep: fail or leave out
};

// The copy run's request for rows found below `searchRoot`; `filter` holds the exclusions that
// apply when a folder row is expanded.
CopyRequest copyRequestOf(const CopyOptions& options, const std::string& searchRoot,
                          WalkFilter filter);

}  // namespace nuvelo
