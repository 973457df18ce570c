#pragma once
// The folder browser and the open and save dialogs for condition files.

#include <functional>
#include <optional>
#include <string>

namespace nuvelo {

struct FileDialogStart {
  std::string path;    // the path the dialog returned the previous time, filled in (may be empty)
  std::string folder;  // where it starts when no path is filled in
};

// What the folder browser hands back: the chosen folder, or nothing when cancelled.
using FolderAnswer = std::function<void(std::optional<std::string> folder)>;

class FileDialogs {
 public:
  virtual ~FileDialogs() = default;
  // Opens the folder browser, with `initial` selected at first, and returns at once; the
  // window's own event loop runs while the browser is open, and its owner takes no input
  // meanwhile. `answer` is called once, when the browser closes (not when its owner is
  // destroyed first). A request made while the browser is open is answered with nothing.
  virtual void chooseFolder(const std::string& initial, FolderAnswer answer) = 0;
  // A condition file to write ("DATファイル", *.dat; ".dat" added to a name without an
  // extension; asks before replacing an existing file); nothing when cancelled.
  virtual std::optional<std::string> conditionFileToSave(const FileDialogStart& start) = 0;
  // A condition file to read; the file need not exist. Nothing when cancelled.
  virtual std::optional<std::string> conditionFileToOpen(const FileDialogStart& start) = 0;
};

}  // namespace nuvelo
