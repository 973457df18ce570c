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

namespace {

// `start` moved as little as needed for `length` pixels from it to lie in [low, high), or to
// `low` where they cannot.
int keptWithin(int start, int length, int low, int high) {
  return std::clamp(start, low, std::max(low, high - length));
}

QRect keptOnScreen(QPoint at, QSize size, QRect area) {
  return {keptWithin(at.x(), size.width(), area.left(), area.right() + 1),
          keptWithin(at.y(), size.height(), area.top(), area.bottom() + 1), size.width(),
          size.height()};
}

long long coveredArea(QRect a, QRect b) {
  const QRect common = a.intersected(b);
  return common.isEmpty() ? 0 : static_cast<long long>(common.width()) * common.height();
}

}  // namespace

QPoint besideOwner(QRect owner, QSize size, QRect area) {
  // In order of preference: an earlier side wins a tie, so a side with room comes first.
  const QPoint sides[] = {
      {owner.right() + 1, owner.top()},
      {owner.left() - size.width(), owner.top()},
      {owner.left(), owner.bottom() + 1},
      {owner.left(), owner.top() - size.height()},
  };
  QRect best;
  long long bestCovered = -1;
  for (const QPoint side : sides) {
    const QRect place = keptOnScreen(side, size, area);
    const long long covered = coveredArea(place, owner);
    if (bestCovered < 0 || covered < bestCovered) {
      best = place;
      bestCovered = covered;
    }
  }
  return best.topLeft();
}

void HelpWindow::placeBeside(const QWidget& owner) {
  const QRect frame = owner.frameGeometry();
  const QScreen* screen = owner.screen() ? owner.screen() : QGuiApplication::primaryScreen();
  const QRect area = screen ? screen->availableGeometry() : frame;
  move(besideOwner(frame, frameGeometry().size(), area));
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
