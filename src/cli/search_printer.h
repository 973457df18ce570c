#pragma once
// The search's rows on stdout, as the result list shows them. For machines (--format json and
// -0) each row is written as the walk finds it; text and tsv, whose columns line up, once the
// walk has ended. The totals go to stderr.

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/search_output.h"
#include "engine/search/result_rows.h"
#include "platform/qtcore/display_formats.h"
#include "platform/qtcore/file_types.h"

namespace nuvelo {

class SearchPrinter {
 public:
  SearchPrinter(const CliOptions& options, std::ostream& out, bool dirAbs, std::string source);

  // Whether rows are written as they are found.
  bool streams() const { return streams_; }
  // An entry the walk found, written now when the printer streams.
  void found(const WalkEntry& entry);
  // The rows of a walk that has ended, written unless they were streamed already.
  void finish(const std::vector<WalkEntry>& entries);
  // "合計= ..." for the rows.
  std::string totalsText() const;

 private:
  OutputRow outputRow(const ResultRow& row, const WalkEntry& entry);
  const std::string& typeName(std::uint16_t type);

  const CliOptions& options_;
  std::ostream& out_;
  bool dirAbs_;
  std::string source_;
  bool streams_;
  FileTypeTable types_;
  // The rows streamed as the walk finds them, the source folder's spelling looked up once.
  std::optional<ResultRowBuilder> rowBuilder_;
  DisplayFormats formats_ = DisplayFormats::ofUser();
  LocalTimeCache times_;
  std::vector<std::string> typeNames_;  // each type's name once, not once per row
  std::vector<ResultRow> rows_;
};

}  // namespace nuvelo
