#pragma once
// Where a copied file lands: the destination folder text followed by the part of the source's
// folder that the path mode keeps.

#include <string>

namespace nuvelo {

enum class PathStyle {
  Posix,    // "/" separates; no drive letters
  Windows,  // "\" separates, "C:" drives and "\\server" network paths
};

struct DestinationRule {
  bool dirAbs = true;          // absolute mode: rebuild from the root
  bool addDriveLetter = true;  // absolute mode: a folder named after the drive letter first
  std::string searchRoot;      // relative mode: the source folder of the search
  PathStyle style = PathStyle::Posix;
};

// The part that follows the destination folder's text, without a trailing separator: empty
// when the file lands directly in the destination folder, else beginning with a separator.
std::string destinationSubpath(const std::string& sourceFile, const DestinationRule& rule);

// The destination folder of a source file: the destination text followed by its subpath.
std::string destFolderOf(const std::string& sourceFile, const std::string& destinationText,
                         const DestinationRule& rule);

// The file name of a path (after its last separator, or drive colon in Windows style).
std::string fileNameOf(const std::string& path, PathStyle style);

}  // namespace nuvelo
