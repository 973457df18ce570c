#pragma once
// Every platform service of the main window as a test double.

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "platform/modal_runner.h"
#include "platform/shell_open.h"
#include "support/fake_message_boxes.h"

namespace nuvelo::testing {

class FakeShellOpen : public ShellOpen {
 public:
  int open(const std::string& path) override {
    opened.push_back(path);
    return result;
  }
  int result = ShellResult::Opened;
  std::vector<std::string> opened;
};

// Instead of showing a dialog, runs the script on it (which may look at it and press its
// buttons); without a script the dialog is accepted.
class ScriptedModalRunner : public ModalRunner {
 public:
  int run(QDialog& dialog) override {
    shown.push_back(&dialog);
    if (script) script(dialog);
    else dialog.accept();
    return dialog.result();
  }
  std::function<void(QDialog&)> script;
  std::vector<QDialog*> shown;
};

struct FakeServices {
  FakeMessageBoxes boxes;
  FakeShellOpen shell;
  ScriptedModalRunner dialogs;
  MainWindowServices services() { return {&boxes, &shell, &dialogs}; }
};

}  // namespace nuvelo::testing
