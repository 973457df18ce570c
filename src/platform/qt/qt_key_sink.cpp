#include "platform/qt/qt_key_sink.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QWidget>
#include <utility>

namespace nuvelo {
namespace {

// Keys of the US layout: the Qt key, and the characters typed without and with Shift.
struct KeyInfo {
  int key;
  char plain;
  char shifted;
};

KeyInfo keyOf(std::uint8_t vk) {
  if (vk >= 'A' && vk <= 'Z')
    return {Qt::Key_A + (vk - 'A'), static_cast<char>(vk - 'A' + 'a'), static_cast<char>(vk)};
  if (vk >= '0' && vk <= '9') {
    static const char shiftedDigits[] = ")!@#$%^&*(";
    return {Qt::Key_0 + (vk - '0'), static_cast<char>(vk), shiftedDigits[vk - '0']};
  }
  if (vk >= 0x70 && vk <= 0x7F) return {Qt::Key_F1 + (vk - 0x70), 0, 0};
  static const std::pair<std::uint8_t, KeyInfo> others[] = {
      {0x03, {Qt::Key_Cancel, 0, 0}},
      {0x08, {Qt::Key_Backspace, 0, 0}},
      {0x09, {Qt::Key_Tab, '\t', 0}},
      {0x0C, {Qt::Key_Clear, 0, 0}},
      {0x0D, {Qt::Key_Return, '\r', '\r'}},
      {0x10, {Qt::Key_Shift, 0, 0}},
      {0x11, {Qt::Key_Control, 0, 0}},
      {0x12, {Qt::Key_Alt, 0, 0}},
      {0x14, {Qt::Key_CapsLock, 0, 0}},
      {0x1B, {Qt::Key_Escape, 0, 0}},
      {0x20, {Qt::Key_Space, ' ', ' '}},
      {0x21, {Qt::Key_PageUp, 0, 0}},
      {0x22, {Qt::Key_PageDown, 0, 0}},
      {0x23, {Qt::Key_End, 0, 0}},
      {0x24, {Qt::Key_Home, 0, 0}},
      {0x25, {Qt::Key_Left, 0, 0}},
      {0x26, {Qt::Key_Up, 0, 0}},
      {0x27, {Qt::Key_Right, 0, 0}},
      {0x28, {Qt::Key_Down, 0, 0}},
      {0x2A, {Qt::Key_Print, 0, 0}},
      {0x2D, {Qt::Key_Insert, 0, 0}},
      {0x2E, {Qt::Key_Delete, 0, 0}},
      {0x2F, {Qt::Key_Help, 0, 0}},
      {0x90, {Qt::Key_NumLock, 0, 0}},
      {0x91, {Qt::Key_ScrollLock, 0, 0}},
      {0xBA, {Qt::Key_Semicolon, ';', ':'}},
      {0xBB, {Qt::Key_Equal, '=', '+'}},
      {0xBC, {Qt::Key_Comma, ',', '<'}},
      {0xBD, {Qt::Key_Minus, '-', '_'}},
      {0xBE, {Qt::Key_Period, '.', '>'}},
      {0xBF, {Qt::Key_Slash, '/', '?'}},
      {0xC0, {Qt::Key_QuoteLeft, '`', '~'}},
      {0xDB, {Qt::Key_BracketLeft, '[', '{'}},
      {0xDC, {Qt::Key_Backslash, '\\', '|'}},
      {0xDD, {Qt::Key_BracketRight, ']', '}'}},
      {0xDE, {Qt::Key_Apostrophe, '\'', '"'}}};
  for (const auto& [code, info] : others)
    if (code == vk) return info;
  return {Qt::Key_unknown, 0, 0};
}

Qt::KeyboardModifier modifierOf(std::uint8_t vk) {
  switch (vk) {
    case 0x10:
      return Qt::ShiftModifier;
    case 0x11:
      return Qt::ControlModifier;
    case 0x12:
      return Qt::AltModifier;
    default:
      return Qt::NoModifier;
  }
}

}  // namespace

void QtKeySink::keyEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags) {
  const bool release = flags & KeyUp;
  if (const Qt::KeyboardModifier modifier = modifierOf(virtualKey)) {
    modifiers_.setFlag(modifier, !release);
  }
  const KeyInfo info = keyOf(virtualKey);
  const bool shifted = modifiers_.testFlag(Qt::ShiftModifier);
  const char character = shifted ? info.shifted : info.plain;
  const QString text = character && !modifiers_.testAnyFlags(Qt::ControlModifier | Qt::AltModifier)
                           ? QString(QChar(character))
                           : QString();
  QWidget* target = QApplication::focusWidget();
  if (!target) return;
  QKeyEvent event(release ? QEvent::KeyRelease : QEvent::KeyPress, info.key, modifiers_, scanCode,
                  virtualKey, 0, text);
  QApplication::sendEvent(target, &event);
}

// Each event was handled as it was sent: nothing waits to be drained.
void QtKeySink::drainKeyboardEvents() {}

void QtKeySink::showMessage(const std::string& text) {
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("SendKeys"), QString::fromStdString(text),
                  QMessageBox::Ok, QApplication::activeWindow());
  box.exec();
}

}  // namespace nuvelo
