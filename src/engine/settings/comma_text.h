#pragma once
// Comma text: a list of strings in one profile value.
//
// Items are joined by ","; an item holding a blank, a control character, a double quote or a
// comma is enclosed in double quotes with each inner quote doubled. A list of one empty item
// is written as "" and an empty list as the empty text.

#include <string>
#include <string_view>
#include <vector>

namespace nuvelo {

std::string toCommaText(const std::vector<std::string>& items);

// Blanks before and after an item are skipped; a quoted item runs to its closing quote (a
// doubled quote stands for one); any other item ends at a comma or at a character at or below
// the blank; a comma that ends the text adds one empty item. So "bak, tmp" gives bak and tmp.
std::vector<std::string> fromCommaText(std::string_view text);

}  // namespace nuvelo
