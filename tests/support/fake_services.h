#pragma once
// Every platform service of the main window as a test double.

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "platform/modal_runner.h"
#include "platform/desktop_shell.h"
#include "support/fake_message_boxes.h"

namespace nuvelo::testing {

class FakeDesktopShell : public DesktopShell {
 public:
  int open(const std::string& path) override {
    opened.push_back(path);
    return result;
  }
  void showProperties(const std::string& path) override { properties.push_back(path); }
  int result = ShellResult::Opened;
  std::vector<std::string> opened;
  std::vector<std::string> properties;
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
  FakeDesktopShell shell;
  ScriptedModalRunner dialogs;
  MainWindowServices services() { return {&boxes, &shell, &dialogs}; }
};

}  // namespace nuvelo::testing
