#pragma once
// The file dialogs as Qt's own (translated) file dialogs; the folder browser as the desktop's
// own folder dialog where a portal is on the bus it is given.

#include <QFileDialog>
#include <QPointer>
#include <QWidget>
#include <memory>

#include "platform/file_dialogs.h"
#include "platform/qt/input_block.h"
#include "platform/qt/portal_folder_chooser.h"

namespace nuvelo {

class QtFileDialogs : public FileDialogs {
 public:
  ~QtFileDialogs() override;
  void chooseFolder(const std::string& initial, FolderAnswer answer) override;
  std::optional<std::string> conditionFileToSave(const FileDialogStart& start) override;
  std::optional<std::string> conditionFileToOpen(const FileDialogStart& start) override;

  void setOwner(QWidget* owner) { owner_ = owner; }
  // Asks the XDG desktop portal on `bus` for folders when the bus has one that replies within
  // `replyDeadlineMs`, and Qt's own folder browser otherwise or when the portal's dialog could
  // not ask. Without this, always Qt's own.
  void useFolderPortal(const QDBusConnection& bus,
                       int replyDeadlineMs = PortalFolderChooser::ReplyDeadlineMs);

 private:
  void askPortal(const std::string& initial);
  // Qt's own folder browser, window-modal to the owner.
  void openOwnFolderBrowser(const std::string& initial);
  void answerFolder(std::optional<std::string> folder);
  // The window the portal's dialog belongs to, as the portal names it ("x11:<id>"); empty on
  // platforms without one it can name (Wayland needs a handle exported for it).
  QString portalParentWindow() const;

  QPointer<QWidget> owner_;
  std::unique_ptr<PortalFolderChooser> portal_;
  // Escape in the owner while the portal's dialog was awaited: Qt's own browser from then on.
  bool portalGivenUp_ = false;
  FolderAnswer folderAnswer_;  // set while the folder browser is open
  std::unique_ptr<InputBlock> portalBlock_;
  QPointer<QFileDialog> ownFolderBrowser_;
};

}  // namespace nuvelo
