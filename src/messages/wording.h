#pragma once
// Where every text the user reads passes: the program's own words (Japanese) go through
// wording(), the one place a translation plugs in (a catalog looked up by the Japanese text),
// and values go into a text through fill(), whose numbered places {1}, {2}, ... a translation
// may put in another order.

#include <initializer_list>
#include <string>
#include <string_view>

namespace nuvelo {

// The text in the user's language; today the program's own Japanese, unchanged.
std::string_view wording(std::string_view text);

// `pattern` (after wording()) with {1}, {2}, ... replaced by the values in that order. A value
// is put in as it is: braces inside a path are not read as places.
std::string fill(std::string_view pattern, std::initializer_list<std::string_view> values);

}  // namespace nuvelo
