#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <csignal>
#include <memory>

#include "engine/copy/overwrite_policy.h"
#include "engine/runlog/run_log_file.h"
#include "engine/settings/job_dates.h"
#include "engine/settings/profile_file.h"
#include "gui/app/termination_signals.h"
#include "gui/dialogs/copy_notice.h"
#include "gui/dialogs/run_log_dialog.h"
#include "gui/main_window/main_window.h"
#include "gui/results/result_list_view.h"
#include "gui/widgets/clickable_label.h"
#include "gui/widgets/status_bar.h"
#include "support/detail_settings_edit.h"
#include "support/fake_services.h"
#include "support/file_tree.h"
#include "support/qt_printers.h"
#include "support/run_wait.h"
#include "support/small_tmpfs.h"

namespace nuvelo {
namespace {

using testing::editDetailOptions;
using testing::FakeServices;
using testing::localTime;
using testing::makeFile;
using testing::readFile;
using testing::TempFolder;
using testing::todayText;
using testing::writeFile;

class Copy : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"a.txt", "b.txt", "sub/c.txt"})
      makeFile(source() + "/" + name, localTime(2024, 5, 2), 100);
    open(settings.file("NVO.ini"));
  }
  void open(const std::string& settingsPath) {
    form = std::make_unique<MainWindow>(fakes.services(), settingsPath, settings.path());
    form->show();
    QApplication::setActiveWindow(form.get());
    form->sinceDatePicker->setDate(QDate(2024, 5, 1));
    editDetailOptions(*form, [](DetailOptions& s) {
      s.copy.dirAbs = false;
      s.copy.overwrite = OverwriteAlways;
    });
    form->destinationFolderEdit->setText(QString::fromStdString(destination()));
  }
  void search() {
    form->sourceFolderEdit->setText(QString::fromStdString(source()));
    form->onSearch();
    testing::awaitRunEnd(*form);
  }
  // A search, and the copy of every row it listed.
  void copyAll() {
    search();
    form->copyButton->click();
    testing::awaitRunEnd(*form);
  }
  std::string source() const { return tree.path() + "/src"; }
  std::string destination() const { return tree.path() + "/dest"; }
  bool copied(const std::string& relative) const {
    return std::filesystem::exists(destination() + "/" + relative);
  }
  void checkOnly(std::initializer_list<int> rows) {
    form->resultModel()->setAllChecked(false);
    for (int r : rows)
      form->resultModel()->setData(form->resultModel()->index(r, 0), Qt::Checked,
                                   Qt::CheckStateRole);
  }
  // `status`: what panel 1 says after the run (the failures that wait, if any).
  void expectIdle(const QString& status = {}) {
    EXPECT_FALSE(form->running());
    EXPECT_FALSE(form->abortRequested());
    EXPECT_FALSE(form->copyRunning());
    EXPECT_TRUE(form->searchButton->isEnabled());
    EXPECT_TRUE(form->searchAction->isEnabled());
    EXPECT_FALSE(form->abortButton->isEnabled());
    EXPECT_FALSE(form->destinationFolderEdit->isReadOnly());
    EXPECT_FALSE(form->progressBar->isVisible());
    EXPECT_EQ(form->statusPanels->panelText(1), status);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  }

  TempFolder tree;
  TempFolder settings;
  FakeServices fakes;
  std::unique_ptr<MainWindow> form;
};

TEST_F(Copy, CompletedRunCopiesRecordsTheDayAndShowsTheNotice) {
  std::filesystem::create_directories(destination());
  search();
  bool notice = false;
  fakes.dialogs.script = [&](QDialog& dialog) {
    notice = true;
    EXPECT_EQ(&dialog, form->copyNotice);
    // The window still shows the run while the notice is up.
    EXPECT_TRUE(form->running());
    EXPECT_EQ(form->statusPanels->panelText(1), QStringLiteral("コピー中です"));
    EXPECT_EQ(form->copyNotice->destinationLabel->text().toStdString(), destination());
    form->copyNotice->okButton->click();
  };
  form->copyButton->click();
  testing::awaitRunEnd(*form);
  EXPECT_TRUE(notice);
  EXPECT_TRUE(copied("a.txt"));
  EXPECT_TRUE(copied("b.txt"));
  EXPECT_TRUE(copied("sub/c.txt"));
  EXPECT_NE(readFile(settings.file("NVO.ini")).find("LastCopyDate=" + todayText()),
            std::string::npos);
  EXPECT_FALSE(form->lastCopyDateLabel->isVisible());  // the label changes only at the next start
  EXPECT_TRUE(fakes.boxes.shown.empty());
  expectIdle();
}

// A destination on another drive than the job's is copied to only when the user ticks the box
// of the question; the new drive is then the job's.
TEST_F(Copy, ADestinationOnAnotherDriveIsCopiedToOnlyWhenTheBoxIsTicked) {
  std::filesystem::create_directories(destination());
  const std::string key = jobKey("", source(), destination());
  writeFile(settings.file("NVO.ini"), "[Jobs]\n" + key + ".Drive=UUID=0000-GONE\n");
  fakes.dialogs.script = [&](QDialog&) { form->copyNotice->okButton->click(); };
  for (const bool ticked : {false, true}) {
    fakes.boxes.shown.clear();
    fakes.boxes.checks = {ticked};
    copyAll();
    ASSERT_EQ(fakes.boxes.shown.size(), 1u);
    EXPECT_FALSE(fakes.boxes.shown[0].checkBoxText.empty());
    for (const std::string& named : {destination(), std::string("UUID 0000-GONE")})
      EXPECT_NE(fakes.boxes.shown[0].text.find(named), std::string::npos) << named;
    EXPECT_EQ(copied("a.txt"), ticked);
    expectIdle();
  }
  EXPECT_NE(readJobDrive(ProfileFile(settings.file("NVO.ini")), key), "UUID=0000-GONE");
}

// SIGTERM while the notice waits for OK: the notice closes, and the program ends as through
// its close box, saving its settings.
TEST_F(Copy, TerminationSignalClosesTheNoticeAndTheWindow) {
  std::filesystem::create_directories(destination());
  search();
  TerminationSignalCloser closer(form.get());
  bool noticeClosed = false;
  fakes.dialogs.script = [&](QDialog& notice) {
    notice.setWindowModality(Qt::ApplicationModal);
    notice.show();
    raise(SIGTERM);
    for (int i = 0; i < 10 && notice.isVisible(); ++i) QApplication::processEvents();
    noticeClosed = !notice.isVisible();
  };
  form->copyButton->click();
  testing::awaitRunEnd(*form);
  for (int i = 0; i < 10 && form->isVisible(); ++i) QApplication::processEvents();
  EXPECT_TRUE(noticeClosed);
  EXPECT_FALSE(form->isVisible());
  EXPECT_NE(readFile(settings.file("NVO.ini")).find("To=" + destination()), std::string::npos);
}

TEST_F(Copy, CtrlEnterCopies) {
  std::filesystem::create_directories(destination());
  search();
  form->resultList->setFocus();
  QTest::keyClick(form.get(), Qt::Key_Return, Qt::ControlModifier);
  testing::awaitRunEnd(*form);
  EXPECT_TRUE(copied("a.txt"));
  EXPECT_EQ(fakes.dialogs.shown.size(), 1u);
}

TEST_F(Copy, NoNoticeWhenTurnedOffAndTheMenuItemCopiesToo) {
  std::filesystem::create_directories(destination());
  search();
  editDetailOptions(*form, [](DetailOptions& s) { s.showCopyNotice = false; });
  form->copyAction->trigger();
  testing::awaitRunEnd(*form);
  EXPECT_TRUE(fakes.dialogs.shown.empty());
  EXPECT_TRUE(copied("a.txt"));
}

struct EntryCheck {
  const char* name;
  bool search;  // rows exist
  bool noneChecked;
  const char* destination;  // "<missing>", "<file>", or the text itself
  MessageAnswer answer;
  MessageKind kind;
  const char* message;
  bool focusOnEdit2;
  bool runs;
};

class CopyEntryCheck : public Copy, public ::testing::WithParamInterface<EntryCheck> {};

TEST_P(CopyEntryCheck, RefusesWithItsBoxOrGoesAhead) {
  const EntryCheck& c = GetParam();
  if (c.search) search();
  if (c.noneChecked) checkOnly({});
  const std::string text = c.destination;
  std::string destinationText = text;
  if (text == "<missing>") destinationText = destination() + "/new/deeper";
  if (text == "<file>") {
    writeFile(tree.path() + "/plain", "");
    destinationText = tree.path() + "/plain";
  }
  form->destinationFolderEdit->setText(QString::fromStdString(destinationText));
  fakes.boxes.answers = {c.answer};
  form->searchButton->setFocus();
  form->copyButton->click();
  testing::awaitRunEnd(*form);

  ASSERT_GE(fakes.boxes.shown.size(), 1u);
  EXPECT_EQ(fakes.boxes.shown.front().kind, c.kind);
  EXPECT_EQ(fakes.boxes.shown.front().text, c.message);
  EXPECT_EQ(fakes.boxes.shown.front().placement, form->positionedPlacement());
  EXPECT_EQ(form->destinationFolderEdit->hasFocus(), c.focusOnEdit2);
  EXPECT_EQ(copied("new/deeper/a.txt"), c.runs);
  EXPECT_EQ(std::filesystem::exists(settings.file("NVO.ini")), c.runs);
  expectIdle();
}

INSTANTIATE_TEST_SUITE_P(
    Checks, CopyEntryCheck,
    ::testing::Values(
        EntryCheck{"NoRows", false, false, "/tmp", MessageAnswer::Ok, MessageKind::Information,
                   "コピーするファイルがありません", false, false},
        EntryCheck{"NoneChecked", true, true, "/tmp", MessageAnswer::Ok, MessageKind::Information,
                   "コピーするファイルがありません", false, false},
        EntryCheck{"NoDestination", true, false, "", MessageAnswer::Ok, MessageKind::Error,
                   "コピー先フォルダを指定してください", true, false},
        EntryCheck{"MissingAnsweredNo", true, false, "<missing>", MessageAnswer::No,
                   MessageKind::Warning, "コピー先が存在しません。作成しますか？", true, false},
        EntryCheck{"MissingAnsweredYes", true, false, "<missing>", MessageAnswer::Yes,
                   MessageKind::Warning, "コピー先が存在しません。作成しますか？", false, true},
        EntryCheck{"DestinationIsAFile", true, false, "<file>", MessageAnswer::Yes,
                   MessageKind::Warning, "コピー先が存在しません。作成しますか？", true, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Copy, DestinationThatCannotBeMadeIsReported) {
  search();
  writeFile(tree.path() + "/plain", "");
  form->destinationFolderEdit->setText(QString::fromStdString(tree.path() + "/plain"));
  fakes.boxes.answers = {MessageAnswer::Yes};
  form->copyButton->click();
  testing::awaitRunEnd(*form);
  ASSERT_EQ(fakes.boxes.shown.size(), 2u);
  EXPECT_EQ(fakes.boxes.shown[1].kind, MessageKind::Error);
  EXPECT_EQ(fakes.boxes.shown[1].text, "ディレクトリを作成できません");
}

TEST_F(Copy, AbortWhileGatheringCopiesNothingAndRecordsNothing) {
  std::filesystem::create_directories(destination());
  search();
  testing::RunGate gate(*form);
  gate.close();  // the copy's thread waits before it gathers
  form->copyButton->click();
  form->abortButton->click();
  // The status bar says at once that the run is stopping.
  EXPECT_EQ(form->statusPanels->panelText(1), QStringLiteral("中止しています…"));
  gate.open();
  testing::awaitRunEnd(*form);
  EXPECT_FALSE(copied("a.txt"));
  EXPECT_FALSE(copied("b.txt"));
  EXPECT_TRUE(fakes.dialogs.shown.empty());
  EXPECT_FALSE(std::filesystem::exists(settings.file("NVO.ini")));
  expectIdle();
}

TEST_F(Copy, ProgressOfTenRowsWithThreeChecked) {
  for (int i = 0; i < 7; ++i)
    makeFile(source() + "/more" + std::to_string(i) + ".txt", localTime(2024, 5, 2));
  std::filesystem::create_directories(destination());
  search();
  ASSERT_EQ(form->resultModel()->rowCount(), 10);
  checkOnly({0, 4, 9});
  // The first checked file already has a namesake, so the run asks, right after gathering.
  const std::string first = form->rowFullPath(form->resultModel()->rows()[0]);
  const std::string firstTarget = destination() + "/" + first.substr(source().size() + 1);
  std::filesystem::create_directories(std::filesystem::path(firstTarget).parent_path());
  writeFile(firstTarget, "old");
  editDetailOptions(*form, [](DetailOptions& s) { s.copy.overwrite = OverwriteAsk; });
  int atQuestion = -1;
  int maximum = -1;
  QString statusAtQuestion;
  fakes.boxes.onShow = [&](const auto&) {
    atQuestion = form->progressBar->value();
    maximum = form->progressBar->maximum();
    statusAtQuestion = form->statusPanels->panelText(2);
  };
  fakes.boxes.answers = {MessageAnswer::Yes};
  int atNotice = -1;
  QString statusAtNotice;
  fakes.dialogs.script = [&](QDialog& dialog) {
    atNotice = form->progressBar->value();
    statusAtNotice = form->statusPanels->panelText(2);
    dialog.accept();
  };
  const QString totals = form->statusPanels->panelText(2);
  form->copyButton->click();
  testing::awaitRunEnd(*form);
  EXPECT_EQ(maximum, 10);
  EXPECT_EQ(atQuestion, 3);
  EXPECT_EQ(atNotice, 6);
  // The status bar counts the files to copy while the run goes on, and shows the totals again
  // once it has ended.
  EXPECT_TRUE(statusAtQuestion.startsWith(QStringLiteral("ファイル 0/3")))
      << statusAtQuestion.toStdString();
  EXPECT_EQ(statusAtNotice, totals);
  EXPECT_EQ(readFile(firstTarget).size(), 0u);  // replaced by the (empty) source
}

TEST_F(Copy, AFailedFileIsReportedAndTheRunGoesOn) {
  std::filesystem::create_directories(destination());
  search();
  std::filesystem::remove(source() + "/b.txt");  // vanished after the search
  form->copyButton->click();
  testing::awaitRunEnd(*form);
  ASSERT_EQ(fakes.boxes.shown.size(), 1u);
  EXPECT_EQ(fakes.boxes.shown[0].kind, MessageKind::Error);
  EXPECT_EQ(fakes.boxes.shown[0].text, source() + "/b.txt を " + destination() +
                                           "/b.txt にコピーできません。\n" +
                                           "ファイルまたはフォルダがありません");
  EXPECT_EQ(fakes.boxes.shown[0].checkBoxText, "このコピー中は以降のエラーを表示しない");
  EXPECT_TRUE(fakes.boxes.shown[0].placement.centredOnScreen);
  EXPECT_TRUE(copied("a.txt"));
  EXPECT_TRUE(copied("sub/c.txt"));
  EXPECT_EQ(fakes.dialogs.shown.size(), 1u);  // still a completed run
  // The day moves on; the file that failed waits for the next copy, and the notice says so.
  EXPECT_NE(readFile(settings.file("NVO.ini")).find("LastCopyDate=" + todayText()),
            std::string::npos);
  EXPECT_FALSE(form->copyNotice->notesLabel->isHidden());
  EXPECT_EQ(form->copyNotice->notesLabel->text(),
            QStringLiteral("コピー 2個, スキップ 0個, 失敗 1個\n失敗したファイル: b.txt\n"
                           "次回のコピーで再試行するもの: 1個"));
  EXPECT_LE(form->copyNotice->notesLabel->geometry().right() + 1, form->copyNotice->width());

  // Back, but older than the day searched from (and with change times not taken): the next
  // search lists it all the same, and the copy carries it.
  makeFile(source() + "/b.txt", localTime(2024, 4, 2), 100);
  editDetailOptions(*form, [](DetailOptions& s) { s.search.changeTime = false; });
  search();
  ASSERT_EQ(form->resultModel()->rowCount(), 3);
  form->copyButton->click();
  testing::awaitRunEnd(*form);
  EXPECT_TRUE(copied("b.txt"));
  EXPECT_TRUE(form->copyNotice->notesLabel->isHidden());
  // Nothing waits any more: the search after lists only what changed since the day.
  search();
  EXPECT_EQ(form->resultModel()->rowCount(), 2);
}

TEST_F(Copy, EveryFileFailingStillEndsWithTheNoticeAndEveryFileWaits) {
  std::filesystem::create_directories(destination());
  search();
  // Folders in the way of every file; and the destination write-protected, which root ignores.
  for (const char* name : {"a.txt", "b.txt", "sub/c.txt"})
    std::filesystem::create_directories(destination() + "/" + name + "/in-the-way");
  chmod(destination().c_str(), 0555);
  form->copyButton->click();
  testing::awaitRunEnd(*form);
  chmod(destination().c_str(), 0755);
  EXPECT_EQ(fakes.boxes.shown.size(), 3u);
  EXPECT_NE(readFile(settings.file("NVO.ini")).find("LastCopyDate=" + todayText()),
            std::string::npos);
  EXPECT_TRUE(form->copyNotice->notesLabel->text().startsWith(
      QStringLiteral("コピー 0個, スキップ 0個, 失敗 3個\n失敗したファイル: ")));
  EXPECT_TRUE(form->copyNotice->notesLabel->text().endsWith(
      QStringLiteral("次回のコピーで再試行するもの: 3個")));
  expectIdle(
      QStringLiteral("3個のファイルをコピーできませんでした。次のコピーでもう一度コピーします"));
}

// One box, checked, stands for the rest of the run: the failures still count, and the notice
// lists every failed file with its reason. The next run shows its failures again.
TEST_F(Copy, FailureBoxesStopForTheRunWhenAskedAndTheNoticeListsTheFailures) {
  std::filesystem::create_directories(destination());
  search();
  for (const char* name : {"a.txt", "b.txt", "sub/c.txt"})
    std::filesystem::remove(source() + "/" + name);  // vanished after the search
  fakes.boxes.checks = {true};
  QString listed;
  fakes.dialogs.script = [&](QDialog& dialog) {
    auto& notice = static_cast<CopyNotice&>(dialog);
    EXPECT_FALSE(notice.failedFilesButton->isHidden());
    fakes.dialogs.script = [&](QDialog& list) {
      listed = list.findChild<QPlainTextEdit*>(QStringLiteral("FailedFiles"))->toPlainText();
      list.accept();
    };
    notice.failedFilesButton->click();
    notice.okButton->click();
  };
  form->copyButton->click();
  testing::awaitRunEnd(*form);
  EXPECT_EQ(fakes.boxes.shown.size(), 1u);
  EXPECT_TRUE(form->copyNotice->notesLabel->text().startsWith(
      QStringLiteral("コピー 0個, スキップ 0個, 失敗 3個")));
  const QStringList lines = listed.split(QLatin1Char('\n'));
  ASSERT_EQ(lines.size(), 3);
  for (const QString& line : lines)
    EXPECT_TRUE(line.endsWith(QStringLiteral(": ファイルまたはフォルダがありません")))
        << line.toStdString();
  EXPECT_TRUE(lines[0].startsWith(QString::fromStdString(source()))) << lines[0].toStdString();

  fakes.dialogs.script = nullptr;
  form->copyButton->click();
  testing::awaitRunEnd(*form);
  EXPECT_EQ(fakes.boxes.shown.size(), 4u);  // unchecked this time: a box for each
  expectIdle(
      QStringLiteral("3個のファイルをコピーできませんでした。次のコピーでもう一度コピーします"));
}

struct NotificationCase {
  const char* name;
  bool windowActive;
  bool notified;
};

class CopyNotification : public Copy, public ::testing::WithParamInterface<NotificationCase> {};

// A long run (every run, here) that ends while the user is in another window is told on the
// desktop; with the window in front, the notice is enough.
TEST_P(CopyNotification, TellsTheDesktopOnlyWhenTheWindowIsInactive) {
  std::filesystem::create_directories(destination());
  search();
  form->setLongRunMilliseconds(0);
  QApplication::setActiveWindow(GetParam().windowActive ? form.get() : nullptr);
  form->copyButton->click();
  testing::awaitRunEnd(*form);
  const std::vector<std::string> expected = {
      "Nuvelo: コピーが終了しました (コピー 3個, スキップ 0個, 失敗 0個)"};
  EXPECT_EQ(fakes.notifier.notes, GetParam().notified ? expected : std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Windows, CopyNotification,
                         ::testing::Values(NotificationCase{"Inactive", false, true},
                                           NotificationCase{"Active", true, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Copy, FolderRowCopiesItsWholeTreeButNotExclusions) {
  makeFile(source() + "/pack/old.txt", localTime(2020, 1, 1));
  makeFile(source() + "/pack/skip.bak", localTime(2024, 5, 2));
  makeFile(source() + "/pack/inner/deep.txt", localTime(2020, 1, 1));
  makeFile(source() + "/pack/tmp/x.txt", localTime(2024, 5, 2));
  testing::makeFolder(source() + "/pack", localTime(2024, 5, 3));
  std::filesystem::create_directories(destination());
  editDetailOptions(*form, [](DetailOptions& s) {
    s.search.perFolder = true;
    s.search.excludedExtensions = {"bak"};
  });
  form->excludedSubfoldersList->addItem(QStringLiteral("/pack/tmp"));
  form->sourceFolderEdit->setText(QString::fromStdString(source()));
  form->onSearch();
  testing::awaitRunEnd(*form);
  form->subfoldersCheckBox->setChecked(false);  // folder rows are still expanded in full
  form->copyButton->click();
  testing::awaitRunEnd(*form);
  EXPECT_TRUE(copied("pack/old.txt"));
  EXPECT_TRUE(copied("pack/inner/deep.txt"));
  EXPECT_FALSE(copied("pack/skip.bak"));
  EXPECT_FALSE(copied("pack/tmp/x.txt"));
}

TEST_F(Copy, UnwritableSettingsEndTheRunWithoutTheNotice) {
  writeFile(settings.file("plain"), "");
  open(settings.file("plain") + "/NVO.ini");
  std::filesystem::create_directories(destination());
  search();
  form->copyButton->click();
  testing::awaitRunEnd(*form);
  ASSERT_EQ(fakes.boxes.applicationErrors.size(), 1u);
  EXPECT_EQ(fakes.boxes.applicationErrors[0],
            settings.file("plain") + "/NVO.ini に書き込めません.");
  EXPECT_TRUE(fakes.dialogs.shown.empty());
  EXPECT_TRUE(copied("a.txt"));
  // The run log beside that settings file cannot be written either: said in the status bar.
  const QString status = form->statusPanels->panelText(1);
  EXPECT_TRUE(status.startsWith(QStringLiteral("実行記録に書き込めません: ")))
      << status.toStdString();
  expectIdle(status);
}

// Too little room at the destination: one question before the first file; No copies nothing,
// records nothing and shows no notice.
TEST_F(Copy, TooLittleRoomIsAskedAboutFirst) {
  testing::SmallTmpfs drive(64 * 1024);
  if (!drive.usable()) GTEST_SKIP() << drive.reason();
  makeFile(source() + "/big.bin", localTime(2024, 5, 2), 256 * 1024);
  search();
  form->destinationFolderEdit->setText(QString::fromStdString(drive.path()));
  fakes.boxes.answers = {MessageAnswer::No};
  form->copyButton->click();
  testing::awaitRunEnd(*form);
  ASSERT_EQ(fakes.boxes.shown.size(), 1u);
  EXPECT_EQ(fakes.boxes.shown[0].kind, MessageKind::Warning);
  EXPECT_EQ(fakes.boxes.shown[0].buttons, MessageButtons::YesNo);
  EXPECT_EQ(fakes.boxes.shown[0].placement, form->positionedPlacement());
  EXPECT_NE(fakes.boxes.shown[0].text.find("空き容量が足りません"), std::string::npos);
  EXPECT_EQ(testing::entriesIn(drive.path()), 0u);
  EXPECT_TRUE(fakes.dialogs.shown.empty());
  EXPECT_FALSE(std::filesystem::exists(settings.file("NVO.ini")));
  expectIdle();
}

// The close box or SIGTERM while the replace question is open: the question is withdrawn, the
// status bar says at once that the run is stopping, the file asked about keeps what it held,
// and the window closes, saving its settings, once the run has ended.
TEST_F(Copy, ClosingDuringAQuestionStopsTheRunAndClosesWhenItHasEnded) {
  for (const bool bySignal : {false, true}) {
    SCOPED_TRACE(bySignal ? "SIGTERM" : "close box");
    TempFolder settingsHere;
    open(settingsHere.file("NVO.ini"));
    editDetailOptions(*form, [](DetailOptions& s) { s.copy.overwrite = OverwriteAsk; });
    std::filesystem::create_directories(destination());
    writeFile(destination() + "/a.txt", "old");
    search();
    fakes.boxes.holdQuestions = true;
    fakes.boxes.held.clear();
    form->copyButton->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !fakes.boxes.held.empty(); }, 60000));
    {
      TerminationSignalCloser closer(form.get());
      if (bySignal)
        raise(SIGTERM);
      else
        EXPECT_FALSE(form->close());
      EXPECT_TRUE(QTest::qWaitFor([&] { return form->closesAfterRun() || !form->isVisible(); }));
      EXPECT_TRUE(QTest::qWaitFor([&] { return !form->isVisible(); }, 60000));
    }
    EXPECT_TRUE(fakes.boxes.held[0]->withdrawn);
    EXPECT_EQ(fakes.boxes.held.size(), 1u);
    EXPECT_EQ(readFile(destination() + "/a.txt"), "old");
    EXPECT_TRUE(std::filesystem::exists(settingsHere.file("NVO.ini")));
    std::filesystem::remove_all(destination());
  }
}

// Esc and 中止 say at once that the run is stopping, before it has stopped.
TEST_F(Copy, AbortDuringAQuestionIsShownAtOnce) {
  editDetailOptions(*form, [](DetailOptions& s) { s.copy.overwrite = OverwriteAsk; });
  std::filesystem::create_directories(destination());
  writeFile(destination() + "/b.txt", "old");
  search();
  fakes.boxes.holdQuestions = true;
  form->copyButton->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !fakes.boxes.held.empty(); }, 60000));
  form->abortButton->click();
  EXPECT_EQ(form->statusPanels->panelText(1), QStringLiteral("中止しています…"));
  testing::awaitRunEnd(*form);
  EXPECT_TRUE(fakes.boxes.held[0]->withdrawn);
  EXPECT_EQ(readFile(destination() + "/b.txt"), "old");
  expectIdle();
}

TEST_F(Copy, SearchIsRefusedDuringACopy) {
  std::filesystem::create_directories(destination());
  search();
  bool searchDisabled = false;
  QTimer::singleShot(0, form.get(), [&] {
    searchDisabled = !form->searchButton->isEnabled() && !form->searchAction->isEnabled();
    form->onSearch();
    form->onCopy();
  });
  form->copyButton->click();
  testing::awaitRunEnd(*form);
  EXPECT_TRUE(searchDisabled);
  EXPECT_EQ(form->resultModel()->rowCount(), 3);  // the search did not run
  EXPECT_EQ(fakes.dialogs.shown.size(), 1u);      // nor a second copy
}

// A completed copy asks for the drive of its destination, which the notice offers to remove.
TEST_F(Copy, TheNoticeOffersToRemoveTheDestinationsDrive) {
  std::filesystem::create_directories(destination());
  fakes.dialogs.script = [&](QDialog& dialog) {
    fakes.drives.answers.at(0)(RemovableDrive{"/sdb1", "/Stick"});
    EXPECT_FALSE(static_cast<CopyNotice&>(dialog).removeDriveButton->isHidden());
  };
  copyAll();
  EXPECT_EQ(fakes.drives.lookups, std::vector<std::string>{destination()});
}

// The notice on its own.
class Notice : public ::testing::Test {
 protected:
  FakeServices fakes;
  CopyNotice notice{fakes.boxes, fakes.shell, fakes.dialogs, fakes.drives};
};

TEST_F(Notice, LayoutAndTexts) {
  EXPECT_EQ(notice.windowTitle(), QStringLiteral("結果"));
  EXPECT_EQ(notice.size(), QSize(284, 135));
  EXPECT_EQ(notice.pos(), QPoint(227, 254));
  EXPECT_EQ(notice.finishedLabel->text(), QStringLiteral("コピーが終了しました。"));
  EXPECT_EQ(notice.writtenLabel->text(),
            QStringLiteral("ドライブに書き込み済みです。取り外せます。"));
  EXPECT_TRUE(notice.removeDriveButton->isHidden());
  EXPECT_EQ(notice.destinationCaption->text(), QStringLiteral("コピー先："));
  EXPECT_GT(notice.okButton->y(), notice.destinationCaption->geometry().bottom());
  EXPECT_EQ(notice.openDestinationButton->text(), QStringLiteral("コピー先フォルダを開く"));
  EXPECT_EQ(notice.noMoreNoticesCheckBox->text(), QStringLiteral("今後、この通知をしない"));
  EXPECT_FALSE(notice.noMoreNoticesCheckBox->isChecked());
  EXPECT_TRUE(notice.okButton->isDefault());
}

TEST_F(Notice, OkClearsTheSwitchOnlyWhenAsked) {
  notice.okButton->click();
  EXPECT_TRUE(notice.noticesWanted());
  notice.noMoreNoticesCheckBox->setChecked(true);
  notice.okButton->click();
  EXPECT_FALSE(notice.noticesWanted());
}

TEST_F(Notice, CloseBoxAndEscapeChangeNothing) {
  notice.noMoreNoticesCheckBox->setChecked(true);
  notice.show();
  QTest::keyClick(&notice, Qt::Key_Escape);
  EXPECT_TRUE(notice.isVisible());
  notice.close();
  EXPECT_TRUE(notice.noticesWanted());
  EXPECT_TRUE(notice.noMoreNoticesCheckBox->isChecked());  // kept for the next notice
}

struct OpenCase {
  std::errc failure;    // std::errc{}: the folder opens
  const char* message;  // nullptr: none
};

class NoticeOpen : public Notice, public ::testing::WithParamInterface<OpenCase> {};

TEST_P(NoticeOpen, OpensTheDestinationAndJudgesTheResult) {
  notice.noMoreNoticesCheckBox->setChecked(true);
  notice.showDestination(QStringLiteral("/media/backup"));
  if (GetParam().failure != std::errc{}) fakes.shell.result = failure(GetParam().failure);
  notice.show();
  notice.openDestinationButton->click();
  EXPECT_FALSE(notice.noticesWanted());  // cleared before opening, whatever comes of it
  EXPECT_EQ(fakes.shell.opened, (std::vector<std::string>{"/media/backup"}));
  if (GetParam().message) {
    ASSERT_EQ(fakes.boxes.shown.size(), 1u);
    EXPECT_EQ(fakes.boxes.shown[0].text, GetParam().message);
    EXPECT_EQ(fakes.boxes.shown[0].kind, MessageKind::Error);
    EXPECT_TRUE(fakes.boxes.shown[0].placement.centredOnScreen);
  } else {
    EXPECT_TRUE(fakes.boxes.shown.empty());
  }
  EXPECT_FALSE(notice.isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Results, NoticeOpen,
    ::testing::Values(
        OpenCase{std::errc{}, nullptr},
        OpenCase{std::errc::not_enough_memory, "メモリーが不足しています"},
        OpenCase{std::errc::no_such_file_or_directory, "コピー先フォルダが開けません"},
        OpenCase{std::errc::not_a_directory, "コピー先フォルダが開けません"},
        OpenCase{std::errc::executable_format_error, "コピー先フォルダが開けません"}));

// Failures and what the drive could not keep each take a line; the buttons make room for the
// second, and a run with neither shows the design layout again.
TEST_F(Notice, NotesOfARunMakeRoomAndGoAway) {
  notice.showDestination(QStringLiteral("/media/backup"));
  const QRect button = notice.okButton->geometry();
  const QRect checkBox = notice.noMoreNoticesCheckBox->geometry();
  const QSize size = notice.size();
  CopyRunResult onDrive;
  onDrive.counts = {5, 1, 2};
  onDrive.failedSources = {"/src/what?.txt", "/src/B.txt"};
  onDrive.attributesNote = AttributesNote{"exFAT"};
  const QStringList failedFiles = {QStringLiteral("/src/what?.txt: 名前が長すぎます"),
                                   QStringLiteral("/src/B.txt: アクセスが拒否されました")};
  notice.showNotes(onDrive, failedFiles);
  EXPECT_FALSE(notice.notesLabel->isHidden());
  // The failed files with their reasons are a button away.
  EXPECT_FALSE(notice.failedFilesButton->isHidden());
  EXPECT_FALSE(
      notice.failedFilesButton->geometry().intersects(notice.noMoreNoticesCheckBox->geometry()));
  EXPECT_LE(notice.failedFilesButton->geometry().right(), notice.width());
  QString listed;
  fakes.dialogs.script = [&](QDialog& dialog) {
    listed = dialog.findChild<QPlainTextEdit*>(QStringLiteral("FailedFiles"))->toPlainText();
    dialog.accept();
  };
  notice.failedFilesButton->click();
  EXPECT_EQ(listed, failedFiles.join(QLatin1Char('\n')));
  EXPECT_EQ(
      notice.notesLabel->text(),
      QStringLiteral("コピー 5個, スキップ 1個, 失敗 2個\n失敗したファイル: what?.txt, B.txt\n") +
          QStringLiteral("コピー先が exFAT のため、アクセス権と所有者は保存していません"));
  EXPECT_GT(notice.okButton->y(), button.y());
  EXPECT_GE(notice.okButton->y(), notice.notesLabel->geometry().bottom());
  EXPECT_GT(notice.height(), size.height());
  EXPECT_LE(notice.notesLabel->geometry().right(), notice.width());

  // Files tried again after a failure that may pass are told even when all of them got there.
  CopyRunResult retried;
  retried.counts = {4, 0, 0};
  retried.retried = 3;
  notice.showNotes(retried);
  EXPECT_FALSE(notice.notesLabel->isHidden());
  EXPECT_EQ(notice.notesLabel->text(), QStringLiteral("一時的なエラーのあとやり直したもの: 3個"));
  EXPECT_TRUE(notice.failedFilesButton->isHidden());

  notice.showDestination(QStringLiteral("/media/backup"));
  notice.showNotes(CopyRunResult{});
  EXPECT_TRUE(notice.notesLabel->isHidden());
  EXPECT_TRUE(notice.failedFilesButton->isHidden());
  EXPECT_EQ(notice.okButton->geometry(), button);
  EXPECT_EQ(notice.noMoreNoticesCheckBox->geometry(), checkBox);
  EXPECT_EQ(notice.height(), size.height());
}

const RemovableDrive Stick{"/block_devices/sdb1", "/drives/Stick"};

// Only the latest look-up's answer counts: a drive found for an earlier notice is not offered.
TEST_F(Notice, OffersTheDriveOfItsLatestLookUp) {
  notice.lookForRemovableDrive("/media/user/OLD");
  notice.lookForRemovableDrive("/media/user/BACKUP");
  fakes.drives.answers[0](Stick);
  EXPECT_TRUE(notice.removeDriveButton->isHidden());
  fakes.drives.answers[1](Stick);
  EXPECT_FALSE(notice.removeDriveButton->isHidden());
  EXPECT_EQ(notice.removeDriveButton->text(), QStringLiteral("取り外す"));
  notice.lookForRemovableDrive("/home/user");
  EXPECT_TRUE(notice.removeDriveButton->isHidden());
}

struct RemovalCase {
  DriveRemoval removal;
  MessageKind kind;
  const char* text;
};

class NoticeRemoval : public Notice, public ::testing::WithParamInterface<RemovalCase> {};

// 取り外す tells the outcome in a box; a removed drive ends the notice as OK does, a drive that
// was not removed can be tried again.
TEST_P(NoticeRemoval, TellsTheOutcome) {
  const bool removed = GetParam().removal.outcome == DriveRemoval::Outcome::Removed;
  fakes.drives.removal = GetParam().removal;
  notice.noMoreNoticesCheckBox->setChecked(true);
  notice.lookForRemovableDrive("/media/user/BACKUP");
  fakes.drives.answers[0](Stick);
  notice.show();
  notice.removeDriveButton->click();
  EXPECT_EQ(fakes.drives.removals, std::vector<RemovableDrive>{Stick});
  ASSERT_EQ(fakes.boxes.shown.size(), 1u);
  EXPECT_EQ(fakes.boxes.shown[0].kind, GetParam().kind);
  EXPECT_EQ(fakes.boxes.shown[0].text, GetParam().text);
  EXPECT_NE(notice.isVisible(), removed);
  EXPECT_NE(notice.noticesWanted(), removed);
  EXPECT_EQ(notice.removeDriveButton->isHidden(), removed);
  EXPECT_TRUE(notice.removeDriveButton->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, NoticeRemoval,
    ::testing::Values(RemovalCase{{DriveRemoval::Outcome::Removed, "unused"},
                                  MessageKind::Information,
                                  "ドライブを安全に取り外せます。"},
                      RemovalCase{{DriveRemoval::Outcome::Busy, "target is busy"},
                                  MessageKind::Warning,
                                  "ドライブが使用中のため、取り外せません。\ntarget is busy"},
                      RemovalCase{{DriveRemoval::Outcome::Refused, "not authorized"},
                                  MessageKind::Error,
                                  "ドライブを取り外せませんでした。\nnot authorized"}));

TEST_F(Notice, WidensForALongDestinationAndKeepsTheWidth) {
  notice.showDestination(QStringLiteral("/x"));
  EXPECT_EQ(notice.width(), 284);
  const QString longText = QStringLiteral("/media/backup/a/rather/long/destination/folder/name");
  notice.showDestination(longText);
  ASSERT_GT(notice.destinationLabel->width(), 150);
  const int wide = 96 + notice.destinationLabel->width() + 30;
  EXPECT_EQ(notice.width(), wide);
  notice.showDestination(QStringLiteral("/short"));
  EXPECT_EQ(notice.width(), wide);
  notice.showDestination(longText + longText);
  EXPECT_EQ(notice.width(), 96 + notice.destinationLabel->width() + 30);
}

// The run log from the window: a line for each copy, a warning once when it cannot be written,
// and the list of the last runs that the 実行 menu opens.

TEST_F(Copy, ACopyAppendsItsLineToTheRunLog) {
  std::filesystem::create_directories(destination());
  copyAll();
  copyAll();
  const RunLogTail tail = readRunLog(runLogPath(settings.file("NVO.ini")), 10);
  ASSERT_EQ(tail.entries.size(), 2u);
  EXPECT_EQ(tail.skipped, 0u);
  for (const RunLogEntry& e : tail.entries) {
    EXPECT_EQ(e.from, "window");
    EXPECT_EQ(e.source, source());
    EXPECT_EQ(e.destination, destination());
    EXPECT_EQ(e.found, 3u);
    EXPECT_EQ(e.copied, 3u);
    EXPECT_EQ(e.bytes, 300u);
    EXPECT_EQ(e.failed, 0u);
    EXPECT_EQ(e.exitStatus, 0);
    EXPECT_LE(e.start, e.end);
  }
  // The log lies beside the settings file, named after it.
  EXPECT_TRUE(std::filesystem::exists(settings.file("NVO-runs.log")));
}

TEST_F(Copy, ARunLogThatCannotBeWrittenIsToldOnceInTheStatusBar) {
  std::filesystem::create_directories(destination());
  std::filesystem::create_directories(
      runLogPath(settings.file("NVO.ini")));  // a folder in its place
  copyAll();
  EXPECT_TRUE(fakes.boxes.shown.empty());  // no box between the user and the result
  const QString warning = form->statusPanels->panelText(1);
  EXPECT_TRUE(warning.startsWith(QStringLiteral("実行記録に書き込めません: ")))
      << warning.toStdString();
  EXPECT_TRUE(std::filesystem::exists(destination() + "/a.txt"));  // the copy itself stands
  copyAll();
  EXPECT_NE(form->statusPanels->panelText(1), warning);  // not told again
}

TEST_F(Copy, TheRunLogMenuItemListsTheLastRunsNewestFirst) {
  for (int n = 1; n <= 3; ++n) {
    RunLogEntry e;
    e.start = e.end = "2026-12-0" + std::to_string(n) + "T21:00:05+09:00";
    e.from = "cli";
    e.source = "/home/user/Documents";
    e.job = n == 3 ? "/home/user/jobs/写真.dat" : "";
    e.copied = static_cast<std::uint64_t>(n * 10);
    e.failed = n == 2 ? 1 : 0;
    e.exitStatus = n == 2 ? 1 : 0;
    ASSERT_TRUE(appendRunLog(runLogPath(settings.file("NVO.ini")), runLogLine(e)));
  }
  std::vector<std::vector<QString>> rows;
  fakes.dialogs.script = [&](QDialog& dialog) {
    auto* list = dynamic_cast<RunLogDialog*>(&dialog);
    ASSERT_NE(list, nullptr);
    for (int r = 0; r < list->runList->topLevelItemCount(); ++r) {
      std::vector<QString> row;
      for (int c = 0; c < list->runList->columnCount(); ++c)
        row.push_back(list->runList->topLevelItem(r)->text(c));
      rows.push_back(row);
    }
    list->closeButton->click();
  };
  EXPECT_EQ(form->runLogAction->text(), QStringLiteral("実行記録(&L)..."));
  form->runLogAction->trigger();
  ASSERT_EQ(fakes.dialogs.shown.size(), 1u);
  const std::vector<std::vector<QString>> expected = {
      {"2026/12/03 21:00:05", "/home/user/jobs/写真.dat", "30", "0", "完了"},
      {"2026/12/02 21:00:05", "/home/user/Documents", "20", "1", "失敗あり"},
      {"2026/12/01 21:00:05", "/home/user/Documents", "10", "0", "完了"},
  };
  EXPECT_EQ(rows, expected);
}

}  // namespace
}  // namespace nuvelo
