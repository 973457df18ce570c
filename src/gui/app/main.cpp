// Program entry: set up the application, create the main window, run until it closes.

#include <QApplication>
#include <QDBusConnection>

#include "engine/settings/settings_file.h"
#include "gui/app/application.h"
#include "gui/app/desktop_services.h"
#include "gui/app/termination_signals.h"
#include "gui/main_window/main_window.h"
#include "platform/posix/filesystem.h"
#include "platform/posix/process_limits.h"

int main(int argc, char* argv[]) {
  nuvelo::raiseOpenFileLimit();
  nuvelo::limitMallocArenas();
  QApplication app(argc, argv);
  nuvelo::configureApplication(app);

  nuvelo::DesktopServices desktop;
  const std::string folder = nuvelo::executableFolder();
  nuvelo::MainWindow form(desktop.services(), nuvelo::resolveSettingsPath(folder), folder);
  desktop.boxes.setOwner(&form);
  desktop.shell.setOwner(&form);
  desktop.files.setOwner(&form);
  desktop.files.useFolderPortal(QDBusConnection::sessionBus());
  desktop.help.setOwner(&form);
  nuvelo::TerminationSignalCloser closer(&form);
  form.show();
  return app.exec();
}
