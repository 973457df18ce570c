#pragma once
// Where every text the user reads passes: the program's own words (Japanese) go through
// wording(), the one place a translation plugs in (a catalog looked up by the Japanese text),
// and values go into a text through fill(), whose numbered places {1}, {2}, ... a translation
// may put in another order.

#include <initializer_list>
#include <string>
#include <string_view>

#include "messages/message_catalog.h"

namespace nuvelo {

// The text in the user's language: the program's own Japanese, unchanged, unless a message
// catalog is in use, which then gives its translation (a text it lacks stays Japanese).
std::string_view wording(std::string_view text);

// Marks a text for the catalog that is handed to wording() later (a table of texts, a pattern
// passed on): the extraction of the catalog's texts finds it here.
constexpr const char* catalogText(const char* text) {
  return text;
}

// From now on wording() looks texts up in `catalog`, which must outlive every call (nothing:
// the texts stay as written). Only nuvelo-cli calls it; the window keeps its Japanese.
void useMessageCatalog(const MessageCatalog* catalog);

// `pattern` (after wording()) with {1}, {2}, ... replaced by the values in that order. A value
// is put in as it is: braces inside a path are not read as places.
std::string fill(std::string_view pattern, std::initializer_list<std::string_view> values);

}  // namespace nuvelo
