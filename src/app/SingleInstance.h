#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace korvalin {

// One running program per user. The first instance holds a lock (released by the kernel
// even after a crash) and listens on a local socket in the per-user runtime folder; a
// later instance finds the lock taken, asks the first one to show its configuration
// window and is told to exit.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // folder: where the lock and the socket live; empty means $XDG_RUNTIME_DIR, else
    // /tmp/korvalin-<uid>.
    explicit SingleInstance(QString folder = QString(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // True: this is the first instance and now listens. False: another instance runs and
    // has been asked to show itself (or could not be reached); the caller exits with 0.
    bool Acquire();

    // Whether this instance answers later ones (false before Acquire, when the folder is
    // not private to the user, and in a later instance).
    bool Listening() const;

    static QString DefaultFolder();

signals:
    // A later instance asked this one to show its configuration window.
    void ActivationRequested();

private:
    void AcceptConnections();
    bool NotifyFirstInstance();

    QString folder_;
    int lockFd_ = -1;
    QLocalServer* server_ = nullptr;
};

}  // namespace korvalin
