#include "cli/output_text.h"

#include <charconv>

#include "platform/text_encoding.h"

namespace nuvelo {
namespace {

constexpr std::string_view ReplacementCharacter = "\xEF\xBF\xBD";

// `prefix` and the byte in two lower-case hexadecimal digits.
void appendHexByte(std::string& out, std::string_view prefix, unsigned char value) {
  constexpr char Digits[] = "0123456789abcdef";
  out += prefix;
  out += Digits[value >> 4];
  out += Digits[value & 0x0F];
}

bool isControl(unsigned char c) {
  return c < 0x20 || c == 0x7f;
}

// The short escape of a tab or a line end; nothing for any other byte.
const char* lineBreakEscape(unsigned char c) {
  switch (c) {
    case '\t':
      return "\\t";
    case '\n':
      return "\\n";
    case '\r':
      return "\\r";
    default:
      return nullptr;
  }
}

// The escape of a control byte in a terminal or tab-separated text.
void appendControlEscape(std::string& out, unsigned char c) {
  if (const char* escape = lineBreakEscape(c))
    out += escape;
  else
    appendHexByte(out, "\\x", c);
}

// A C1 control character (U+0080 to U+009F) encoded as UTF-8 starts at text[i].
bool isC1Control(std::string_view text, std::size_t i) {
  return i + 1 < text.size() && static_cast<unsigned char>(text[i]) == 0xC2 &&
         static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
         static_cast<unsigned char>(text[i + 1]) <= 0x9F;
}

// Copies the text, escaping what would break a line or steer a terminal. Bytes that need
// nothing are copied in runs: most names need no escape at all.
void appendEscapedControls(std::string& out, std::string_view text, bool escapeBackslash) {
  std::size_t run = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    const bool backslash = c == '\\' && escapeBackslash;
    const bool c1 = c == 0xC2 && isC1Control(text, i);
    if (!backslash && !c1 && !isControl(c)) continue;
    out.append(text.substr(run, i - run));
    if (backslash)
      out += "\\\\";
    else if (c1)
      appendHexByte(out, "\\u00", static_cast<unsigned char>(text[++i]));
    else
      appendControlEscape(out, c);
    run = i + 1;
  }
  out.append(text.substr(run));
}

// The escape of an ASCII byte that a JSON string cannot hold as it is.
void appendJsonEscape(std::string& out, unsigned char c) {
  if (c == '"' || c == '\\') {
    out += '\\';
    out += static_cast<char>(c);
  } else if (const char* escape = lineBreakEscape(c)) {
    out += escape;
  } else {
    appendHexByte(out, "\\u00", c);
  }
}

// Digits of a number, at least `width` of them.
void appendNumber(std::string& out, long value, int width) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  for (auto n = end - digits; n < width; ++n) out += '0';
  out.append(digits, end);
}

}  // namespace

void appendTsvField(std::string& out, std::string_view text) {
  appendEscapedControls(out, text, true);
}

std::string tsvField(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  appendTsvField(out, text);
  return out;
}

void appendTerminalText(std::string& out, std::string_view text) {
  appendEscapedControls(out, text, false);
}

std::string terminalText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  appendTerminalText(out, text);
  return out;
}

void appendJsonString(std::string& out, std::string_view text) {
  out += '"';
  std::size_t run = 0;
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x80) {
      if (const std::size_t n = utf8SequenceLength(text, i); n != 0) {
        i += n;
        continue;
      }
    } else if (!isControl(c) && c != '"' && c != '\\') {
      ++i;
      continue;
    }
    out.append(text.substr(run, i - run));
    if (c >= 0x80)
      out += ReplacementCharacter;
    else
      appendJsonEscape(out, c);
    run = ++i;
  }
  out.append(text.substr(run));
  out += '"';
}

std::string jsonString(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  appendJsonString(out, text);
  return out;
}

std::string jsonBytes(std::string_view bytes) {
  std::string out = "\"";
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0x20 && b < 0x7f && c != '\\' && c != '"')
      out += c;
    else
      appendHexByte(out, "\\\\x", b);
  }
  return out + "\"";
}

void appendJsonPathFields(std::string& out, std::string_view key, std::string_view path) {
  out += ", \"";
  out += key;
  out += "\": ";
  appendJsonString(out, path);
  if (isValidUtf8(path)) return;
  out += ", \"";
  out += key;
  out += "_bytes\": ";
  out += jsonBytes(path);
}

std::string jsonPathFields(std::string_view key, std::string_view path) {
  std::string out;
  appendJsonPathFields(out, key, path);
  return out;
}

void appendIsoLocalTime(std::string& out, const LocalTimeParts& p) {
  appendNumber(out, p.year, 1);  // as strftime's %Y: no padding
  out += '-';
  appendNumber(out, p.month, 2);
  out += '-';
  appendNumber(out, p.day, 2);
  out += 'T';
  appendNumber(out, p.hour, 2);
  out += ':';
  appendNumber(out, p.minute, 2);
  out += ':';
  appendNumber(out, p.second, 2);
  const long minutes = (p.utcOffset < 0 ? -p.utcOffset : p.utcOffset) / 60;
  out += p.utcOffset < 0 ? '-' : '+';
  appendNumber(out, minutes / 60, 2);
  out += ':';
  appendNumber(out, minutes % 60, 2);
}

std::string isoLocalTime(std::int64_t seconds) {
  std::string out;
  appendIsoLocalTime(out, localTimeParts(seconds));
  return out;
}

}  // namespace nuvelo
