#pragma once
// The files a copy could not take, each with its reason, in a list the user can read through
// and copy from; opened from the copy-finished notice.

#include <QDialog>
#include <QStringList>

class QPlainTextEdit;
class QPushButton;

namespace nuvelo {

class FailedFilesDialog : public QDialog {
  Q_OBJECT
 public:
  explicit FailedFilesDialog(const QStringList& lines, QWidget* parent = nullptr);

  QPlainTextEdit* failedFilesText = nullptr;
  QPushButton* closeButton = nullptr;
};

}  // namespace nuvelo
