#include "engine/jobs/retry_list.h"

namespace nuvelo {
namespace {

constexpr std::string_view Heading =
    "# nuvelo: files that a run of this job could not carry; its next run takes them again\n";

std::string escaped(std::string_view path) {
  std::string line;
  line.reserve(path.size() + 1);
  for (const char c : path) {
    if (c == '\\')
      line += "\\\\";
    else if (c == '\n')
      line += "\\n";
    else if (c == '\r')
      line += "\\r";
    else
      line += c;
  }
  return line;
}

// The path a line holds; a backslash before any other character stands for itself.
std::string unescaped(std::string_view line) {
  std::string path;
  path.reserve(line.size());
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] != '\\' || i + 1 == line.size()) {
      path += line[i];
      continue;
    }
    const char next = line[++i];
    path += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
  }
  return path;
}

}  // namespace

std::string retryListText(const std::vector<std::string>& paths) {
  std::string text(Heading);
  for (const std::string& path : paths) text += escaped(path) + '\n';
  return text;
}

std::vector<std::string> retryListPaths(std::string_view text) {
  std::vector<std::string> paths;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.empty() || line.front() != '/') continue;
    std::string path = unescaped(line);
    if (path.find('\0') == std::string::npos) paths.push_back(std::move(path));
  }
  return paths;
}

}  // namespace nuvelo
