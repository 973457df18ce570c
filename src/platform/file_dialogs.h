#pragma once
// The folder browser and the open and save dialogs for condition files.

#include <optional>
#include <string>

namespace nuvelo {

struct FileDialogStart {
  std::string path;    // the path the dialog returned the previous time, filled in (may be empty)
  std::string folder;  // where it starts when no path is filled in
};

class FileDialogs {
 public:
  virtual ~FileDialogs() = default;
  // The chosen folder, with `initial` selected at first; nothing when cancelled.
  virtual std::optional<std::string> chooseFolder(const std::string& initial) = 0;
  // A condition file to write ("DATファイル", *.dat; ".dat" added to a name without an
  // extension; asks before replacing an existing file); nothing when cancelled.
  virtual std::optional<std::string> conditionFileToSave(const FileDialogStart& start) = 0;
  // A condition file to read; the file need not exist. Nothing when cancelled.
  virtual std::optional<std::string> conditionFileToOpen(const FileDialogStart& start) = 0;
};

}  // namespace nuvelo
