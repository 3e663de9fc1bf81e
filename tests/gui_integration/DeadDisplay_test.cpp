// The real program with a display that names no running server: the console view, as
// without any display, instead of an abort inside the window system's plugin.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace korvalin::testing {
namespace {

struct ProgramRun {
    QProcess::ExitStatus exitStatus = QProcess::CrashExit;
    int exitCode = -1;
    QStringList out;
    QString err;
};

// Runs "korvalin --samples 1" to its end with the display variables given (and no other).
ProgramRun RunWithDisplay(const QTemporaryDir& home, const QString& display) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        environment.remove(QLatin1String(name));
    }
    if (!display.isEmpty()) {
        environment.insert(QStringLiteral("DISPLAY"), display);
    }
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(KORVALIN_BINARY),
                  {QStringLiteral("--samples"), QStringLiteral("1")});
    ProgramRun run;
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished(5000);
        return run;
    }
    run.exitStatus = process.exitStatus();
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput())
                  .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// A display number with no server behind it on this machine.
QString DeadDisplay() {
    for (int number = 99;; ++number) {
        const QString socket = QStringLiteral("/tmp/.X11-unix/X%1").arg(number);
        const QString lock = QStringLiteral("/tmp/.X%1-lock").arg(number);
        if (!QFileInfo::exists(socket) && !QFileInfo::exists(lock)) {
            return QStringLiteral(":%1").arg(number);
        }
    }
}

TEST(DeadDisplay, StartsTheConsoleViewAndSaysWhyAsWithoutADisplay) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const ProgramRun none = RunWithDisplay(home, QString());
    const QString display = DeadDisplay();
    const ProgramRun dead = RunWithDisplay(home, display);

    ASSERT_EQ(dead.exitStatus, QProcess::NormalExit) << dead.err.toStdString();
    EXPECT_EQ(dead.exitCode, none.exitCode) << dead.err.toStdString();
    EXPECT_EQ(dead.exitCode, 0);
    ASSERT_EQ(dead.out.size(), 1) << dead.out.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^E: [0-9.,]+ \\S+; G: [0-9.,]+ \\S+; GE: [0-9.,]+ \\S+; "
                                          "GG: [0-9.,]+ \\S+$"))
            .match(dead.out.front())
            .hasMatch())
        << dead.out.front().toStdString();
    EXPECT_TRUE(dead.err.contains(QStringLiteral("cannot connect to the display (DISPLAY=") +
                                  display + QLatin1Char(')')))
        << dead.err.toStdString();
    EXPECT_TRUE(dead.err.contains(QStringLiteral("starting the console view")))
        << dead.err.toStdString();
}

}  // namespace
}  // namespace korvalin::testing
