#include "platform/qt/qt_message_boxes.h"

#include <QApplication>
#include <QCheckBox>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <memory>

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

// The buttons of a box; the Yes button when it has one.
QPushButton* addButtons(QMessageBox& box, MessageButtons buttons) {
  if (buttons == MessageButtons::YesNo) {
    QPushButton* yes = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    return yes;
  }
  box.setDefaultButton(box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole));
  return nullptr;
}

MessageAnswer answerOf(const QMessageBox& box, MessageButtons buttons, const QPushButton* yes) {
  if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
  return box.clickedButton() == yes ? MessageAnswer::Yes : MessageAnswer::No;
}

QCheckBox* addCheckBox(QMessageBox& box, const std::string& checkBoxText) {
  box.setDefaultButton(box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole));
  auto* checkBox = new QCheckBox(qt(checkBoxText), &box);
  box.setCheckBox(checkBox);
  return checkBox;
}

// Opens the box without waiting; `finished` runs once when it is answered. The box deletes
// itself when it closes, answered or withdrawn.
MessageBoxes::Withdraw openBox(QMessageBox* box, const MessagePlacement& placement,
                               std::function<void()> finished) {
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowModality(box->parentWidget() ? Qt::WindowModal : Qt::ApplicationModal);
  place(*box, placement);
  QPointer<QMessageBox> open(box);
  auto withdrawn = std::make_shared<bool>(false);
  QObject::connect(box, &QMessageBox::finished, box, [finished = std::move(finished), withdrawn] {
    if (!*withdrawn) finished();
  });
  box->open();
  return [open, withdrawn] {
    if (!open) return;
    *withdrawn = true;
    open->close();
  };
}

}  // namespace

MessageAnswer QtMessageBoxes::show(MessageKind kind, const std::string& text,
                                   MessageButtons buttons, MessagePlacement placement) {
  QMessageBox box(iconOf(kind), QString::fromUtf8(captionOf(kind)), qt(text), QMessageBox::NoButton,
                  owner_);
  const QPushButton* yes = addButtons(box, buttons);
  place(box, placement);
  box.exec();
  return answerOf(box, buttons, yes);
}

bool QtMessageBoxes::showWithCheckBox(MessageKind kind, const std::string& text,
                                      const std::string& checkBoxText, MessagePlacement placement) {
  QMessageBox box(iconOf(kind), QString::fromUtf8(captionOf(kind)), qt(text), QMessageBox::NoButton,
                  owner_);
  const QCheckBox* checkBox = addCheckBox(box, checkBoxText);
  place(box, placement);
  box.exec();
  return checkBox->isChecked();
}

MessageBoxes::Withdraw QtMessageBoxes::ask(MessageKind kind, const std::string& text,
                                           MessageButtons buttons, MessagePlacement placement,
                                           std::function<void(MessageAnswer)> answered) {
  auto* box = new QMessageBox(iconOf(kind), QString::fromUtf8(captionOf(kind)), qt(text),
                              QMessageBox::NoButton, owner_);
  const QPushButton* yes = addButtons(*box, buttons);
  return openBox(box, placement, [box, buttons, yes, answered = std::move(answered)] {
    answered(answerOf(*box, buttons, yes));
  });
}

MessageBoxes::Withdraw QtMessageBoxes::askWithCheckBox(MessageKind kind, const std::string& text,
                                                       const std::string& checkBoxText,
                                                       MessagePlacement placement,
                                                       std::function<void(bool)> answered) {
  auto* box = new QMessageBox(iconOf(kind), QString::fromUtf8(captionOf(kind)), qt(text),
                              QMessageBox::NoButton, owner_);
  const QCheckBox* checkBox = addCheckBox(*box, checkBoxText);
  return openBox(box, placement,
                 [checkBox, answered = std::move(answered)] { answered(checkBox->isChecked()); });
}

void QtMessageBoxes::showApplicationError(const std::string& message) {
  QMessageBox box(QMessageBox::Critical, QApplication::applicationName(),
                  qt(applicationErrorText(message)), QMessageBox::NoButton, owner_);
  box.setDefaultButton(box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole));
  box.exec();
}

}  // namespace nuvelo
