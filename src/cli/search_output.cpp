#include "cli/search_output.h"

#include <algorithm>
#include <cstdio>

#include "platform/text_encoding.h"

namespace nuvelo {
namespace {

void writeText(std::ostream& out, const std::vector<OutputRow>& rows) {
  std::size_t sizeWidth = 0;
  for (const OutputRow& r : rows) sizeWidth = std::max(sizeWidth, r.size.size());
  for (const OutputRow& r : rows) {
    out << r.name << "  " << std::string(sizeWidth - r.size.size(), ' ') << r.size << "  " << r.type
        << "  " << r.modified << "  " << r.path << '\n';
  }
}

void writeTsv(std::ostream& out, const std::vector<OutputRow>& rows) {
  for (const OutputRow& r : rows)
    out << r.name << '\t' << r.size << '\t' << r.type << '\t' << r.modified << '\t' << r.path << '\n';
}

void writeJson(std::ostream& out, const std::vector<OutputRow>& rows) {
  out << '[';
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const OutputRow& r = rows[i];
    out << (i ? ",\n " : "\n ") << "{\"name\": " << jsonString(r.name)
        << ", \"size\": " << jsonString(r.size) << ", \"type\": " << jsonString(r.type)
        << ", \"modified\": " << jsonString(r.modified) << ", \"path\": " << jsonString(r.path)
        << '}';
  }
  out << (rows.empty() ? "]\n" : "\n]\n");
}

}  // namespace

std::string jsonString(std::string_view text) {
  const std::string clean = withReplacementCharacters(text);
  std::string out = "\"";
  for (const char c : clean) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

void writeRows(std::ostream& out, const std::vector<OutputRow>& rows, OutputFormat format) {
  switch (format) {
    case OutputFormat::Text: writeText(out, rows); break;
    case OutputFormat::Tsv: writeTsv(out, rows); break;
    case OutputFormat::Json: writeJson(out, rows); break;
  }
}

}  // namespace nuvelo
