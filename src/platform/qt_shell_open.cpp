#include "platform/qt_shell_open.h"

#include <QDesktopServices>
#include <QFile>
#include <QUrl>

#include "platform/filesystem.h"
#include "platform/path_text.h"

namespace nuvelo {

int QtShellOpen::open(const std::string& path) {
  if (!isExistingEntry(path)) {
    const auto slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
    return isExistingFolder(folder) ? ShellResult::FileNotFound : ShellResult::PathNotFound;
  }
  const QUrl url = QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(path)));
  return QDesktopServices::openUrl(url) ? ShellResult::Opened : ShellResult::NoAssociation;
}

}  // namespace nuvelo
