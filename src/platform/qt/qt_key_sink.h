#pragma once
// Key events delivered to the program's own focused widget, as if typed.

#include <QString>
#include <Qt>

#include "platform/key_sink.h"

namespace nuvelo {

class QtKeySink : public KeySink {
 public:
  void keyEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags) override;
  void drainKeyboardEvents() override;
  void toggleNumLock() override { numLock_ = !numLock_; }
  void showMessage(const std::string& text) override;

  bool numLock() const { return numLock_; }

 private:
  Qt::KeyboardModifiers modifiers_;
  bool numLock_ = false;
};

}  // namespace nuvelo
