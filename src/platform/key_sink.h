#pragma once
// Where sent keys go: the platform's keyboard events, or a test's record of them.

#include <cstdint>
#include <string>

namespace nuvelo {

// Key-event flags, as the platform's keyboard events take them.
inline constexpr std::uint32_t KeyExtended = 1;
inline constexpr std::uint32_t KeyUp = 2;

// Where the keys go, and the little of the platform the sender needs.
class KeySink {
 public:
  virtual ~KeySink() = default;
  virtual void keyEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags) = 0;
  // Lets the keyboard events sent so far be handled (wait mode).
  virtual void drainKeyboardEvents() = 0;
  // Flips the NumLock toggle state of the keyboard; no key event.
  virtual void toggleNumLock() = 0;
  // A message box with the caption "SendKeys" and one OK button.
  virtual void showMessage(const std::string& text) = 0;
};

}  // namespace nuvelo
