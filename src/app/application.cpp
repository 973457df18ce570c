#include "app/application.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QTranslator>

namespace nuvelo {

QString startupHelpFile() {
  return QApplication::applicationDirPath() + QStringLiteral("/NUVELO.HLP");
}

void applyProgramFont(QApplication& app) {
  QFont font;
  font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                    QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")});
  font.setPixelSize(12);
  app.setFont(font);
}

void configureApplication(QApplication& app) {
  QApplication::setApplicationName(QString::fromLatin1(ApplicationTitle));
  QApplication::setApplicationDisplayName(QString::fromLatin1(ApplicationTitle));
  app.setProperty("helpFile", startupHelpFile());

  // Qt's own dialogs (file dialogs, message box buttons it adds) speak Japanese.
  auto* translator = new QTranslator(&app);
  if (translator->load(QStringLiteral("qt_ja"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(translator);

  applyProgramFont(app);
}

}  // namespace nuvelo
