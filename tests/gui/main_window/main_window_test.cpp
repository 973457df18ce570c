#include "gui/main_window/main_window.h"
#include "gui/results/result_list_view.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <QWindow>
#include <memory>

#include "gui/app/termination_signals.h"
#include "gui/dialogs/help_window.h"
#include "gui/results/result_list_model.h"
#include "gui/widgets/clickable_label.h"
#include "gui/widgets/status_bar.h"
#include "support/detail_settings_edit.h"
#include "support/fake_services.h"
#include "support/qt_printers.h"
#include "support/temp_folder.h"

namespace nuvelo {
namespace {

using testing::editDetailOptions;
using testing::FakeMessageBoxes;
using testing::FakeServices;
using testing::readFile;
using testing::TempFolder;
using testing::writeFile;

class MainWindowBehaviour : public ::testing::Test {
 protected:
  std::unique_ptr<MainWindow> open(const std::string& settingsPath) {
    auto form = std::make_unique<MainWindow>(fakes.services(), settingsPath, folder.path());
    form->show();
    QApplication::processEvents();
    return form;
  }
  std::unique_ptr<MainWindow> open() { return open(settingsPath()); }
  std::string settingsPath() const { return folder.file("NVO.ini"); }

  TempFolder folder;
  FakeServices fakes;
  FakeMessageBoxes& boxes = fakes.boxes;
};

TEST_F(MainWindowBehaviour, FirstStartShowsDefaults) {
  auto form = open();
  EXPECT_EQ(form->windowTitle(), "Nuvelo");
  EXPECT_TRUE(form->sourceFolderEdit->text().isEmpty());
  EXPECT_TRUE(form->destinationFolderEdit->text().isEmpty());
  EXPECT_FALSE(form->lastCopyDateLabel->isVisible());
  EXPECT_TRUE(form->subfoldersCheckBox->isChecked());
  EXPECT_TRUE(form->subfoldersSwitchKept());
  EXPECT_TRUE(form->detailOptions().copy.dirAbs);
  EXPECT_TRUE(form->detailOptions().copy.addDriveLetter);
  EXPECT_TRUE(form->detailOptions().showCopyNotice);
  EXPECT_FALSE(form->detailOptions().search.perFolder);
  EXPECT_EQ(form->detailOptions().copy.overwrite, 1);
  EXPECT_TRUE(form->detailOptions().search.excludedExtensions.empty());
  EXPECT_FALSE(form->running());
  EXPECT_FALSE(form->abortRequested());
  EXPECT_EQ(form->sortColumn(), 0);
  EXPECT_FALSE(form->copyRunning());
  // The design widths, where they hold the header and the texts; the type's header and the
  // date column's date and time need more.
  const int widths[] = {100, 80, 0, 0, 164};
  for (int c : {0, 1, 4}) EXPECT_EQ(form->resultList->columnWidth(c), widths[c]) << c;
  const QFontMetrics metrics(form->resultList->font());
  for (int c = 0; c < 5; ++c)
    EXPECT_GE(form->resultList->columnWidth(c), form->resultList->header()->sectionSizeHint(c))
        << c;
  EXPECT_GT(form->resultList->columnWidth(3),
            metrics.horizontalAdvance(QStringLiteral("2024/12/31 23:59:59")));
  EXPECT_EQ(form->pos(), QPoint(0, 0));
  EXPECT_EQ(form->size(), QSize(420, 440));
  EXPECT_EQ(form->sinceDatePicker->date(), QDate::currentDate());
  EXPECT_EQ(form->sinceDatePicker->displayFormat(), "yyyy/MM/dd");
  EXPECT_EQ(civilDateOf(form->searchOptions().since),
            (CivilDate{QDate::currentDate().year(), QDate::currentDate().month(),
                       QDate::currentDate().day()}));
  EXPECT_EQ(form->searchOptions().since,
            static_cast<double>(static_cast<long long>(form->searchOptions().since)));
  EXPECT_EQ(form->conditionFileFolder(), folder.path());
  EXPECT_FALSE(form->progressBar->isVisible());
  EXPECT_EQ(form->progressBar->parentWidget(), form->statusPanels);
  EXPECT_EQ(form->progressBar->pos(), QPoint(2, 2));
}

TEST_F(MainWindowBehaviour, ReadsHandEditedSettings) {
  writeFile(settingsPath(),
            "; my settings\n[Default]\nFrom=/data/src\nTo=/media/dst\nLastCopyDate=2024/05/01\n"
            "[Option]\nDirAbs=0\nAddDriveLetter=0\nDirKAI=0\nShowResult=0\nPickupFolder=1\n"
            "Overwrite=0x2\nEscExt=bak, tmp\n"
            "[ListView]\nColumn0Width=120\nColumn4Width=200\n"
            "[Window]\nTop=40\nLeft=30\nHeight=500\nWidth=600\n");
  auto form = open();
  EXPECT_EQ(form->sourceFolderEdit->text(), "/data/src");
  EXPECT_EQ(form->destinationFolderEdit->text(), "/media/dst");
  EXPECT_TRUE(form->lastCopyDateLabel->isVisible());
  EXPECT_EQ(form->lastCopyDateLabel->text(), "(2024/05/01) ");
  EXPECT_EQ(form->lastCopyDateLabel->toolTip(), "前回コピーした日付です");
  EXPECT_FALSE(form->detailOptions().copy.dirAbs);
  EXPECT_FALSE(form->detailOptions().copy.addDriveLetter);
  EXPECT_FALSE(form->detailOptions().showCopyNotice);
  EXPECT_TRUE(form->detailOptions().search.perFolder);
  EXPECT_EQ(form->detailOptions().copy.overwrite, 2);
  EXPECT_EQ(form->detailOptions().search.excludedExtensions,
            (std::vector<std::string>{"bak", "tmp"}));
  EXPECT_EQ(form->resultList->columnWidth(0), 120);
  EXPECT_EQ(form->resultList->columnWidth(1), 80);
  EXPECT_EQ(form->pos(), QPoint(30, 40));
  EXPECT_EQ(form->size(), QSize(600, 500));

  // The unchecked switch ran its click handler: the excluded-subfolder controls are off.
  EXPECT_FALSE(form->subfoldersCheckBox->isChecked());
  EXPECT_FALSE(form->subfoldersSwitchKept());
  for (QWidget* w : {static_cast<QWidget*>(form->excludedSubfoldersLabel),
                     static_cast<QWidget*>(form->excludedSubfoldersList),
                     static_cast<QWidget*>(form->addExcludedSubfolderButton),
                     static_cast<QWidget*>(form->removeExcludedSubfolderButton)})
    EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
}

TEST_F(MainWindowBehaviour, CloseSavesSettingsKeepingForeignLinesAndNextStartReadsThem) {
  writeFile(settingsPath(), "; keep me\n[Default]\nLastCopyDate=2024/05/01\n[Mine]\nx=1\n");
  {
    auto form = open();
    form->sourceFolderEdit->setText(QStringLiteral("/home/u/文書"));
    form->destinationFolderEdit->setText(QStringLiteral("/media/backup"));
    form->subfoldersCheckBox->setChecked(false);
    editDetailOptions(*form, [](DetailOptions& s) {
      s.search.excludedExtensions = {"bak", "a b"};
      s.copy.overwrite = 0;
    });
    form->resultList->setColumnWidth(3, 160);  // wider than the date and time
    form->move(12, 34);
    form->resize(500, 460);
    EXPECT_TRUE(form->close());
  }
  const std::string saved = readFile(settingsPath());
  EXPECT_EQ(saved.rfind("; keep me\n[Default]\nLastCopyDate=2024/05/01\nFrom=/home/u/文書\n", 0),
            0u)
      << saved;
  EXPECT_NE(saved.find("[Mine]\nx=1\n"), std::string::npos);
  EXPECT_EQ(saved.find("DirAbs"), std::string::npos);
  EXPECT_EQ(saved.find("AddDriveLetter"), std::string::npos);

  auto again = open();
  EXPECT_EQ(again->sourceFolderEdit->text(), QStringLiteral("/home/u/文書"));
  EXPECT_EQ(again->destinationFolderEdit->text(), "/media/backup");
  EXPECT_FALSE(again->subfoldersCheckBox->isChecked());
  EXPECT_EQ(again->detailOptions().search.excludedExtensions,
            (std::vector<std::string>{"bak", "a b"}));
  EXPECT_EQ(again->detailOptions().copy.overwrite, 0);
  EXPECT_EQ(again->resultList->columnWidth(3), 160);
  EXPECT_EQ(again->pos(), QPoint(12, 34));
  EXPECT_EQ(again->size(), QSize(500, 460));
}

TEST_F(MainWindowBehaviour, ExitIsRefusedWhileBusy) {
  writeFile(settingsPath(), "[Default]\nFrom=/a\n");
  auto form = open();
  form->setActivity(MainWindow::Activity::Searching);
  form->exitAction->trigger();
  QApplication::processEvents();
  EXPECT_TRUE(form->isVisible());
  EXPECT_EQ(readFile(settingsPath()), "[Default]\nFrom=/a\n");

  form->setActivity(MainWindow::Activity::Idle);
  form->exitAction->trigger();
  EXPECT_FALSE(form->isVisible());
  EXPECT_NE(readFile(settingsPath()).find("[Window]"), std::string::npos);
}

class TerminationSignal : public MainWindowBehaviour, public ::testing::WithParamInterface<bool> {};

// SIGTERM closes as the close box does, saving the settings, also with the help window open:
// the help belongs to the main window (a window with a transient parent never keeps the
// program running once the main window has closed).
TEST_P(TerminationSignal, ClosesLikeTheCloseBox) {
  const bool helpOpen = GetParam();
  TempFolder helpFolder;
  testing::writeFile(helpFolder.file("nuvelo.HLP"), "<html><body>help</body></html>");
  QtHelpViewer help;
  auto form = open();
  help.setOwner(form.get());
  if (helpOpen) {
    ASSERT_TRUE(help.showContents(helpFolder.file("nuvelo.HLP")));
  }
  form->sourceFolderEdit->setText(QStringLiteral("/from/signal"));
  {
    TerminationSignalCloser closer(form.get());
    raise(SIGTERM);
    for (int i = 0; i < 10 && form->isVisible(); ++i) QApplication::processEvents();
  }
  EXPECT_FALSE(form->isVisible());
  EXPECT_NE(readFile(settingsPath()).find("From=/from/signal"), std::string::npos);
  if (helpOpen) {
    ASSERT_NE(help.window(), nullptr);
    EXPECT_EQ(help.window()->windowHandle()->transientParent(), form->windowHandle());
  }
}

INSTANTIATE_TEST_SUITE_P(HelpWindow, TerminationSignal, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Open" : "Closed"; });

// A settings file that cannot be written is told once, and the window closes all the same: it
// must not keep the program (or a logout) waiting.
TEST_F(MainWindowBehaviour, FailedSettingsWriteIsToldOnceAndTheWindowCloses) {
  writeFile(folder.file("plain"), "");
  const std::string badPath = folder.file("plain") + "/NVO.ini";  // its folder is a file
  auto form = open(badPath);
  form->sourceFolderEdit->setText(QStringLiteral("/data"));
  EXPECT_TRUE(form->close());
  ASSERT_EQ(boxes.applicationErrors.size(), 1u);
  EXPECT_EQ(boxes.applicationErrors[0], badPath + " に書き込めません.");
  EXPECT_FALSE(form->isVisible());
}

// SIGTERM with no one to answer a box: the failure goes to stderr and the window closes.
TEST_F(MainWindowBehaviour, FailedSettingsWriteOnATerminationSignalGoesToStderr) {
  writeFile(folder.file("plain"), "");
  const std::string badPath = folder.file("plain") + "/NVO.ini";
  auto form = open(badPath);
  ::testing::internal::CaptureStderr();
  {
    TerminationSignalCloser closer(form.get());
    raise(SIGTERM);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !form->isVisible(); }, 5000));
  }
  const std::string stderrText = ::testing::internal::GetCapturedStderr();
  EXPECT_FALSE(form->isVisible());
  EXPECT_TRUE(boxes.applicationErrors.empty());
  EXPECT_NE(stderrText.find(badPath + " に書き込めません"), std::string::npos) << stderrText;
}

// What each activity leaves enabled and editable: neither run starts while the other goes on,
// the folder box a run reads cannot be edited, and idle is the window as it opened.
TEST_F(MainWindowBehaviour, ActivitySetsCommandsFolderBoxesAndStatus) {
  struct Case {
    MainWindow::Activity activity;
    bool searchEnabled, copyEnabled, abortEnabled, sourceReadOnly, destinationReadOnly;
    const char* status;
  };
  const Case cases[] = {
      {MainWindow::Activity::Searching, true, false, true, true, false, "検索中です"},
      {MainWindow::Activity::Idle, true, true, false, false, false, ""},
      {MainWindow::Activity::Copying, false, true, true, false, true, "コピー中です"},
      {MainWindow::Activity::Idle, true, true, false, false, false, ""},
  };
  auto form = open();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.status);
    form->setActivity(c.activity);
    EXPECT_EQ(form->running(), c.activity != MainWindow::Activity::Idle);
    EXPECT_EQ(form->searchButton->isEnabled(), c.searchEnabled);
    EXPECT_EQ(form->searchAction->isEnabled(), c.searchEnabled);
    EXPECT_EQ(form->copyButton->isEnabled(), c.copyEnabled);
    EXPECT_EQ(form->copyAction->isEnabled(), c.copyEnabled);
    EXPECT_EQ(form->abortButton->isEnabled(), c.abortEnabled);
    EXPECT_EQ(form->abortAction->isEnabled(), c.abortEnabled);
    EXPECT_EQ(form->sourceFolderEdit->isReadOnly(), c.sourceReadOnly);
    EXPECT_EQ(form->destinationFolderEdit->isReadOnly(), c.destinationReadOnly);
    EXPECT_EQ(form->statusPanels->panelText(1), QString::fromUtf8(c.status));
    EXPECT_EQ(QApplication::overrideCursor() != nullptr, form->running());
  }
  EXPECT_TRUE(form->progressBar->isHidden());
}

TEST_F(MainWindowBehaviour, SubfolderSwitchIsPutBackWhileBusy) {
  auto form = open();
  form->setActivity(MainWindow::Activity::Searching);
  form->subfoldersCheckBox->click();
  EXPECT_TRUE(form->subfoldersCheckBox->isChecked());
  EXPECT_TRUE(form->excludedSubfoldersList->isEnabled());

  form->setActivity(MainWindow::Activity::Idle);
  form->subfoldersCheckBox->click();
  EXPECT_FALSE(form->subfoldersCheckBox->isChecked());
  EXPECT_FALSE(form->subfoldersSwitchKept());
  EXPECT_FALSE(form->addExcludedSubfolderButton->isEnabled());
  form->subfoldersCheckBox->click();
  EXPECT_TRUE(form->subfoldersSwitchKept());
  EXPECT_TRUE(form->removeExcludedSubfolderButton->isEnabled());
}

TEST_F(MainWindowBehaviour, CaptionsHintsAndDesignStates) {
  auto form = open();
  const std::pair<QWidget*, const char*> texts[] = {
      {form->sinceDateLabel, "更新日付："},
      {form->sinceDateSuffixLabel, "以降に更新されたもの"},
      {form->sourceFolderLabel, "検索元："},
      {form->browseSourceButton, "参照..."},
      {form->subfoldersCheckBox, "下位フォルダも対象とする"},
      {form->excludedSubfoldersLabel, "除外するサブフォルダ"},
      {form->addExcludedSubfolderButton, "ADD..."},
      {form->removeExcludedSubfolderButton, "DEL..."},
      {form->destinationFolderLabel, "コピー先："},
      {form->browseDestinationButton, "参照..."},
      {form->resultLabel, "検索結果"},
      {form->checkAllButton, "すべてを選択"},
      {form->uncheckAllButton, "選択解除"},
      {form->searchButton, "検索"},
      {form->copyButton, "コピー"},
      {form->abortButton, "中止"},
  };
  for (const auto& [widget, text] : texts) {
    const QVariant shown = widget->property("text");
    EXPECT_EQ(shown.toString(), QString::fromUtf8(text)) << widget->objectName().toStdString();
  }
  EXPECT_EQ(form->searchButton->toolTip(), "検索を開始します");
  EXPECT_EQ(form->copyButton->toolTip(), "コピーを開始します");
  EXPECT_EQ(form->abortButton->toolTip(), "処理を中止します");
  EXPECT_FALSE(form->abortButton->isEnabled());
  EXPECT_EQ(form->sinceDatePicker->minimumDate(), QDate(1901, 1, 1));
  EXPECT_EQ(form->sinceDatePicker->maximumDate(), QDate(2100, 1, 1));
  EXPECT_TRUE(form->sinceDatePicker->calendarPopup());
  EXPECT_EQ(form->minimumSize(), QSize(420, 380));

  const char* headers[] = {"ファイル名", "サイズ", "ファイルの種類", "更新日時", "パス"};
  for (int c = 0; c < 5; ++c) {
    EXPECT_EQ(form->resultModel()->headerData(c, Qt::Horizontal).toString(),
              QString::fromUtf8(headers[c]));
    const auto alignment = form->resultModel()
                               ->headerData(c, Qt::Horizontal, Qt::TextAlignmentRole)
                               .value<Qt::Alignment>();
    EXPECT_EQ(bool(alignment & Qt::AlignRight), c == 1) << c;
  }

  // Panel 1 holds a row's date and time whole, wider than its design width where needed.
  EXPECT_EQ(form->statusPanels->panel(0)->width(), 120);
  const QLabel* panel1 = form->statusPanels->panel(1);
  EXPECT_GE(panel1->width(), 130);
  EXPECT_GT(panel1->contentsRect().width() - 2 * panel1->indent(),
            panel1->fontMetrics().horizontalAdvance(QStringLiteral("2024/12/31 23:59:59")));
  EXPECT_EQ(form->statusPanels->panelCount(), 3);
}

TEST_F(MainWindowBehaviour, MenusHoldEveryItemInOrder) {
  auto form = open();
  const std::vector<std::pair<QMenu*, std::vector<const char*>>> menus = {
      {form->fileMenu,
       {"条件ファイルを開く(&O)...", "条件ファイルに保存(&S)...", "ジョブファイルに保存(&J)...",
        "-", "終了(&X)"}},
      {form->runMenu,
       {"検索(&F)", "コピー先と比べて検索(&M)", "コピー(&C)", "-", "中止(&X)", "-",
        "実行記録(&L)..."}},
      {form->settingsMenu,
       {"更新日付(&D)", "検索元(&F)...", "コピー先(&T)...", "-", "詳細設定(&S)..."}},
      {form->helpMenu, {"目次(&H)...", "バージョン情報(&V)..."}},
  };
  const QList<QAction*> bar = form->menuBar()->actions();
  ASSERT_EQ(bar.size(), 4);
  const char* titles[] = {"ファイル(&F)", "実行(&R)", "設定(&S)", "ヘルプ(&H)"};
  for (int m = 0; m < 4; ++m) {
    EXPECT_EQ(bar[m]->text(), QString::fromUtf8(titles[m]));
    EXPECT_EQ(bar[m]->menu(), menus[static_cast<std::size_t>(m)].first);
  }
  for (const auto& [menu, items] : menus) {
    const QList<QAction*> actions = menu->actions();
    ASSERT_EQ(static_cast<std::size_t>(actions.size()), items.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
      if (std::string(items[i]) == "-")
        EXPECT_TRUE(actions[static_cast<qsizetype>(i)]->isSeparator());
      else
        EXPECT_EQ(actions[static_cast<qsizetype>(i)]->text(), QString::fromUtf8(items[i]));
    }
  }
  EXPECT_FALSE(form->abortAction->isEnabled());
}

TEST_F(MainWindowBehaviour, TabOrderFollowsTheForm) {
  auto form = open();
  const std::vector<QWidget*> expected = {form->searchButton,
                                          form->sourceFolderEdit,
                                          form->browseSourceButton,
                                          form->subfoldersCheckBox,
                                          form->destinationFolderEdit,
                                          form->browseDestinationButton,
                                          form->copyButton,
                                          form->sinceDatePicker,
                                          form->excludedSubfoldersList,
                                          form->addExcludedSubfolderButton,
                                          form->removeExcludedSubfolderButton,
                                          form->checkAllButton,
                                          form->uncheckAllButton,
                                          form->resultList};  // Button5 is disabled at design
  std::vector<QWidget*> seen;
  QWidget* w = form->searchButton;
  do {
    const bool listed = std::find(expected.begin(), expected.end(), w) != expected.end();
    if (listed && w->isEnabled() && std::find(seen.begin(), seen.end(), w) == seen.end())
      seen.push_back(w);
    w = w->nextInFocusChain();
  } while (w != form->searchButton);
  EXPECT_EQ(seen, expected);
}

}  // namespace
}  // namespace nuvelo
