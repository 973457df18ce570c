#include "platform/qt/input_block.h"

#include <QKeyEvent>

namespace nuvelo {

InputBlock::InputBlock(QWidget* window, std::function<void()> onEscape)
    : window_(window), onEscape_(std::move(onEscape)) {
  if (!window_) return;
  focus_ = window_->focusWidget();
  wasEnabled_ = window_->isEnabled();
  window_->setEnabled(false);
  window_->installEventFilter(this);
}

void InputBlock::lift() {
  if (!window_) return;
  window_->removeEventFilter(this);
  window_->setEnabled(wasEnabled_);
  if (focus_ && focus_->window() == window_) focus_->setFocus();
  window_ = nullptr;
}

bool InputBlock::eventFilter(QObject* watched, QEvent* event) {
  // A disabled window's key presses reach the window itself: none of its widgets has focus.
  if (event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && onEscape_) {
    const std::function<void()> escape = onEscape_;  // the handler may replace this block
    escape();
    return true;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace nuvelo
