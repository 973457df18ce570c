#pragma once
// The search's rows as nuvelo-cli prints them.

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_options.h"

namespace nuvelo {

// The five columns of the result list, as texts, and what machines read of the row; names
// and paths keep their bytes.
struct OutputRow {
  std::string name;
  std::string size;
  std::string type;
  std::string modified;
  std::string path;
  std::int64_t bytes = 0;   // a file's size; a folder's: the files of its tree
  std::string modifiedIso;  // ISO 8601 with the offset from UTC
  std::string changedIso;   // the change time (ctime), the same way
  std::string relative;     // below the source folder
  std::string absolute;
  const char* kind = "file";  // file, folder or link
};

// The rows in the format: text for a terminal, tab-separated or JSON Lines (one object per
// row), each of them escaped so that every name and path can be read back
// (engine/text/output_text.h).
void writeRows(std::ostream& out, const std::vector<OutputRow>& rows, OutputFormat format);

// One row appended to `out` as writeRows writes it; text, whose sizes line up over all rows,
// as if it were the only row.
void appendRow(std::string& out, const OutputRow& row, OutputFormat format);

// A row's absolute path followed by a NUL byte, for xargs -0.
void appendNulSeparated(std::string& out, std::string_view absolutePath);

}  // namespace nuvelo
