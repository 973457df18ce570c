#include "platform/qt/qt_file_dialogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
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

  QWidget owner;  // in a corner: the browser still opens in the middle of the screen
  owner.setGeometry(0, 0, 200, 100);
  owner.show();
  dialogs.setOwner(&owner);
  QString title;
  QString statusLine;
  QPoint centre;
  whenDialogIsUp([&](QFileDialog& dialog) {
    title = dialog.windowTitle();
    const auto* status = dialog.findChild<QLabel*>(QStringLiteral("statusLine"));
    if (status) statusLine = status->text();
    centre = dialog.frameGeometry().center();
    QMetaObject::invokeMethod(&dialog, "accept");  // the "選択" button
  });
  EXPECT_EQ(dialogs.chooseFolder(initial), initial);
  EXPECT_EQ(title, QStringLiteral("フォルダを選択して下さい。"));
  EXPECT_EQ(statusLine.toStdString(), initial);  // before anything was selected
  const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
  // The dialog settles its size by a few pixels once shown.
  EXPECT_LE((centre - screenCentre).manhattanLength(), 8);

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
