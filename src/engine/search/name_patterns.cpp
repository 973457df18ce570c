#include "engine/search/name_patterns.h"

#include <fnmatch.h>
#include <locale.h>

#include <algorithm>

#include "platform/ascii_text.h"

namespace nuvelo {
namespace {

locale_t localeNamed(const char* name) {
  return newlocale(LC_ALL_MASK, name, static_cast<locale_t>(nullptr));
}

// fnmatch under `locale` for the calling thread only, so that the walk's threads and the
// window's locale do not change what a pattern matches.
int matchIn(locale_t locale, const std::string& pattern, const char* name) {
  const locale_t previous = locale ? uselocale(locale) : static_cast<locale_t>(nullptr);
  const int result = fnmatch(pattern.c_str(), name, FNM_CASEFOLD);
  if (locale) uselocale(previous);
  return result;
}

// A pattern of ASCII characters that has no "?" and no "[...]" matches a name byte for byte
// exactly as it matches it character for character: its literal parts are ASCII, and only "*"
// takes the other characters of the name. So it is matched in the C locale, several times
// faster than through the wide characters of UTF-8.
bool matchesAlikeInBytes(const std::string& pattern) {
  return std::none_of(pattern.begin(), pattern.end(), [](char c) {
    return static_cast<unsigned char>(c) >= 0x80 || c == '?' || c == '[';
  });
}

}  // namespace

bool matchesNamePattern(const std::string& pattern, std::string_view name) {
  // fnmatch wants the name ended by a NUL; each thread keeps one buffer for it, so that the
  // walk allocates nothing a name.
  thread_local std::string ended;
  ended.assign(name);
  static const locale_t unicode = localeNamed("C.UTF-8");
  static const locale_t bytes = localeNamed("C");
  if (matchesAlikeInBytes(pattern)) return matchIn(bytes, pattern, ended.c_str()) == 0;
  const int result = matchIn(unicode, pattern, ended.c_str());
  if (result == 0 || result == FNM_NOMATCH) return result == 0;
  // Bytes that are no UTF-8 in the pattern or the name: matched byte for byte.
  return matchIn(bytes, pattern, ended.c_str()) == 0;
}

NamePatternFault namePatternFault(std::string_view pattern) {
  if (pattern.empty()) return NamePatternFault::Empty;
  if (pattern.find('/') != std::string_view::npos) return NamePatternFault::HoldsSlash;
  return NamePatternFault::None;
}

std::vector<PatternLine> patternLinesOf(std::string_view text) {
  std::vector<PatternLine> lines;
  std::size_t number = 0;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    const std::string_view line = trimmedOfBlanks(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
    ++number;
    if (!line.empty() && line.front() != '#') lines.push_back({std::string(line), number});
  }
  return lines;
}

std::vector<std::string> namePatternsOf(std::string_view text) {
  std::vector<std::string> patterns;
  for (PatternLine& line : patternLinesOf(text)) patterns.push_back(std::move(line.pattern));
  return patterns;
}

std::string namePatternsText(const std::vector<std::string>& patterns) {
  std::string text;
  for (const std::string& pattern : patterns) text += (text.empty() ? "" : "\n") + pattern;
  return text;
}

std::vector<std::string> usableNamePatterns(const std::vector<std::string>& patterns) {
  std::vector<std::string> usable;
  for (const std::string& pattern : patterns)
    if (namePatternFault(pattern) == NamePatternFault::None &&
        std::find(usable.begin(), usable.end(), pattern) == usable.end())
      usable.push_back(pattern);
  return usable;
}

}  // namespace nuvelo
