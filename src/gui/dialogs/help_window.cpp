#include "gui/dialogs/help_window.h"

#include <QFile>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "gui/widgets/program_icon.h"
#include "gui/widgets/scale_to_font.h"
#include "platform/posix/filesystem.h"
#include "platform/qtcore/byte_paths.h"

namespace nuvelo {

HelpWindow::HelpWindow(QWidget* parent)
    : QWidget(parent, Qt::Window), browser_(new QTextBrowser(this)) {
  setObjectName(QStringLiteral("HelpWindow"));
  setWindowTitle(QStringLiteral("Nuvelo ヘルプ"));
  setWindowIcon(programIcon());
  browser_->setOpenExternalLinks(true);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(browser_);
  resize(640, 560);
  scaleToFont(*this);
}

void HelpWindow::showFile(const QString& path) {
  // The file is HTML whatever its name says.
  QFile file(path);
  if (file.open(QIODevice::ReadOnly)) browser_->setHtml(QString::fromUtf8(file.readAll()));
  browser_->setSearchPaths({QFileInfo(path).absolutePath()});
}

void QtHelpViewer::showContents(const std::string& helpFile) {
  if (!isExistingEntry(helpFile)) return;  // a missing help file shows nothing
  if (!window_) window_ = new HelpWindow;
  window_->setAttribute(Qt::WA_DeleteOnClose);
  window_->showFile(pathToQt(helpFile));
  window_->show();
  window_->raise();
  window_->activateWindow();
}

}  // namespace nuvelo
