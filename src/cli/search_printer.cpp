#include "cli/search_printer.h"

#include "cli/output_text.h"
#include "engine/search/file_date.h"
#include "messages/totals_text.h"

namespace nuvelo {
namespace {

// The part of a path below the source folder.
std::string belowSource(const std::string& path, const std::string& source) {
  const std::size_t cut = source.size() + (source.back() == '/' ? 0 : 1);
  return path.size() > cut ? path.substr(cut) : std::string();
}

// What machines read of a row: the exact size, the time with its offset, both paths.
void describeForMachines(OutputRow& out, const ResultRow& row, const WalkEntry& entry,
                         const std::string& source) {
  out.absolute = entry.path;
  out.relative = belowSource(entry.path, source);
  out.kind = row.folder ? "folder" : row.link ? "link" : "file";
  out.bytes = row.folder ? static_cast<std::int64_t>(FolderByteSize(entry.path)) : entry.bytes;
  out.modifiedIso = isoLocalTime(row.modifiedSeconds);
  out.changedIso = isoLocalTime(entry.changedSeconds);
  while (!out.type.empty() && out.type.back() == ' ') out.type.pop_back();
}

void write(std::ostream& out, const std::vector<OutputRow>& rows, const CliOptions& options) {
  if (options.print0)
    writeNulSeparated(out, rows);
  else
    writeRows(out, rows, options.format);
}

}  // namespace

SearchPrinter::SearchPrinter(const CliOptions& options, std::ostream& out, bool dirAbs,
                             std::string source)
    : options_(options),
      out_(out),
      dirAbs_(dirAbs),
      source_(std::move(source)),
      streams_(options.print0 || options.format == OutputFormat::Json) {}

void SearchPrinter::found(const WalkEntry& entry) {
  if (!streams_) return;
  if (!rowBuilder_) rowBuilder_.emplace(dirAbs_, source_, types_);
  rows_.push_back(rowBuilder_->rowOf(entry));
  write(out_, {outputRow(rows_.back(), entry)}, options_);
}

void SearchPrinter::finish(const std::vector<WalkEntry>& entries) {
  if (streams_) return;
  rows_ = buildResultRows(entries, dirAbs_, source_, types_);
  std::vector<OutputRow> output;
  output.reserve(rows_.size());
  for (std::size_t i = 0; i < rows_.size(); ++i) output.push_back(outputRow(rows_[i], entries[i]));
  write(out_, output, options_);
}

std::string SearchPrinter::totalsText() const {
  return nuvelo::totalsText(countChecked(rows_), formats_.decimalSeparator);
}

OutputRow SearchPrinter::outputRow(const ResultRow& r, const WalkEntry& entry) {
  OutputRow row;
  row.name = r.name();
  row.size = sizeText(r.sizeKiB);
  row.type = typeName(r.type);
  row.modified =
      dateTimeText(times_.parts(r.modifiedSeconds), formats_.dateSeparator, formats_.timeSeparator);
  row.path = r.pathText;
  if (streams_) describeForMachines(row, r, entry, source_);
  return row;
}

const std::string& SearchPrinter::typeName(std::uint16_t type) {
  while (typeNames_.size() <= type)
    typeNames_.push_back(types_.name(static_cast<std::uint16_t>(typeNames_.size())).toStdString());
  return typeNames_[type];
}

}  // namespace nuvelo
