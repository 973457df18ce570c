#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "gui/dialogs/properties_dialog.h"
#include "gui/main_window/main_window.h"
#include "gui/results/result_list_view.h"
#include "gui/results/row_order.h"
#include "gui/widgets/status_bar.h"
#include "support/detail_settings_edit.h"
#include "support/fake_services.h"
#include "support/file_tree.h"
#include "support/run_wait.h"

namespace nuvelo {
namespace {

using testing::editDetailOptions;
using testing::FakeServices;
using testing::localTime;
using testing::TempFolder;

ResultRow row(const char* path, std::int64_t kib, timespec modified = localTime(2024, 5, 1)) {
  ResultRow r;
  r.pathText = path;
  r.sizeKiB = kib;
  r.modifiedSeconds = modified.tv_sec;
  return r;
}

class ResultList : public ::testing::Test {
 protected:
  void SetUp() override {
    form =
        std::make_unique<MainWindow>(fakes.services(), settings.file("NVO.ini"), settings.path());
    form->setDisplayFormats({"/", ":", "."});
    form->resize(700, 500);
    form->show();
    QApplication::setActiveWindow(form.get());
  }
  void setRows(std::vector<ResultRow> rows) {
    form->resultModel()->setRows(std::move(rows));
    QApplication::processEvents();
  }
  std::vector<std::string> paths() const {
    std::vector<std::string> out;
    for (const ResultRow& r : form->resultModel()->rows()) out.push_back(r.pathText);
    return out;
  }
  void select(int r) { form->resultList->setCurrentIndex(form->resultModel()->index(r, 0)); }
  QPoint centreOf(int r) const {
    return form->resultList->visualRect(form->resultModel()->index(r, 1)).center();
  }

  TempFolder settings;
  FakeServices fakes;
  std::unique_ptr<MainWindow> form;
};

struct ClickCase {
  std::vector<int> columns;
  std::int32_t sortColumn;
};

class SortState : public ResultList, public ::testing::WithParamInterface<ClickCase> {};

TEST_P(SortState, FollowsHeaderClicks) {
  for (int column : GetParam().columns) form->onResultColumnClicked(column);
  EXPECT_EQ(form->sortColumn(), GetParam().sortColumn);
}

INSTANTIATE_TEST_SUITE_P(Clicks, SortState,
                         ::testing::Values(ClickCase{{}, 0}, ClickCase{{0}, 1},
                                           ClickCase{{0, 0}, -1}, ClickCase{{0, 0, 0}, 1},
                                           ClickCase{{0, 0, 4}, 5}, ClickCase{{1, 3}, 4},
                                           ClickCase{{4, 4, 1}, 2}, ClickCase{{2, 2}, -3}));

// The arrow points up for ascending, down for descending, and goes when a new search lists
// its rows unsorted.
TEST_F(ResultList, SortArrowFollowsTheOrderAndGoesWithANewSearch) {
  setRows({row("/b", 1), row("/a", 2)});
  auto* header = static_cast<ResultHeader*>(form->resultList->header());
  form->onResultColumnClicked(0);
  EXPECT_EQ(header->arrowOf(0), QStyleOptionHeader::SortUp);
  EXPECT_EQ(header->arrowOf(1), QStyleOptionHeader::None);
  form->onResultColumnClicked(0);
  EXPECT_EQ(header->arrowOf(0), QStyleOptionHeader::SortDown);

  form->sourceFolderEdit->setText(QString::fromStdString(settings.path()));
  form->onSearch();
  testing::awaitRunEnd(*form);
  EXPECT_FALSE(header->isSortIndicatorShown());
  EXPECT_EQ(header->arrowOf(0), QStyleOptionHeader::None);
}

TEST_F(ResultList, SizesSortByTheirNumber) {
  setRows({row("/a", 100), row("/b", 9), row("/c", 10), row("/d", 10), row("/e", 3LL << 31)});
  form->resultList->header()->sectionClicked(1);  // a click on "サイズ"
  EXPECT_EQ(paths(), (std::vector<std::string>{"/b", "/c", "/d", "/a", "/e"}));  // 10KB twice: kept
  EXPECT_EQ(form->compareResultRows(1, 2), 0);
  EXPECT_LT(form->compareResultRows(0, 1), 0);
  form->resultList->header()->sectionClicked(1);
  EXPECT_EQ(paths(), (std::vector<std::string>{"/e", "/a", "/c", "/d", "/b"}));
  EXPECT_LT(form->compareResultRows(0, 1), 0);  // descending: the larger comes first
}

TEST_F(ResultList, DatesSortInTimeOrderAndRowsStayPutBeforeAnyClick) {
  setRows({row("/new", 1, localTime(2024, 1, 1, 0, 0, 0)),
           row("/old", 1, localTime(2023, 12, 31, 23, 59, 59)),
           row("/mid", 1, localTime(2023, 12, 31, 23, 59, 58))});
  EXPECT_EQ(paths(), (std::vector<std::string>{"/new", "/old", "/mid"}));
  form->onResultColumnClicked(3);
  EXPECT_EQ(paths(), (std::vector<std::string>{"/mid", "/old", "/new"}));
}

TEST_F(ResultList, NameThenPathAndANewSearchKeepsTheState) {
  setRows({row("/z/b.txt", 1), row("/a/c.txt", 1), row("/y/a.txt", 1)});
  form->onResultColumnClicked(0);
  EXPECT_EQ(paths(), (std::vector<std::string>{"/y/a.txt", "/z/b.txt", "/a/c.txt"}));
  form->onResultColumnClicked(0);
  EXPECT_EQ(paths(), (std::vector<std::string>{"/a/c.txt", "/z/b.txt", "/y/a.txt"}));
  form->onResultColumnClicked(4);
  EXPECT_EQ(paths(), (std::vector<std::string>{"/a/c.txt", "/y/a.txt", "/z/b.txt"}));

  // New rows arrive in their own order; the next click on the same header reverses the kept
  // direction.
  setRows({row("/b", 1), row("/c", 1), row("/a", 1)});
  EXPECT_EQ(form->sortColumn(), 5);
  form->onResultColumnClicked(4);
  EXPECT_EQ(paths(), (std::vector<std::string>{"/c", "/b", "/a"}));
}

TEST_F(ResultList, SelectionFollowsItsRowThroughASort) {
  setRows({row("/b", 1), row("/a", 2)});
  select(0);
  form->onResultColumnClicked(4);
  ASSERT_TRUE(form->selectedRow());
  EXPECT_EQ(form->resultModel()->rows()[static_cast<std::size_t>(*form->selectedRow())].pathText,
            "/b");
}

TEST_F(ResultList, CheckAllAndClearAllRecountUnlessBusy) {
  setRows({row("/a", 1), row("/b", 1)});
  form->uncheckAllButton->click();
  EXPECT_EQ(form->checkedTotals().count, 0);
  EXPECT_EQ(form->statusPanels->panelText(2), QStringLiteral("合計= 0個 (0 バイト)"));
  form->checkAllButton->click();
  EXPECT_EQ(form->checkedTotals().count, 2);
  EXPECT_EQ(form->statusPanels->panelText(2), QStringLiteral("合計= 2個 (2.0 k バイト)"));
  form->setActivity(MainWindow::Activity::Searching);
  form->uncheckAllButton->click();
  EXPECT_EQ(form->checkedTotals().count, 2);
  EXPECT_TRUE(form->resultModel()->rows()[0].checked);
  form->setActivity(MainWindow::Activity::Idle);
}

TEST_F(ResultList, ClickShowsTheDateAndMouseReleaseRecounts) {
  setRows({row("/a", 1, localTime(2024, 5, 1, 7, 8, 9)), row("/b", 1)});
  form->recountChecked();
  QTest::mouseClick(form->resultList->viewport(), Qt::LeftButton, {}, centreOf(0));
  EXPECT_EQ(form->statusPanels->panelText(1), QStringLiteral("2024/05/01 07:08:09"));

  // A keyboard toggle leaves the totals alone until the next mouse release over the list.
  form->resultList->setFocus();
  QTest::keyClick(form->resultList, Qt::Key_Space);
  ASSERT_FALSE(form->resultModel()->rows()[0].checked);
  EXPECT_EQ(form->checkedTotals().count, 2);
  QTest::mouseClick(form->resultList->viewport(), Qt::RightButton, {}, QPoint(5, 200));
  EXPECT_EQ(form->checkedTotals().count, 1);
}

struct OpenCase {
  std::errc failure;    // std::errc{}: the file opens
  const char* message;  // nullptr: none
};

class OpenRow : public ResultList, public ::testing::WithParamInterface<OpenCase> {};

TEST_P(OpenRow, OpensTheRowsFileAndReportsFailures) {
  setRows({row("sub/a.txt", 1)});
  form->setSearchRoot("/data");
  editDetailOptions(*form, [](DetailOptions& s) { s.copy.dirAbs = false; });
  if (GetParam().failure != std::errc{}) fakes.shell.result = failure(GetParam().failure);
  select(0);
  form->openResultAction->trigger();
  EXPECT_EQ(fakes.shell.opened, (std::vector<std::string>{"/data/sub/a.txt"}));
  if (GetParam().message) {
    ASSERT_EQ(fakes.boxes.shown.size(), 1u);
    EXPECT_EQ(fakes.boxes.shown[0].kind, MessageKind::Error);
    EXPECT_EQ(fakes.boxes.shown[0].text, GetParam().message);
    EXPECT_TRUE(fakes.boxes.shown[0].placement.centredOnScreen);
  } else {
    EXPECT_TRUE(fakes.boxes.shown.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Results, OpenRow,
    ::testing::Values(OpenCase{std::errc{}, nullptr},
                      OpenCase{std::errc::not_enough_memory, "メモリーが不足しています"},
                      OpenCase{std::errc::no_such_file_or_directory, "ファイルが見つかりません"},
                      OpenCase{std::errc::not_a_directory, "パスが見つかりません"},
                      OpenCase{std::errc::executable_format_error,
                               "関連づけされたアプリケーションが見つかりません"},
                      OpenCase{std::errc::permission_denied, "起動できませんでした"},
                      OpenCase{std::errc::io_error, "起動できませんでした"}));

TEST_F(ResultList, DoubleClickOpensTheSelectedRowEvenOnEmptySpace) {
  setRows({row("/abs/a.txt", 1)});
  QTest::mouseDClick(form->resultList->viewport(), Qt::LeftButton, {}, QPoint(5, 200));
  EXPECT_TRUE(fakes.shell.opened.empty());  // nothing selected
  select(0);
  QTest::mouseDClick(form->resultList->viewport(), Qt::LeftButton, {}, QPoint(5, 200));
  EXPECT_EQ(fakes.shell.opened, (std::vector<std::string>{"/abs/a.txt"}));
}

TEST_F(ResultList, PopupMenuItemsNeedASelectedRow) {
  EXPECT_EQ(form->resultMenu->actions(),
            (QList<QAction*>{form->propertiesAction, form->openResultAction}));
  EXPECT_EQ(form->propertiesAction->text(), QStringLiteral("プロパティ"));
  EXPECT_EQ(form->openResultAction->text(), QStringLiteral("表示"));
  EXPECT_EQ(form->resultMenu->defaultAction(), form->openResultAction);
  EXPECT_TRUE(form->openResultAction->font().bold());

  setRows({row("/abs/a.txt", 1)});
  form->onResultMenuAboutToShow();
  EXPECT_FALSE(form->propertiesAction->isEnabled());
  EXPECT_FALSE(form->openResultAction->isEnabled());
  form->onResultProperties();
  EXPECT_TRUE(fakes.shell.properties.empty());

  select(0);
  form->onResultMenuAboutToShow();
  EXPECT_TRUE(form->propertiesAction->isEnabled());
  EXPECT_TRUE(form->openResultAction->isEnabled());
  form->propertiesAction->trigger();
  EXPECT_EQ(fakes.shell.properties, (std::vector<std::string>{"/abs/a.txt"}));
  EXPECT_TRUE(fakes.boxes.shown.empty());
}

TEST(PropertiesWindow, NameTypeSizeLocationTimeAndPermissions) {
  TempFolder tree;
  const std::string path = tree.path() + "/report.txt";
  testing::makeFile(path, localTime(2024, 5, 1, 7, 8, 9), 2048);
  chmod(path.c_str(), 0640);
  const auto lines = PropertiesDialog::linesFor(path);
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[0].second, QStringLiteral("report.txt"));
  EXPECT_FALSE(lines[1].second.isEmpty());
  EXPECT_TRUE(lines[2].second.startsWith(QStringLiteral("2")));
  EXPECT_EQ(lines[3].second.toStdString(), tree.path());
  EXPECT_TRUE(lines[4].second.startsWith(QStringLiteral("2024")));
  EXPECT_EQ(lines[5].second, QStringLiteral("rw-r----- (0640)"));
  EXPECT_TRUE(PropertiesDialog::linesFor(tree.path() + "/gone").empty());
}

TEST(RowOrder, CollatorKeysAgreeWithTheComparison) {
  FileTypeTable types;
  const QCollator collator(QLocale(QLocale::English));
  std::vector<ResultRow> rows;
  for (const char* name : {"b", "B", "a", "ä", "A", "10", "9", "z", "É", "e"})
    rows.push_back(row((std::string("/x/") + name).c_str(), 1));
  for (std::int32_t column : {1, -1, 5}) {
    std::vector<ResultRow> sorted = rows;
    sortRows(sorted, column, types, collator);
    for (std::size_t i = 1; i < sorted.size(); ++i)
      EXPECT_LE(compareRows(sorted[i - 1], sorted[i], column, types, collator), 0)
          << column << " at " << i;
  }
}

}  // namespace
}  // namespace nuvelo
