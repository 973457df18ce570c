#pragma once
// The program's modal message boxes, behind an interface so that tests script the answers.

#include <functional>
#include <string>

namespace nuvelo {

enum class MessageKind { Warning, Error, Information, Confirmation };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

struct WindowRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// Where a box appears: centred on the screen, or with its top-left corner at a given point.
struct MessagePlacement {
  bool centredOnScreen = true;
  int left = 0;
  int top = 0;

  static MessagePlacement centred() { return {}; }
  // The "positioned" box: top-left at the window's left + (width - 200) / 2 and
  // top + (height - 100) / 2, each division truncating toward zero.
  static MessagePlacement positionedOn(const WindowRect& window) {
    return {false, window.left + (window.width - 200) / 2, window.top + (window.height - 100) / 2};
  }
  bool operator==(const MessagePlacement&) const = default;
};

// The caption that goes with each kind of box.
const char* captionOf(MessageKind kind);

// The application error box's text: "." is appended when the last character sorts after ".".
std::string applicationErrorText(const std::string& message);

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;

  // A Yes/No box counts every answer but Yes as No.
  virtual MessageAnswer show(MessageKind kind, const std::string& text, MessageButtons buttons,
                             MessagePlacement placement) = 0;

  // An OK box with a check box (unchecked) under its text; whether it was left checked.
  virtual bool showWithCheckBox(MessageKind kind, const std::string& text,
                                const std::string& checkBoxText, MessagePlacement placement) = 0;

  // The box for an error that ended a command: the application's title as caption, the stop
  // icon, one OK button, `message` as applicationErrorText gives it.
  virtual void showApplicationError(const std::string& message) = 0;

  // Closes a box opened by ask or askWithCheckBox before it was answered; its answer then never
  // comes. Nothing once it was answered.
  using Withdraw = std::function<void()>;

  // The boxes of show and showWithCheckBox, opened while the event loop goes on: `answered` is
  // called once, from the event loop, with what show or showWithCheckBox would return. By
  // default the box is shown at once and answered before ask returns.
  virtual Withdraw ask(MessageKind kind, const std::string& text, MessageButtons buttons,
                       MessagePlacement placement, std::function<void(MessageAnswer)> answered) {
    answered(show(kind, text, buttons, placement));
    return [] {};
  }
  virtual Withdraw askWithCheckBox(MessageKind kind, const std::string& text,
                                   const std::string& checkBoxText, MessagePlacement placement,
                                   std::function<void(bool)> answered) {
    answered(showWithCheckBox(kind, text, checkBoxText, placement));
    return [] {};
  }
};

}  // namespace nuvelo
