#pragma once
// The result list's words: its column captions, and why a row's file did not open.

#include <string>
#include <system_error>

namespace nuvelo {

// The caption of the column (0 name, 1 size, 2 type, 3 modified, 4 path); empty beyond them.
std::string resultColumnCaption(int column);
// By the failure the desktop's open gave: no memory, no file, no folder, no application.
std::string openFailureText(std::error_code code);

}  // namespace nuvelo
