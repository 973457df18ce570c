#pragma once
// Waiting for the folder browser, which answers through the event loop.

#include <QApplication>
#include <QFileDialog>
#include <QTest>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_dialogs.h"

namespace nuvelo::testing {

// Generous: a bound that only a hang reaches, never a measure of speed.
inline constexpr int HangBoundMs = 60000;

// Qt's own file dialog once it is the modal dialog on top; nullptr when none opens within
// `boundMs`.
inline QFileDialog* waitForFileDialog(int boundMs = HangBoundMs) {
  QFileDialog* dialog = nullptr;
  (void)QTest::qWaitFor(
      [&] {
        dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        return dialog != nullptr;
      },
      boundMs);
  return dialog;
}

// The answers a folder browser gave, in order.
struct FolderAnswers {
  std::vector<std::optional<std::string>> given;
  FolderAnswer record() {
    return [this](std::optional<std::string> folder) { given.push_back(std::move(folder)); };
  }
  // Whether `count` answers came before the bound.
  bool waitFor(std::size_t count) {
    return QTest::qWaitFor([&] { return given.size() >= count; }, HangBoundMs);
  }
};

}  // namespace nuvelo::testing
