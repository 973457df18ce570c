#include "platform/qt/qt_message_boxes.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <functional>

namespace nuvelo {
namespace {

struct SeenBox {
  QString caption;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QStringList buttons;
  QPoint position;
};

// Looks at the next modal box once it is up, then lets `answer` close it.
SeenBox* watchNextBox(SeenBox& seen, std::function<void(QMessageBox*)> answer) {
  QTimer::singleShot(0, [&seen, answer] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    seen.caption = box->windowTitle();
    seen.text = box->text();
    seen.icon = box->icon();
    for (QAbstractButton* b : box->buttons()) seen.buttons << b->text();
    seen.position = box->pos();
    answer(box);
  });
  return &seen;
}

QAbstractButton* buttonNamed(QMessageBox* box, const QString& text) {
  for (QAbstractButton* b : box->buttons())
    if (b->text() == text) return b;
  return nullptr;
}

struct KindCase {
  MessageKind kind;
  const char* caption;
  QMessageBox::Icon icon;
};

class QtMessageBoxKinds : public ::testing::TestWithParam<KindCase> {};

TEST_P(QtMessageBoxKinds, CaptionIconAndOkButton) {
  QtMessageBoxes boxes;
  SeenBox seen;
  watchNextBox(seen, [](QMessageBox* box) { box->defaultButton()->click(); });
  const MessageAnswer answer =
      boxes.show(GetParam().kind, "本文", MessageButtons::Ok, MessagePlacement{false, 123, 45});
  EXPECT_EQ(answer, MessageAnswer::Ok);
  EXPECT_EQ(seen.caption, QString::fromUtf8(GetParam().caption));
  EXPECT_EQ(seen.icon, GetParam().icon);
  EXPECT_EQ(seen.text, QStringLiteral("本文"));
  EXPECT_EQ(seen.buttons, QStringList{QStringLiteral("OK")});
  EXPECT_EQ(seen.position, QPoint(123, 45));
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, QtMessageBoxKinds,
    ::testing::Values(KindCase{MessageKind::Warning, "警告", QMessageBox::Warning},
                      KindCase{MessageKind::Error, "エラー", QMessageBox::Critical},
                      KindCase{MessageKind::Information, "情報", QMessageBox::Information},
                      KindCase{MessageKind::Confirmation, "確認", QMessageBox::Question}));

TEST(QtMessageBoxes, YesNoCountsOnlyYesAsYes) {
  QtMessageBoxes boxes;
  SeenBox seen;
  watchNextBox(seen,
               [](QMessageBox* box) { buttonNamed(box, QStringLiteral("はい(&Y)"))->click(); });
  EXPECT_EQ(
      boxes.show(MessageKind::Warning, "?", MessageButtons::YesNo, MessagePlacement::centred()),
      MessageAnswer::Yes);
  EXPECT_EQ(seen.buttons, (QStringList{QStringLiteral("はい(&Y)"), QStringLiteral("いいえ(&N)")}));

  watchNextBox(seen,
               [](QMessageBox* box) { buttonNamed(box, QStringLiteral("いいえ(&N)"))->click(); });
  EXPECT_EQ(
      boxes.show(MessageKind::Warning, "?", MessageButtons::YesNo, MessagePlacement::centred()),
      MessageAnswer::No);

  watchNextBox(seen, [](QMessageBox* box) { box->reject(); });  // Esc or the close box
  EXPECT_EQ(
      boxes.show(MessageKind::Warning, "?", MessageButtons::YesNo, MessagePlacement::centred()),
      MessageAnswer::No);
}

TEST(QtMessageBoxes, ApplicationErrorBoxCarriesTheTitleAndStopIcon) {
  QtMessageBoxes boxes;
  SeenBox seen;
  watchNextBox(seen, [](QMessageBox* box) { box->defaultButton()->click(); });
  boxes.showApplicationError("/x/NVO.ini に書き込めません");
  EXPECT_EQ(seen.caption, QStringLiteral("Nuvelo"));
  EXPECT_EQ(seen.icon, QMessageBox::Critical);
  EXPECT_EQ(seen.text, QStringLiteral("/x/NVO.ini に書き込めません."));
  EXPECT_EQ(seen.buttons, QStringList{QStringLiteral("OK")});
}

}  // namespace
}  // namespace nuvelo
