#include "engine/settings/comma_text.h"

#include <algorithm>

namespace nuvelo {
namespace {

bool isAtOrBelowBlank(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}
bool isSkippable(char c) {
  return c != '\0' && isAtOrBelowBlank(c);
}

bool needsQuotes(std::string_view item) {
  return std::any_of(item.begin(), item.end(),
                     [](char c) { return isAtOrBelowBlank(c) || c == '"' || c == ','; });
}

std::string quoted(std::string_view item) {
  std::string out = "\"";
  for (char c : item) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + '"';
}

void skipBlanks(std::string_view text, std::size_t& i) {
  while (i < text.size() && isSkippable(text[i])) ++i;
}

// Reads a quoted item starting at the opening quote; an unclosed item runs to the end.
std::string readQuotedItem(std::string_view text, std::size_t& i) {
  std::string item;
  for (++i; i < text.size(); ++i) {
    if (text[i] != '"') {
      item += text[i];
    } else if (i + 1 < text.size() && text[i + 1] == '"') {
      item += '"';
      ++i;
    } else {
      ++i;
      break;
    }
  }
  return item;
}

}  // namespace

std::string toCommaText(const std::vector<std::string>& items) {
  if (items.size() == 1 && items.front().empty()) return "\"\"";
  std::string out;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) out += ',';
    out += needsQuotes(items[i]) ? quoted(items[i]) : items[i];
  }
  return out;
}

std::vector<std::string> fromCommaText(std::string_view text) {
  text = text.substr(0, text.find('\0'));  // a NUL ends the text, as it ends a C string
  std::vector<std::string> items;
  std::size_t i = 0;
  skipBlanks(text, i);
  while (i < text.size()) {
    if (text[i] == '"') {
      items.push_back(readQuotedItem(text, i));
    } else {
      const std::size_t start = i;
      while (i < text.size() && !isAtOrBelowBlank(text[i]) && text[i] != ',') ++i;
      items.emplace_back(text.substr(start, i - start));
    }
    skipBlanks(text, i);
    if (i < text.size() && text[i] == ',') {
      if (i + 1 == text.size()) items.emplace_back();
      ++i;
      skipBlanks(text, i);
    }
  }
  return items;
}

}  // namespace nuvelo
