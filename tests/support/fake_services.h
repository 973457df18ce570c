#pragma once
// Every platform service of the main window as a test double.

#include <QDialog>
#include <cstdio>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/keys/send_keys.h"
#include "gui/main_window/main_window.h"
#include "platform/desktop_notifier.h"
#include "platform/desktop_shell.h"
#include "platform/file_dialogs.h"
#include "platform/help_viewer.h"
#include "platform/qt/modal_runner.h"
#include "platform/removable_drives.h"
#include "support/fake_message_boxes.h"

namespace nuvelo::testing {

class FakeDesktopShell : public DesktopShell {
 public:
  Result<> open(const std::string& path) override {
    opened.push_back(path);
    return result;
  }
  void openWebAddress(const std::string& url) override { webAddresses.push_back(url); }
  void showProperties(const std::string& path) override { properties.push_back(path); }
  Result<> result;
  std::vector<std::string> opened;
  std::vector<std::string> webAddresses;
  std::vector<std::string> properties;
};

// Instead of showing a dialog, runs the script on it (which may look at it and press its
// buttons); without a script the dialog is accepted.
class ScriptedModalRunner : public ModalRunner {
 public:
  int run(QDialog& dialog) override {
    shown.push_back(&dialog);
    if (script)
      script(dialog);
    else
      dialog.accept();
    return dialog.result();
  }
  std::function<void(QDialog&)> script;
  std::vector<QDialog*> shown;
};

// Answers the file dialogs from a script: each call takes the next answer (nothing when the
// script has run out, as a cancelled dialog), and records where the dialog started. The folder
// browser answers at once, or, while `holdFolderBrowser` is set, stays open until
// closeFolderBrowser().
class ScriptedFileDialogs : public FileDialogs {
 public:
  void chooseFolder(const std::string& initial, FolderAnswer answer) override {
    folderStarts.push_back(initial);
    if (openFolderBrowser) {
      answer(std::nullopt);  // as the real browser answers a second request
      return;
    }
    openFolderBrowser = std::move(answer);
    if (!holdFolderBrowser) closeFolderBrowser();
  }
  // Answers the open folder browser with the script's next answer.
  void closeFolderBrowser() {
    const FolderAnswer answer = std::move(openFolderBrowser);
    openFolderBrowser = nullptr;
    answer(next());
  }
  std::optional<std::string> conditionFileToSave(const FileDialogStart& start) override {
    saveStarts.push_back(start);
    return next();
  }
  std::optional<std::string> conditionFileToOpen(const FileDialogStart& start) override {
    openStarts.push_back(start);
    return next();
  }
  std::deque<std::optional<std::string>> answers;
  bool holdFolderBrowser = false;
  FolderAnswer openFolderBrowser;  // set while the folder browser is open
  std::vector<std::string> folderStarts;
  std::vector<FileDialogStart> saveStarts;
  std::vector<FileDialogStart> openStarts;

 private:
  std::optional<std::string> next() {
    if (answers.empty()) return std::nullopt;
    auto answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

// Records the keys sent, as "vk/scan/flags" in hexadecimal.
class RecordingKeySink : public KeySink {
 public:
  void keyEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) override {
    char text[32];
    std::snprintf(text, sizeof text, "%x/%x/%x", vk, scan, flags);
    events.push_back(text);
  }
  void drainKeyboardEvents() override {}
  void toggleNumLock() override { events.push_back("NUMLOCK"); }
  void showMessage(const std::string& text) override { events.push_back("msg:" + text); }
  std::vector<std::string> events;
};

class RecordingHelpViewer : public HelpViewer {
 public:
  bool showContents(const std::string& helpFile) override {
    shown.push_back(helpFile);
    return found;
  }
  std::vector<std::string> shown;
  bool found = true;  // whether the help file is there
};

class RecordingNotifier : public DesktopNotifier {
 public:
  void notify(const std::string& summary, const std::string& body) override {
    notes.push_back(summary + ": " + body);
  }
  std::vector<std::string> notes;  // "summary: body"
};

// Keeps each drive look-up for the test to answer; removals end at once with `removal`.
class ScriptedDrives : public RemovableDrives {
 public:
  void findDrive(const std::string& folder, Found found) override {
    lookups.push_back(folder);
    answers.push_back(std::move(found));
  }
  void removeDrive(const RemovableDrive& asked, Removed done) override {
    removals.push_back(asked);
    done(removal);
  }
  DriveRemoval removal;
  std::vector<std::string> lookups;  // the folders asked about
  std::vector<Found> answers;        // each look-up's, for the test to call
  std::vector<RemovableDrive> removals;
};

struct FakeServices {
  FakeMessageBoxes boxes;
  FakeDesktopShell shell;
  ScriptedModalRunner dialogs;
  ScriptedFileDialogs files;
  RecordingKeySink keys;
  RecordingHelpViewer help;
  RecordingNotifier notifier;
  ScriptedDrives drives;
  MainWindowServices services() {
    return {&boxes, &shell, &dialogs, &files, &keys, &help, &notifier, &drives};
  }
};

}  // namespace nuvelo::testing
