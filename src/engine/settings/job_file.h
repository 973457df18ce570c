#pragma once
// Job files: a whole unattended job in one file, so that a timer's run takes nothing from the
// window's settings. A job file is a condition file (its type mark and its five conditions,
// which the window opens as it opens any condition file) with a [Job] section for the rest of
// the job: the overwrite policy, the layout, per-folder mode, the change-time switch, verify,
// the walk's threads, the retries of a copy that failed in a way that may pass, and the kept
// versions (KeepReplaced, VersionsFolder, PruneVersions), the name patterns that leave files
// and folders out at any depth (ExcludeNames, comma text), and what becomes of a symbolic link
// the destination cannot keep (Links, copy or skip). A key
// the [Job] section does not hold takes the built-in default, never the settings file's.

#include <string>

#include "engine/copy/copy_options.h"
#include "engine/search/search_options.h"
#include "engine/settings/option_layer.h"
#include "platform/result.h"

namespace nuvelo {

// Why a file cannot serve as a job file.
struct JobFileProblem {
  enum class Kind {
    NotAJobFile,  // missing, unreadable, or without the condition file's type mark
    BadValue,     // a [Job] key whose value is none of those it takes
    Repeated,     // a section, or a key within its section, written twice
  };
  Kind kind = Kind::NotAJobFile;
  std::string key;       // "[Job] Overwrite"; for a repeated section "[Job]"
  std::string value;     // as written
  std::size_t line = 0;  // Repeated: the line of the second
};

// The options the job file sets, each named by the file and its key. A file that writes a section
// or a key twice is refused: which of the two a run would take is not for a reader to guess.
Expected<OptionLayer, JobFileProblem> readJobFile(const std::string& path);

// Writes the condition keys and the [Job] keys of these options, keeping every other line of
// an existing file; stops at the first key that cannot be written.
[[nodiscard]] Result<> writeJobFile(const std::string& path, const SearchOptions& search,
                                    const CopyOptions& copy);

// The names the [Job] section's Overwrite key takes besides the numbers 0 to 3.
const char* overwritePolicyName(OverwritePolicy policy);

}  // namespace nuvelo
