#pragma once
// The search and copy options as the settings file and the condition files store them: which
// key holds which option, in both directions.

#include <string>

#include "engine/copy/copy_options.h"
#include "engine/search/search_options.h"
#include "engine/settings/condition_file.h"
#include "engine/settings/settings_file.h"

namespace nuvelo {

// The search options the settings file holds: source folder, subfolder switch, per-folder mode,
// excluded extensions and name patterns (the day and the excluded subfolders are not kept there).
SearchOptions storedSearchOptions(const MainWindowSettings& settings);
// The copy options the settings file holds: destination, path mode, drive-letter folder,
// overwrite policy and verify.
CopyOptions storedCopyOptions(const MainWindowSettings& settings);
// Puts the options into the settings' keys; every other key stays as it is.
void storeOptions(const SearchOptions& search, const CopyOptions& copy,
                  MainWindowSettings& settings);

// The conditions a condition file keeps: the search options with the destination folder.
SearchConditions conditionsOf(const SearchOptions& search, const std::string& destination);

}  // namespace nuvelo
