#include "tests/dbus/private_bus.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QStandardPaths>

#include <sys/prctl.h>

#include <csignal>

namespace {

// Anyone may own any name and send anything: the bus holds the test and its stand-ins only.
constexpr char kConfig[] = R"(<!DOCTYPE busconfig PUBLIC
 "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=%1</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
    <allow user="*"/>
  </policy>
</busconfig>
)";

}  // namespace

PrivateBus::PrivateBus() {
#if defined(__SANITIZE_THREAD__)
    // The messages the tests exchange with their stand-ins pass between QtDBus's threads behind
    // locks ThreadSanitizer cannot see; every one would be reported.
    problem_ = QStringLiteral("QtDBus's own thread hand-offs are invisible to ThreadSanitizer");
    return;
#endif
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (daemon.isEmpty()) {
        problem_ = QStringLiteral("dbus-daemon is not installed");
        return;
    }
    QFile config(dir_.filePath(QStringLiteral("bus.conf")));
    if (!dir_.isValid() || !config.open(QIODevice::WriteOnly)) {
        problem_ = QStringLiteral("no room for the bus's configuration");
        return;
    }
    config.write(QString::fromLatin1(kConfig).arg(dir_.path()).toUtf8());
    config.close();
    // The bus ends with the test process however that ends (a bus kept for the whole run, a test
    // killed at its time limit), so no daemon outlives the suite.
    daemon_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    daemon_.start(daemon, {QStringLiteral("--config-file=") + config.fileName(),
                           QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
    QByteArray out;
    QDeadlineTimer deadline(10000);
    while (!out.contains('\n') && !deadline.hasExpired() &&
           daemon_.state() != QProcess::NotRunning) {
        daemon_.waitForReadyRead(100);
        out += daemon_.readAllStandardOutput();
    }
    if (!out.contains('\n')) {
        problem_ = QStringLiteral("dbus-daemon did not start: ") +
                   QString::fromLocal8Bit(daemon_.readAllStandardError());
        return;
    }
    address_ = QString::fromLatin1(out.left(out.indexOf('\n'))).trimmed();
}

PrivateBus::~PrivateBus() {
    for (const QString& name : connections_) {
        QDBusConnection::disconnectFromBus(name);
    }
    if (daemon_.state() != QProcess::NotRunning) {
        daemon_.terminate();
        if (!daemon_.waitForFinished(5000)) {
            daemon_.kill();
            daemon_.waitForFinished(5000);
        }
    }
}

QDBusConnection PrivateBus::Connect(const QString& name) {
    connections_.append(name);
    return QDBusConnection::connectToBus(address_, name);
}
