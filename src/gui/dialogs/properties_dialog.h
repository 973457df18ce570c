#pragma once
// A small properties window for a file or folder: shown where the desktop has no file manager
// that answers the properties request.

#include <QDialog>
#include <QString>
#include <string>
#include <utility>
#include <vector>

namespace nuvelo {

class PropertiesDialog : public QDialog {
  Q_OBJECT
 public:
  explicit PropertiesDialog(const std::string& path, QWidget* parent = nullptr);

  // The lines the window shows: label and value (name, type, size, location, modified,
  // permissions); empty when the path cannot be looked up.
  static std::vector<std::pair<QString, QString>> linesFor(const std::string& path);
};

}  // namespace nuvelo
