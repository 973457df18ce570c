#pragma once
// The text of a job's retry list: the files (and unreadable folders) that its runs could not
// carry, one absolute path a line, so that a user can read it with any pager. A path may hold
// any byte but NUL: "\" is written "\\", a line feed "\n" and a carriage return "\r". Lines
// that are empty, begin with "#" or hold no absolute path are passed over.

#include <string>
#include <string_view>
#include <vector>

namespace nuvelo {

std::string retryListText(const std::vector<std::string>& paths);
std::vector<std::string> retryListPaths(std::string_view text);

}  // namespace nuvelo
