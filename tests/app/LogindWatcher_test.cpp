// logind's announcements on a private bus standing in for the system bus.
#include "app/LogindWatcher.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <functional>

namespace korvalin {
namespace {

bool WaitFor(const std::function<bool()>& condition) {
    QElapsedTimer waited;
    waited.start();
    while (!condition() && waited.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return condition();
}

// A bus daemon of the test's own; its session configuration lets anyone own any name, so
// a second connection can pose as logind.
class PrivateBus {
public:
    PrivateBus() {
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty()) {
            return;
        }
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--session"), QStringLiteral("--nofork"),
                       QStringLiteral("--print-address=1")});
        if (daemon_.waitForStarted(5000) && WaitFor([&] { return daemon_.canReadLine(); })) {
            address = QString::fromLatin1(daemon_.readLine()).trimmed();
        }
    }
    ~PrivateBus() {
        daemon_.kill();
        daemon_.waitForFinished(5000);
    }
    QString address;

private:
    QProcess daemon_;
};

void Announce(QDBusConnection& logind, const char* signal, bool starting) {
    QDBusMessage message = QDBusMessage::createSignal(
        QStringLiteral("/org/freedesktop/login1"), QStringLiteral("org.freedesktop.login1.Manager"),
        QLatin1String(signal));
    message << starting;
    ASSERT_TRUE(logind.send(message));
}

TEST(LogindWatcher, SleepAndShutdownAnnouncementsAskForASave) {
    PrivateBus bus;
    if (bus.address.isEmpty()) {
        GTEST_SKIP() << "no dbus-daemon";
    }
    // The watcher's first use of the system bus connects to this one.
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", bus.address.toLatin1());
    QDBusConnection logind = QDBusConnection::connectToBus(bus.address, QStringLiteral("logind"));
    ASSERT_TRUE(logind.isConnected());
    ASSERT_TRUE(logind.registerService(QStringLiteral("org.freedesktop.login1")));

    LogindWatcher watcher;
    ASSERT_TRUE(watcher.Watching());
    int saves = 0;
    QObject::connect(&watcher, &LogindWatcher::AboutToSleepOrShutDown, [&] { ++saves; });

    Announce(logind, "PrepareForSleep", true);
    ASSERT_TRUE(WaitFor([&] { return saves == 1; }));
    // Waking up is announced too; it asks for nothing, so the next count is the shutdown's.
    Announce(logind, "PrepareForSleep", false);
    Announce(logind, "PrepareForShutdown", true);
    ASSERT_TRUE(WaitFor([&] { return saves >= 2; }));
    EXPECT_EQ(saves, 2);
    QDBusConnection::disconnectFromBus(QStringLiteral("logind"));
}

}  // namespace
}  // namespace korvalin
