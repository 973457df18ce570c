#pragma once
// The keystroke sender: a short key-description text turned into key events, as if typed.
//
//   "+", "^", "%"   hold Shift, Ctrl, Alt for the next key (or the next group)
//   "(" ... ")"     a group: the held modifiers stay down for every key in it
//   "~"             Enter
//   "{NAME}"        a named key, "{NAME n}" n times; "{x}" the key that types x
//   anything else   the key that types that character

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/key_sink.h"

namespace nuvelo {

// A repeat count that is not an integer; what() is the user's message.
class ConversionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Sends the keys; true when the whole text was worked through, false for an empty text or an
// unclosed brace group. Throws ConversionError for a count that is not an integer. Modifiers
// it pressed are always let go, also when it ends early or inside an open group.
bool SendKeys(std::string_view keys, bool wait, KeySink& sink);

// The US keyboard layout: the key word (shift state in the high byte: 1 Shift, 2 Ctrl, 4 Alt;
// virtual key in the low byte) that types a character, or 0xFFFF.
std::uint16_t keyScan(char c);
// The scan code of a virtual key on that layout (0 when it has none).
std::uint8_t scanCodeOf(std::uint8_t virtualKey);
// The virtual key of a key name ("DOWN", "F1", ...), or 0 when the name is not known.
std::uint8_t virtualKeyNamed(std::string_view name);

}  // namespace nuvelo
