#include "platform/qt/qt_message_boxes.h"

#include <QApplication>
#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

#include "platform/qt/gui_text.h"

namespace nuvelo {
namespace {

QMessageBox::Icon iconOf(MessageKind kind) {
  switch (kind) {
    case MessageKind::Warning:
      return QMessageBox::Warning;
    case MessageKind::Error:
      return QMessageBox::Critical;
    case MessageKind::Information:
      return QMessageBox::Information;
    case MessageKind::Confirmation:
      return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

void place(QMessageBox& box, const MessagePlacement& placement) {
  box.adjustSize();
  if (!placement.centredOnScreen) {
    box.move(placement.left, placement.top);
    return;
  }
  const QScreen* screen = box.screen() ? box.screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  box.move(area.left() + (area.width() - box.width()) / 2,
           area.top() + (area.height() - box.height()) / 2);
}

}  // namespace

MessageAnswer QtMessageBoxes::show(MessageKind kind, const std::string& text,
                                   MessageButtons buttons, MessagePlacement placement) {
  QMessageBox box(iconOf(kind), QString::fromUtf8(captionOf(kind)), qt(text), QMessageBox::NoButton,
                  owner_);
  QPushButton* yes = nullptr;
  if (buttons == MessageButtons::YesNo) {
    yes = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
  } else {
    box.setDefaultButton(box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole));
  }
  place(box, placement);
  box.exec();
  if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
  return box.clickedButton() == yes ? MessageAnswer::Yes : MessageAnswer::No;
}

bool QtMessageBoxes::showWithCheckBox(MessageKind kind, const std::string& text,
                                      const std::string& checkBoxText, MessagePlacement placement) {
  QMessageBox box(iconOf(kind), QString::fromUtf8(captionOf(kind)), qt(text), QMessageBox::NoButton,
                  owner_);
  box.setDefaultButton(box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole));
  auto* checkBox = new QCheckBox(qt(checkBoxText), &box);
  box.setCheckBox(checkBox);
  place(box, placement);
  box.exec();
  return checkBox->isChecked();
}

void QtMessageBoxes::showApplicationError(const std::string& message) {
  QMessageBox box(QMessageBox::Critical, QApplication::applicationName(),
                  qt(applicationErrorText(message)), QMessageBox::NoButton, owner_);
  box.setDefaultButton(box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole));
  box.exec();
}

}  // namespace nuvelo
