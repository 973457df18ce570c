#pragma once
// The main window's messages of its own commands: the excluded subfolders, the detail
// settings, the date drop-down, the removal of the destination's drive.

#include <string>

#include "platform/removable_drives.h"

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
// After 取り外す in the copy-finished notice: the drive may be unplugged, or it is still in use
// or was refused, with the desktop's reason on the next line.
std::string driveRemovalText(const DriveRemoval& removal);

}  // namespace nuvelo
