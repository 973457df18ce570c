// Renders each window of the program to a PNG file, so anyone can look at what a user sees.
// Usage: nuvelo-screenshots OUTPUT_FOLDER (run with QT_QPA_PLATFORM=offscreen on a headless
// machine).

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTextStream>
#include <cstdio>

#include "app/application.h"
#include "app/main_window.h"
#include "platform/qt_message_boxes.h"

namespace {

bool save(QWidget& window, const QString& folder, const QString& name) {
  window.show();
  QApplication::processEvents();
  const QString path = QDir(folder).filePath(name);
  const bool saved = window.grab().save(path);
  std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
  return saved;
}

QString sampleSettings(const QTemporaryDir& dir) {
  const QString path = dir.filePath(QStringLiteral("NVO.ini"));
  QFile file(path);
  if (file.open(QIODevice::WriteOnly)) {
    QTextStream(&file) << "[Default]\nFrom=/home/user/Documents\nTo=/media/backup/Documents\n"
                          "LastCopyDate=2026/11/30\n[Option]\nEscExt=bak,tmp\n";
  }
  return path;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  nuvelo::configureApplication(app);
  const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
  QDir().mkpath(folder);

  QTemporaryDir dir;
  nuvelo::QtMessageBoxes boxes;
  nuvelo::TForm1 form(nuvelo::MainWindowServices{&boxes}, sampleSettings(dir).toStdString(),
                      dir.path().toStdString());
  form.move(0, 0);
  return save(form, folder, QStringLiteral("main-window.png")) ? 0 : 1;
}
