#pragma once
// The file dialogs as Qt's own (translated) file dialogs; the folder browser as the desktop's
// own folder dialog where a portal is on the bus it is given.

#include <QPointer>
#include <QWidget>
#include <memory>

#include "platform/file_dialogs.h"
#include "platform/qt/portal_folder_chooser.h"

namespace nuvelo {

class QtFileDialogs : public FileDialogs {
 public:
  std::optional<std::string> chooseFolder(const std::string& initial) override;
  std::optional<std::string> conditionFileToSave(const FileDialogStart& start) override;
  std::optional<std::string> conditionFileToOpen(const FileDialogStart& start) override;

  void setOwner(QWidget* owner) { owner_ = owner; }
  // Asks the XDG desktop portal on `bus` for folders when the bus has one, and Qt's own folder
  // browser otherwise or when the portal does not answer. Without this, always Qt's own.
  void useFolderPortal(const QDBusConnection& bus);

 private:
  // The window the portal's dialog belongs to, as the portal names it ("x11:<id>"); empty on
  // platforms without one it can name.
  QString portalParentWindow() const;

  QPointer<QWidget> owner_;
  std::unique_ptr<PortalFolderChooser> portal_;
};

}  // namespace nuvelo
