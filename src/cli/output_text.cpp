#include "cli/output_text.h"

#include <cstdio>
#include <ctime>

#include "platform/text_encoding.h"

namespace nuvelo {
namespace {

std::string hexEscape(const char* form, unsigned value) {
  char text[12];
  std::snprintf(text, sizeof text, form, value);
  return text;
}

// The escape of a control byte, or nothing for any other byte.
std::string controlEscape(unsigned char c) {
  switch (c) {
    case '\t':
      return "\\t";
    case '\n':
      return "\\n";
    case '\r':
      return "\\r";
    default:
      return c < 0x20 || c == 0x7f ? hexEscape("\\x%02x", c) : std::string();
  }
}

// A C1 control character (U+0080 to U+009F) encoded as UTF-8 starts at text[i].
bool isC1Control(std::string_view text, std::size_t i) {
  return i + 1 < text.size() && static_cast<unsigned char>(text[i]) == 0xC2 &&
         static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
         static_cast<unsigned char>(text[i + 1]) <= 0x9F;
}

std::string escapeControls(std::string_view text, bool escapeBackslash) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\\' && escapeBackslash) {
      out += "\\\\";
    } else if (isC1Control(text, i)) {
      out += hexEscape("\\u%04x", static_cast<unsigned char>(text[++i]));
    } else if (const std::string escaped = controlEscape(c); !escaped.empty()) {
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

}  // namespace

std::string tsvField(std::string_view text) {
  return escapeControls(text, true);
}

std::string terminalText(std::string_view text) {
  return escapeControls(text, false);
}

std::string jsonString(std::string_view text) {
  const std::string clean = withReplacementCharacters(text);
  std::string out = "\"";
  for (const char c : clean) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
          out += hexEscape("\\u%04x", static_cast<unsigned char>(c));
        else
          out += c;
    }
  }
  return out + "\"";
}

std::string jsonBytes(std::string_view bytes) {
  std::string out = "\"";
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0x20 && b < 0x7f && c != '\\' && c != '"')
      out += c;
    else
      out += hexEscape("\\\\x%02x", b);
  }
  return out + "\"";
}

std::string jsonPathFields(std::string_view key, std::string_view path) {
  std::string out = ", \"" + std::string(key) + "\": " + jsonString(path);
  if (!isValidUtf8(path)) out += ", \"" + std::string(key) + "_bytes\": " + jsonBytes(path);
  return out;
}

std::string isoLocalTime(std::int64_t seconds) {
  const auto time = static_cast<std::time_t>(seconds);
  std::tm parts{};
  localtime_r(&time, &parts);
  char text[40];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &parts);
  const long offset = parts.tm_gmtoff;
  const long minutes = (offset < 0 ? -offset : offset) / 60;
  char zone[40];
  std::snprintf(zone, sizeof zone, "%c%02ld:%02ld", offset < 0 ? '-' : '+', minutes / 60,
                minutes % 60);
  return std::string(text) + zone;
}

}  // namespace nuvelo
