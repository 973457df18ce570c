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
  for (const OutputRow& r : rows) {
    out << "{\"name\": " << jsonString(r.name) << ", \"kind\": \"" << r.kind
        << "\", \"size\": " << r.bytes << ", \"type\": " << jsonString(r.type)
        << ", \"modified\": " << jsonString(r.modifiedIso)
        << ", \"changed\": " << jsonString(r.changedIso);
    out << jsonPathFields("path", r.relative) << jsonPathFields("absolute", r.absolute);
    out << "}\n";
  }
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

void writeNulSeparated(std::ostream& out, const std::vector<OutputRow>& rows) {
  for (const OutputRow& r : rows) out << r.absolute << '\0';
}

}  // namespace nuvelo
