#include "X11Session.h"

#include <signal.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <QThread>

namespace korvalin::testing {

Child::Child(const QString& program, const QStringList& arguments,
             const QProcessEnvironment& environment, const QString& logFile) {
    process_.setProcessEnvironment(environment);
    // Output goes to a file, so a chatty child never blocks on a full pipe.
    const QString log = logFile.isEmpty() ? QStringLiteral("/dev/null") : logFile;
    process_.setStandardOutputFile(log, QIODevice::Append);
    process_.setStandardErrorFile(log, QIODevice::Append);
    process_.setStandardInputFile(QProcess::nullDevice());
    process_.start(program, arguments);
    process_.waitForStarted(5000);
}

Child::~Child() {
    if (process_.state() == QProcess::NotRunning) {
        return;
    }
    process_.terminate();
    if (!process_.waitForFinished(3000)) {
        process_.kill();
        process_.waitForFinished(3000);
    }
}

std::optional<int> Child::WaitForExit(int timeoutMs) {
    if (process_.state() != QProcess::NotRunning && !process_.waitForFinished(timeoutMs)) {
        return std::nullopt;
    }
    if (process_.exitStatus() != QProcess::NormalExit) {
        return std::nullopt;
    }
    return process_.exitCode();
}

void Child::Kill(int signalNumber) {
    if (process_.state() == QProcess::Running) {
        ::kill(static_cast<pid_t>(process_.processId()), signalNumber);
    }
}

bool WaitUntilMs(const std::function<bool()>& condition, int timeoutMs) {
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        if (condition()) {
            return true;
        }
        if (waited.elapsed() > timeoutMs) {
            return false;
        }
        QThread::msleep(50);
    }
}

X11Session::X11Session(bool withTrayHost) {
    // -displayfd lets the server choose a free display and write its number to the file.
    QTemporaryFile displayFile;
    if (!displayFile.open()) {
        return;
    }
    const QString script =
        QStringLiteral("exec Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>'%1'")
            .arg(displayFile.fileName());
    server_ = std::make_unique<Child>(QStringLiteral("/bin/sh"),
                                      QStringList{QStringLiteral("-c"), script},
                                      QProcessEnvironment::systemEnvironment());
    QString number;
    WaitUntilMs(
        [&] {
            QFile file(displayFile.fileName());
            if (file.open(QIODevice::ReadOnly)) {
                number = QString::fromLatin1(file.readAll()).trimmed();
            }
            return !number.isEmpty();
        },
        10000);
    if (number.isEmpty()) {
        return;
    }
    display_ = QStringLiteral(":") + number;
    windowManager_ = std::make_unique<Child>(
        QStringLiteral("openbox"), QStringList{QStringLiteral("--sm-disable")}, Environment());
    WaitUntilMs(
        [&] {
            return Tool(QStringLiteral("xprop"),
                        {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
                .contains(QStringLiteral("window id"));
        },
        10000);
    if (withTrayHost && !StartTrayHost()) {
        display_.clear();
    }
}

bool X11Session::KillServer() {
    if (!server_) {
        return false;
    }
    server_->Kill(SIGKILL);
    return server_->WaitForExit(10000).has_value() || !server_->Running();
}

X11Session::~X11Session() {
    trayHost_.reset();
    windowManager_.reset();
    server_.reset();
}

QProcessEnvironment X11Session::Environment() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display_);
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    return environment;
}

QString X11Session::Tool(const QString& program, const QStringList& arguments,
                         int timeoutMs) const {
    QProcess process;
    process.setProcessEnvironment(Environment());
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(1000);
        return {};
    }
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

QStringList X11Session::VisibleWindows(const QString& namePattern) const {
    return Tool(QStringLiteral("xdotool"),
                {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                 QStringLiteral("--name"), namePattern})
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString X11Session::WaitForVisibleWindow(const QString& namePattern, int timeoutMs) const {
    QString found;
    WaitUntilMs(
        [&] {
            const QStringList windows = VisibleWindows(namePattern);
            found = windows.isEmpty() ? QString() : windows.first();
            return !found.isEmpty();
        },
        timeoutMs);
    return found;
}

bool X11Session::IsViewable(const QString& window) const {
    return Tool(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window})
        .contains(QStringLiteral("Map State: IsViewable"));
}

QRect X11Session::Geometry(const QString& window) const {
    const QString info = Tool(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window});
    auto number = [&](const char* label) {
        const QRegularExpression pattern(QString::fromLatin1(label) +
                                         QStringLiteral(":\\s+(-?\\d+)"));
        return pattern.match(info).captured(1).toInt();
    };
    return {number("Absolute upper-left X"), number("Absolute upper-left Y"), number("Width"),
            number("Height")};
}

QString X11Session::TrayHostWindow() const {
    const QString tree =
        Tool(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")});
    const QRegularExpression panel(
        QStringLiteral("(0x[0-9a-f]+) \"panel\": \\(\"panel\" \"trayer\"\\)"));
    return panel.match(tree).captured(1);
}

QString X11Session::DockedIcon(const QString& windowClass) const {
    const QString host = TrayHostWindow();
    if (host.isEmpty()) {
        return {};
    }
    const QString tree =
        Tool(QStringLiteral("xwininfo"), {QStringLiteral("-tree"), QStringLiteral("-id"), host});
    const QRegularExpression docked(
        QStringLiteral("(0x[0-9a-f]+) [^\\n]*\\(\"%1\" ").arg(windowClass));
    return docked.match(tree).captured(1);
}

QString X11Session::WaitForDockedIcon(const QString& windowClass, int timeoutMs) const {
    QString icon;
    WaitUntilMs(
        [&] {
            icon = DockedIcon(windowClass);
            return !icon.isEmpty();
        },
        timeoutMs);
    return icon;
}

bool X11Session::StartTrayHost() {
    trayHost_ = std::make_unique<Child>(
        QStringLiteral("trayer"),
        QStringList{QStringLiteral("--edge"), QStringLiteral("bottom"), QStringLiteral("--align"),
                    QStringLiteral("right"), QStringLiteral("--widthtype"), QStringLiteral("pixel"),
                    QStringLiteral("--width"), QStringLiteral("200"), QStringLiteral("--height"),
                    QStringLiteral("24"), QStringLiteral("--SetDockType"), QStringLiteral("true")},
        Environment());
    return WaitUntilMs([&] { return !TrayHostWindow().isEmpty(); }, 10000);
}

bool X11Session::RestartTrayHost() {
    trayHost_.reset();
    WaitUntilMs([&] { return TrayHostWindow().isEmpty(); }, 5000);
    return StartTrayHost();
}

void X11Session::Screenshot(const QString& path) const {
    QDir().mkpath(QFileInfo(path).path());
    Tool(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), path});
}

}  // namespace korvalin::testing
