#pragma once
// The desktop's shell services through Qt: files open with xdg-open (QDesktopServices);
// properties come from the desktop's file manager over D-Bus, or from our own small window.

#include <QPointer>
#include <QWidget>
#include <functional>
#include <string>

#include "platform/desktop_shell.h"

namespace nuvelo {

class QtDesktopShell : public DesktopShell {
 public:
  // ownProperties: shows the program's own properties window of a path, where no file manager
  // answers.
  using OwnProperties = std::function<void(const std::string& path, QWidget* owner)>;
  explicit QtDesktopShell(OwnProperties ownProperties) : ownProperties_(std::move(ownProperties)) {}

  Result<> open(const std::string& path) override;
  void openWebAddress(const std::string& url) override;
  void showProperties(const std::string& path) override;

  // The window our own properties window belongs to.
  void setOwner(QWidget* owner) { owner_ = owner; }

 private:
  QPointer<QWidget> owner_;
  OwnProperties ownProperties_;
};

}  // namespace nuvelo
