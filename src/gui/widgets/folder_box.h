#pragma once
// What a folder box takes beyond typing: a folder dropped on it from a file manager replaces
// its text, and the folders used last complete what is typed (a pop-up of those that contain
// it; a click outside the pop-up closes it and still reaches the button it was aimed at).

#include <QObject>
#include <optional>
#include <string>
#include <vector>

class QCompleter;
class QDropEvent;
class QLineEdit;
class QMimeData;
class QStringListModel;

namespace nuvelo {

class FolderBox : public QObject {
  Q_OBJECT
 public:
  explicit FolderBox(QLineEdit& box);

  // The dropped data's folder (its bytes), if it names exactly one existing local folder.
  static std::optional<std::string> droppedFolder(const QMimeData& data);

  // The recent folders, newest first.
  const std::vector<std::string>& recent() const { return recent_; }
  void setRecent(std::vector<std::string> folders);
  // The folder goes first in the recent folders.
  void remember(const std::string& folder);
  QCompleter* completer() const { return completer_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool takesDrop(const QDropEvent& event) const;
  bool passPressOutsideList(QEvent* event);

  QLineEdit& box_;
  QStringListModel* model_;
  QCompleter* completer_;
  std::vector<std::string> recent_;
};

}  // namespace nuvelo
