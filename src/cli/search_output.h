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

// The rows in the format: text for a terminal, tab-separated or JSON, each of them escaped so
// that every name and path can be read back (cli/output_text.h).
void writeRows(std::ostream& out, const std::vector<OutputRow>& rows, OutputFormat format);

}  // namespace nuvelo
