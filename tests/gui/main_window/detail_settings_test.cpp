#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <memory>

#include "gui/dialogs/detail_settings_dialog.h"
#include "gui/main_window/main_window.h"
#include "gui/results/result_list_view.h"
#include "gui/widgets/radio_group.h"
#include "support/detail_settings_edit.h"
#include "support/fake_services.h"
#include "support/file_tree.h"
#include "support/qt_helpers.h"
#include "support/run_wait.h"

namespace nuvelo {
namespace {

using testing::editDetailOptions;
using testing::FakeServices;
using testing::items;
using testing::readFile;
using testing::TempFolder;
using testing::writeFile;

class DetailSettings : public ::testing::Test {
 protected:
  void SetUp() override { open(settings.file("NVO.ini")); }
  void open(const std::string& settingsPath) {
    form = std::make_unique<MainWindow>(fakes.services(), settingsPath, settings.path());
    form->show();
    dialog = form->detailSettingsDialog;
  }
  // Opens the dialog from the menu; `edit` plays the user's part while it is up.
  void openDialog(std::function<void(DetailSettingsDialog&)> edit) {
    fakes.dialogs.script = [edit](QDialog& shown) {
      edit(static_cast<DetailSettingsDialog&>(shown));
    };
    form->detailSettingsAction->trigger();
  }
  std::vector<std::string> paths() const {
    std::vector<std::string> out;
    for (const ResultRow& r : form->resultModel()->rows()) out.push_back(r.pathText);
    return out;
  }

  TempFolder settings;
  FakeServices fakes;
  std::unique_ptr<MainWindow> form;
  DetailSettingsDialog* dialog = nullptr;
};

TEST_F(DetailSettings, LayoutOfBothPages) {
  EXPECT_EQ(dialog->windowTitle(), QStringLiteral("詳細設定"));
  // The design's 338 pixels, 22 for the change-time and 22 for the keep-replaced check box.
  EXPECT_EQ(dialog->size(), QSize(317, 382));
  EXPECT_EQ(dialog->keepReplacedCheckBox->text(), QStringLiteral("置き換えるファイルを残す"));
  EXPECT_LE(dialog->keepReplacedCheckBox->geometry().bottom(), dialog->copyGroup->height());
  EXPECT_EQ(dialog->pages->count(), 3);
  EXPECT_EQ(dialog->pages->tabText(0), QStringLiteral("拡張子・パス"));
  EXPECT_EQ(dialog->pages->tabText(1), QStringLiteral("検索・コピー"));
  EXPECT_EQ(dialog->pages->tabText(2), QStringLiteral("ファイル名"));
  EXPECT_EQ(dialog->nameGroup->title(), QStringLiteral("除外するファイル名"));
  EXPECT_EQ(dialog->extensionLabel->text(), QStringLiteral("除外する拡張子："));
  EXPECT_EQ(dialog->perFolderNoteLabel->text(),
            QStringLiteral("(注意：設定を変更すると再検索が必要)"));
  EXPECT_EQ(dialog->overwriteGroup->title(), QStringLiteral("コピー先に同名ファイルがあった時"));
  EXPECT_EQ(dialog->overwriteGroup->item(3)->text(), QStringLiteral("コピーしない"));
  EXPECT_EQ(dialog->pathModeGroup->item(1)->text(), QStringLiteral("現在位置からの相対パス"));
  EXPECT_FALSE(dialog->okButton->isDefault());
  EXPECT_FALSE(dialog->cancelButton->autoDefault());
}

TEST_F(DetailSettings, ShowingLoadsTheFieldsAndTheCentreOfTheWindow) {
  editDetailOptions(*form, [](DetailOptions& s) {
    s.search.excludedExtensions = {"bak", "tmp"};
    s.copy.dirAbs = false;
    s.copy.addDriveLetter = true;
    s.copy.overwrite = 7;  // from a hand-edited settings file
    s.showCopyNotice = false;
    s.search.perFolder = true;
  });
  form->move(100, 80);
  openDialog([&](DetailSettingsDialog& d) {
    EXPECT_EQ(items(d.extensionList), (QStringList{"bak", "tmp"}));
    EXPECT_EQ(d.extensionList->currentRow(), -1);
    EXPECT_EQ(d.pathModeGroup->itemIndex(), 1);
    EXPECT_FALSE(d.driveLetterCheckBox->isEnabled());
    EXPECT_TRUE(d.driveLetterCheckBox->isChecked());
    EXPECT_EQ(d.overwriteGroup->itemIndex(), 3);
    EXPECT_FALSE(d.copyNoticeCheckBox->isChecked());
    EXPECT_TRUE(d.perFolderCheckBox->isChecked());
    const QRect frame = form->frameGeometry();
    EXPECT_EQ(d.pos(), QPoint(frame.x() + (frame.width() - d.width()) / 2,
                              frame.y() + (frame.height() - d.height()) / 2));
    d.okButton->click();
  });
  EXPECT_EQ(form->detailOptions().copy.overwrite, 3);
  EXPECT_TRUE(form->detailOptions().copy.addDriveLetter);  // kept, though the box was disabled
  editDetailOptions(*form, [](DetailOptions& s) { s.copy.overwrite = -5; });
  openDialog([](DetailSettingsDialog& d) {
    EXPECT_EQ(d.overwriteGroup->itemIndex(), -1);
    d.reject();
  });
}

TEST_F(DetailSettings, ExtensionListEdits) {
  editDetailOptions(*form, [](DetailOptions& s) {
    s.search.excludedExtensions = {"bak", "tmp", "log"};
  });
  dialog->load(form->detailOptions());
  dialog->onAddExtension();  // empty text: nothing
  dialog->extensionEdit->setText(QStringLiteral("bak"));
  dialog->onAddExtension();
  EXPECT_EQ(items(dialog->extensionList), (QStringList{"bak", "tmp", "log"}));
  dialog->extensionEdit->setText(QStringLiteral("BAK"));
  dialog->addExtensionButton->click();
  EXPECT_EQ(items(dialog->extensionList), (QStringList{"bak", "tmp", "log", "BAK"}));
  EXPECT_EQ(dialog->extensionList->currentRow(), 3);
  EXPECT_EQ(dialog->extensionEdit->text(), QStringLiteral("BAK"));

  dialog->extensionList->setCurrentRow(0);  // picking an entry shows it
  EXPECT_EQ(dialog->extensionEdit->text(), QStringLiteral("bak"));
  dialog->removeExtensionButton->click();
  EXPECT_EQ(items(dialog->extensionList), (QStringList{"tmp", "log", "BAK"}));
  EXPECT_EQ(dialog->extensionList->currentRow(), 0);
  EXPECT_EQ(dialog->extensionEdit->text(), QStringLiteral("tmp"));
  dialog->extensionList->setCurrentRow(2);
  dialog->onRemoveExtension();
  EXPECT_EQ(dialog->extensionList->currentRow(), 1);
  EXPECT_EQ(dialog->extensionEdit->text(), QStringLiteral("log"));

  editDetailOptions(*form, [](DetailOptions& s) { s.search.excludedExtensions = {"only"}; });
  dialog->load(form->detailOptions());
  dialog->onRemoveExtension();  // nothing selected
  EXPECT_EQ(dialog->extensionList->count(), 1);
  dialog->extensionList->setCurrentRow(0);
  dialog->onRemoveExtension();
  EXPECT_EQ(dialog->extensionList->count(), 0);
  EXPECT_TRUE(dialog->extensionEdit->text().isEmpty());
}

TEST_F(DetailSettings, AcceptWritesBackConvertsRowsAndSavesTwoOptions) {
  form->setSearchRoot("/data/work");
  form->sourceFolderEdit->setText(QStringLiteral("/elsewhere"));  // rows follow the search's folder
  ResultRow a, b, c;
  a.pathText = "/data/work/2024/plan.xls";
  b.pathText = "/data/work/memo.txt";
  c.pathText = "/data/work/2024";
  c.checked = false;
  form->resultModel()->setRows({a, b, c});
  openDialog([](DetailSettingsDialog& d) {
    d.extensionEdit->setText(QStringLiteral("tmp"));
    d.onAddExtension();
    d.pathModeGroup->setItemIndex(1);
    d.copyNoticeCheckBox->setChecked(false);
    d.overwriteGroup->setItemIndex(0);
    d.onOk();
  });
  EXPECT_EQ(form->detailOptions().search.excludedExtensions, (std::vector<std::string>{"tmp"}));
  EXPECT_FALSE(form->detailOptions().copy.dirAbs);
  EXPECT_EQ(form->detailOptions().copy.overwrite, 0);
  EXPECT_FALSE(form->detailOptions().showCopyNotice);
  EXPECT_EQ(paths(), (std::vector<std::string>{"2024/plan.xls", "memo.txt", "2024"}));
  EXPECT_FALSE(form->resultModel()->rows()[2].checked);
  EXPECT_EQ(readFile(settings.file("NVO.ini")), "[Option]\nDirAbs=0\nAddDriveLetter=1\n");
  EXPECT_TRUE(fakes.boxes.shown.empty());  // no re-search for a path mode change

  openDialog([](DetailSettingsDialog& d) {
    d.pathModeGroup->setItemIndex(0);
    d.okButton->click();
  });
  EXPECT_EQ(paths(), (std::vector<std::string>{"/data/work/2024/plan.xls", "/data/work/memo.txt",
                                               "/data/work/2024"}));
  // Changing the mode there and back within one showing converts nothing; accepting twice
  // converts once.
  openDialog([](DetailSettingsDialog& d) {
    d.pathModeGroup->setItemIndex(1);
    d.pathModeGroup->setItemIndex(0);
    d.onOk();
    d.onOk();
  });
  EXPECT_EQ(paths()[1], "/data/work/memo.txt");
}

// The names are typed one a line; the window keeps them in the settings file at close and shows
// them again, one a line, in the next window's dialog.
TEST_F(DetailSettings, ExcludedNamesAreStoredAndShownAgain) {
  openDialog([](DetailSettingsDialog& d) {
    EXPECT_TRUE(d.excludedNamesEdit->toPlainText().isEmpty());
    d.excludedNamesEdit->setPlainText(
        QStringLiteral("node_modules\n\n  ~$*  \n*.tmp\nThumbs,old.db\n*.tmp\n"));
    d.okButton->click();
  });
  const std::vector<std::string> names = {"node_modules", "~$*", "*.tmp", "Thumbs,old.db"};
  EXPECT_EQ(form->detailOptions().search.excludedNames, names);
  EXPECT_EQ(readFile(settings.file("NVO.ini")), "[Option]\nDirAbs=1\nAddDriveLetter=1\n");
  EXPECT_TRUE(form->close());
  EXPECT_NE(readFile(settings.file("NVO.ini"))
                .find("\nExcludeNames=node_modules,~$*,*.tmp,\"Thumbs,old.db\"\n"),
            std::string::npos)
      << readFile(settings.file("NVO.ini"));

  open(settings.file("NVO.ini"));
  EXPECT_EQ(form->detailOptions().search.excludedNames, names);
  openDialog([](DetailSettingsDialog& d) {
    EXPECT_EQ(d.excludedNamesEdit->toPlainText(),
              QStringLiteral("node_modules\n~$*\n*.tmp\nThumbs,old.db"));
    d.reject();
  });
}

// A path is no name: the user is told, and the dialog stays open with nothing taken.
TEST_F(DetailSettings, ExcludedNameWithASlashKeepsTheDialogOpen) {
  bool stillOpen = false;
  openDialog([&](DetailSettingsDialog& d) {
    d.pathModeGroup->setItemIndex(1);
    d.excludedNamesEdit->setPlainText(QStringLiteral("*.tmp\nproj/node_modules"));
    d.onOk();
    stillOpen = d.result() != QDialog::Accepted;
    d.reject();
  });
  EXPECT_TRUE(stillOpen);
  ASSERT_EQ(fakes.boxes.shown.size(), 1u);
  EXPECT_EQ(fakes.boxes.shown[0].kind, MessageKind::Warning);
  EXPECT_NE(fakes.boxes.shown[0].text.find("proj/node_modules に / は使えません"),
            std::string::npos)
      << fakes.boxes.shown[0].text;
  EXPECT_TRUE(form->detailOptions().search.excludedNames.empty());
  EXPECT_TRUE(form->detailOptions().copy.dirAbs);
  EXPECT_FALSE(std::filesystem::exists(settings.file("NVO.ini")));
}

TEST_F(DetailSettings, CancelAndCloseBoxChangeNothing) {
  ResultRow a;
  a.pathText = "/data/a.txt";
  form->setSearchRoot("/data");
  form->resultModel()->setRows({a});
  openDialog([](DetailSettingsDialog& d) {
    d.pathModeGroup->setItemIndex(1);
    d.extensionEdit->setText(QStringLiteral("x"));
    d.onAddExtension();
    d.cancelButton->click();
  });
  openDialog([](DetailSettingsDialog& d) {
    d.copyNoticeCheckBox->setChecked(false);
    d.close();
  });
  EXPECT_TRUE(form->detailOptions().copy.dirAbs);
  EXPECT_TRUE(form->detailOptions().search.excludedExtensions.empty());
  EXPECT_TRUE(form->detailOptions().showCopyNotice);
  EXPECT_EQ(paths(), (std::vector<std::string>{"/data/a.txt"}));
  EXPECT_FALSE(std::filesystem::exists(settings.file("NVO.ini")));
}

TEST_F(DetailSettings, EnterAndEscapeDoNotCloseIt) {
  dialog->load(form->detailOptions());
  dialog->show();
  QTest::keyClick(dialog, Qt::Key_Escape);
  QTest::keyClick(dialog, Qt::Key_Return);
  EXPECT_TRUE(dialog->isVisible());
  dialog->reject();
}

TEST_F(DetailSettings, FailedSettingsWriteKeepsTheDialogOpen) {
  writeFile(settings.file("plain"), "");
  open(settings.file("plain") + "/NVO.ini");
  bool stillOpen = false;
  openDialog([&](DetailSettingsDialog& d) {
    d.pathModeGroup->setItemIndex(1);
    d.overwriteGroup->setItemIndex(2);
    d.copyNoticeCheckBox->setChecked(false);
    d.perFolderCheckBox->setChecked(true);
    d.onOk();
    stillOpen = d.result() != QDialog::Accepted;
    d.reject();
  });
  EXPECT_TRUE(stillOpen);
  ASSERT_EQ(fakes.boxes.applicationErrors.size(), 1u);
  EXPECT_EQ(fakes.boxes.applicationErrors[0],
            settings.file("plain") + "/NVO.ini に書き込めません.");
  EXPECT_FALSE(form->detailOptions().copy.dirAbs);  // applied before the write
  EXPECT_EQ(form->detailOptions().copy.overwrite, 2);
  EXPECT_TRUE(form->detailOptions().showCopyNotice);  // not reached
  EXPECT_FALSE(form->detailOptions().search.perFolder);
  EXPECT_FALSE(form->newSearchNeeded());
}

TEST_F(DetailSettings, ReadOnlySettingsFileIsReportedAndKept) {
  const std::string path = settings.file("NVO.ini");
  writeFile(path, "[Option]\nDirAbs=1\n");
  chmod(path.c_str(), 0444);
  openDialog([](DetailSettingsDialog& d) {
    d.pathModeGroup->setItemIndex(1);
    d.onOk();
    d.reject();
  });
  ASSERT_EQ(fakes.boxes.applicationErrors.size(), 1u);
  EXPECT_EQ(fakes.boxes.applicationErrors[0], path + " に書き込めません.");
  EXPECT_EQ(readFile(path), "[Option]\nDirAbs=1\n");
}

TEST_F(DetailSettings, PerFolderChangeSearchesAgainOnlyWithRows) {
  openDialog([](DetailSettingsDialog& d) {
    d.perFolderCheckBox->setChecked(true);
    d.onOk();
  });
  EXPECT_TRUE(form->detailOptions().search.perFolder);
  EXPECT_TRUE(form->newSearchNeeded());
  EXPECT_TRUE(fakes.boxes.shown.empty());

  TempFolder tree;
  testing::makeFile(tree.path() + "/a.txt", testing::localTime(2030, 1, 1));
  form->sourceFolderEdit->setText(QString::fromStdString(tree.path()));
  form->onSearch();
  testing::awaitRunEnd(*form);
  ASSERT_EQ(form->resultModel()->rowCount(), 1);
  testing::makeFile(tree.path() + "/b.txt", testing::localTime(2030, 1, 1));
  form->move(50, 60);
  openDialog([](DetailSettingsDialog& d) {
    d.perFolderCheckBox->setChecked(false);
    d.onOk();
  });
  ASSERT_EQ(fakes.boxes.shown.size(), 1u);
  EXPECT_EQ(fakes.boxes.shown[0].kind, MessageKind::Information);
  EXPECT_EQ(fakes.boxes.shown[0].text, "検索方法が変わったので再検索します");
  EXPECT_EQ(fakes.boxes.shown[0].placement, form->positionedPlacement());
  testing::awaitRunEnd(*form);
  EXPECT_EQ(form->resultModel()->rowCount(), 2);  // searched again

  form->setActivity(MainWindow::Activity::Searching);  // refused while a run goes on
  const std::size_t shown = fakes.dialogs.shown.size();
  form->detailSettingsAction->trigger();
  EXPECT_EQ(fakes.dialogs.shown.size(), shown);
  form->setActivity(MainWindow::Activity::Idle);
}

// The dialog edits some members of the options; the others come back as they went in, and the
// verify switch of the settings file outlives an accepted dialog.
TEST_F(DetailSettings, WhatItDoesNotEditPassesThroughUnchanged) {
  DetailOptions given;
  given.search.sourceFolder = "/data";
  given.search.excludedSubfolders = {"/cache"};
  given.search.since = 45000;
  given.copy.destination = "/media/backup";
  given.copy.verify = true;
  dialog->load(given);
  const DetailOptions back = dialog->edited();
  EXPECT_EQ(back.search.sourceFolder, "/data");
  EXPECT_EQ(back.search.excludedSubfolders, (std::vector<std::string>{"/cache"}));
  EXPECT_EQ(back.search.since, 45000);
  EXPECT_EQ(back.copy.destination, "/media/backup");
  EXPECT_TRUE(back.copy.verify);

  writeFile(settings.file("verify.ini"), "[Option]\nVerify=1\n");
  open(settings.file("verify.ini"));
  openDialog([](DetailSettingsDialog& d) { d.okButton->click(); });
  EXPECT_TRUE(form->copyOptions().verify);
}

TEST_F(DetailSettings, OpensOnThePageLastShown) {
  openDialog([](DetailSettingsDialog& d) {
    d.pages->setCurrentIndex(1);
    d.reject();
  });
  openDialog([](DetailSettingsDialog& d) {
    EXPECT_EQ(d.pages->currentIndex(), 1);
    d.reject();
  });
}

}  // namespace
}  // namespace nuvelo
