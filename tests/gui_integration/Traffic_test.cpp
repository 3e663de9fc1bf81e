// The real program counting known traffic on a veth pair between two network namespaces
// of its own, then killed without warning: the sums it saved along the way must be there.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QStandardPaths>
#include <QThread>
#include <algorithm>
#include <csignal>
#include <memory>

#include "KorvalinRun.h"
#include "X11Session.h"

namespace korvalin::testing {
namespace {

constexpr qint64 BytesSent = 8 * 1024 * 1024;      // from the program's side to the peer
constexpr qint64 BytesReceived = 3 * 1024 * 1024;  // from the peer back
// The program writes its sums once a minute besides at every settings change.
constexpr int SumsSavePeriodMs = 60000;

QString Run(const QStringList& arguments) {
    QProcess process;
    process.start(arguments.first(), arguments.mid(1));
    process.waitForFinished(20000);
    return QString::fromLocal8Bit(process.readAllStandardOutput() + process.readAllStandardError());
}

// Two namespaces joined by a veth pair: the program's side "a" at 10.213.7.1 and the peer
// "b" at 10.213.7.2. Removed again when the test ends.
class VethPair {
public:
    VethPair() {
        const QString id = QString::number(getpid());
        a = QStringLiteral("korvalin-gui-a-") + id;
        b = QStringLiteral("korvalin-gui-b-") + id;
        const QString endA = QStringLiteral("kva") + id;
        const QString endB = QStringLiteral("kvb") + id;
        const QString ip = QStringLiteral("ip");
        for (const QStringList& step :
             QList<QStringList>{{ip, "netns", "add", a},
                                {ip, "netns", "add", b},
                                {ip, "-n", a, "link", "add", endA, "type", "veth", "peer", "name",
                                 endB, "netns", b},
                                {ip, "-n", a, "addr", "add", "10.213.7.1/24", "dev", endA},
                                {ip, "-n", b, "addr", "add", "10.213.7.2/24", "dev", endB},
                                {ip, "-n", a, "link", "set", endA, "up"},
                                {ip, "-n", b, "link", "set", endB, "up"},
                                {ip, "-n", a, "link", "set", "lo", "up"},
                                {ip, "-n", b, "link", "set", "lo", "up"}}) {
            Run(step);
        }
        ready =
            Run({ip, "-n", a, "-o", "addr", "show", endA}).contains(QStringLiteral("10.213.7.1"));
    }
    ~VethPair() {
        Run({QStringLiteral("ip"), QStringLiteral("netns"), QStringLiteral("del"), a});
        Run({QStringLiteral("ip"), QStringLiteral("netns"), QStringLiteral("del"), b});
    }

    QString a;
    QString b;
    bool ready = false;
};

// The peer takes BytesSent and answers with BytesReceived; the program's side does the
// opposite. Returns true when both ends moved every byte.
bool ExchangeKnownTraffic(const VethPair& pair) {
    const QString server =
        QStringLiteral(
            "import socket\n"
            "s=socket.socket(); s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)\n"
            "s.bind(('10.213.7.2', 5071)); s.listen(1); s.settimeout(20)\n"
            "c,_=s.accept(); c.settimeout(20); left=%1\n"
            "while left>0:\n"
            "    d=c.recv(65536)\n"
            "    if not d: break\n"
            "    left-=len(d)\n"
            "c.sendall(b'r'*%2); c.close(); print('served', left)\n")
            .arg(BytesSent)
            .arg(BytesReceived);
    const QString client =
        QStringLiteral(
            "import socket, time\n"
            "for _ in range(100):\n"
            "    try:\n"
            "        c=socket.create_connection(('10.213.7.2', 5071), timeout=20); break\n"
            "    except OSError: time.sleep(0.1)\n"
            "c.sendall(b's'*%1); left=%2\n"
            "while left>0:\n"
            "    d=c.recv(65536)\n"
            "    if not d: break\n"
            "    left-=len(d)\n"
            "print('received', left)\n")
            .arg(BytesSent)
            .arg(BytesReceived);
    QProcess serverProcess;
    serverProcess.start(QStringLiteral("ip"),
                        {QStringLiteral("netns"), QStringLiteral("exec"), pair.b,
                         QStringLiteral("python3"), QStringLiteral("-c"), server});
    const QString clientOutput =
        Run({QStringLiteral("ip"), QStringLiteral("netns"), QStringLiteral("exec"), pair.a,
             QStringLiteral("python3"), QStringLiteral("-c"), client});
    serverProcess.waitForFinished(20000);
    const QString serverOutput = QString::fromLocal8Bit(serverProcess.readAllStandardOutput());
    return clientOutput.contains(QStringLiteral("received 0")) &&
           serverOutput.contains(QStringLiteral("served 0"));
}

bool Prerequisites() {
    if (geteuid() != 0) {
        return false;
    }
    for (const char* tool : {"ip", "python3", "Xvfb", "openbox", "trayer", "xwininfo", "xprop"}) {
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty()) {
            return false;
        }
    }
    return true;
}

// The sums in the settings file hold the known traffic: frame headers and
// acknowledgements come on top of the payload, and a tenth is ample for them.
void ExpectSumsOfKnownTraffic(const KorvalinRun& run) {
    const qint64 sent =
        run.Setting(QStringLiteral("Sums"), QStringLiteral("sumSend")).value_or("-1").toLongLong();
    const qint64 received = run.Setting(QStringLiteral("Sums"), QStringLiteral("sumReceive"))
                                .value_or("-1")
                                .toLongLong();
    EXPECT_GE(sent, BytesSent) << run.Log().toStdString();
    EXPECT_LE(sent, BytesSent + BytesSent / 10 + BytesReceived / 10 + 256 * 1024);
    EXPECT_GE(received, BytesReceived);
    EXPECT_LE(received, BytesReceived + BytesReceived / 10 + BytesSent / 10 + 256 * 1024);
}

::testing::AssertionResult IconDocked(const X11Session& session, const KorvalinRun& run) {
    if (session.WaitForDockedIcon(QStringLiteral("korvalin"), 15000).isEmpty()) {
        return ::testing::AssertionFailure() << "no docked icon\n" << run.Log().toStdString();
    }
    return ::testing::AssertionSuccess();
}

TEST(CountedTraffic, SurvivesAKillWithoutWarningAfterAMinute) {
    if (!Prerequisites()) {
        GTEST_SKIP() << "needs root for network namespaces, python3 and the X tools";
    }
    VethPair pair;
    ASSERT_TRUE(pair.ready) << "could not set up the network namespaces";
    X11Session session;
    ASSERT_TRUE(session.Started());
    KorvalinRun run(session, pair.a);

    auto program = run.Start();
    ASSERT_TRUE(IconDocked(session, run));
    QElapsedTimer sinceStart;
    sinceStart.start();
    // The first start monitors the first real adapter: the veth end (loopback never counts).
    QThread::msleep(2000);
    ASSERT_TRUE(ExchangeKnownTraffic(pair));

    QThread::msleep(static_cast<unsigned long>(
        std::max<qint64>(0, SumsSavePeriodMs + 5000 - sinceStart.elapsed())));
    ASSERT_TRUE(program->Running()) << run.Log().toStdString();
    program->Kill(SIGKILL);
    EXPECT_EQ(program->WaitForExit(5000), std::nullopt);

    ExpectSumsOfKnownTraffic(run);

    // The killed run left its socket behind; the next start is a first instance again.
    auto next = run.Start();
    EXPECT_FALSE(session.WaitForDockedIcon(QStringLiteral("korvalin"), 15000).isEmpty())
        << run.Log().toStdString();
    EXPECT_TRUE(next->Running());
}

// The X server dies between two periodic saves: the program ends with it and must write
// the sums it counted since the last save on its way out.
TEST(CountedTraffic, SurvivesTheDisplayServerDying) {
    if (!Prerequisites()) {
        GTEST_SKIP() << "needs root for network namespaces, python3 and the X tools";
    }
    VethPair pair;
    ASSERT_TRUE(pair.ready) << "could not set up the network namespaces";
    X11Session session;
    ASSERT_TRUE(session.Started());
    KorvalinRun run(session, pair.a);

    auto program = run.Start();
    ASSERT_TRUE(IconDocked(session, run));
    // The adapter monitor samples once a second; the first sample sets its baseline.
    QThread::msleep(2000);
    ASSERT_TRUE(ExchangeKnownTraffic(pair));
    // The last bytes reach the sums with the next sample or two.
    QThread::msleep(3000);
    ASSERT_TRUE(program->Running()) << run.Log().toStdString();
    EXPECT_EQ(run.Setting(QStringLiteral("Sums"), QStringLiteral("sumSend")).value_or("0"),
              QStringLiteral("0"))
        << "no periodic save has run yet";

    ASSERT_TRUE(session.KillServer());
    // The toolkit ends the program with exit status 1 when its display is gone.
    EXPECT_EQ(program->WaitForExit(20000), 1) << run.Log().toStdString();

    ExpectSumsOfKnownTraffic(run);
}

}  // namespace
}  // namespace korvalin::testing
