#include "cli/search_output.h"

#include <algorithm>
#include <charconv>

#include "engine/text/output_text.h"

namespace nuvelo {
namespace {

using Escape = void (*)(std::string&, std::string_view);

// The five columns of the result list, their texts escaped, joined by `separator`; the size
// right-aligned in `sizeWidth` characters.
void appendColumns(std::string& out, const OutputRow& r, Escape escape, std::string_view separator,
                   std::size_t sizeWidth) {
  escape(out, r.name);
  out += separator;
  out.append(sizeWidth - std::min(sizeWidth, r.size.size()), ' ');
  out += r.size;
  out += separator;
  escape(out, r.type);
  out += separator;
  out += r.modified;
  out += separator;
  escape(out, r.path);
  out += '\n';
}

void appendTextLine(std::string& out, const OutputRow& r, std::size_t sizeWidth) {
  appendColumns(out, r, appendTerminalText, "  ", sizeWidth);
}

void appendTsvLine(std::string& out, const OutputRow& r) {
  appendColumns(out, r, appendTsvField, "\t", 0);
}

void appendJsonLine(std::string& out, const OutputRow& r) {
  out += "{\"name\": ";
  appendJsonString(out, r.name);
  out += ", \"kind\": \"";
  out += r.kind;
  out += "\", \"size\": ";
  char digits[24];
  out.append(digits, std::to_chars(digits, digits + sizeof digits, r.bytes).ptr);
  out += ", \"type\": ";
  appendJsonString(out, r.type);
  out += ", \"modified\": ";
  appendJsonString(out, r.modifiedIso);
  out += ", \"changed\": ";
  appendJsonString(out, r.changedIso);
  appendJsonPathFields(out, "path", r.relative);
  appendJsonPathFields(out, "absolute", r.absolute);
  out += "}\n";
}

}  // namespace

void appendRow(std::string& out, const OutputRow& row, OutputFormat format) {
  switch (format) {
    case OutputFormat::Text:
      appendTextLine(out, row, row.size.size());
      break;
    case OutputFormat::Tsv:
      appendTsvLine(out, row);
      break;
    case OutputFormat::Json:
      appendJsonLine(out, row);
      break;
  }
}

void appendNulSeparated(std::string& out, std::string_view absolutePath) {
  out += absolutePath;
  out += '\0';
}

void writeRows(std::ostream& out, const std::vector<OutputRow>& rows, OutputFormat format) {
  std::size_t sizeWidth = 0;
  if (format == OutputFormat::Text)
    for (const OutputRow& r : rows) sizeWidth = std::max(sizeWidth, r.size.size());
  std::string line;
  for (const OutputRow& r : rows) {
    if (!out) return;  // its reader went away: the rest would be made for nothing
    line.clear();
    if (format == OutputFormat::Text)
      appendTextLine(line, r, sizeWidth);
    else
      appendRow(line, r, format);
    out << line;
  }
}

}  // namespace nuvelo
