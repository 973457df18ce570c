#pragma once
// How many columns of a terminal a UTF-8 text takes: East Asian wide and full-width characters
// two, combining marks none, everything else one (a byte that is no UTF-8 one, as the
// replacement character it is shown as). For tables whose columns line up in Japanese too.

#include <cstddef>
#include <string>
#include <string_view>

namespace nuvelo {

std::size_t displayWidth(std::string_view text);

// The text followed (left-aligned) or preceded (right-aligned) by blanks up to `width` columns.
std::string padRight(std::string_view text, std::size_t width);
std::string padLeft(std::string_view text, std::size_t width);

}  // namespace nuvelo
