// Program entry: set up the application, create the main window, run until it closes.

#include <QApplication>

#include "engine/settings/settings_file.h"
#include "gui/app/application.h"
#include "gui/app/termination_signals.h"
#include "gui/dialogs/help_window.h"
#include "gui/dialogs/properties_dialog.h"
#include "gui/main_window/main_window.h"
#include "platform/posix/filesystem.h"
#include "platform/qt/modal_runner.h"
#include "platform/qt/qt_desktop_shell.h"
#include "platform/qt/qt_file_dialogs.h"
#include "platform/qt/qt_key_sink.h"
#include "platform/qt/qt_message_boxes.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  nuvelo::configureApplication(app);

  nuvelo::QtMessageBoxes boxes;
  nuvelo::QtDesktopShell shell([](const std::string& path, QWidget* owner) {
    (new nuvelo::PropertiesDialog(path, owner))->show();
  });
  nuvelo::QtModalRunner dialogs;
  nuvelo::QtFileDialogs files;
  nuvelo::QtKeySink keys;
  nuvelo::QtHelpViewer help;
  const std::string folder = nuvelo::executableFolder();
  nuvelo::MainWindow form(
      nuvelo::MainWindowServices{&boxes, &shell, &dialogs, &files, &keys, &help},
      nuvelo::resolveSettingsPath(folder), folder);
  boxes.setOwner(&form);
  shell.setOwner(&form);
  files.setOwner(&form);
  nuvelo::TerminationSignalCloser closer(&form);
  form.show();
  return app.exec();
}
