#include "platform/qt/portal_folder_chooser.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QFileDialog>
#include <QTimer>
#include <filesystem>

#include "platform/qt/qt_file_dialogs.h"
#include "support/private_bus.h"
#include "support/temp_folder.h"

namespace nuvelo {
namespace {

using testing::PrivateBus;

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

// A portal that answers every OpenFile with a given response and folders, after the call
// returned, as a desktop's portal does once the user closed its dialog.
class FakeFileChooser : public QDBusVirtualObject {
 public:
  FakeFileChooser(QDBusConnection bus, uint response, QStringList uris)
      : bus_(bus), response_(response), uris_(std::move(uris)) {}
  QString title;
  QVariantMap options;

  QString introspect(const QString&) const override { return QString(); }
  bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override {
    if (message.member() != QStringLiteral("OpenFile")) return false;
    title = message.arguments().value(1).toString();
    options = qdbus_cast<QVariantMap>(message.arguments().value(2));
    const QString path = portalRequestPath(
        message.service(), options.value(QStringLiteral("handle_token")).toString());
    bus_.send(message.createReply(QVariant::fromValue(QDBusObjectPath(path))));
    QTimer::singleShot(0, [this, path] {
      QDBusMessage response = QDBusMessage::createSignal(
          path, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
      response << response_ << QVariantMap{{QStringLiteral("uris"), uris_}};
      bus_.send(response);
    });
    return true;
  }

 private:
  QDBusConnection bus_;
  uint response_;
  QStringList uris_;
};

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
  QDBusConnection portalSide = bus.connect();
  ASSERT_TRUE(portalSide.registerService(QString::fromLatin1(PortalService)));
  FakeFileChooser portal(portalSide, GetParam().response,
                         {QUrl::fromLocalFile(QString::fromStdString(chosen)).toString()});
  ASSERT_TRUE(
      portalSide.registerVirtualObject(QStringLiteral("/org/freedesktop/portal/desktop"), &portal));

  QtFileDialogs dialogs;
  dialogs.useFolderPortal(bus.connect());
  const std::optional<std::string> answer = dialogs.chooseFolder(initial);
  EXPECT_EQ(answer, GetParam().chosen ? std::optional<std::string>(chosen) : std::nullopt);
  EXPECT_EQ(portal.title, QStringLiteral("フォルダを選択して下さい。"));
  EXPECT_TRUE(portal.options.value(QStringLiteral("directory")).toBool());
  EXPECT_EQ(portal.options.value(QStringLiteral("current_folder")).toByteArray(),
            QByteArray(initial.c_str(), static_cast<qsizetype>(initial.size() + 1)));
  portalSide.unregisterObject(QStringLiteral("/org/freedesktop/portal/desktop"));
}

INSTANTIATE_TEST_SUITE_P(Answers, FolderPortal,
                         ::testing::Values(PortalCase{"chosen", 0, true},
                                           PortalCase{"cancelled", 1, false}),
                         [](const auto& info) { return std::string(info.param.name); });

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

// A bus without a portal: Qt's own folder browser, as before.
TEST(FolderBrowserWithoutPortal, IsQtsOwn) {
  PrivateBus bus;
  if (!bus.running()) GTEST_SKIP() << "dbus-daemon could not start";
  QtFileDialogs dialogs;
  dialogs.useFolderPortal(bus.connect());
  QString title;
  QTimer::singleShot(0, [&title] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    title = dialog->windowTitle();
    dialog->reject();
  });
  EXPECT_FALSE(dialogs.chooseFolder("/tmp"));
  EXPECT_EQ(title, QStringLiteral("フォルダを選択して下さい。"));
}

}  // namespace
}  // namespace nuvelo
