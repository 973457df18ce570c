#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCompleter>
#include <QDate>
#include <QDateEdit>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>
#include <memory>

#include "engine/settings/condition_file.h"
#include "gui/main_window/main_window.h"
#include "gui/results/result_list_view.h"
#include "gui/widgets/folder_box.h"
#include "platform/qt/qt_file_dialogs.h"
#include "support/detail_settings_edit.h"
#include "support/fake_portal.h"
#include "support/fake_services.h"
#include "support/file_tree.h"
#include "support/folder_browser.h"
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

class Pickers : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(source() + "/obj/debug");
    form =
        std::make_unique<MainWindow>(fakes.services(), settings.file("NVO.ini"), settings.path());
    form->show();
    QApplication::setActiveWindow(form.get());
  }
  std::string source() const { return tree.path() + "/work"; }
  QString q(const std::string& s) const { return QString::fromStdString(s); }

  TempFolder tree;
  TempFolder settings;
  FakeServices fakes;
  std::unique_ptr<MainWindow> form;
};

struct DropCase {
  const char* name;
  std::vector<std::string> dropped;  // relative to the tree; "text:" drops plain text
  bool takenWhenEditable;
};

class FolderDrop : public Pickers, public ::testing::WithParamInterface<DropCase> {
 protected:
  // Drags the case's data over the box and drops it; whether the box took it.
  bool drop(QLineEdit& box) {
    QMimeData data;
    QList<QUrl> urls;
    for (const std::string& item : GetParam().dropped) {
      if (item.starts_with("text:"))
        data.setText(q(item.substr(5)));
      else
        urls << QUrl::fromLocalFile(q(tree.path() + "/" + item));
    }
    if (!urls.isEmpty()) data.setUrls(urls);
    // A file manager offers a move or a copy and proposes the move; the box copies.
    const QPoint middle = box.rect().center();
    const Qt::DropActions offered = Qt::MoveAction | Qt::CopyAction;
    QDragEnterEvent enter(middle, offered, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&box, &enter);
    QDropEvent dropped(middle, offered, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&box, &dropped);
    const bool taken = enter.isAccepted() && dropped.isAccepted();
    if (taken) {
      EXPECT_EQ(dropped.dropAction(), Qt::CopyAction);
    }
    return taken;
  }
};

// A folder from a file manager replaces the text of either box; anything else is refused, and
// a box a run is reading takes nothing.
TEST_P(FolderDrop, TakesOneExistingFolder) {
  std::filesystem::create_directories(tree.path() + "/other folder");
  writeFile(tree.path() + "/file.txt", "");
  for (QLineEdit* box : {form->sourceFolderEdit, form->destinationFolderEdit}) {
    box->setText(QStringLiteral("/typed"));
    EXPECT_EQ(drop(*box), GetParam().takenWhenEditable) << box->objectName().toStdString();
    const std::string first = tree.path() + "/" + GetParam().dropped.front();
    EXPECT_EQ(box->text(), GetParam().takenWhenEditable ? q(first) : QStringLiteral("/typed"));

    box->setText(QStringLiteral("/typed"));
    box->setReadOnly(true);
    EXPECT_FALSE(drop(*box));
    EXPECT_EQ(box->text(), QStringLiteral("/typed"));
    box->setReadOnly(false);
  }
}

INSTANTIATE_TEST_SUITE_P(Drops, FolderDrop,
                         ::testing::Values(DropCase{"Folder", {"other folder"}, true},
                                           DropCase{"File", {"file.txt"}, false},
                                           DropCase{"Missing", {"gone"}, false},
                                           DropCase{"TwoFolders", {"other folder", "work"}, false},
                                           DropCase{"Text", {"text:/some/where"}, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// The folders searched and copied to are remembered, newest first, across starts.
TEST_F(Pickers, RecentFoldersCompleteBothBoxesAndAreKept) {
  const std::string destination = tree.path() + "/backup";
  std::filesystem::create_directories(destination);
  writeFile(source() + "/a.txt", "");
  form->sinceDatePicker->setDate(QDate(2000, 1, 1));
  form->sourceFolderEdit->setText(q(tree.path()));
  form->onSearch();
  testing::awaitRunEnd(*form);
  form->sourceFolderEdit->setText(q(source()));
  form->onSearch();
  testing::awaitRunEnd(*form);
  form->destinationFolderEdit->setText(q(destination));
  form->onCopy();
  testing::awaitRunEnd(*form);
  EXPECT_EQ(form->sourceFolderBox->recent(), (std::vector<std::string>{source(), tree.path()}));
  EXPECT_EQ(form->destinationFolderBox->recent(), (std::vector<std::string>{destination}));
  ASSERT_TRUE(form->close());

  MainWindow again(fakes.services(), settings.file("NVO.ini"), settings.path());
  EXPECT_EQ(again.sourceFolderBox->recent(), (std::vector<std::string>{source(), tree.path()}));
  QAbstractItemModel* offered = again.sourceFolderEdit->completer()->model();
  ASSERT_EQ(offered->rowCount(), 2);
  EXPECT_EQ(offered->index(0, 0).data().toString(), q(source()));
  EXPECT_EQ(again.destinationFolderEdit->completer()->model()->rowCount(), 1);
}

TEST_F(Pickers, BrowseFillsTheBoxWithoutATrailingSeparator) {
  form->sourceFolderEdit->setText(QStringLiteral("/typed"));
  fakes.files.answers = {std::string("/chosen/folder/")};
  form->browseSourceButton->click();
  EXPECT_EQ(fakes.files.folderStarts, (std::vector<std::string>{"/typed"}));
  EXPECT_EQ(form->sourceFolderEdit->text(), QStringLiteral("/chosen/folder"));
  EXPECT_TRUE(form->sourceFolderEdit->hasFocus());

  form->destinationFolderEdit->setText(QStringLiteral("/typed/"));
  form->destinationFolderAction->trigger();  // cancelled: the box's own text, its trailing "/" gone
  EXPECT_EQ(form->destinationFolderEdit->text(), QStringLiteral("/typed"));

  fakes.files.answers = {std::string("/")};
  form->sourceFolderAction->trigger();
  EXPECT_EQ(form->sourceFolderEdit->text(), QStringLiteral("/"));  // the root keeps its separator

  form->setActivity(MainWindow::Activity::Searching);
  form->browseDestinationButton->click();
  EXPECT_EQ(fakes.files.folderStarts.size(), 3u);
  form->setActivity(MainWindow::Activity::Idle);
}

// The commands that open the folder browser.
enum class Browse { Source, Destination, SourceMenu, DestinationMenu, Excluded };

void browse(MainWindow& form, Browse command) {
  switch (command) {
    case Browse::Source:
      form.browseSourceButton->click();
      break;
    case Browse::Destination:
      form.browseDestinationButton->click();
      break;
    case Browse::SourceMenu:
      form.sourceFolderAction->trigger();
      break;
    case Browse::DestinationMenu:
      form.destinationFolderAction->trigger();
      break;
    case Browse::Excluded:
      form.addExcludedSubfolderButton->click();
      break;
  }
}

struct OpenBrowserCase {
  const char* name;
  Browse opener;
  // The boxes and the list once the browser answered the source folder's "obj" ("~" stands
  // for the source folder).
  const char* source;
  const char* destination;
  QStringList excluded;
};

class OpenBrowser : public Pickers, public ::testing::WithParamInterface<OpenBrowserCase> {
 protected:
  QString expected(const char* text) const {
    return QString::fromUtf8(text).replace(QLatin1Char('~'), q(source()));
  }
};

// While a folder browser is open no command opens another, and its answer goes once, to the
// command that opened it; then the commands open browsers again.
TEST_P(OpenBrowser, TakesNoOtherBrowseAndAnswersItsOwnCommand) {
  form->sourceFolderEdit->setText(q(source()));
  form->destinationFolderEdit->setText(QStringLiteral("/backup"));
  fakes.files.holdFolderBrowser = true;
  fakes.files.answers = {source() + "/obj"};
  browse(*form, GetParam().opener);
  ASSERT_EQ(fakes.files.folderStarts.size(), 1u);
  for (Browse other : {Browse::Source, Browse::Destination, Browse::SourceMenu,
                       Browse::DestinationMenu, Browse::Excluded})
    browse(*form, other);
  EXPECT_EQ(fakes.files.folderStarts.size(), 1u);

  fakes.files.closeFolderBrowser();
  EXPECT_EQ(form->sourceFolderEdit->text(), expected(GetParam().source));
  EXPECT_EQ(form->destinationFolderEdit->text(), expected(GetParam().destination));
  EXPECT_EQ(items(form->excludedSubfoldersList), GetParam().excluded);

  browse(*form, GetParam().opener);
  EXPECT_EQ(fakes.files.folderStarts.size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(
    Openers, OpenBrowser,
    ::testing::Values(OpenBrowserCase{"Source", Browse::Source, "~/obj", "/backup", {}},
                      OpenBrowserCase{"DestinationMenu", Browse::DestinationMenu, "~", "~/obj", {}},
                      OpenBrowserCase{"Excluded", Browse::Excluded, "~", "/backup", {"/obj"}}),
    [](const auto& info) { return std::string(info.param.name); });

// The window that opened a browser may close before it answers: the answer goes nowhere.
TEST_F(Pickers, AnAnswerAfterTheWindowClosedGoesNowhere) {
  fakes.files.holdFolderBrowser = true;
  fakes.files.answers = {source()};
  form->browseSourceButton->click();
  form.reset();
  fakes.files.closeFolderBrowser();
  EXPECT_TRUE(fakes.files.answers.empty());
}

// The desktop's own dialog belongs to another program: the window keeps itself from input
// until it answers, and the answer fills the box whose button opened it.
TEST_F(Pickers, TheDesktopsDialogKeepsTheWindowFromInputAndFillsItsOwnBox) {
  testing::PrivateBus bus;
  if (!bus.running()) GTEST_SKIP() << "dbus-daemon could not start";
  testing::FakePortal portal(bus, testing::PortalManner::Holds);
  ASSERT_TRUE(portal.registered());
  QtFileDialogs dialogs;
  dialogs.useFolderPortal(bus.connect(), testing::HangBoundMs);
  MainWindowServices services = fakes.services();
  services.files = &dialogs;
  MainWindow window(services, settings.file("desktop.ini"), settings.path());
  dialogs.setOwner(&window);
  window.show();
  QApplication::setActiveWindow(&window);
  window.sourceFolderEdit->setText(QStringLiteral("/typed/source"));
  window.destinationFolderEdit->setText(QStringLiteral("/typed/destination"));

  QTest::mouseClick(window.browseSourceButton, Qt::LeftButton);
  ASSERT_TRUE(QTest::qWaitFor([&] { return portal.openFileCalls == 1; }, testing::HangBoundMs));
  EXPECT_FALSE(window.browseDestinationButton->isEnabled());
  EXPECT_FALSE(window.menuBar()->isEnabled());
  QTest::mouseClick(window.browseDestinationButton, Qt::LeftButton);

  portal.respond(0, {QStringLiteral("file:///chosen/folder/")});
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return window.sourceFolderEdit->text() == QStringLiteral("/chosen/folder"); },
      testing::HangBoundMs));
  EXPECT_EQ(window.destinationFolderEdit->text(), QStringLiteral("/typed/destination"));
  EXPECT_TRUE(window.browseDestinationButton->isEnabled());
  EXPECT_TRUE(window.sourceFolderEdit->hasFocus());
  EXPECT_EQ(portal.openFileCalls, 1);
}

struct AddCase {
  const char* name;
  const char* chosen;  // relative to the tree; "" answers nothing (cancel)
  const char* added;   // nullptr: nothing added
  bool message;
};

class ExcludedAdd : public Pickers, public ::testing::WithParamInterface<AddCase> {};

TEST_P(ExcludedAdd, AddsTheEntryBelowTheSource) {
  form->sourceFolderEdit->setText(q(source()));
  if (*GetParam().chosen) fakes.files.answers = {tree.path() + GetParam().chosen};
  form->addExcludedSubfolderButton->click();
  ASSERT_EQ(fakes.files.folderStarts, (std::vector<std::string>{source()}));
  EXPECT_EQ(items(form->excludedSubfoldersList),
            GetParam().added ? QStringList{GetParam().added} : QStringList{});
  if (GetParam().message) {
    ASSERT_EQ(fakes.boxes.shown.size(), 1u);
    EXPECT_EQ(fakes.boxes.shown[0].text, "\"" + source() + "\"\rの下位フォルダを指定してください");
    EXPECT_EQ(fakes.boxes.shown[0].kind, MessageKind::Error);
    EXPECT_TRUE(fakes.boxes.shown[0].placement.centredOnScreen);
  } else {
    EXPECT_TRUE(fakes.boxes.shown.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(Choices, ExcludedAdd,
                         ::testing::Values(AddCase{"Below", "/work/obj/debug", "/obj/debug", false},
                                           AddCase{"Itself", "/work", nullptr, false},
                                           AddCase{"Cancelled", "", nullptr, false},
                                           AddCase{"Sibling", "/work2/x", nullptr, true},
                                           AddCase{"Above", "/", nullptr, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// The source is cleaned as the search cleans it: an entry added while the box ends in "/"
// still starts with "/" and really excludes its folder.
TEST_F(Pickers, ASourceTypedWithTrailingSeparatorsStillExcludes) {
  testing::makeFile(source() + "/obj/debug/build.o", testing::localTime(2024, 5, 2));
  testing::makeFile(source() + "/kept.txt", testing::localTime(2024, 5, 2));
  form->sinceDatePicker->setDate(QDate(2024, 5, 1));
  editDetailOptions(*form, [](DetailOptions& s) { s.copy.dirAbs = false; });
  for (const char* typed : {"/", "//", "/./"}) {
    SCOPED_TRACE(typed);
    form->excludedSubfoldersList->clear();
    form->sourceFolderEdit->setText(q(source() + typed));
    fakes.files.answers = {source() + "/obj/debug"};
    form->addExcludedSubfolderButton->click();
    EXPECT_EQ(items(form->excludedSubfoldersList), QStringList{QStringLiteral("/obj/debug")});
    form->onSearch();
    testing::awaitRunEnd(*form);
    EXPECT_EQ(form->sourceFolderEdit->text(), q(source()));
    ASSERT_EQ(form->resultModel()->rowCount(), 1);
    EXPECT_EQ(form->resultModel()->rows()[0].pathText, "kept.txt");
  }
}

TEST_F(Pickers, AddingTwiceKeepsOneAndDeleteRemovesTheSelected) {
  form->sourceFolderEdit->setText(q(source()));
  fakes.files.answers = {source() + "/obj/debug", source() + "/obj/debug", source() + "/obj"};
  form->onAddExcludedSubfolder();
  form->onAddExcludedSubfolder();
  form->onAddExcludedSubfolder();
  EXPECT_EQ(items(form->excludedSubfoldersList), (QStringList{"/obj/debug", "/obj"}));

  form->removeExcludedSubfolderButton->click();  // nothing selected
  EXPECT_EQ(form->excludedSubfoldersList->count(), 2);
  form->excludedSubfoldersList->setCurrentRow(0);
  form->removeExcludedSubfolderButton->click();
  EXPECT_EQ(items(form->excludedSubfoldersList), (QStringList{"/obj"}));
  EXPECT_TRUE(form->excludedSubfoldersList->selectedItems().isEmpty());
}

TEST_F(Pickers, AddNeedsAnExistingSourceFolder) {
  form->sourceFolderEdit->setText(q(tree.path() + "/missing"));
  form->searchButton->setFocus();
  form->addExcludedSubfolderButton->click();
  EXPECT_TRUE(fakes.files.folderStarts.empty());  // no browser
  ASSERT_EQ(fakes.boxes.shown.size(), 1u);
  EXPECT_EQ(fakes.boxes.shown[0].text, "上位フォルダが不正です。");
  EXPECT_TRUE(form->sourceFolderEdit->hasFocus());

  form->setActivity(MainWindow::Activity::Searching);
  form->sourceFolderEdit->setText(q(source()));
  form->addExcludedSubfolderButton->click();
  EXPECT_TRUE(fakes.files.folderStarts.empty());
  form->setActivity(MainWindow::Activity::Idle);
}

TEST_F(Pickers, SaveAndLoadConditionFiles) {
  form->sourceFolderEdit->setText(q(source()));
  form->destinationFolderEdit->setText(QStringLiteral("/media/backup"));
  form->excludedSubfoldersList->addItem(QStringLiteral("/My Docs"));
  editDetailOptions(*form, [](DetailOptions& s) { s.search.excludedExtensions = {"bak"}; });
  const std::string file = tree.path() + "/conds.dat";
  form->saveConditionFileAction->trigger();  // cancelled: nothing
  EXPECT_FALSE(std::filesystem::exists(file));
  fakes.files.answers = {file};
  form->saveConditionFileAction->trigger();
  ASSERT_EQ(fakes.files.saveStarts.size(), 2u);
  EXPECT_EQ(fakes.files.saveStarts[0].path, "");
  EXPECT_EQ(fakes.files.saveStarts[0].folder, settings.path());
  EXPECT_EQ(fakes.files.saveStarts[1].path, "");
  const auto saved = readConditionFile(file);
  ASSERT_TRUE(saved);
  EXPECT_EQ(saved->source, source());
  EXPECT_TRUE(saved->includeSubfolders);
  EXPECT_EQ(saved->excludedSubfolders, (std::vector<std::string>{"/My Docs"}));

  // Loading puts everything back, the switch through its click handler.
  writeFile(tree.path() + "/other.dat",
            "[Application]\nNVOFile=1\n[NVO]\nDirFrom=/from\nDirTo=/to\nCBKai=0\nFolEx=/a,/"
            "b\nEscExt=tmp\n");
  const QDate pickerDate = form->sinceDatePicker->date();
  fakes.files.answers = {tree.path() + "/other.dat"};
  form->openConditionFileAction->trigger();
  EXPECT_EQ(form->sourceFolderEdit->text(), QStringLiteral("/from"));
  EXPECT_EQ(form->destinationFolderEdit->text(), QStringLiteral("/to"));
  EXPECT_FALSE(form->subfoldersCheckBox->isChecked());
  EXPECT_FALSE(form->subfoldersSwitchKept());
  EXPECT_FALSE(form->excludedSubfoldersList->isEnabled());
  EXPECT_EQ(items(form->excludedSubfoldersList), (QStringList{"/a", "/b"}));
  EXPECT_EQ(form->detailOptions().search.excludedExtensions, (std::vector<std::string>{"tmp"}));
  EXPECT_EQ(form->sinceDatePicker->date(), pickerDate);

  fakes.files.answers = {file};
  form->openConditionFileAction->trigger();
  EXPECT_TRUE(form->subfoldersCheckBox->isChecked());
  EXPECT_TRUE(form->addExcludedSubfolderButton->isEnabled());
  EXPECT_EQ(fakes.files.openStarts.back().path, tree.path() + "/other.dat");  // the previous one
  fakes.files.answers = {file};
  form->saveConditionFileAction->trigger();
  EXPECT_EQ(fakes.files.saveStarts.back().path, file);
}

TEST_F(Pickers, NotAConditionFileChangesNothing) {
  writeFile(tree.path() + "/bad.dat", "[Application]\nNVOFile=0\n[NVO]\nDirFrom=/from\n");
  form->sourceFolderEdit->setText(QStringLiteral("/kept"));
  form->move(40, 30);
  for (const std::string& name : {std::string("/bad.dat"), std::string("/does-not-exist.dat")}) {
    fakes.files.answers = {tree.path() + name};
    form->openConditionFileAction->trigger();
  }
  ASSERT_EQ(fakes.boxes.shown.size(), 2u);
  EXPECT_EQ(fakes.boxes.shown[0].text, "不正なファイル形式です");
  EXPECT_EQ(fakes.boxes.shown[0].placement, form->positionedPlacement());
  EXPECT_EQ(form->sourceFolderEdit->text(), QStringLiteral("/kept"));
}

TEST_F(Pickers, SaveOverAReadOnlyFileIsReportedAndKeepsIt) {
  const std::string file = tree.path() + "/ro.dat";
  writeFile(file, "[Application]\nNVOFile=1\n");
  chmod(file.c_str(), 0444);
  fakes.files.answers = {file};
  form->saveConditionFileAction->trigger();
  ASSERT_EQ(fakes.boxes.applicationErrors.size(), 1u);
  EXPECT_EQ(fakes.boxes.applicationErrors[0], file + " に書き込めません.");
  EXPECT_EQ(readFile(file), "[Application]\nNVOFile=1\n");
}

TEST_F(Pickers, SaveThatCannotBeWrittenIsReported) {
  writeFile(tree.path() + "/plain", "");
  fakes.files.answers = {tree.path() + "/plain/conds.dat"};
  form->saveConditionFileAction->trigger();
  ASSERT_EQ(fakes.boxes.applicationErrors.size(), 1u);
  EXPECT_EQ(fakes.boxes.applicationErrors[0], tree.path() + "/plain/conds.dat に書き込めません.");

  form->setActivity(
      MainWindow::Activity::Searching);  // both commands are refused while a run goes on
  form->saveConditionFileAction->trigger();
  form->openConditionFileAction->trigger();
  EXPECT_EQ(fakes.files.saveStarts.size(), 1u);
  EXPECT_TRUE(fakes.files.openStarts.empty());
  form->setActivity(MainWindow::Activity::Idle);
}

}  // namespace
}  // namespace nuvelo
