#pragma once
// The desktop's own folder dialog through the XDG desktop portal
// (org.freedesktop.portal.FileChooser on org.freedesktop.portal.Desktop), where the session
// bus has one.

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>
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

class PortalFolderChooser : public QObject {
  Q_OBJECT
 public:
  explicit PortalFolderChooser(const QDBusConnection& bus) : bus_(bus) {}

  // Whether the bus has the portal, running or started on the first call.
  bool present() const;

  // Asks the portal for a folder and waits for its answer. Nothing when the portal did not
  // answer (the caller then shows a dialog of its own); otherwise the answer: the folder, or
  // nothing when the user cancelled.
  std::optional<std::optional<std::string>> chooseFolder(const QString& parentWindow,
                                                         const QString& title,
                                                         const std::string& initial);

 private Q_SLOTS:
  void onResponse(uint response, const QVariantMap& results);

 Q_SIGNALS:
  void answered();

 private:
  QDBusConnection bus_;
  std::optional<std::optional<std::string>> answer_;
};

}  // namespace nuvelo
