#pragma once
// A D-Bus daemon of the test's own, ended with the test. It reads a configuration of its own:
// no service of the machine's can be started on it, so what is installed changes no result.

#include <signal.h>

#include <QDBusConnection>
#include <QProcess>
#include <atomic>
#include <string>

#include "support/temp_folder.h"

namespace nuvelo::testing {

class PrivateBus {
 public:
  PrivateBus() {
    const std::string services = folder_.path() + "/services";  // stays empty
    std::filesystem::create_directory(services);
    const std::string config = folder_.file("bus.conf");
    writeFile(config,
              "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
              " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
              "<busconfig>\n"
              "  <type>session</type>\n"
              "  <listen>unix:tmpdir=/tmp</listen>\n"
              "  <servicedir>" +
                  services +
                  "</servicedir>\n"
                  "  <policy context=\"default\">\n"
                  "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                  "    <allow eavesdrop=\"true\"/>\n"
                  "    <allow own=\"*\"/>\n"
                  "  </policy>\n"
                  "</busconfig>\n");
    QProcess daemon;
    daemon.start(QStringLiteral("dbus-daemon"),
                 {QStringLiteral("--config-file=") + QString::fromStdString(config),
                  QStringLiteral("--fork"), QStringLiteral("--print-address=1"),
                  QStringLiteral("--print-pid=1")});
    if (!daemon.waitForFinished() || daemon.exitCode() != 0) return;
    const QStringList lines = QString::fromUtf8(daemon.readAllStandardOutput()).split('\n');
    address_ = lines.value(0);
    pid_ = lines.value(1).toInt();
  }
  ~PrivateBus() {
    for (const QString& name : names_) QDBusConnection::disconnectFromBus(name);
    if (pid_ > 0) kill(pid_, SIGTERM);
  }
  PrivateBus(const PrivateBus&) = delete;
  PrivateBus& operator=(const PrivateBus&) = delete;

  bool running() const { return pid_ > 0 && !address_.isEmpty(); }
  // The address a program outside the test reaches the bus at (DBUS_SESSION_BUS_ADDRESS).
  const QString& address() const { return address_; }
  // A new connection to the bus, closed with it.
  QDBusConnection connect() {
    static std::atomic<int> count{0};
    names_ << QStringLiteral("nuvelo-test-bus-%1").arg(++count);
    return QDBusConnection::connectToBus(address_, names_.back());
  }

 private:
  TempFolder folder_;
  QString address_;
  int pid_ = 0;
  QStringList names_;
};

}  // namespace nuvelo::testing
