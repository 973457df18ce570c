#include "messages/wording.h"

#include <atomic>
#include <cstddef>

namespace nuvelo {
namespace {

// The value a place "{n}" at `at` names, or nothing when the braces hold no number of a value.
const std::string_view* valueAt(std::string_view pattern, std::size_t at,
                                std::initializer_list<std::string_view> values,
                                std::size_t& length) {
  const std::size_t close = pattern.find('}', at);
  if (close == std::string_view::npos || close == at + 1) return nullptr;
  std::size_t number = 0;
  for (std::size_t i = at + 1; i < close; ++i) {
    if (pattern[i] < '0' || pattern[i] > '9') return nullptr;
    number = number * 10 + static_cast<std::size_t>(pattern[i] - '0');
    if (number > values.size()) return nullptr;
  }
  if (number == 0) return nullptr;
  length = close + 1 - at;
  return values.begin() + (number - 1);
}

// The catalog once one is in use; none: the texts stay as written.
std::atomic<const MessageCatalog*> catalogInUse{nullptr};

}  // namespace

void useMessageCatalog(const MessageCatalog* catalog) {
  catalogInUse.store(catalog);
}

std::string_view wording(std::string_view text) {
  const MessageCatalog* catalog = catalogInUse.load();
  if (!catalog) return text;
  return catalog->find(text).value_or(text);
}

std::string fill(std::string_view pattern, std::initializer_list<std::string_view> values) {
  pattern = wording(pattern);
  std::string text;
  text.reserve(pattern.size());
  for (std::size_t i = 0; i < pattern.size();) {
    std::size_t length = 0;
    const std::string_view* value =
        pattern[i] == '{' ? valueAt(pattern, i, values, length) : nullptr;
    if (value) {
      text.append(*value);
      i += length;
    } else {
      text.push_back(pattern[i++]);
    }
  }
  return text;
}

}  // namespace nuvelo
