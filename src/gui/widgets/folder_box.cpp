#include "gui/widgets/folder_box.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QStringListModel>
#include <QUrl>
#include <QWindow>

#include "engine/settings/settings_file.h"
#include "platform/posix/filesystem.h"
#include "platform/qtcore/byte_paths.h"

namespace nuvelo {

namespace {

// Taken as a copy where the source offers one: a file manager that proposed a move must not
// think the folder went anywhere.
void acceptAsCopy(QDropEvent& event) {
  if (event.possibleActions() & Qt::CopyAction) {
    event.setDropAction(Qt::CopyAction);
    event.accept();
  } else {
    event.acceptProposedAction();
  }
}

// The press goes to the window under the pointer as the desktop would have sent it there, so
// that the window picks the widget and its release follows to the same widget.
void pressUnderPointer(const QMouseEvent& press) {
  const QPoint global = press.globalPosition().toPoint();
  QWidget* target = QApplication::widgetAt(global);
  QWindow* window = target ? target->window()->windowHandle() : nullptr;
  if (!window) return;
  const QPointF at = window->mapFromGlobal(press.globalPosition());
  QMouseEvent replayed(press.type(), at, at, press.globalPosition(), press.button(),
                       press.buttons(), press.modifiers(), press.pointingDevice());
  QCoreApplication::sendEvent(window, &replayed);
}

}  // namespace

FolderBox::FolderBox(QLineEdit& box)
    : QObject(&box),
      box_(box),
      model_(new QStringListModel(this)),
      completer_(new QCompleter(model_, this)) {
  completer_->setCaseSensitivity(Qt::CaseSensitive);
  completer_->setFilterMode(Qt::MatchContains);
  box_.setCompleter(completer_);
  box_.setAcceptDrops(true);
  box_.installEventFilter(this);
  // Installed after the completer's own filter, so it sees a press first. Qt replays a press
  // outside a pop-up itself only where the pop-up could grab the mouse; with this filter that
  // would deliver it twice.
  QWidget* list = completer_->popup();
  list->setAttribute(Qt::WA_NoMouseReplay);
  list->installEventFilter(this);
}

std::optional<std::string> FolderBox::droppedFolder(const QMimeData& data) {
  if (!data.hasUrls() || data.urls().size() != 1) return std::nullopt;
  const QUrl url = data.urls().front();
  if (!url.isLocalFile()) return std::nullopt;
  // The path's own bytes, also where they are not UTF-8.
  const std::string path =
      QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
  if (!isExistingFolder(path)) return std::nullopt;
  return path;
}

bool FolderBox::takesDrop(const QDropEvent& event) const {
  return !box_.isReadOnly() && box_.isEnabled() && event.mimeData() &&
         droppedFolder(*event.mimeData());
}

// A press outside the open completion list closes it and still reaches what it was aimed at: a
// click on the search or copy button searches or copies. Left alone, the list would swallow it.
bool FolderBox::passPressOutsideList(QEvent* event) {
  QWidget* list = completer_->popup();
  if (event->type() != QEvent::MouseButtonPress || !list->isVisible()) return false;
  const auto* press = static_cast<QMouseEvent*>(event);
  if (list->rect().contains(list->mapFromGlobal(press->globalPosition().toPoint()))) return false;
  list->hide();
  pressUnderPointer(*press);
  return true;
}

// Folders are taken whole; any other drop (text, files) is refused rather than typed in.
bool FolderBox::eventFilter(QObject* watched, QEvent* event) {
  if (watched == completer_->popup()) return passPressOutsideList(event);
  if (watched != &box_) return false;
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* drag = static_cast<QDropEvent*>(event);
      if (takesDrop(*drag))
        acceptAsCopy(*drag);
      else
        drag->ignore();
      return true;
    }
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      if (!takesDrop(*drop)) {
        drop->ignore();
        return true;
      }
      box_.setText(pathToQt(*droppedFolder(*drop->mimeData())));
      box_.setFocus();
      acceptAsCopy(*drop);
      return true;
    }
    default:
      return false;
  }
}

void FolderBox::setRecent(std::vector<std::string> folders) {
  recent_ = std::move(folders);
  if (recent_.size() > RecentFoldersKept) recent_.resize(RecentFoldersKept);
  QStringList texts;
  for (const std::string& folder : recent_) texts << pathToQt(folder);
  model_->setStringList(texts);
}

void FolderBox::remember(const std::string& folder) {
  setRecent(withRecentFolder(recent_, folder));
}

}  // namespace nuvelo
