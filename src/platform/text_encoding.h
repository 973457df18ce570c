#pragma once
// Text encodings of the files Nuvelo reads and writes: UTF-8, and Shift-JIS (code page 932)
// for files that come from Windows.

#include <optional>
#include <string>
#include <string_view>

namespace nuvelo {

enum class TextEncoding { Utf8, ShiftJis };

bool isValidUtf8(std::string_view text);

// The length of the UTF-8 sequence that starts at text[i], or 0 when none valid starts there.
std::size_t utf8SequenceLength(std::string_view text, std::size_t i);

// Decodes one UTF-8 character at text[i] and moves i past it; nothing (and one byte used) for a
// byte that starts none.
std::optional<char32_t> decodeAt(std::string_view text, std::size_t& i);
// Appends the character in UTF-8.
void appendUtf8(std::string& out, char32_t c);

// Decodes Shift-JIS into UTF-8 with the whole of Windows' code page 932: the NEC and IBM
// extension rows, the user-defined rows (U+E000-U+E757) and the single bytes 0x80 (U+0080),
// 0xA0, 0xFD, 0xFE and 0xFF (U+F8F0-U+F8F3). A byte sequence that is not Shift-JIS becomes
// U+FFFD.
std::string shiftJisToUtf8(std::string_view text);

// The UTF-8 form of Shift-JIS text that converts both ways without loss: every byte belongs to
// a character, and encoding the result gives back the same bytes. Nothing for text with bytes
// that are no Shift-JIS, or with the second code of a character that has two (an NEC-selected
// IBM extension, say, encodes as its IBM twin).
std::optional<std::string> shiftJisToUtf8Exactly(std::string_view text);

// Encodes UTF-8 as Shift-JIS (code page 932); nothing when some character has no Shift-JIS
// form that reads back as that same character ("¥" and "〜" have none: they would come back
// as "\" and "～").
std::optional<std::string> utf8ToShiftJis(std::string_view text);

// The text with every byte that does not belong to a valid UTF-8 sequence replaced by U+FFFD.
std::string withReplacementCharacters(std::string_view text);

// A path or name as the user reads it, in UTF-8: each "/"-separated component that is not UTF-8 is
// decoded as Shift-JIS when every byte of it reads as such (names from old shares and
// archives), else shown with replacement characters. Only for showing: file operations keep
// the bytes. (A Shift-JIS character never has "/" as its second byte.)
std::string nameForDisplay(std::string_view path);

// Cuts UTF-8 text after at most maxChars characters, never inside a character.
std::string_view firstCharacters(std::string_view utf8, std::size_t maxChars);

// The Unicode code point of the last character of UTF-8 text (0 for an empty text).
char32_t lastCodePoint(std::string_view utf8);

}  // namespace nuvelo
