#include "platform/qt/qt_file_dialogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <functional>

#include "support/folder_browser.h"
#include "support/temp_folder.h"

namespace nuvelo {
namespace {

void whenDialogIsUp(std::function<void(QFileDialog&)> act) {
  QTimer::singleShot(0, [act] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    act(*dialog);
  });
}

TEST(FolderBrowser, StartsAtTheInitialFolderAndGivesItBackOrNothing) {
  testing::TempFolder tree;
  const std::string initial = tree.path() + "/chosen";
  std::filesystem::create_directory(initial);
  QtFileDialogs dialogs;

  QWidget owner;  // in a corner: the browser still opens in the middle of the screen
  owner.setGeometry(0, 0, 200, 100);
  owner.show();
  dialogs.setOwner(&owner);
  testing::FolderAnswers answers;
  dialogs.chooseFolder(initial, answers.record());
  QFileDialog* dialog = testing::waitForFileDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->windowTitle(), QStringLiteral("フォルダを選択して下さい。"));
  const auto* status = dialog->findChild<QLabel*>(QStringLiteral("statusLine"));
  ASSERT_NE(status, nullptr);
  EXPECT_EQ(status->text().toStdString(), initial);  // before anything was selected
  ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
  const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
  // The dialog settles its size by a few pixels once shown.
  EXPECT_LE((dialog->frameGeometry().center() - screenCentre).manhattanLength(), 8);
  // Modal to its owner, and answering through the event loop the owner already runs.
  EXPECT_EQ(dialog->parentWidget(), &owner);
  EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
  EXPECT_TRUE(answers.given.empty());
  QMetaObject::invokeMethod(dialog, "accept");  // the "選択" button
  ASSERT_TRUE(answers.waitFor(1));
  EXPECT_EQ(answers.given.back(), initial);

  dialogs.chooseFolder(initial, answers.record());
  dialog = testing::waitForFileDialog();
  ASSERT_NE(dialog, nullptr);
  dialogs.chooseFolder("/", answers.record());  // one browser at a time
  ASSERT_EQ(answers.given.size(), 2u);
  EXPECT_EQ(answers.given.back(), std::nullopt);
  dialog->reject();
  ASSERT_TRUE(answers.waitFor(3));
  EXPECT_EQ(answers.given.back(), std::nullopt);
}

// An owner closed with the browser open takes the browser along; the next one still opens.
TEST(FolderBrowser, OpensAgainAfterItsOwnerWentWithIt) {
  QtFileDialogs dialogs;
  testing::FolderAnswers answers;
  {
    QWidget owner;
    owner.show();
    dialogs.setOwner(&owner);
    dialogs.chooseFolder("/", answers.record());
    ASSERT_NE(testing::waitForFileDialog(), nullptr);
  }
  dialogs.chooseFolder("/", answers.record());
  QFileDialog* dialog = testing::waitForFileDialog();
  ASSERT_NE(dialog, nullptr);
  dialog->reject();
  ASSERT_TRUE(answers.waitFor(1));
  EXPECT_EQ(answers.given, (std::vector<std::optional<std::string>>{std::nullopt}));
}

TEST(ConditionFileDialogs, OfferDatFilesAndAddTheExtension) {
  QtFileDialogs dialogs;
  QStringList filters;
  QString suffix;
  whenDialogIsUp([&](QFileDialog& dialog) {
    filters = dialog.nameFilters();
    suffix = dialog.defaultSuffix();
    dialog.reject();
  });
  EXPECT_FALSE(dialogs.conditionFileToSave({"", "/tmp"}));
  EXPECT_EQ(filters, QStringList{QStringLiteral("DATファイル (*.dat)")});
  EXPECT_EQ(suffix, QStringLiteral("dat"));
}

}  // namespace
}  // namespace nuvelo
