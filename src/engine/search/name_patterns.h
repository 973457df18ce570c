#pragma once
// Name patterns: shell globs (fnmatch(3)) that leave out every file or folder whose own name
// they match, at any depth below the source folder. "node_modules", "~$*", "*.tmp", "Thumbs.db".
//
// A pattern matches the whole name, "*", "?" and "[...]" as the shell has them, a backslash
// quoting the character after it. A leading "." is an ordinary character ("*.tmp" matches
// ".x.tmp"), and letters match whatever their case, as excluded extensions do. Names are read as
// UTF-8 ("?" is one character), whatever locale the program runs in.

#include <string>
#include <string_view>
#include <vector>

namespace nuvelo {

// Whether `name` (one component, no "/") matches `pattern`. Safe on any thread.
bool matchesNamePattern(const std::string& pattern, std::string_view name);

// Why a pattern cannot name anything: it is empty, or it holds a "/" (a name never does; a
// path below the source is an excluded subfolder).
enum class NamePatternFault { None, Empty, HoldsSlash };
NamePatternFault namePatternFault(std::string_view pattern);

// The patterns of a list, one a line: blanks (spaces, tabs, a CR) around a line are dropped, and
// blank lines and lines that begin with "#" are skipped. A name that begins with "#" or a blank
// is written with brackets: "[#]draft", "[ ]x".
struct PatternLine {
  std::string pattern;
  std::size_t line = 0;  // from 1
};
std::vector<PatternLine> patternLinesOf(std::string_view text);
std::vector<std::string> namePatternsOf(std::string_view text);

// The patterns one a line, as a list editor shows them.
std::string namePatternsText(const std::vector<std::string>& patterns);

// The list without the patterns that cannot name anything, and each pattern once, in its order.
std::vector<std::string> usableNamePatterns(const std::vector<std::string>& patterns);

}  // namespace nuvelo
