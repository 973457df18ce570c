#include "engine/text/output_text.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>

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

constexpr bool isControl(unsigned char c) {
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

// A table of the bytes that `marks` picks out, for loops that copy every other byte in runs.
template <typename Marks>
constexpr std::array<bool, 256> byteTable(Marks marks) {
  std::array<bool, 256> table{};
  for (unsigned c = 0; c < 256; ++c) table[c] = marks(static_cast<unsigned char>(c));
  return table;
}

// Bytes that may need an escape in a terminal or tab-separated text: controls, the backslash,
// and the first byte of a C1 control.
constexpr std::array<bool, 256> ControlAttention =
    byteTable([](unsigned char c) { return isControl(c) || c == '\\' || c == 0xC2; });

// Bytes a JSON string cannot take as they are, and the first bytes of UTF-8 sequences, which
// are checked.
constexpr std::array<bool, 256> JsonAttention =
    byteTable([](unsigned char c) { return isControl(c) || c == '"' || c == '\\' || c >= 0x80; });

// Whether the eight bytes from text[i] are all printable ASCII other than '"', '\\' and DEL,
// which no output escapes: tested a word at a time, as most names are such runs.
bool isPlainWord(std::string_view text, std::size_t i) {
  if (i + 8 > text.size()) return false;
  constexpr std::uint64_t Ones = 0x0101010101010101, Highs = 0x8080808080808080;
  std::uint64_t word;
  std::memcpy(&word, text.data() + i, 8);
  const auto holdsZero = [](std::uint64_t v) { return (v - Ones) & ~v & Highs; };
  const std::uint64_t below20 = (word - Ones * 0x20) & ~word & Highs;
  return ((word & Highs) | below20 | holdsZero(word ^ (Ones * '"')) |
          holdsZero(word ^ (Ones * '\\')) | holdsZero(word ^ (Ones * 0x7f))) == 0;
}

// Copies the text, escaping what would break a line or steer a terminal. Bytes that need
// nothing are copied in runs: most names need no escape at all.
void appendEscapedControls(std::string& out, std::string_view text, bool escapeBackslash) {
  std::size_t run = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (isPlainWord(text, i)) {
      i += 7;
      continue;
    }
    const auto c = static_cast<unsigned char>(text[i]);
    if (!ControlAttention[c]) continue;
    const bool backslash = c == '\\' && escapeBackslash;
    const bool c1 = c == 0xC2 && isC1Control(text, i);
    if (!backslash && !c1 && !isControl(c)) continue;
    out.append(text.data() + run, i - run);
    if (backslash)
      out += "\\\\";
    else if (c1)
      appendHexByte(out, "\\u00", static_cast<unsigned char>(text[++i]));
    else
      appendControlEscape(out, c);
    run = i + 1;
  }
  out.append(text.data() + run, text.size() - run);
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

// Two digits of a number below 100.
char* putTwoDigits(char* at, long value) {
  *at++ = static_cast<char>('0' + value / 10);
  *at++ = static_cast<char>('0' + value % 10);
  return at;
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

bool appendJsonString(std::string& out, std::string_view text) {
  out += '"';
  bool utf8 = true;
  std::size_t run = 0;
  for (std::size_t i = 0; i < text.size();) {
    if (isPlainWord(text, i)) {
      i += 8;
      continue;
    }
    const auto c = static_cast<unsigned char>(text[i]);
    if (!JsonAttention[c]) {
      ++i;
      continue;
    }
    if (c >= 0x80) {
      if (const std::size_t n = utf8SequenceLength(text, i); n != 0) {
        i += n;
        continue;
      }
      utf8 = false;
    }
    out.append(text.data() + run, i - run);
    if (c >= 0x80)
      out += ReplacementCharacter;
    else
      appendJsonEscape(out, c);
    run = ++i;
  }
  out.append(text.data() + run, text.size() - run);
  out += '"';
  return utf8;
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
  if (appendJsonString(out, path)) return;
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
  char text[48];
  char* at = std::to_chars(text, text + 16, p.year).ptr;  // as strftime's %Y: no padding
  *at++ = '-';
  at = putTwoDigits(at, p.month);
  *at++ = '-';
  at = putTwoDigits(at, p.day);
  *at++ = 'T';
  at = putTwoDigits(at, p.hour);
  *at++ = ':';
  at = putTwoDigits(at, p.minute);
  *at++ = ':';
  at = putTwoDigits(at, p.second);
  const long minutes = (p.utcOffset < 0 ? -p.utcOffset : p.utcOffset) / 60;
  *at++ = p.utcOffset < 0 ? '-' : '+';
  at = putTwoDigits(at, minutes / 60);
  *at++ = ':';
  at = putTwoDigits(at, minutes % 60);
  out.append(text, at);
}

std::string isoLocalTime(std::int64_t seconds) {
  std::string out;
  appendIsoLocalTime(out, localTimeParts(seconds));
  return out;
}

}  // namespace nuvelo
