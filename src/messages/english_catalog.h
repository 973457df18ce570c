#pragma once
// nuvelo-cli's English texts, compiled from po/en.po into the program itself, so that a
// program copied out of its install still speaks English.

#include <string_view>

namespace nuvelo {

// The compiled catalog (the .mo format) as the build made it.
std::string_view englishCatalogBytes();

}  // namespace nuvelo
