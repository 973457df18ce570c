#pragma once
// The desktop's own folder dialog through the XDG desktop portal
// (org.freedesktop.portal.FileChooser on org.freedesktop.portal.Desktop), where the session
// bus has one that answers.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace nuvelo {

inline constexpr const char* PortalService = "org.freedesktop.portal.Desktop";

// The folder among the portal's answer: the first file:// address, as the path's bytes
// (percent-escaped bytes that are not UTF-8 kept as they are); nothing when there is none.
std::optional<std::string> folderFromPortalUris(const QStringList& uris);

// The options of an OpenFile call that asks for one folder, starting at `initial` when it is
// not empty (current_folder: the path's bytes ending in a NUL).
QVariantMap portalFolderOptions(const std::string& initial, const QString& handleToken);

// The path of the request object the portal answers on, for a caller and a handle token.
QString portalRequestPath(const QString& uniqueName, const QString& handleToken);

// What came of asking the portal for a folder.
struct PortalOutcome {
  // False when the portal could not ask the user: it is not on the bus, did not reply within
  // the deadline, refused the request, or its dialog ended without the user's answer. The
  // caller then shows a browser of its own.
  bool answered = false;
  std::optional<std::string> folder;  // when answered: the chosen folder, nothing if cancelled
};

class PortalFolderChooser : public QObject {
  Q_OBJECT
 public:
  // How long the portal has to say that it offers a file chooser, and to take a request. A
  // portal whose backend is broken may never reply; the user's own time in the dialog is not
  // limited.
  static constexpr int ReplyDeadlineMs = 2000;

  explicit PortalFolderChooser(const QDBusConnection& bus, int replyDeadlineMs = ReplyDeadlineMs);
  ~PortalFolderChooser() override;

  // Asks the portal for a folder and returns at once: first whether it offers a file chooser,
  // then for the folder. `done` is called once with the outcome, unless the request is
  // abandoned first. A request made while another is out is not answered by the portal.
  void chooseFolder(const QString& parentWindow, const QString& title, const std::string& initial,
                    std::function<void(PortalOutcome)> done);
  bool asking() const { return request_ != nullptr; }
  // Closes the open request, if any (the portal closes its dialog); its `done` is not called.
  void abandon();

 private Q_SLOTS:
  void onResponse(uint response, const QVariantMap& results, const QDBusMessage& message);

 private:
  struct Request;
  void askForFolder();
  // Sends a call of the open request; `then` gets its reply (or the deadline's error) while the
  // request is still the open one.
  void send(const QDBusMessage& call, std::function<void(const QDBusMessage& reply)> then);
  bool listen(const QString& requestPath);
  void stopListening();
  void finish(PortalOutcome outcome);

  QDBusConnection bus_;
  int replyDeadlineMs_;
  std::unique_ptr<Request> request_;
  unsigned requestNumber_ = 0;
};

}  // namespace nuvelo
