#pragma once
// Message boxes for tests: records every box and answers from a script.

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/message_boxes.h"

namespace nuvelo::testing {

class FakeMessageBoxes : public MessageBoxes {
 public:
  struct Shown {
    MessageKind kind;
    std::string text;
    MessageButtons buttons;
    MessagePlacement placement;
    std::string checkBoxText = {};  // a box with a check box under its text
  };

  MessageAnswer show(MessageKind kind, const std::string& text, MessageButtons buttons,
                     MessagePlacement placement) override {
    shown.push_back({kind, text, buttons, placement});
    if (onShow) onShow(shown.back());
    if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
    if (answers.empty()) return MessageAnswer::No;
    const MessageAnswer answer = answers.front();
    answers.pop_front();
    return answer;
  }

  bool showWithCheckBox(MessageKind kind, const std::string& text, const std::string& checkBoxText,
                        MessagePlacement placement) override {
    shown.push_back({kind, text, MessageButtons::Ok, placement, checkBoxText});
    if (onShow) onShow(shown.back());
    if (checks.empty()) return false;
    const bool checked = checks.front();
    checks.pop_front();
    return checked;
  }

  void showApplicationError(const std::string& message) override {
    applicationErrors.push_back(applicationErrorText(message));
  }

  // A question asked while the event loop goes on, held open until the test answers it.
  struct Held {
    std::function<void(MessageAnswer)> answer;
    bool withdrawn = false;
  };
  Withdraw ask(MessageKind kind, const std::string& text, MessageButtons buttons,
               MessagePlacement placement, std::function<void(MessageAnswer)> answered) override {
    if (!holdQuestions) return MessageBoxes::ask(kind, text, buttons, placement, answered);
    shown.push_back({kind, text, buttons, placement});
    auto question = std::make_shared<Held>(Held{std::move(answered)});
    held.push_back(question);
    if (onShow) onShow(shown.back());
    // Weak: the answer function may hold what holds this withdraw function.
    return [weak = std::weak_ptr<Held>(question)] {
      if (const auto question = weak.lock()) question->withdrawn = true;
    };
  }

  std::function<void(const Shown&)> onShow;  // looks at the program while the box is up
  std::deque<MessageAnswer> answers;         // for Yes/No boxes; No when the script runs out
  std::deque<bool> checks;  // the check box as each box with one is left; unchecked when out
  std::vector<Shown> shown;
  std::vector<std::string> applicationErrors;  // as the box shows them
  bool holdQuestions = false;                  // ask leaves its questions open in `held`
  std::vector<std::shared_ptr<Held>> held;
};

}  // namespace nuvelo::testing
