#include "cli/search_output.h"

#include <algorithm>
#include <cstdio>

#include "cli/output_text.h"
#include "platform/text_encoding.h"

namespace nuvelo {
namespace {

void writeText(std::ostream& out, const std::vector<OutputRow>& rows) {
  std::size_t sizeWidth = 0;
  for (const OutputRow& r : rows) sizeWidth = std::max(sizeWidth, r.size.size());
  for (const OutputRow& r : rows) {
    out << terminalText(r.name) << "  " << std::string(sizeWidth - r.size.size(), ' ') << r.size
        << "  " << terminalText(r.type) << "  " << r.modified << "  " << terminalText(r.path)
        << '\n';
  }
}

void writeTsv(std::ostream& out, const std::vector<OutputRow>& rows) {
  for (const OutputRow& r : rows)
    out << tsvField(r.name) << '\t' << r.size << '\t' << tsvField(r.type) << '\t' << r.modified
        << '\t' << tsvField(r.path) << '\n';
}

void writeJson(std::ostream& out, const std::vector<OutputRow>& rows) {
  out << '[';
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const OutputRow& r = rows[i];
    out << (i ? ",\n " : "\n ") << "{\"name\": " << jsonString(r.name)
        << ", \"size\": " << jsonString(r.size) << ", \"type\": " << jsonString(r.type)
        << ", \"modified\": " << jsonString(r.modified) << ", \"path\": " << jsonString(r.path);
    // A path that is not UTF-8 reads as U+FFFD above; its bytes make it recoverable.
    if (!isValidUtf8(r.path)) out << ", \"path_bytes\": " << jsonBytes(r.path);
    out << '}';
  }
  out << (rows.empty() ? "]\n" : "\n]\n");
}

}  // namespace

void writeRows(std::ostream& out, const std::vector<OutputRow>& rows, OutputFormat format) {
  switch (format) {
    case OutputFormat::Text:
      writeText(out, rows);
      break;
    case OutputFormat::Tsv:
      writeTsv(out, rows);
      break;
    case OutputFormat::Json:
      writeJson(out, rows);
      break;
  }
}

}  // namespace nuvelo
