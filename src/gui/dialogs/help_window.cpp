#include "gui/dialogs/help_window.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

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

void HelpWindow::placeBeside(const QWidget& owner) {
  const QRect frame = owner.frameGeometry();
  const QScreen* screen = owner.screen() ? owner.screen() : QGuiApplication::primaryScreen();
  const QRect area = screen ? screen->availableGeometry() : frame;
  const int top =
      std::clamp(frame.top(), area.top(), std::max(area.top(), area.bottom() - height()));
  if (frame.right() + 1 + width() <= area.right() + 1)
    move(frame.right() + 1, top);
  else if (frame.left() - width() >= area.left())
    move(frame.left() - width(), top);
  else
    move(std::max(area.left(), frame.left() + frame.width() / 2), top);
}

void HelpWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

bool QtHelpViewer::showContents(const std::string& helpFile) {
  if (!isExistingEntry(helpFile)) return false;
  if (!window_) {
    window_ = new HelpWindow(owner_);
    window_->setAttribute(Qt::WA_DeleteOnClose);
    if (owner_) window_->placeBeside(*owner_);
  }
  window_->showFile(pathToQt(helpFile));
  window_->show();
  window_->raise();
  window_->activateWindow();
  return true;
}

}  // namespace nuvelo
