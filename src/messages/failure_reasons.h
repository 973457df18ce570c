#pragma once
// Why a file was not copied, in the user's words: the reason a failed copy shows after its
// paths in the window's box and on nuvelo-cli's "failed" lines.

#include <string>
#include <system_error>

#include "engine/copy/copy_failure.h"

namespace nuvelo {

// The program's words for an errno value (the same in every locale) and for a CopyError.
std::string reasonText(std::error_code code);
// The reason with the details the failure names (the refused name, the size limit, the
// namesake).
std::string reasonText(const CopyFailure& failure);

std::string nameRefusalText(const NameRefusal& refusal);
std::string sizeRefusalText(const SizeRefusal& refusal);
std::string nameClashText(const NameClash& clash);

}  // namespace nuvelo
