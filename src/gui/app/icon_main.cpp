// nuvelo-icon FOLDER: writes the program's icon as FOLDER/SIZExSIZE/apps/nuvelo.png for the
// sizes a desktop looks for.

#include <QDir>
#include <QGuiApplication>
#include <cstdio>

#include "gui/widgets/program_icon.h"

int main(int argc, char* argv[]) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: nuvelo-icon FOLDER\n");
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  for (int size : {16, 24, 32, 48, 64, 128, 256}) {
    const QString dir = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(size);
    QDir().mkpath(dir);
    if (!nuvelo::programIconImage(size).save(dir + QStringLiteral("/nuvelo.png"))) return 1;
  }
  return 0;
}
