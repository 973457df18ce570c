#pragma once
// How nuvelo-cli and the run log write names and paths so that every output can be read back
// without doubt: names may hold any byte but "/" and NUL, tabs and line ends included, and need
// not be UTF-8.
// Each text has an append form too, for output built a row at a time into one buffer.

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/search/file_date.h"

namespace nuvelo {

// A field of a tab-separated line: "\" "\t" "\n" "\r" written as \\ \t \n \r, other control
// characters as in terminalText, so that one line is one row and the bytes can be recovered.
std::string tsvField(std::string_view text);
void appendTsvField(std::string& out, std::string_view text);

// Text meant for a terminal: control characters (C0, DEL, and C1 as UTF-8) written as \t \n
// \r or \xHH / \u00HH, so that no name can move the cursor, recolour or retitle the terminal.
std::string terminalText(std::string_view text);
void appendTerminalText(std::string& out, std::string_view text);

// A JSON string literal of UTF-8 text; bytes that are not UTF-8 become U+FFFD. The append
// form tells whether the text was UTF-8 throughout (nothing replaced).
std::string jsonString(std::string_view text);
bool appendJsonString(std::string& out, std::string_view text);

// The bytes of a path as a JSON string literal that loses nothing: printable ASCII but "\"
// stays, every other byte is written \xHH (so "\" is \x5c).
std::string jsonBytes(std::string_view bytes);

// `, "key": "path"` for a JSON object, and `, "key_bytes": "..."` beside it when the path is
// not UTF-8 (the string then holds U+FFFD for those bytes).
std::string jsonPathFields(std::string_view key, std::string_view path);
void appendJsonPathFields(std::string& out, std::string_view key, std::string_view path);

// The local time of a file time in ISO 8601 with its offset from UTC:
// "2024-05-01T09:30:00+09:00".
std::string isoLocalTime(std::int64_t seconds);
void appendIsoLocalTime(std::string& out, const LocalTimeParts& parts);

}  // namespace nuvelo
