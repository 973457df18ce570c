#include <gtest/gtest.h>

#include <QApplication>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTextBrowser>
#include <filesystem>
#include <memory>

#include "gui/dialogs/about_box.h"
#include "gui/dialogs/help_window.h"
#include "gui/main_window/main_window.h"
#include "gui/results/result_list_view.h"
#include "gui/widgets/clickable_label.h"
#include "gui/widgets/date_picker.h"
#include "platform/posix/user_info.h"
#include "platform/qt/qt_key_sink.h"
#include "support/fake_services.h"
#include "support/qt_printers.h"
#include "support/temp_folder.h"

namespace nuvelo {
namespace {

using testing::FakeServices;
using testing::TempFolder;

class Shell : public ::testing::Test {
 protected:
  std::unique_ptr<MainWindow> open(MainWindowServices services) {
    auto form = std::make_unique<MainWindow>(services, settings.file("NVO.ini"), settings.path());
    form->show();
    QApplication::setActiveWindow(form.get());
    return form;
  }
  TempFolder settings;
  FakeServices fakes;
};

TEST_F(Shell, DateCommandSendsAltDown) {
  auto form = open(fakes.services());
  form->sinceDateAction->trigger();
  EXPECT_EQ(fakes.keys.events,
            (std::vector<std::string>{"12/38/0", "28/50/1", "28/50/3", "12/38/2"}));
  EXPECT_TRUE(form->sinceDatePicker->hasFocus());
  form->setActivity(MainWindow::Activity::Searching);
  form->sinceDateAction->trigger();
  EXPECT_EQ(fakes.keys.events.size(), 4u);
  form->setActivity(MainWindow::Activity::Idle);
}

TEST_F(Shell, DateCommandOpensTheCalendarOfThePicker) {
  QtKeySink keys;
  MainWindowServices services = fakes.services();
  services.keys = &keys;
  auto form = open(services);
  auto* picker = static_cast<DatePicker*>(form->sinceDatePicker);
  ASSERT_FALSE(picker->calendarShown());
  form->onDropDownSinceDate();
  EXPECT_TRUE(picker->calendarShown());
}

TEST_F(Shell, KeySinkTypesIntoTheFocusedWidget) {
  QtKeySink keys;
  QLineEdit edit;
  edit.show();
  QApplication::setActiveWindow(&edit);
  edit.setFocus();
  SendKeys("+ab{1}{NUMLOCK}", true, keys);
  EXPECT_EQ(edit.text(), QStringLiteral("Ab1"));
  EXPECT_TRUE(keys.numLock());
}

struct VersionCase {
  VersionNumber product;
  VersionNumber file;
  const char* shown;
};

class AboutVersion : public ::testing::TestWithParam<VersionCase> {};

TEST_P(AboutVersion, ShowsTheProductVersion) {
  FakeServices fakes;
  AboutBox box({GetParam().product, GetParam().file}, std::string("alice"), fakes.shell);
  EXPECT_EQ(box.versionLabel->text(), QString::fromLatin1(GetParam().shown));
}

INSTANTIATE_TEST_SUITE_P(
    Versions, AboutVersion,
    ::testing::Values(VersionCase{{1, 3, 0, 2}, {2, 0, 0, 0}, "Version: 1.3.0.2"},
                      VersionCase{{10, 0, 0, 115}, {10, 0, 0, 115}, "Version: 10.0.0.115"}));

TEST_F(Shell, AboutBoxTextsAndLink) {
  AboutBox box(programVersion(), std::string("alice"), fakes.shell);
  box.show();
  EXPECT_EQ(box.windowTitle(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
  EXPECT_EQ(box.size(), QSize(358, 172));
  EXPECT_EQ(box.productNameLabel->text(), QStringLiteral("Nuvelo"));
  EXPECT_EQ(box.commentsLabel->text(), QStringLiteral("Comments : Freewear"));
  EXPECT_EQ(box.homePageLabel->text(), QStringLiteral("URL : "));
  EXPECT_EQ(box.homePageLink->x(), box.homePageLabel->x() + box.homePageLabel->width());
  EXPECT_EQ(box.homePageLink->y(), 80);
  EXPECT_EQ(box.homePageLink->toolTip(), QStringLiteral("Browserを起動しWebサイトを開きます"));
  EXPECT_EQ(box.licenceLabel->text(), QStringLiteral("Licence to : alice"));
  EXPECT_TRUE(box.okButton->isDefault());
  QTest::mouseClick(box.homePageLink, Qt::LeftButton);
  EXPECT_EQ(fakes.shell.webAddresses, (std::vector<std::string>{HomePage}));
  EXPECT_TRUE(fakes.shell.opened.empty());  // a web address, not a file
  EXPECT_TRUE(box.isVisible());

  AboutBox nobody(programVersion(), std::nullopt, fakes.shell);
  EXPECT_EQ(nobody.licenceLabel->text(), QStringLiteral("Licence to : "));
}

// Each control keeps its name on the form as its Qt object name, which the layout checks and
// the screenshots look controls up by.
TEST_F(Shell, AboutBoxControlsKeepTheirFormNames) {
  AboutBox box(programVersion(), std::string("alice"), fakes.shell);
  const std::pair<QWidget*, const char*> controls[] = {
      {box.infoPanel, "Panel1"},
      {box.iconLabel, "ProgramIcon"},
      {box.productNameLabel, "ProductName"},
      {box.versionLabel, "Version"},
      {box.copyrightLabel, "Copyright"},
      {box.commentsLabel, "Comments"},
      {box.homePageLabel, "Label2"},
      {box.homePageLink, "LblURL"},
      {box.licenceLabel, "Label1"},
      {box.okButton, "OKButton"},
  };
  for (const auto& [control, name] : controls) {
    ASSERT_NE(control, nullptr) << name;
    EXPECT_EQ(control->objectName(), QLatin1String(name));
    EXPECT_EQ(box.findChild<QWidget*>(QLatin1String(name)), control);
  }
}

TEST_F(Shell, AboutCommandMakesABoxForEachShowing) {
  auto form = open(fakes.services());
  std::vector<QDialog*> boxes;
  fakes.dialogs.script = [&](QDialog& box) {
    boxes.push_back(&box);
    EXPECT_EQ(box.windowTitle(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    EXPECT_EQ(box.parentWidget(), form.get());
    box.accept();
  };
  form->aboutAction->trigger();
  form->setActivity(MainWindow::Activity::Searching);  // available during a run
  form->aboutAction->trigger();
  form->setActivity(MainWindow::Activity::Idle);
  EXPECT_EQ(boxes.size(), 2u);
  EXPECT_TRUE(form->findChildren<AboutBox*>().isEmpty());  // destroyed after each showing
}

TEST(HelpFile, NamedAfterTheExecutable) {
  EXPECT_EQ(helpFileFor("/usr/bin/nuvelo"), "/usr/bin/nuvelo.HLP");
  EXPECT_EQ(helpFileFor("/tools/prog.exe"), "/tools/prog.HLP");
  EXPECT_EQ(helpFileFor("/opt/app.d/nuvelo"), "/opt/app.d/nuvelo.HLP");
  EXPECT_EQ(helpFileFor("/x/.hidden"), "/x/.hidden.HLP");
}

TEST_F(Shell, HelpCommandAsksForTheContentsOfTheProgramsHelpFile) {
  auto form = open(fakes.services());
  form->helpContentsAction->trigger();
  EXPECT_EQ(fakes.help.shown, (std::vector<std::string>{findHelpFile(executablePath())}));
  EXPECT_EQ(qApp->property("helpFile").toString().toStdString(), findHelpFile(executablePath()));
  EXPECT_TRUE(fakes.boxes.shown.empty());
}

TEST_F(Shell, AMissingHelpFileIsSaidInABox) {
  auto form = open(fakes.services());
  fakes.help.found = false;
  form->helpContentsAction->trigger();
  ASSERT_EQ(fakes.boxes.shown.size(), 1u);
  EXPECT_EQ(fakes.boxes.shown[0].text,
            "ヘルプファイル " + findHelpFile(executablePath()) + " が見つかりません");
  EXPECT_EQ(fakes.boxes.shown[0].placement, form->positionedPlacement());
}

struct HelpPlace {
  const char* name;
  bool besideProgram;  // bin/nuvelo.HLP
  bool installedData;  // share/nuvelo/nuvelo.HLP
  const char* found;   // relative to the prefix
};

class HelpFileSearch : public ::testing::TestWithParam<HelpPlace> {};

// A build or unpacked folder has its help beside the program; an installed program has it in
// share/nuvelo.
TEST_P(HelpFileSearch, LooksBesideTheProgramThenInTheInstalledDataFolder) {
  TempFolder prefix;
  std::filesystem::create_directories(prefix.path() + "/bin");
  std::filesystem::create_directories(prefix.path() + "/share/nuvelo");
  if (GetParam().besideProgram) testing::writeFile(prefix.path() + "/bin/nuvelo.HLP", "");
  if (GetParam().installedData) testing::writeFile(prefix.path() + "/share/nuvelo/nuvelo.HLP", "");
  EXPECT_EQ(findHelpFile(prefix.path() + "/bin/nuvelo"), prefix.path() + GetParam().found);
}

INSTANTIATE_TEST_SUITE_P(Places, HelpFileSearch,
                         ::testing::Values(HelpPlace{"Beside", true, true, "/bin/nuvelo.HLP"},
                                           HelpPlace{"Installed", false, true,
                                                     "/share/nuvelo/nuvelo.HLP"},
                                           HelpPlace{"Neither", false, false, "/bin/nuvelo.HLP"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(HelpViewer, ShowsAnExistingFileAndSaysSoForAMissingOne) {
  TempFolder folder;
  QtHelpViewer viewer;
  EXPECT_FALSE(viewer.showContents(folder.file("missing.HLP")));
  EXPECT_EQ(viewer.window(), nullptr);
  testing::writeFile(folder.file("prog.HLP"), "<html><body><h1>目次</h1></body></html>");
  EXPECT_TRUE(viewer.showContents(folder.file("prog.HLP")));
  ASSERT_NE(viewer.window(), nullptr);
  EXPECT_TRUE(viewer.window()->isVisible());
  EXPECT_TRUE(viewer.window()->browser()->toPlainText().contains(QStringLiteral("目次")));
  viewer.window()->close();
}

// The help belongs to the main window, opens beside it and closes with Esc.
TEST(HelpViewer, OpensBesideItsOwnerAndClosesWithEscape) {
  TempFolder folder;
  testing::writeFile(folder.file("prog.HLP"), "<html><body>help</body></html>");
  QWidget owner;
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  owner.setGeometry(area.left(), area.top() + 20, 40, 150);  // room on its right
  owner.show();
  QtHelpViewer viewer;
  viewer.setOwner(&owner);
  ASSERT_TRUE(viewer.showContents(folder.file("prog.HLP")));
  QPointer<HelpWindow> window = viewer.window();
  EXPECT_EQ(window->parentWidget(), &owner);
  EXPECT_FALSE(window->frameGeometry().intersects(owner.frameGeometry()));
  QTest::keyClick(window.data(), Qt::Key_Escape);
  QApplication::processEvents();
  EXPECT_TRUE(window.isNull() || !window->isVisible());
}

// The side of the owner that has room for the help: "right", "left", or "over" (neither).
class HelpBeside : public ::testing::TestWithParam<std::string> {};

// Right of the owner where the screen has room, else left of it; with room on neither side
// it covers less of the owner than lying over the owner's right half would.
TEST_P(HelpBeside, TakesTheSideWithRoom) {
  QWidget owner;
  HelpWindow help(&owner);
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  const std::string side = GetParam();
  const int ownerWidth = side == "over" ? area.width() - 20 : 100;
  const int ownerLeft = side == "left" ? area.right() - ownerWidth - 5 : area.left() + 5;
  owner.setGeometry(ownerLeft, area.top() + 10, ownerWidth, 100);
  help.placeBeside(owner);
  const QRect frame = owner.frameGeometry();
  EXPECT_GE(help.y(), area.top());
  if (side == "over") {
    const QRect overRightHalf(QPoint(frame.left() + frame.width() / 2, frame.top()), help.size());
    const auto covered = [&](QRect r) {
      const QRect common = r.intersected(frame);
      return common.width() * common.height();
    };
    EXPECT_LT(covered(help.geometry()), covered(overRightHalf));
    EXPECT_TRUE(area.contains(help.geometry()));
    return;
  }
  EXPECT_EQ(help.x(), side == "right" ? frame.right() + 1 : frame.left() - help.width());
}

INSTANTIATE_TEST_SUITE_P(Sides, HelpBeside, ::testing::Values("right", "left", "over"),
                         [](const auto& info) { return info.param; });

struct PlacementCase {
  const char* name;
  QRect owner;   // the main window's frame
  QRect area;    // the screen's available geometry
  QPoint place;  // where the help's frame goes
};

void PrintTo(const PlacementCase& c, std::ostream* os) {
  *os << c.name;
}

const QSize HelpSize(640, 560);
const QRect FullHd(0, 0, 1920, 1080);

const PlacementCase Placements[] = {
    {"RoomOnTheRight", {100, 100, 400, 300}, FullHd, {500, 100}},
    {"RoomOnTheLeftOnly", {1300, 100, 400, 300}, FullHd, {660, 100}},
    {"RoomBelowOnly", {100, 50, 1700, 300}, FullHd, {100, 350}},
    {"RoomAboveOnly", {100, 700, 1700, 300}, FullHd, {100, 140}},
    {"BottomOfTheScreenKeepsItOn", {100, 800, 400, 200}, FullHd, {500, 520}},
    // Centred on a small laptop screen: each side is short of room by the same amount, and the
    // right side, first preferred, covers a strip of the owner rather than half of it.
    {"NeitherSideHasRoom", {473, 164, 420, 440}, {0, 0, 1366, 768}, {726, 164}},
    // Nearly the whole screen: below, pushed up onto the screen, covers the least.
    {"OwnerFillsTheScreen", {10, 10, 1900, 1000}, FullHd, {10, 520}},
    {"SecondScreen", {2000, 100, 400, 300}, {1920, 0, 1280, 1024}, {2400, 100}},
    {"ScreenSmallerThanBoth", {0, 0, 420, 440}, {0, 0, 800, 600}, {160, 0}},
};

class HelpPlacement : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(HelpPlacement, OverlapsTheOwnerLeastAndStaysOnTheScreen) {
  const PlacementCase& c = GetParam();
  const QPoint place = besideOwner(c.owner, HelpSize, c.area);
  EXPECT_EQ(place, c.place);
  EXPECT_TRUE(c.area.contains(QRect(place, HelpSize))) << ::testing::PrintToString(place);
}

INSTANTIATE_TEST_SUITE_P(Geometries, HelpPlacement, ::testing::ValuesIn(Placements),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace nuvelo
