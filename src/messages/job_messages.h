#pragma once
// nuvelo-cli's texts of a job: where each of its values came from, a job file it cannot use, a
// job that has no day to start from or that runs already, and exclusions that left nothing out.

#include <cstddef>
#include <string>

namespace nuvelo {

// Where a value came from when no file gave it: "コマンドライン", "既定値".
std::string commandLineOrigin();
std::string defaultOrigin();

std::string notAJobFileText(const std::string& path);
// A job file writes a section or a key twice: "<path> の <line> 行目: [Job] Overwrite は
// すでにあります。どちらか一つにしてください".
std::string repeatedInJobFileText(const std::string& path, std::size_t line,
                                  const std::string& what);
// "<path> の <key> の値 '<value>' は使えません".
std::string invalidJobValueText(const std::string& path, const std::string& key,
                                const std::string& value);
// The job (source → destination) has no day of a last copy for --since-last.
std::string noLastCopyDayText(const std::string& source, const std::string& destination);
// The day recorded for the job cannot be read: the settings file, its line, the key and the
// value as stored.
std::string unreadableLastCopyDayText(const std::string& file, std::size_t line,
                                      const std::string& key, const std::string& value);
// The day recorded for the job lies after now: the run compares with the destination instead.
std::string futureLastCopyDayText(const std::string& day);
// Another nuvelo-cli runs the same job (source → destination).
std::string jobRunningText(const std::string& source, const std::string& destination);

// An exclusion that left nothing out: a folder or an extension given on the command line, or an
// excluded subfolder that the condition or job file `file` lists.
std::string unmetFolderExclusionText(const std::string& folder);
std::string unmetListedFolderExclusionText(const std::string& file, const std::string& folder);
std::string unmetExtensionExclusionText(const std::string& extension);
// A name pattern given with --exclude-name that matched no file or folder.
std::string unmetNameExclusionText(const std::string& pattern);

}  // namespace nuvelo
