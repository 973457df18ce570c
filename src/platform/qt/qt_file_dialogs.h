#pragma once
// The file dialogs as Qt's own (translated) file dialogs.

#include <QPointer>
#include <QWidget>

#include "platform/file_dialogs.h"

namespace nuvelo {

class QtFileDialogs : public FileDialogs {
 public:
  std::optional<std::string> chooseFolder(const std::string& initial) override;
  std::optional<std::string> conditionFileToSave(const FileDialogStart& start) override;
  std::optional<std::string> conditionFileToOpen(const FileDialogStart& start) override;

  void setOwner(QWidget* owner) { owner_ = owner; }

 private:
  QPointer<QWidget> owner_;
};

}  // namespace nuvelo
