#include "platform/qt/qt_file_dialogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QTimer>
#include <functional>

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

  QString title;
  bool hasStatusLine = false;
  whenDialogIsUp([&](QFileDialog& dialog) {
    title = dialog.windowTitle();
    hasStatusLine = dialog.findChild<QLabel*>(QStringLiteral("statusLine")) != nullptr;
    QMetaObject::invokeMethod(&dialog, "accept");  // the "選択" button
  });
  EXPECT_EQ(dialogs.chooseFolder(initial), initial);
  EXPECT_EQ(title, QStringLiteral("フォルダを選択して下さい。"));
  EXPECT_TRUE(hasStatusLine);

  whenDialogIsUp([](QFileDialog& dialog) { dialog.reject(); });
  EXPECT_FALSE(dialogs.chooseFolder(initial));
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
