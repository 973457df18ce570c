#pragma once
// Message boxes as Qt dialogs, modal over the program's windows.

#include <QPointer>
#include <QWidget>

#include "platform/message_boxes.h"

namespace nuvelo {

class QtMessageBoxes : public MessageBoxes {
 public:
  MessageAnswer show(MessageKind kind, const std::string& text, MessageButtons buttons,
                     MessagePlacement placement) override;
  bool showWithCheckBox(MessageKind kind, const std::string& text, const std::string& checkBoxText,
                        MessagePlacement placement) override;
  void showApplicationError(const std::string& message) override;
  // Window-modal boxes over the owner, answered through the event loop.
  Withdraw ask(MessageKind kind, const std::string& text, MessageButtons buttons,
               MessagePlacement placement, std::function<void(MessageAnswer)> answered) override;
  Withdraw askWithCheckBox(MessageKind kind, const std::string& text,
                           const std::string& checkBoxText, MessagePlacement placement,
                           std::function<void(bool)> answered) override;

  // The window the boxes are modal to (the main window, once it exists).
  void setOwner(QWidget* owner) { owner_ = owner; }

 private:
  QPointer<QWidget> owner_;
};

}  // namespace nuvelo
