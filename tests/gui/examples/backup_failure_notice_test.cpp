// The example nuvelo-backup-failed.service, run as systemd runs it, reaches the desktop's
// notification server with a notice in Japanese that says where to read why the backup failed.

#include <gtest/gtest.h>

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QTest>
#include <fstream>
#include <sstream>

#include "support/private_bus.h"

namespace nuvelo {
namespace {

using testing::PrivateBus;

// A notification server on a private bus that records each Notify and answers it.
class FakeNotificationServer : public QDBusVirtualObject {
 public:
  explicit FakeNotificationServer(PrivateBus& bus) : bus_(bus.connect()) {
    registered_ = bus_.registerService(QStringLiteral("org.freedesktop.Notifications")) &&
                  bus_.registerVirtualObject(Path, this);
  }
  ~FakeNotificationServer() override { bus_.unregisterObject(Path); }
  bool registered() const { return registered_; }

  QList<QDBusMessage> notices;

  QString introspect(const QString&) const override {
    return QStringLiteral(
        "<interface name=\"org.freedesktop.Notifications\"><method name=\"Notify\">"
        "<arg type=\"s\" direction=\"in\"/><arg type=\"u\" direction=\"in\"/>"
        "<arg type=\"s\" direction=\"in\"/><arg type=\"s\" direction=\"in\"/>"
        "<arg type=\"s\" direction=\"in\"/><arg type=\"as\" direction=\"in\"/>"
        "<arg type=\"a{sv}\" direction=\"in\"/><arg type=\"i\" direction=\"in\"/>"
        "<arg type=\"u\" direction=\"out\"/></method></interface>");
  }
  bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override {
    if (message.member() != QStringLiteral("Notify")) return false;
    notices << message;
    bus_.send(message.createReply(QVariant::fromValue(1u)));
    return true;
  }

 private:
  static inline const QString Path = QStringLiteral("/org/freedesktop/Notifications");
  QDBusConnection bus_;
  bool registered_ = false;
};

// The words of a unit's ExecStart= line as systemd splits them: at spaces, a word that begins
// with a double quote running to the next one (single quotes inside it are kept).
QStringList execStartWords(const std::string& unitFile) {
  std::ifstream in(unitFile);
  std::string line;
  while (std::getline(in, line) && line.rfind("ExecStart=", 0) != 0) {
  }
  QStringList words;
  const QString command = QString::fromStdString(line.substr(std::string("ExecStart=").size()));
  for (qsizetype at = 0; at < command.size();) {
    if (command[at] == QLatin1Char(' ')) {
      ++at;
      continue;
    }
    const bool quoted = command[at] == QLatin1Char('"');
    const qsizetype end =
        command.indexOf(quoted ? QLatin1Char('"') : QLatin1Char(' '), quoted ? at + 1 : at);
    const qsizetype stop = end < 0 ? command.size() : end;
    words << command.mid(quoted ? at + 1 : at, stop - (quoted ? at + 1 : at));
    at = stop + (quoted ? 1 : 0);
  }
  return words;
}

TEST(BackupFailureNotice, ReachesTheNotificationServerInJapanese) {
  const QStringList command =
      execStartWords(std::string(NUVELO_EXAMPLES_DIR) + "/nuvelo-backup-failed.service");
  ASSERT_GT(command.size(), 1) << "no ExecStart= in the unit";
  if (!QFile::exists(command[0])) GTEST_SKIP() << command[0].toStdString() << " is missing";
  PrivateBus bus;
  if (!bus.running()) GTEST_SKIP() << "dbus-daemon could not be started";
  FakeNotificationServer server(bus);
  ASSERT_TRUE(server.registered());

  QProcess unit;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
  unit.setProcessEnvironment(environment);
  unit.start(command[0], command.mid(1));
  // The server answers on this thread, so the events run while the unit's command waits.
  ASSERT_TRUE(QTest::qWaitFor([&] { return unit.state() == QProcess::NotRunning; }, 60000));
  EXPECT_EQ(unit.exitCode(), 0) << unit.readAllStandardError().toStdString();

  ASSERT_EQ(server.notices.size(), 1);
  const QDBusMessage& notice = server.notices[0];
  EXPECT_EQ(notice.signature(), QStringLiteral("susssasa{sv}i"));
  const QList<QVariant> arguments = notice.arguments();
  EXPECT_EQ(arguments[0].toString(), QStringLiteral("Nuvelo"));
  EXPECT_TRUE(arguments[3].toString().contains(QStringLiteral("バックアップに失敗しました")))
      << arguments[3].toString().toStdString();
  EXPECT_TRUE(
      arguments[4].toString().contains(QStringLiteral("journalctl --user -u nuvelo-backup")))
      << arguments[4].toString().toStdString();
  const QVariantMap hints = qdbus_cast<QVariantMap>(arguments[6]);
  EXPECT_EQ(hints.value(QStringLiteral("urgency")).toInt(), 2);  // critical: it stays shown
}

}  // namespace
}  // namespace nuvelo
