#include "gui/app/application.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "gui/widgets/design_scale.h"

namespace nuvelo {

QString startupHelpFile() {
  return QApplication::applicationDirPath() + QStringLiteral("/NUVELO.HLP");
}

void applyProgramFont(QApplication& app) {
  app.setFont(designFont());
}

namespace {

// File-type icons come from the desktop's icon theme; where none is set (a bare window
// manager, the offscreen platform) an installed theme that has them stands in.
void useIconThemeWithFileTypes() {
  if (QIcon::hasThemeIcon(QStringLiteral("text-x-generic"))) return;
  for (const QString& theme : {QStringLiteral("Adwaita"), QStringLiteral("hicolor")}) {
    QIcon::setThemeName(theme);
    if (QIcon::hasThemeIcon(QStringLiteral("text-x-generic"))) return;
  }
}

}  // namespace

void configureApplication(QApplication& app) {
  QApplication::setApplicationName(QString::fromLatin1(ApplicationTitle));
  // No display name: Qt would append it to every window title ("エラー — Nuvelo").
  app.setProperty("helpFile", startupHelpFile());

  // Qt's own dialogs (file dialogs, message box buttons it adds) speak Japanese.
  auto* translator = new QTranslator(&app);
  if (translator->load(QStringLiteral("qt_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(translator);

  // Type names of files come in Japanese, as every other text of the program.
  QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
  useIconThemeWithFileTypes();
  // The desktop's own font stays: the windows scale their design geometry to it.
}

}  // namespace nuvelo
