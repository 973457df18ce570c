#include "gui/dialogs/failed_files_dialog.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/widgets/design_scale.h"
#include "messages/dialog_texts.h"
#include "platform/qt/gui_text.h"

namespace nuvelo {

FailedFilesDialog::FailedFilesDialog(const QStringList& lines, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmFailed"));
  setWindowTitle(qt(failedFilesTitle()));
  failedFilesText = new QPlainTextEdit(lines.join(QLatin1Char('\n')), this);
  failedFilesText->setObjectName(QStringLiteral("FailedFiles"));
  failedFilesText->setReadOnly(true);
  failedFilesText->setLineWrapMode(QPlainTextEdit::NoWrap);
  closeButton = new QPushButton(qt(closeCaption()), this);
  closeButton->setObjectName(QStringLiteral("CloseButton"));
  closeButton->setDefault(true);
  connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(failedFilesText);
  layout->addWidget(closeButton, 0, Qt::AlignRight);
  const DesignScale scale(font());
  resize(scale.x(560), scale.y(300));
}

}  // namespace nuvelo
