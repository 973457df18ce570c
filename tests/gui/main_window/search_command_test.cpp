#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <functional>
#include <memory>

#include "gui/main_window/main_window.h"
#include "gui/results/result_list_view.h"
#include "gui/widgets/clickable_label.h"
#include "gui/widgets/status_bar.h"
#include "support/detail_settings_edit.h"
#include "support/fake_services.h"
#include "support/file_tree.h"
#include "support/run_wait.h"

namespace nuvelo {
namespace {

using testing::editDetailOptions;
using testing::FakeMessageBoxes;
using testing::FakeServices;
using testing::localTime;
using testing::makeFile;
using testing::makeFolder;
using testing::TempFolder;
using testing::writeFile;

class Search : public ::testing::Test {
 protected:
  void SetUp() override {
    makeFile(source() + "/new.txt", localTime(2024, 5, 1, 0, 0, 0), 2048);
    makeFile(source() + "/old.txt", localTime(2024, 4, 30, 23, 59, 59, 999));
    makeFile(source() + "/sub/deeper.txt", localTime(2024, 6, 2, 8, 5, 9), 1024);
    form =
        std::make_unique<MainWindow>(fakes.services(), settings.file("NVO.ini"), settings.path());
    form->setDisplayFormats({"/", ":", "."});
    // The tree was made just now, so every change time is today: these tests are of the
    // last-write time.
    editDetailOptions(*form, [](DetailOptions& s) { s.search.changeTime = false; });
    form->show();
    QApplication::setActiveWindow(form.get());
    form->sinceDatePicker->setDate(QDate(2024, 5, 1));
    gate = std::make_unique<testing::RunGate>(*form);
  }

  std::string source() const { return tree.path() + "/src"; }

  // `action` runs once the search has started, while its thread is held before the walk.
  void duringSearch(std::function<void()> action) {
    gate->close();
    QTimer::singleShot(0, form.get(), [this, action] {
      EXPECT_TRUE(form->running());
      action();
      gate->open();
    });
  }

  std::vector<QString> column(int c) const {
    std::vector<QString> texts;
    for (int r = 0; r < form->resultModel()->rowCount(); ++r)
      texts.push_back(form->resultModel()->text(r, c));
    std::sort(texts.begin(), texts.end());
    return texts;
  }

  TempFolder tree;
  TempFolder settings;
  FakeServices fakes;
  FakeMessageBoxes& boxes = fakes.boxes;
  std::unique_ptr<MainWindow> form;
  std::unique_ptr<testing::RunGate> gate;  // after the window: it goes first
};

TEST_F(Search, FindsChangedFilesAsCheckedRowsWithTotals) {
  form->sourceFolderEdit->setText(
      QString::fromStdString(source() + "/"));  // a typed trailing "/" goes
  editDetailOptions(*form, [](DetailOptions& s) { s.copy.dirAbs = false; });
  form->searchButton->click();
  testing::awaitRunEnd(*form);

  EXPECT_EQ(form->sourceFolderEdit->text().toStdString(), source());
  EXPECT_EQ(form->searchRoot(), source());
  ASSERT_EQ(form->resultModel()->rowCount(), 2);
  EXPECT_EQ(column(0), (std::vector<QString>{"deeper.txt", "new.txt"}));
  EXPECT_EQ(column(1), (std::vector<QString>{"1KB", "2KB"}));
  EXPECT_EQ(column(3), (std::vector<QString>{"2024/05/01 00:00:00", "2024/06/02 08:05:09"}));
  EXPECT_EQ(column(4), (std::vector<QString>{"new.txt", "sub/deeper.txt"}));
  EXPECT_FALSE(column(2)[0].isEmpty());
  EXPECT_EQ(form->resultModel()->index(0, 0).data(Qt::CheckStateRole).toInt(), Qt::Checked);
  EXPECT_EQ(form->checkedTotals().count, 2);
  EXPECT_EQ(form->checkedTotals().bytes, 3072.0);
  EXPECT_EQ(form->statusPanels->panelText(2), QStringLiteral("合計= 2個 (3.0 k バイト)"));

  // The end state of a search.
  EXPECT_FALSE(form->running());
  EXPECT_TRUE(form->copyButton->isEnabled());
  EXPECT_TRUE(form->copyAction->isEnabled());
  EXPECT_FALSE(form->abortButton->isEnabled());
  EXPECT_FALSE(form->abortAction->isEnabled());
  EXPECT_FALSE(form->sourceFolderEdit->isReadOnly());
  EXPECT_FALSE(form->progressBar->isVisible());
  EXPECT_EQ(form->progressBar->value(), 0);
  EXPECT_TRUE(form->statusPanels->panelText(1).isEmpty());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  const ResultRow& row = form->resultModel()->rows()[0];
  EXPECT_EQ(form->rowFullPath(row), source() + "/" + row.pathText);
}

// Many thousands of rows, built away from the window's thread in batches, come in the walk's
// order with every checked total; a search after them shows its own rows, not the ones before.
TEST_F(Search, ManyRowsComeInTheWalksOrder) {
  constexpr int Files = 10001;
  for (int i = 0; i < Files; ++i)  // 0, 1 and 2 KiB in turn: 10,000 KiB in all
    makeFile(source() + "/many/d" + std::to_string(i % 9) + "/f" + std::to_string(i) + ".txt",
             localTime(2024, 5, 2), i % 3 * 1024);
  form->sourceFolderEdit->setText(QString::fromStdString(source()));
  editDetailOptions(*form, [](DetailOptions& s) { s.copy.dirAbs = true; });
  WalkFilter filter;
  filter.sourceText = source();
  filter.since = SinceThreshold::forDay(dateValueOf({2024, 5, 1}));

  for (const int added : {0, 1}) {
    if (added) makeFile(source() + "/many/late.txt", localTime(2024, 5, 3), 4096);
    std::vector<std::string> walked;
    for (const WalkEntry& entry : walkEntries(source(), filter, WalkMode::Search))
      walked.push_back(entry.path);
    ASSERT_EQ(walked.size(), Files + 2u + added);  // with new.txt and sub/deeper.txt
    form->searchButton->click();
    testing::awaitRunEnd(*form);
    std::vector<std::string> shown;
    for (const ResultRow& row : form->resultModel()->rows()) shown.push_back(row.pathText);
    EXPECT_EQ(shown, walked) << added;
    EXPECT_EQ(form->checkedTotals().count, Files + 2 + added);
    EXPECT_EQ(form->checkedTotals().bytes, (10000 + 3 + 4 * added) * 1024.0);
  }
}

struct OddName {
  const char* label;
  std::string bytes;
  QString shown;
};

class OddNames : public Search, public ::testing::WithParamInterface<OddName> {};

// A name that is not UTF-8 shows as Shift-JIS when it reads as such (names from old shares and
// archives), else with replacement characters; the row keeps the bytes.
TEST_P(OddNames, ShowReadablyAndKeepTheirBytes) {
  const std::string name = GetParam().bytes;
  makeFile(source() + "/" + name, localTime(2024, 5, 3));
  form->sourceFolderEdit->setText(QString::fromStdString(source()));
  form->searchButton->click();
  testing::awaitRunEnd(*form);
  const auto& rows = form->resultModel()->rows();
  const auto row =
      std::find_if(rows.begin(), rows.end(), [&](const ResultRow& r) { return r.name() == name; });
  ASSERT_NE(row, rows.end());
  EXPECT_EQ(form->rowFullPath(*row), source() + "/" + name);
  const int index = static_cast<int>(row - rows.begin());
  EXPECT_EQ(form->resultModel()->text(index, 0), GetParam().shown);
  EXPECT_TRUE(form->resultModel()->text(index, 4).endsWith(GetParam().shown));
}

INSTANTIATE_TEST_SUITE_P(
    Names, OddNames,
    ::testing::Values(OddName{"Latin1", "caf\xE9.txt", QStringLiteral("caf\uFFFD.txt")},
                      OddName{"ShiftJis", "\x95\x5C.txt", QStringLiteral("表.txt")}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(Search, AbsolutePathsAndTheMenuItemSearchToo) {
  form->sourceFolderEdit->setText(QString::fromStdString(source()));
  form->searchAction->trigger();
  testing::awaitRunEnd(*form);
  EXPECT_EQ(column(4),
            (std::vector<QString>{QString::fromStdString(source() + "/new.txt"),
                                  QString::fromStdString(source() + "/sub/deeper.txt")}));
}

struct Refusal {
  const char* sourceText;  // "<missing>": a folder that does not exist
  const char* message;
};

class SearchRefusal : public Search, public ::testing::WithParamInterface<Refusal> {};

TEST_P(SearchRefusal, EmptiesTheListThenShowsThePositionedError) {
  form->sourceFolderEdit->setText(QString::fromStdString(source()));
  form->searchButton->click();
  testing::awaitRunEnd(*form);
  ASSERT_EQ(form->resultModel()->rowCount(), 2);
  form->move(100, 50);
  form->resize(500, 440);

  const std::string text = GetParam().sourceText;
  form->sourceFolderEdit->setText(
      QString::fromStdString(text == "<missing>" ? source() + "/nope" : text));
  form->copyButton->setFocus();
  form->searchButton->click();
  testing::awaitRunEnd(*form);

  EXPECT_EQ(form->resultModel()->rowCount(), 0);
  // The totals of the rows that went go with them.
  EXPECT_EQ(form->checkedTotals().count, 0);
  EXPECT_EQ(form->statusPanels->panelText(2), QString());
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].kind, MessageKind::Error);
  EXPECT_EQ(boxes.shown[0].text, GetParam().message);
  const QRect frame = form->frameGeometry();  // the window with its frame, as the user sees it
  EXPECT_EQ(frame.topLeft(), QPoint(100, 50));
  EXPECT_EQ(boxes.shown[0].placement,
            MessagePlacement::positionedOn({100, 50, frame.width(), frame.height()}));
  EXPECT_TRUE(form->sourceFolderEdit->hasFocus());
  EXPECT_FALSE(form->running());
}

INSTANTIATE_TEST_SUITE_P(Sources, SearchRefusal,
                         ::testing::Values(Refusal{"", "更新元フォルダを指定してください"},
                                           Refusal{"<missing>", "更新元フォルダが不正です。"}));

TEST_F(Search, CommandsAreRefusedWhileSearching) {
  writeFile(settings.file("NVO.ini"), "[Default]\nFrom=/kept\n");
  form->sourceFolderEdit->setText(QString::fromStdString(source()));
  bool checked = false;
  duringSearch([&] {
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    EXPECT_EQ(form->statusPanels->panelText(1), QStringLiteral("検索中です"));
    EXPECT_FALSE(form->copyButton->isEnabled());
    EXPECT_FALSE(form->copyAction->isEnabled());
    EXPECT_TRUE(form->abortButton->isEnabled());
    EXPECT_TRUE(form->abortAction->isEnabled());
    EXPECT_TRUE(form->sourceFolderEdit->isReadOnly());
    form->onSearch();  // a second search is refused
    form->exitAction->trigger();
    form->subfoldersCheckBox->click();
    checked = form->subfoldersCheckBox->isChecked();
    form->sinceDatePicker->setDate(QDate(2020, 1, 1));  // shown, not taken
  });
  form->searchButton->click();
  testing::awaitRunEnd(*form);
  EXPECT_TRUE(checked);
  EXPECT_TRUE(form->isVisible());
  EXPECT_EQ(form->resultModel()->rowCount(), 2);
  EXPECT_EQ(form->sinceDatePicker->date(), QDate(2020, 1, 1));
  EXPECT_EQ(civilDateOf(form->searchOptions().since), (CivilDate{2024, 5, 1}));
  EXPECT_EQ(testing::readFile(settings.file("NVO.ini")), "[Default]\nFrom=/kept\n");
}

TEST_F(Search, TheNextSearchTakesTheDayPickedWhileTheLastOneRan) {
  makeFile(source() + "/2020.txt", localTime(2020, 3, 4));
  form->sourceFolderEdit->setText(QString::fromStdString(source()));
  duringSearch([&] { form->sinceDatePicker->setDate(QDate(2019, 12, 7)); });
  form->searchButton->click();
  testing::awaitRunEnd(*form);
  EXPECT_EQ(column(0), (std::vector<QString>{"deeper.txt", "new.txt"}));

  form->searchButton->click();
  testing::awaitRunEnd(*form);
  EXPECT_EQ(column(0), (std::vector<QString>{"2020.txt", "deeper.txt", "new.txt", "old.txt"}));
  EXPECT_EQ(civilDateOf(form->searchOptions().since), (CivilDate{2019, 12, 7}));
}

TEST_F(Search, ShowsTheEntriesReadWhileItRunsAndTheTotalsAfter) {
  form->sourceFolderEdit->setText(QString::fromStdString(source()));
  QString shown;
  // The bar moves on after each text the walk's progress has shown.
  QObject::connect(form->progressBar, &QProgressBar::valueChanged, form.get(), [&] {
    if (form->running() && shown.isEmpty()) shown = form->statusPanels->panelText(2);
  });
  form->searchButton->click();
  testing::awaitRunEnd(*form);
  const QRegularExpressionMatch read =
      QRegularExpression(QStringLiteral("^([0-9]+) 項目を読みました$")).match(shown);
  ASSERT_TRUE(read.hasMatch()) << shown.toStdString();
  EXPECT_GE(read.captured(1).toInt(), 1);
  EXPECT_EQ(form->statusPanels->panelText(2), QStringLiteral("合計= 2個 (3.0 k バイト)"));
}

TEST_F(Search, ALongSearchEndingInAnotherWindowIsToldOnTheDesktop) {
  form->sourceFolderEdit->setText(QString::fromStdString(source()));
  form->setLongRunMilliseconds(0);
  QApplication::processEvents();  // the activation of the window just shown, before leaving it
  QApplication::setActiveWindow(nullptr);
  form->searchButton->click();
  testing::awaitRunEnd(*form);
  EXPECT_EQ(fakes.notifier.notes, (std::vector<std::string>{"Nuvelo: 検索が終了しました (2個)"}));
}

struct SearchKey {
  const char* name;
  Qt::Key key;
  Qt::KeyboardModifiers modifiers;
};

class SearchShortcut : public Search, public ::testing::WithParamInterface<SearchKey> {};

TEST_P(SearchShortcut, StartsTheSearch) {
  form->sourceFolderEdit->setText(QString::fromStdString(source()));
  form->sourceFolderEdit->setFocus();
  QTest::keyClick(form.get(), GetParam().key, GetParam().modifiers);
  testing::awaitRunEnd(*form);
  EXPECT_EQ(form->resultModel()->rowCount(), 2);
}

INSTANTIATE_TEST_SUITE_P(Keys, SearchShortcut,
                         ::testing::Values(SearchKey{"F5", Qt::Key_F5, Qt::NoModifier},
                                           SearchKey{"CtrlF", Qt::Key_F, Qt::ControlModifier}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Search, EscapeAbortsARunningSearchOnly) {
  form->sourceFolderEdit->setText(QString::fromStdString(source()));
  QTest::keyClick(form.get(), Qt::Key_Escape);  // nothing to abort: the next search runs
  EXPECT_FALSE(form->abortRequested());
  duringSearch([&] { QTest::keyClick(form.get(), Qt::Key_Escape); });
  form->searchButton->click();
  testing::awaitRunEnd(*form);
  EXPECT_EQ(form->resultModel()->rowCount(), 0);
  form->searchButton->click();
  testing::awaitRunEnd(*form);
  EXPECT_EQ(form->resultModel()->rowCount(), 2);
}

TEST_F(Search, AbortEndsWithAnEmptyListAndClearState) {
  form->sourceFolderEdit->setText(QString::fromStdString(source()));
  duringSearch([&] { form->abortButton->click(); });
  form->searchButton->click();
  testing::awaitRunEnd(*form);
  EXPECT_EQ(form->resultModel()->rowCount(), 0);
  EXPECT_TRUE(form->statusPanels->panelText(1).isEmpty());
  EXPECT_TRUE(form->statusPanels->panelText(2).isEmpty());
  EXPECT_FALSE(form->running());
  EXPECT_FALSE(form->abortRequested());

  duringSearch([&] { form->abortAction->trigger(); });  // the menu item aborts as well
  form->searchButton->click();
  testing::awaitRunEnd(*form);
  EXPECT_EQ(form->resultModel()->rowCount(), 0);
}

TEST_F(Search, ClosingDuringSearchClosesWhenItHasEnded) {
  form->sourceFolderEdit->setText(QString::fromStdString(source()));
  duringSearch([&] { form->close(); });
  form->searchButton->click();
  testing::awaitRunEnd(*form);
  QApplication::processEvents();
  EXPECT_FALSE(form->isVisible());
  EXPECT_TRUE(std::filesystem::exists(settings.file("NVO.ini")));
}

TEST_F(Search, PerFolderModeListsAFolderRowWithItsTreeSize) {
  makeFile(source() + "/pack/a.bin", localTime(2023, 1, 1), 3 * 1024 * 1024);
  makeFolder(source() + "/pack", localTime(2024, 5, 2));
  editDetailOptions(*form, [](DetailOptions& s) { s.search.perFolder = true; });
  form->sourceFolderEdit->setText(QString::fromStdString(source()));
  form->searchButton->click();
  testing::awaitRunEnd(*form);
  EXPECT_EQ(column(0), (std::vector<QString>{"new.txt", "pack", "sub"}));
  EXPECT_EQ(column(1), (std::vector<QString>{"1KB", "2KB", "3072KB"}));
}

TEST_F(Search, LinksAreListedAsLinksByTheirOwnTime) {
  std::filesystem::create_symlink(source() + "/old.txt", source() + "/to-old");
  form->sourceFolderEdit->setText(QString::fromStdString(source()));
  form->searchButton->click();
  testing::awaitRunEnd(*form);
  const auto& rows = form->resultModel()->rows();
  const auto link =
      std::find_if(rows.begin(), rows.end(), [](const ResultRow& r) { return r.link; });
  ASSERT_NE(link, rows.end());
  const int index = static_cast<int>(link - rows.begin());
  EXPECT_EQ(form->resultModel()->text(index, 0), QStringLiteral("to-old"));
  EXPECT_EQ(form->resultModel()->text(index, 1), QStringLiteral("0KB"));
  const auto file = std::find_if(rows.begin(), rows.end(),
                                 [](const ResultRow& r) { return r.name() == "new.txt"; });
  EXPECT_NE(form->resultModel()->text(index, 2),
            form->resultModel()->text(static_cast<int>(file - rows.begin()), 2));
}

// The detail settings' names leave out files and folders at any depth; the excluded subfolders
// still name one path below the source.
TEST_F(Search, ExcludedNamesLeaveOutFilesAndFoldersAtAnyDepth) {
  makeFile(source() + "/node_modules/top.js", localTime(2024, 5, 2));
  makeFile(source() + "/sub/node_modules/x/i.js", localTime(2024, 5, 2));
  makeFile(source() + "/sub/~$plan.docx", localTime(2024, 5, 2));
  makeFile(source() + "/sub/.x.tmp", localTime(2024, 5, 2));
  editDetailOptions(*form, [](DetailOptions& s) {
    s.search.excludedNames = {"node_modules", "~$*", "*.tmp"};
  });
  form->sourceFolderEdit->setText(QString::fromStdString(source()));
  form->searchButton->click();
  testing::awaitRunEnd(*form);
  EXPECT_EQ(column(0), (std::vector<QString>{"deeper.txt", "new.txt"}));
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(Search, TheDestinationInsideTheSourceIsLeftOut) {
  makeFile(source() + "/backup/new.txt", localTime(2024, 5, 2));
  form->sourceFolderEdit->setText(QString::fromStdString(source()));
  form->destinationFolderEdit->setText(QString::fromStdString(source() + "/./backup/"));
  form->searchButton->click();
  testing::awaitRunEnd(*form);
  EXPECT_EQ(column(0), (std::vector<QString>{"deeper.txt", "new.txt"}));
}

// One warning after the search, not one per folder; what could be read is still listed.
TEST_F(Search, FoldersThatCannotBeReadAreNamedInOneWarningAsOrdinaryUser) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every folder: ctest runs this as nobody";
  for (const char* locked : {"/locked-a", "/locked-b", "/sub/locked-c"}) {
    makeFile(source() + locked + "/x.txt", localTime(2024, 5, 2));
    chmod((source() + locked).c_str(), 0);
  }
  form->sourceFolderEdit->setText(QString::fromStdString(source()));
  form->searchButton->click();
  testing::awaitRunEnd(*form);
  for (const char* locked : {"/locked-a", "/locked-b", "/sub/locked-c"})
    chmod((source() + locked).c_str(), 0755);
  EXPECT_EQ(form->resultModel()->rowCount(), 2);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].kind, MessageKind::Warning);
  EXPECT_EQ(boxes.shown[0].placement, form->positionedPlacement());
  EXPECT_NE(boxes.shown[0].text.find("(3個)"), std::string::npos) << boxes.shown[0].text;
  EXPECT_NE(boxes.shown[0].text.find(source() + "/sub/locked-c"), std::string::npos);
  EXPECT_FALSE(form->running());
}

struct LabelCase {
  const char* lastCopyDate;
  const char* lastCopyStart;  // when that copy's list started (UTC), "" for none
  int pickedDay;              // of May 2024; 0: the picker keeps its date
  bool notADate;
  bool asksToCompare;  // a day after today: the comparison is offered instead (answered No)
};

class LastDateLabel : public ::testing::TestWithParam<LabelCase> {};

TEST_P(LastDateLabel, DoubleClickTakesTheDateOrReportsIt) {
  const LabelCase& c = GetParam();
  TempFolder settings;
  FakeServices fakes;
  FakeMessageBoxes& boxes = fakes.boxes;
  testing::writeFile(settings.file("NVO.ini"), std::string("[Default]\nLastCopyDate=") +
                                                   c.lastCopyDate +
                                                   "\nLastCopyStart=" + c.lastCopyStart + "\n");
  MainWindow form(fakes.services(), settings.file("NVO.ini"), settings.path());
  form.show();
  const QDate before = form.sinceDatePicker->date();
  QTest::mouseDClick(form.lastCopyDateLabel, Qt::LeftButton);
  if (c.pickedDay) {
    EXPECT_EQ(form.sinceDatePicker->date(), QDate(2024, 5, c.pickedDay));
    EXPECT_EQ(civilDateOf(form.searchOptions().since), (CivilDate{2024, 5, c.pickedDay}));
  } else {
    EXPECT_EQ(form.sinceDatePicker->date(), before);
  }
  EXPECT_EQ(boxes.applicationErrors.size(), c.notADate ? 1u : 0u);
  if (c.notADate) {
    EXPECT_EQ(boxes.applicationErrors[0],
              "'" + std::string(c.lastCopyDate).substr(0, 10) + "' は日付ではありません.");
  }
  ASSERT_EQ(boxes.shown.size(), c.asksToCompare ? 1u : 0u);
  if (c.asksToCompare) {
    EXPECT_EQ(boxes.shown[0].buttons, MessageButtons::YesNo);
    EXPECT_NE(boxes.shown[0].text.find(c.lastCopyDate), std::string::npos);
    EXPECT_FALSE(form.running());  // answered No: no search
  }

  form.setActivity(MainWindow::Activity::Searching);  // refused while a run goes on
  form.sinceDatePicker->setDate(QDate(2000, 1, 1));
  QTest::mouseDClick(form.lastCopyDateLabel, Qt::LeftButton);
  EXPECT_EQ(form.sinceDatePicker->date(), QDate(2000, 1, 1));
  form.setActivity(MainWindow::Activity::Idle);
}

INSTANTIATE_TEST_SUITE_P(
    Dates, LastDateLabel,
    ::testing::Values(LabelCase{"2024/05/01", "", 1, false, false},
                      LabelCase{"2024/13/45", "", 0, true, false},
                      LabelCase{"yesterday!", "", 0, true, false},
                      // Recorded where it was already 2 May: the list started on 1 May here.
                      LabelCase{"2024/05/02", "2024-05-01T12:00:00Z", 1, false, false},
                      LabelCase{"9999/12/31", "", 0, false, true},
                      LabelCase{"2024/05/01", "9999-01-01T00:00:00Z", 0, false, true}));

}  // namespace
}  // namespace nuvelo
