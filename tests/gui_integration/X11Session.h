#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

namespace korvalin::testing {

// A child process that is stopped (SIGTERM, then SIGKILL) when it goes out of scope.
class Child {
public:
    Child(const QString& program, const QStringList& arguments,
          const QProcessEnvironment& environment, const QString& logFile = QString());
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool Running() const { return process_.state() == QProcess::Running; }
    qint64 Pid() const { return process_.processId(); }
    // Waits for the end; returns the exit code, or nothing on timeout or a crash.
    std::optional<int> WaitForExit(int timeoutMs);
    void Kill(int signalNumber);
    QProcess::ExitStatus ExitStatus() const { return process_.exitStatus(); }

private:
    QProcess process_;
};

// A private X server (Xvfb) with the openbox window manager and the trayer tray host, and
// the X tools the tests look at it with.
class X11Session {
public:
    explicit X11Session(bool withTrayHost = true);
    ~X11Session();

    bool Started() const { return !display_.isEmpty(); }
    const QString& Display() const { return display_; }
    QProcessEnvironment Environment() const;

    // Runs an X tool to its end and returns its standard output.
    QString Tool(const QString& program, const QStringList& arguments, int timeoutMs = 10000) const;

    // Visible top-level windows whose name matches the pattern (a regular expression).
    QStringList VisibleWindows(const QString& namePattern) const;
    // Waits until such a window exists; empty on timeout.
    QString WaitForVisibleWindow(const QString& namePattern, int timeoutMs) const;
    bool IsViewable(const QString& window) const;
    // Absolute position and size of a window's own (client) area.
    QRect Geometry(const QString& window) const;

    // The window of this program's class docked into the tray host, or empty.
    QString DockedIcon(const QString& windowClass) const;
    QString WaitForDockedIcon(const QString& windowClass, int timeoutMs) const;

    // Ends the tray host and starts a new one, as a desktop panel restart does.
    bool RestartTrayHost();

    void Screenshot(const QString& path) const;

    // Kills the X server without warning, as a crashing server goes; waits for its end.
    bool KillServer();

private:
    bool StartTrayHost();
    QString TrayHostWindow() const;

    QString display_;
    std::unique_ptr<Child> server_;
    std::unique_ptr<Child> windowManager_;
    std::unique_ptr<Child> trayHost_;
};

// Polls a condition until it holds or the time is up.
bool WaitUntilMs(const std::function<bool()>& condition, int timeoutMs);

}  // namespace korvalin::testing
