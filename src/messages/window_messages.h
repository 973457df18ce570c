#pragma once
// The main window's messages of its own commands: the excluded subfolders, the detail
// settings, the date drop-down.

#include <string>

namespace nuvelo {

// Adding an excluded subfolder: the source folder is no folder, or the chosen one is not below
// it ("\"<source>\"\r" and the request on the next line).
std::string badParentFolderText();
std::string notBelowSourceText(const std::string& source);
// A name pattern of the detail settings that holds a "/": a name never does, and a path below
// the source is an excluded subfolder.
std::string slashInExcludedNameText(const std::string& pattern);
// The per-folder mode changed while rows are listed.
std::string searchAgainText();
// "'<text>' は整数ではありません": a repeat count of a key text that is no number.
std::string notAnIntegerText(const std::string& text);

}  // namespace nuvelo
