#pragma once
// The keystroke sender: a short key-description text turned into key events, as if typed.
//
//   "+", "^", "%"   hold Shift, Ctrl, Alt for the next key (or the next group)
//   "(" ... ")"     a group: the held modifiers stay down for every key in it
//   "~"             Enter
//   "{NAME}"        a named key, "{NAME n}" n times; "{x}" the key that types x
//   anything else   the key that types that character

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/key_sink.h"
#include "platform/result.h"

namespace nuvelo {

// A repeat count in braces that is not an integer ("{DOWN x}"): its text, upper-cased with the
// key name.
struct BadRepeatCount {
  std::string countText;
};

// What SendKeys made of a text: whether it was worked through, or the count that stopped it.
// As a condition it says only that no count stopped it; the value says whether it got through.
using SentKeys = Expected<bool, BadRepeatCount>;

// Sends the keys; true when the whole text was worked through, false for an empty text or an
// unclosed brace group, BadRepeatCount for a count that is not an integer (the keys before it
// are sent). Modifiers it pressed are always let go, also when it ends early or inside an open
// group.
SentKeys SendKeys(std::string_view keys, bool wait, KeySink& sink);

// The US keyboard layout: the key word (shift state in the high byte: 1 Shift, 2 Ctrl, 4 Alt;
// virtual key in the low byte) that types a character, or 0xFFFF.
std::uint16_t keyScan(char c);
// The scan code of a virtual key on that layout (0 when it has none).
std::uint8_t scanCodeOf(std::uint8_t virtualKey);
// The virtual key of a key name ("DOWN", "F1", ...), or 0 when the name is not known.
std::uint8_t virtualKeyNamed(std::string_view name);

}  // namespace nuvelo
