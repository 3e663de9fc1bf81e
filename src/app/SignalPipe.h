#pragma once

#include <QObject>

class QSocketNotifier;

namespace korvalin {

// Turns SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGUSR1 and SIGUSR2 into a Qt signal on the GUI thread,
// through a self-pipe, so the program can save its settings and end normally. One instance per
// process; the handlers go back to the default when it is destroyed. SIGPIPE is ignored
// from then on.
class SignalPipe : public QObject {
    Q_OBJECT
public:
    explicit SignalPipe(QObject* parent = nullptr);
    ~SignalPipe() override;

    // False when the pipe or the handlers could not be set up.
    bool Installed() const { return notifier_ != nullptr; }

signals:
    void TerminationRequested(int signalNumber);

private:
    void ReadSignals();

    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace korvalin
