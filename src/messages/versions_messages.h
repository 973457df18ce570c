#pragma once
// nuvelo-cli versions: what it says when it cannot tell where a file's kept versions are, or
// finds none.

#include <string>

namespace nuvelo {

// The job or settings file `file` names no destination.
std::string namesNoDestinationText(const std::string& file);
std::string outsideDestinationText(const std::string& path, const std::string& destination);
// No folder above `path` holds a versions folder (its name: `versionsFolder`).
std::string outsideKeptDestinationText(const std::string& path, const std::string& versionsFolder);
std::string noKeptVersionsText(const std::string& path);

}  // namespace nuvelo
