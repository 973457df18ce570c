// The window's own job between rounds: the day a copy records is the day its list was made,
// moved-in files are found by their change time, a comparison with the destination finds what
// is missing there, the window keeps out of a run nuvelo-cli has of the same job, and a job
// file can be saved for a timer.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <memory>

#include <QLabel>
#include "engine/jobs/job_state.h"
#include "engine/settings/job_dates.h"
#include "engine/settings/job_file.h"
#include "engine/settings/settings_lock.h"
#include "gui/dialogs/copy_notice.h"
#include "gui/dialogs/detail_settings_dialog.h"
#include "gui/main_window/main_window.h"
#include "support/detail_settings_edit.h"
#include "support/fake_services.h"
#include "support/file_tree.h"
#include "support/run_wait.h"

namespace nuvelo {
namespace {

using testing::editDetailOptions;
using testing::FakeServices;
using testing::localTime;
using testing::makeFile;
using testing::readFile;
using testing::TempFolder;
using testing::writeFile;

class WindowJob : public ::testing::Test {
 protected:
  void SetUp() override {
    makeFile(source() + "/a.txt", localTime(2024, 5, 2), 10);
    makeFile(source() + "/sub/b.txt", localTime(2024, 5, 2), 10);
    std::filesystem::create_directories(destination());
    form = std::make_unique<MainWindow>(fakes.services(), settingsPath(), settings.path());
    form->show();
    QApplication::setActiveWindow(form.get());
    form->sinceDatePicker->setDate(QDate(2024, 5, 1));
    editDetailOptions(*form, [](DetailOptions& s) {
      s.copy.dirAbs = false;
      s.copy.overwrite = OverwriteIfNewer;
    });
    form->sourceFolderEdit->setText(QString::fromStdString(source()));
    form->destinationFolderEdit->setText(QString::fromStdString(destination()));
  }
  std::string source() const { return tree.path() + "/src"; }
  std::string destination() const { return tree.path() + "/dst"; }
  std::string settingsPath() const { return settings.file("NVO.ini"); }
  std::vector<std::string> rowPaths() const {
    std::vector<std::string> paths;
    for (const ResultRow& row : form->resultModel()->rows()) paths.push_back(row.pathText);
    std::sort(paths.begin(), paths.end());
    return paths;
  }

  TempFolder tree;
  TempFolder settings;
  FakeServices fakes;
  std::unique_ptr<MainWindow> form;
};

// A list made on Monday and copied on Tuesday records Monday: what changed on Monday evening
// is taken by the next round.
TEST_F(WindowJob, ACopyRecordsTheDayItsListWasMade) {
  form->setClock([] { return CivilDate{2024, 6, 3}; });
  form->onSearch();
  testing::awaitRunEnd(*form);
  EXPECT_EQ(form->dayOfList(), (CivilDate{2024, 6, 3}));
  form->setClock([] { return CivilDate{2024, 6, 4}; });
  form->onCopy();
  testing::awaitRunEnd(*form);
  const std::string text = readFile(settingsPath());
  EXPECT_NE(text.find("LastCopyDate=2024/06/03"), std::string::npos) << text;
  EXPECT_NE(text.find(jobKey("", source(), destination()) + "=2024/06/03"), std::string::npos)
      << "nuvelo-cli runs of the window's folders start from the same day";
}

// Files moved, renamed or unpacked into the source keep their old last-write times; the change
// time finds them unless the detail settings turn it off.
TEST_F(WindowJob, MovedInFilesAreFoundByTheirChangeTime) {
  makeFile(tree.path() + "/elsewhere/report.odt", localTime(2023, 3, 1), 10);
  std::filesystem::rename(tree.path() + "/elsewhere/report.odt", source() + "/report.odt");
  form->sinceDatePicker->setDate(QDate::currentDate());
  form->onSearch();
  testing::awaitRunEnd(*form);
  const auto found =
      std::find_if(form->resultModel()->rows().begin(), form->resultModel()->rows().end(),
                   [](const ResultRow& row) { return row.pathText == "report.odt"; });
  ASSERT_NE(found, form->resultModel()->rows().end());
  EXPECT_EQ(found->modifiedSeconds, localTime(2023, 3, 1).tv_sec);  // the row's date

  fakes.dialogs.script = [](QDialog& shown) {
    auto& dialog = static_cast<DetailSettingsDialog&>(shown);
    EXPECT_TRUE(dialog.changeTimeCheckBox->isChecked());
    dialog.changeTimeCheckBox->setChecked(false);
    dialog.okButton->click();
  };
  form->detailSettingsAction->trigger();
  EXPECT_FALSE(form->detailOptions().search.changeTime);
  form->onSearch();
  testing::awaitRunEnd(*form);
  const std::vector<std::string> paths = rowPaths();
  EXPECT_EQ(std::find(paths.begin(), paths.end(), "report.odt"), paths.end());
  form->close();
  EXPECT_NE(readFile(settingsPath()).find("ChangeTime=0"), std::string::npos);
}

// The detail settings keep each file a copy replaces; the switch is stored at close and read
// at the next start, and the copy-finished notice says how many files were kept.
TEST_F(WindowJob, ACopyKeepsWhatItReplacesWhenTheDetailSettingsSaySo) {
  makeFile(destination() + "/a.txt", localTime(2024, 4, 1), 3);
  fakes.dialogs.script = [](QDialog& shown) {
    auto& dialog = static_cast<DetailSettingsDialog&>(shown);
    EXPECT_FALSE(dialog.keepReplacedCheckBox->isChecked());
    EXPECT_EQ(dialog.keepReplacedCheckBox->objectName(), QStringLiteral("cbxKeepReplaced"));
    EXPECT_EQ(dialog.keepReplacedCheckBox->parentWidget(), dialog.copyGroup);
    dialog.keepReplacedCheckBox->setChecked(true);
    dialog.okButton->click();
  };
  form->detailSettingsAction->trigger();
  form->onSearch();
  testing::awaitRunEnd(*form);
  QString notes;
  fakes.dialogs.script = [&](QDialog&) {
    notes = form->copyNotice->notesLabel->text();
    form->copyNotice->okButton->click();
  };
  form->onCopy();
  testing::awaitRunEnd(*form);
  EXPECT_EQ(readFile(destination() + "/a.txt"), std::string(10, 'x'));
  const auto versions = std::filesystem::directory_iterator(destination() + "/.nuvelo-versions");
  ASSERT_NE(versions, std::filesystem::directory_iterator());
  EXPECT_EQ(readFile(versions->path().string() + "/a.txt"), std::string(3, 'x'));
  EXPECT_TRUE(notes.startsWith(QStringLiteral("置き換えたファイルを残しました: 1個")))
      << notes.toStdString();
  form->close();
  EXPECT_NE(readFile(settingsPath()).find("KeepReplaced=1"), std::string::npos);

  MainWindow again(fakes.services(), settingsPath(), settings.path());
  EXPECT_TRUE(again.detailOptions().copy.keepReplaced);
}

// A versions folder named in the settings file that cannot take the files stops the copy.
TEST_F(WindowJob, ACopyWhoseVersionsFolderCannotServeDoesNotStart) {
  form->close();
  writeFile(settingsPath(), "[Option]\nKeepReplaced=1\nVersionsFolder=" + source() + "/old\n");
  MainWindow again(fakes.services(), settingsPath(), settings.path());
  again.sinceDatePicker->setDate(QDate(2024, 5, 1));
  again.sourceFolderEdit->setText(QString::fromStdString(source()));
  again.destinationFolderEdit->setText(QString::fromStdString(destination()));
  again.onSearch();
  testing::awaitRunEnd(again);
  again.onCopy();
  testing::awaitRunEnd(again);
  ASSERT_FALSE(fakes.boxes.shown.empty());
  EXPECT_NE(fakes.boxes.shown.back().text.find("検索元の中"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(destination() + "/a.txt"));
}

// A search by comparison lists what is missing at the destination or older there, whatever
// the day in the picker.
TEST_F(WindowJob, ACompareSearchListsWhatTheDestinationLacks) {
  makeFile(destination() + "/a.txt", localTime(2024, 5, 2), 10);
  makeFile(source() + "/old.txt", localTime(2020, 1, 1), 10);
  form->sinceDatePicker->setDate(QDate::currentDate().addDays(1));
  form->compareSearchAction->trigger();
  testing::awaitRunEnd(*form);
  EXPECT_EQ(rowPaths(), (std::vector<std::string>{"old.txt", "sub/b.txt"}));
  form->onCopy();
  testing::awaitRunEnd(*form);
  EXPECT_TRUE(std::filesystem::exists(destination() + "/old.txt"));
  form->compareSearchAction->trigger();
  testing::awaitRunEnd(*form);
  EXPECT_TRUE(rowPaths().empty());

  form->destinationFolderEdit->clear();
  form->compareSearchAction->trigger();
  testing::awaitRunEnd(*form);
  ASSERT_FALSE(fakes.boxes.shown.empty());
  EXPECT_EQ(fakes.boxes.shown.back().text, "コピー先フォルダを指定してください");
}

// The copy of a comparison's rows replaces under "newer only" a copy it found cut short, though
// not older, and says so; copied elsewhere, the rows replace nothing that is not older there.
TEST_F(WindowJob, ACompareSearchsCopyRepairsTheDamagedCopiesWhereItCompared) {
  makeFile(destination() + "/a.txt", localTime(2024, 5, 2), 3);
  makeFile(destination() + "/sub/b.txt", localTime(2024, 5, 2), 10);
  form->compareSearchAction->trigger();
  testing::awaitRunEnd(*form);
  ASSERT_EQ(rowPaths(), std::vector<std::string>{"a.txt"});
  const std::string elsewhere = tree.path() + "/elsewhere";
  makeFile(elsewhere + "/a.txt", localTime(2024, 5, 2), 3);
  form->destinationFolderEdit->setText(QString::fromStdString(elsewhere));
  form->onCopy();
  testing::awaitRunEnd(*form);
  EXPECT_EQ(std::filesystem::file_size(elsewhere + "/a.txt"), 3u);

  form->destinationFolderEdit->setText(QString::fromStdString(destination()));
  form->onCopy();
  testing::awaitRunEnd(*form);
  EXPECT_EQ(std::filesystem::file_size(destination() + "/a.txt"), 10u);
  EXPECT_NE(form->copyNotice->notesLabel->text().indexOf(
                QStringLiteral("壊れたコピーを置き換えました: 1個")),
            -1);
}

TEST_F(WindowJob, ACopyWaitsNotForARunOfTheSameJobButSaysSo) {
  form->onSearch();
  testing::awaitRunEnd(*form);
  auto running = lockJobRun(jobStateFolder(settingsPath()), jobKey("", source(), destination()),
                            LockWait::Never);
  ASSERT_TRUE(running);
  form->onCopy();
  testing::awaitRunEnd(*form);
  ASSERT_EQ(fakes.boxes.shown.size(), 1u);
  EXPECT_NE(fakes.boxes.shown[0].text.find("nuvelo-cli が実行中"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(destination() + "/a.txt"));
  EXPECT_FALSE(form->running());
  *running = FileLock();
  form->onCopy();
  testing::awaitRunEnd(*form);
  EXPECT_TRUE(std::filesystem::exists(destination() + "/a.txt"));
}

// The settings file is read again under the lock when the window closes: a day nuvelo-cli
// recorded while the window was open stays.
TEST_F(WindowJob, ClosingKeepsWhatNuveloCliWroteMeanwhile) {
  ASSERT_TRUE(changeSettingsFile(settingsPath(), [](ProfileFile& file) {
    return file.writeString("Jobs", "J0123456789abcdef", "2024/06/01");
  }));
  form->close();
  const std::string text = readFile(settingsPath());
  EXPECT_NE(text.find("J0123456789abcdef=2024/06/01"), std::string::npos) << text;
  EXPECT_NE(text.find("From=" + source()), std::string::npos) << text;
}

TEST_F(WindowJob, TheWindowsJobCanBeSavedForATimer) {
  fakes.files.answers.push_back(tree.path() + "/nightly.dat");
  form->saveJobFileAction->trigger();
  const auto job = readJobFile(tree.path() + "/nightly.dat");
  ASSERT_TRUE(job);
  EXPECT_EQ(*job->source.value, source());
  EXPECT_EQ(*job->destination.value, destination());
  EXPECT_EQ(*job->overwrite.value, OverwriteIfNewer);
  EXPECT_FALSE(*job->dirAbs.value);
}

}  // namespace
}  // namespace nuvelo
