#pragma once
// Keeps keyboard and mouse out of a window while another program's dialog asks the user on its
// behalf, as a modal dialog of its own would.

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>

namespace nuvelo {

// Disables the window until lifted or destroyed, then gives it back its focus. Escape pressed
// in the window meanwhile calls `onEscape`: the way out when the other program never shows its
// dialog.
class InputBlock : public QObject {
 public:
  InputBlock(QWidget* window, std::function<void()> onEscape);
  ~InputBlock() override { lift(); }
  // Gives the window its input back; `onEscape` may call it.
  void lift();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QPointer<QWidget> window_;
  QPointer<QWidget> focus_;
  bool wasEnabled_ = true;
  std::function<void()> onEscape_;
};

}  // namespace nuvelo
