#pragma once
// Letter case of ASCII letters only, as file names and profile keys are compared, and the
// blanks around a line typed or read from a file.

#include <algorithm>
#include <string>
#include <string_view>

namespace nuvelo {

constexpr char asciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
constexpr char asciiUpper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

inline std::string asciiLowered(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), asciiLower);
  return out;
}

inline bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return asciiLower(x) == asciiLower(y);
         });
}

constexpr bool isAsciiBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

// `text` without the blanks (spaces, tabs, carriage returns, ...) at its ends.
constexpr std::string_view trimmedOfBlanks(std::string_view text) {
  while (!text.empty() && isAsciiBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isAsciiBlank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace nuvelo
