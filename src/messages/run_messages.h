#pragma once
// The texts of the checks before a search or a copy starts, and of a condition file that
// cannot be read, in the user's words.

#include <string>

#include "engine/search/search_run.h"

namespace nuvelo {

std::string searchRefusalText(SearchRefusal refusal);
std::string nothingToCopyText();
std::string noDestinationText();
std::string missingDestinationQuestion();
std::string cannotMakeDestinationText();
std::string invalidConditionFileText();

}  // namespace nuvelo
