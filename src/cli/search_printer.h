#pragma once
// The search's rows on stdout, as the result list shows them. Rows of tsv, JSON Lines and -0
// are written as the walk finds them, from what the walk holds, gathered into large writes;
// text, whose sizes line up over all rows, once the walk has ended. The totals go to stderr.

#include <atomic>
#include <cstdint>
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

  // Whether rows are written as they are found (the search then need not keep them).
  bool streams() const { return streams_; }
  // Set once the output failed (its reader went away): no row is made after that.
  const std::atomic<bool>& unwritable() const { return unwritable_; }
  // An entry the walk found, written now when the printer streams.
  void found(const WalkEntry& entry);
  // The rows of a walk that has ended, written unless they were streamed already; for an
  // aborted walk (no entries), what was streamed before the abort.
  void finish(const std::vector<WalkEntry>& entries);
  // "合計= ..." for the rows.
  std::string totalsText() const;

 private:
  void fillOutputRow(OutputRow& out, const ResultRow& row);
  void describeForMachines(const ResultRow& row, const WalkEntry& entry, std::uint64_t bytes);
  const std::string& typeName(std::uint16_t type);
  void writeBuffered();

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
  LocalTimeCache changeTimes_;          // apart: the two times of a row lie far apart
  std::vector<std::string> typeNames_;  // each type's name once, not once per row
  // Text's rows, kept until the walk has ended; streamed rows count into the totals only.
  std::vector<ResultRow> rows_;
  std::int32_t streamedRows_ = 0;
  std::int64_t streamedKiB_ = 0;
  // The streamed row being written, its texts' room used again row after row, and the lines
  // not yet handed to the stream.
  ResultRow row_;
  OutputRow outputRow_;
  std::optional<std::int64_t> modifiedIsoOf_;  // the times outputRow_'s ISO texts stand for
  std::optional<std::int64_t> changedIsoOf_;
  std::string buffer_;
  std::atomic<bool> unwritable_{false};
};

}  // namespace nuvelo
