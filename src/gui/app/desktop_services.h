#pragma once
// The desktop's services the main window works through: Qt's message boxes, shell, modal
// dialogs, file dialogs, keystrokes, help viewer, notifications and removable drives, each
// living as long as this object.

#include <string>

#include "gui/dialogs/help_window.h"
#include "gui/dialogs/properties_dialog.h"
#include "gui/main_window/main_window.h"
#include "platform/qt/modal_runner.h"
#include "platform/qt/qt_desktop_notifier.h"
#include "platform/qt/qt_desktop_shell.h"
#include "platform/qt/qt_file_dialogs.h"
#include "platform/qt/qt_key_sink.h"
#include "platform/qt/qt_message_boxes.h"
#include "platform/qt/udisks_drives.h"

namespace nuvelo {

struct DesktopServices {
  QtMessageBoxes boxes;
  QtDesktopShell shell{
      [](const std::string& path, QWidget* owner) { (new PropertiesDialog(path, owner))->show(); }};
  QtModalRunner dialogs;
  QtFileDialogs files;
  QtKeySink keys;
  QtHelpViewer help;
  QtDesktopNotifier notifier;
  UDisksDrives drives{QDBusConnection::systemBus()};

  MainWindowServices services() {
    return {&boxes, &shell, &dialogs, &files, &keys, &help, &notifier, &drives};
  }
};

}  // namespace nuvelo
