#pragma once
// The search's rows as nuvelo-cli prints them.

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_options.h"

namespace nuvelo {

// The five columns of the result list, as texts; names and paths keep their bytes.
struct OutputRow {
  std::string name;
  std::string size;
  std::string type;
  std::string modified;
  std::string path;
};

void writeRows(std::ostream& out, const std::vector<OutputRow>& rows, OutputFormat format);

// A JSON string literal; bytes that are not UTF-8 become U+FFFD.
std::string jsonString(std::string_view text);

}  // namespace nuvelo
