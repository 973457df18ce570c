#pragma once
// The answers the terminal takes to "replace the file that is there?": for this file, for it and
// every later one, or to stop the run.

#include <optional>
#include <string_view>

namespace nuvelo {

enum class ReplaceChoice { Replace, Keep, ReplaceAll, KeepAll, Quit };

// y, n, a, N or q (and the words yes, no, all, none, quit; Enter alone keeps the file); nothing
// for an answer that is none of them.
std::optional<ReplaceChoice> replaceChoiceOf(std::string_view answer);

}  // namespace nuvelo
