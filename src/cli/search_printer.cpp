#include "cli/search_printer.h"

#include "engine/search/file_date.h"
#include "engine/text/output_text.h"
#include "messages/totals_text.h"

namespace nuvelo {
namespace {

// Streamed lines are handed to the stream in writes of about this size.
constexpr std::size_t WriteSize = 32 * 1024;

// The part of a path below the source folder.
std::string_view belowSource(std::string_view path, const std::string& source) {
  const std::size_t cut = source.size() + (source.back() == '/' ? 0 : 1);
  return path.size() > cut ? path.substr(cut) : std::string_view();
}

}  // namespace

SearchPrinter::SearchPrinter(const CliOptions& options, std::ostream& out, bool dirAbs,
                             std::string source)
    : options_(options),
      out_(out),
      dirAbs_(dirAbs),
      source_(std::move(source)),
      streams_(options.print0 || options.format != OutputFormat::Text) {}

void SearchPrinter::found(const WalkEntry& entry) {
  if (!streams_ || unwritable_.load(std::memory_order_relaxed)) return;
  if (!rowBuilder_) rowBuilder_.emplace(dirAbs_, source_, types_);
  const std::uint64_t bytes = rowBuilder_->fill(row_, entry);
  ++streamedRows_;
  streamedKiB_ += row_.sizeKiB;
  if (options_.print0) {
    appendNulSeparated(buffer_, entry.path);
  } else {
    if (options_.format == OutputFormat::Json)
      describeForMachines(row_, entry, bytes);
    else
      fillOutputRow(outputRow_, row_);
    appendRow(buffer_, outputRow_, options_.format);
  }
  if (buffer_.size() >= WriteSize) writeBuffered();
}

void SearchPrinter::writeBuffered() {
  out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
  buffer_.clear();
  if (!out_) unwritable_.store(true, std::memory_order_relaxed);
}

void SearchPrinter::finish(const std::vector<WalkEntry>& entries) {
  if (streams_) {
    writeBuffered();
    return;
  }
  rows_ = buildResultRows(entries, dirAbs_, source_, types_);
  std::vector<OutputRow> output(rows_.size());
  for (std::size_t i = 0; i < rows_.size(); ++i) fillOutputRow(output[i], rows_[i]);
  writeRows(out_, output, options_.format);
}

std::string SearchPrinter::totalsText() const {
  Totals totals = countChecked(rows_);
  if (streams_) totals = {streamedRows_, static_cast<double>(streamedKiB_) * 1024.0};
  return nuvelo::totalsText(totals, formats_.decimalSeparator);
}

void SearchPrinter::fillOutputRow(OutputRow& out, const ResultRow& r) {
  out.name = r.name();
  out.size = sizeText(r.sizeKiB);
  out.type = typeName(r.type);
  out.modified.clear();
  appendDateTimeText(out.modified, times_.parts(r.modifiedSeconds), formats_.dateSeparator,
                     formats_.timeSeparator);
  out.path = r.pathText;
}

// What machines read of a row, into the streamed row: the exact size, the times with their
// offset, both paths. A time is written again only when it differs from the last row's: files
// made or copied together share their change time.
void SearchPrinter::describeForMachines(const ResultRow& row, const WalkEntry& entry,
                                        std::uint64_t bytes) {
  OutputRow& out = outputRow_;
  out.absolute = entry.path;
  out.name = row.name();
  out.type = typeName(row.type);
  while (!out.type.empty() && out.type.back() == ' ') out.type.pop_back();
  out.relative = belowSource(entry.path, source_);
  out.kind = row.folder ? "folder" : row.link ? "link" : "file";
  out.bytes = static_cast<std::int64_t>(bytes);
  if (row.modifiedSeconds != modifiedIsoOf_) {
    modifiedIsoOf_ = row.modifiedSeconds;
    out.modifiedIso.clear();
    appendIsoLocalTime(out.modifiedIso, times_.parts(row.modifiedSeconds));
  }
  if (entry.changedSeconds != changedIsoOf_) {
    changedIsoOf_ = entry.changedSeconds;
    out.changedIso.clear();
    appendIsoLocalTime(out.changedIso, changeTimes_.parts(entry.changedSeconds));
  }
}

const std::string& SearchPrinter::typeName(std::uint16_t type) {
  while (typeNames_.size() <= type)
    typeNames_.push_back(types_.name(static_cast<std::uint16_t>(typeNames_.size())).toStdString());
  return typeNames_[type];
}

}  // namespace nuvelo
