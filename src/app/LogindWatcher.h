#pragma once

#include <QObject>

namespace korvalin {

// Listens on the system bus for logind's announcement that the machine is about to
// suspend or shut down, the last moment at which a save is sure to reach the disk.
// Without a system bus (or without logind) it never fires.
class LogindWatcher : public QObject {
    Q_OBJECT
public:
    explicit LogindWatcher(QObject* parent = nullptr);

    // Whether the bus connection and the subscriptions stand.
    bool Watching() const { return watching_; }

signals:
    void AboutToSleepOrShutDown();

private slots:
    void PrepareFor(bool starting);

private:
    bool watching_ = false;
};

}  // namespace korvalin
