#include "cli/log_command.h"

#include <algorithm>

#include "engine/runlog/run_log_file.h"
#include "engine/text/display_width.h"
#include "engine/text/output_text.h"
#include "messages/run_log_texts.h"

namespace nuvelo {
namespace {

using Row = std::vector<std::string>;

Row tableRow(const RunLogEntry& e) {
  return {terminalText(runStartText(e)), terminalText(runOriginText(e.from)),
          std::to_string(e.copied),      std::to_string(e.skipped),
          std::to_string(e.failed),      runStatusText(e.exitStatus),
          terminalText(runPlace(e))};
}

// The table with its columns lined up in terminal columns (Japanese headings are twice as
// wide as they have characters); the counts right-aligned, the last column left as it is.
void writeTable(std::ostream& out, const std::vector<RunLogEntry>& entries) {
  std::vector<Row> rows{runLogTableHeadings()};
  for (const RunLogEntry& e : entries) rows.push_back(tableRow(e));
  const std::size_t columns = rows.front().size();
  std::vector<std::size_t> widths(columns, 0);
  for (const Row& row : rows)
    for (std::size_t c = 0; c + 1 < columns; ++c)
      widths[c] = std::max(widths[c], displayWidth(row[c]));
  for (const Row& row : rows) {
    std::string line;
    for (std::size_t c = 0; c + 1 < columns; ++c) {
      const bool count = c >= 2 && c <= 4;
      line += count ? padLeft(row[c], widths[c]) : padRight(row[c], widths[c]);
      line += "  ";
    }
    line += row.back();
    out << line << '\n';
  }
}

void writeTsv(std::ostream& out, const std::vector<RunLogEntry>& entries) {
  for (const RunLogEntry& e : entries)
    out << tsvField(e.start) << '\t' << tsvField(e.from) << '\t' << e.copied << '\t' << e.skipped
        << '\t' << e.failed << '\t' << e.exitStatus << '\t' << tsvField(e.job) << '\t'
        << tsvField(e.source) << '\t' << tsvField(e.destination) << '\n';
}

}  // namespace

int runLogCommand(const CliOptions& o, CliEnvironment& env) {
  const std::string logPath = runLogPath(o.settings.value_or(env.defaultSettingsPath));
  const RunLogTail tail = readRunLog(logPath, o.lines.value_or(DefaultLoggedRuns));
  if (tail.skipped > 0) env.err << "nuvelo-cli: " << runLogSkippedLinesText(tail.skipped) << '\n';
  if (tail.entries.empty()) {
    env.err << "nuvelo-cli: " << terminalText(runLogEmptyText(logPath)) << '\n';
    return ExitStatus::Done;
  }
  switch (o.format) {
    case OutputFormat::Text:
      writeTable(env.out, tail.entries);
      break;
    case OutputFormat::Tsv:
      writeTsv(env.out, tail.entries);
      break;
    case OutputFormat::Json:
      for (const std::string& line : tail.lines) env.out << line << '\n';
      break;
  }
  return ExitStatus::Done;
}

}  // namespace nuvelo
