#pragma once
// Shows the program's own dialogs modally, behind an interface so tests can answer them.

#include <QDialog>

namespace nuvelo {

class ModalRunner {
 public:
  virtual ~ModalRunner() = default;
  // Shows the dialog and returns when it has closed, with its result.
  virtual int run(QDialog& dialog) = 0;
};

class QtModalRunner : public ModalRunner {
 public:
  int run(QDialog& dialog) override { return dialog.exec(); }
};

}  // namespace nuvelo
