#include "platform/qt/portal_folder_chooser.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>
#include <QUrl>
#include <QVBoxLayout>
#include <filesystem>

#include "platform/qt/qt_file_dialogs.h"
#include "support/fake_portal.h"
#include "support/folder_browser.h"
#include "support/temp_folder.h"

namespace nuvelo {
namespace {

using testing::FakePortal;
using testing::FolderAnswers;
using testing::PortalManner;
using testing::PrivateBus;
using testing::waitForFileDialog;

const QString Title = QStringLiteral("フォルダを選択して下さい。");

QString fileUri(const std::string& path) {
  return QUrl::fromLocalFile(QString::fromStdString(path)).toString();
}

// Accepts Qt's own folder browser as it opened, with its initial folder selected. It opens
// well within D-Bus's own timeout of 25 s for a call: the portal's deadline is shorter.
void acceptOwnBrowser(QString& title) {
  QFileDialog* dialog = waitForFileDialog(8 * PortalFolderChooser::ReplyDeadlineMs);
  ASSERT_NE(dialog, nullptr);
  title = dialog->windowTitle();
  QMetaObject::invokeMethod(dialog, "accept");
}

TEST(PortalAnswer, GivesTheFoldersBytes) {
  EXPECT_EQ(folderFromPortalUris({QStringLiteral("file:///home/u/My%20Photos")}),
            "/home/u/My Photos");
  // A name that is not UTF-8 keeps its bytes (Shift-JIS "あ").
  EXPECT_EQ(folderFromPortalUris({QStringLiteral("file:///data/%82%A0")}), "/data/\x82\xa0");
  EXPECT_EQ(folderFromPortalUris({QStringLiteral("https://example.org/x"),
                                  QStringLiteral("file://localhost/srv/backup")}),
            "/srv/backup");
  EXPECT_EQ(folderFromPortalUris({}), std::nullopt);
  EXPECT_EQ(folderFromPortalUris({QStringLiteral("smb://server/share")}), std::nullopt);
}

TEST(PortalRequest, AsksForOneFolderFromTheInitialOne) {
  const QVariantMap options = portalFolderOptions("/home/u/\x82\xa0", QStringLiteral("t1"));
  EXPECT_TRUE(options.value(QStringLiteral("directory")).toBool());
  EXPECT_FALSE(options.value(QStringLiteral("multiple")).toBool());
  EXPECT_EQ(options.value(QStringLiteral("handle_token")).toString(), QStringLiteral("t1"));
  EXPECT_EQ(options.value(QStringLiteral("current_folder")).toByteArray(),
            QByteArray("/home/u/\x82\xa0", 11));  // ends in a NUL
  EXPECT_FALSE(portalFolderOptions("", QStringLiteral("t1")).contains("current_folder"));
  EXPECT_EQ(portalRequestPath(QStringLiteral(":1.42"), QStringLiteral("t1")),
            QStringLiteral("/org/freedesktop/portal/desktop/request/1_42/t1"));
}

// The bus the tests' portals live on starts nothing that the machine has installed.
TEST(PrivateBus, OffersNoServiceOfTheMachine) {
  PrivateBus bus;
  if (!bus.running()) GTEST_SKIP() << "dbus-daemon could not start";
  const QDBusMessage activatable = bus.connect().call(QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
      QStringLiteral("org.freedesktop.DBus"), QStringLiteral("ListActivatableNames")));
  ASSERT_EQ(activatable.type(), QDBusMessage::ReplyMessage);
  EXPECT_EQ(activatable.arguments().value(0).toStringList(),
            QStringList{QStringLiteral("org.freedesktop.DBus")});
}

struct PortalCase {
  const char* name;
  uint response;
  bool chosen;  // whether the folder comes back
};

class FolderPortal : public ::testing::TestWithParam<PortalCase> {};

// With a portal on the bus, the folder browser is the portal's dialog, with the browser's title
// and the initial folder; its answer is the browser's.
TEST_P(FolderPortal, IsAskedWhenTheBusHasOne) {
  PrivateBus bus;
  if (!bus.running()) GTEST_SKIP() << "dbus-daemon could not start";
  testing::TempFolder tree;
  const std::string initial = tree.path(), chosen = tree.path() + "/chosen";
  std::filesystem::create_directory(chosen);
  FakePortal portal(bus, PortalManner::Answers, GetParam().response, {fileUri(chosen)});
  ASSERT_TRUE(portal.registered());

  QtFileDialogs dialogs;
  dialogs.useFolderPortal(bus.connect(), testing::HangBoundMs);
  FolderAnswers answers;
  dialogs.chooseFolder(initial, answers.record());
  ASSERT_TRUE(answers.waitFor(1));
  EXPECT_EQ(answers.given,
            (std::vector<std::optional<std::string>>{
                GetParam().chosen ? std::optional<std::string>(chosen) : std::nullopt}));
  EXPECT_EQ(portal.title, Title);
  EXPECT_TRUE(portal.options.value(QStringLiteral("directory")).toBool());
  EXPECT_EQ(portal.options.value(QStringLiteral("current_folder")).toByteArray(),
            QByteArray(initial.c_str(), static_cast<qsizetype>(initial.size() + 1)));
}

INSTANTIATE_TEST_SUITE_P(Answers, FolderPortal,
                         ::testing::Values(PortalCase{"chosen", 0, true},
                                           PortalCase{"cancelled", 1, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// A bus without a portal: Qt's own folder browser, as before.
TEST(FolderBrowserWithoutPortal, IsQtsOwn) {
  PrivateBus bus;
  if (!bus.running()) GTEST_SKIP() << "dbus-daemon could not start";
  QtFileDialogs dialogs;
  dialogs.useFolderPortal(bus.connect());
  FolderAnswers answers;
  dialogs.chooseFolder("/tmp", answers.record());
  QFileDialog* dialog = waitForFileDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->windowTitle(), Title);
  dialog->reject();
  ASSERT_TRUE(answers.waitFor(1));
  EXPECT_EQ(answers.given, (std::vector<std::optional<std::string>>{std::nullopt}));
}

struct UnableCase {
  const char* name;
  std::optional<PortalManner> manner;  // nothing: no portal on the bus
  uint response;                       // of a portal that answers
  int openFileCalls;                   // how far the portal was asked
};

class PortalThatCannotAsk : public ::testing::TestWithParam<UnableCase> {};

// A portal that is missing, offers no file chooser, does not reply within the deadline, or
// whose dialog ends without the user's answer: Qt's own browser asks instead, and its answer is
// the only one. The deadline is the program's own.
TEST_P(PortalThatCannotAsk, LeavesTheChoiceToQtsOwnBrowser) {
  PrivateBus bus;
  if (!bus.running()) GTEST_SKIP() << "dbus-daemon could not start";
  testing::TempFolder tree;
  std::optional<FakePortal> portal;
  if (GetParam().manner) {
    portal.emplace(bus, *GetParam().manner, GetParam().response, QStringList{"file:///elsewhere"});
    ASSERT_TRUE(portal->registered());
  }
  QWidget owner;
  owner.show();
  QtFileDialogs dialogs;
  dialogs.setOwner(&owner);
  dialogs.useFolderPortal(bus.connect());
  FolderAnswers answers;
  dialogs.chooseFolder(tree.path(), answers.record());
  QString title;
  acceptOwnBrowser(title);
  EXPECT_EQ(title, Title);
  ASSERT_TRUE(answers.waitFor(1));
  EXPECT_EQ(answers.given, (std::vector<std::optional<std::string>>{tree.path()}));
  EXPECT_TRUE(owner.isEnabled());
  if (portal) {
    EXPECT_EQ(portal->openFileCalls, GetParam().openFileCalls);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Portals, PortalThatCannotAsk,
    ::testing::Values(UnableCase{"Missing", std::nullopt, 0, 0},
                      UnableCase{"WithoutFileChooser", PortalManner::LacksChooser, 0, 0},
                      UnableCase{"Silent", PortalManner::Silent, 0, 0},
                      UnableCase{"TakingNoRequest", PortalManner::TakesNoCall, 0, 1},
                      UnableCase{"DialogEndedOtherwise", PortalManner::Answers, 2, 1}),
    [](const auto& info) { return std::string(info.param.name); });

// An owner window with a box that has the focus, as the main window's when a browse starts.
struct Owner {
  Owner() {
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(box);
    window.show();
    QApplication::setActiveWindow(&window);
    box->setFocus();
  }
  QWidget window;
  QLineEdit* box = new QLineEdit(&window);
};

class HeldPortal : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!bus.running()) GTEST_SKIP() << "dbus-daemon could not start";
    ASSERT_TRUE(portal.registered());
    dialogs.setOwner(&owner.window);
    dialogs.useFolderPortal(bus.connect(), testing::HangBoundMs);
    dialogs.chooseFolder(tree.path(), answers.record());
    ASSERT_TRUE(
        QTest::qWaitFor([this] { return portal.openFileCalls == 1; }, testing::HangBoundMs));
  }

  testing::TempFolder tree;
  PrivateBus bus;
  FakePortal portal{bus, PortalManner::Holds};
  Owner owner;
  QtFileDialogs dialogs;
  FolderAnswers answers;
};

// While the portal's dialog is open the owner takes no input and no second browser opens; the
// answer then goes to the one request, and the owner has its input and focus back.
TEST_F(HeldPortal, KeepsTheOwnerFromInputUntilItAnswers) {
  EXPECT_FALSE(owner.window.isEnabled());
  FolderAnswers second;
  dialogs.chooseFolder("/", second.record());
  EXPECT_EQ(second.given, (std::vector<std::optional<std::string>>{std::nullopt}));
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

  const std::string chosen = tree.path() + "/chosen";
  portal.respond(0, {fileUri(chosen)});
  ASSERT_TRUE(answers.waitFor(1));
  EXPECT_EQ(answers.given, (std::vector<std::optional<std::string>>{chosen}));
  EXPECT_EQ(portal.openFileCalls, 1);
  EXPECT_TRUE(owner.window.isEnabled());
  EXPECT_TRUE(owner.box->hasFocus());
}

// A portal that takes the request but never shows its dialog: Escape in the owner closes the
// request and Qt's own browser asks, then and from then on.
TEST_F(HeldPortal, EscapeInTheOwnerGivesItUp) {
  QTest::keyClick(owner.window.windowHandle(), Qt::Key_Escape);
  QFileDialog* dialog = waitForFileDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(owner.window.isEnabled());  // a disabled owner would disable its browser too
  EXPECT_TRUE(dialog->isEnabled());
  dialog->reject();
  ASSERT_TRUE(answers.waitFor(1));
  EXPECT_EQ(answers.given, (std::vector<std::optional<std::string>>{std::nullopt}));
  ASSERT_TRUE(
      QTest::qWaitFor([this] { return !portal.closedRequests.isEmpty(); }, testing::HangBoundMs));

  dialogs.chooseFolder(tree.path(), answers.record());
  dialog = waitForFileDialog();
  ASSERT_NE(dialog, nullptr);
  dialog->reject();
  ASSERT_TRUE(answers.waitFor(2));
  EXPECT_EQ(portal.openFileCalls, 1);
}

}  // namespace
}  // namespace nuvelo
