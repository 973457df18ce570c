#pragma once
// Text encodings of the files Nuvelo reads and writes: UTF-8, and Shift-JIS (code page 932)
// for files that come from Windows.

#include <optional>
#include <string>
#include <string_view>

namespace nuvelo {

enum class TextEncoding { Utf8, ShiftJis };

bool isValidUtf8(std::string_view text);

// Decodes Shift-JIS into UTF-8; a byte sequence that is not Shift-JIS becomes U+FFFD.
std::string shiftJisToUtf8(std::string_view text);

// Encodes UTF-8 as Shift-JIS; nothing when some character has no Shift-JIS form.
std::optional<std::string> utf8ToShiftJis(std::string_view text);

// The text with every byte that does not belong to a valid UTF-8 sequence replaced by U+FFFD.
std::string withReplacementCharacters(std::string_view text);

// Cuts UTF-8 text after at most maxChars characters, never inside a character.
std::string_view firstCharacters(std::string_view utf8, std::size_t maxChars);

// The Unicode code point of the last character of UTF-8 text (0 for an empty text).
char32_t lastCodePoint(std::string_view utf8);

}  // namespace nuvelo
