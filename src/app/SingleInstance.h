#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;

namespace korvalin {

// One running program per user. The first instance holds a lock (released by the kernel
// even after a crash) and listens on a local socket in the per-user runtime folder; a
// later instance finds the lock taken, asks the first one to show its configuration
// window and is told to exit.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // folders: where the lock and the socket may live, best first; the first one that is
    // private to the user (created when missing) is taken.
    explicit SingleInstance(QStringList folders, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True: this is the first instance and now listens. False: another instance runs and
    // has been asked to show itself (or could not be reached); the caller exits with 0.
    // When no folder can be had or locked, the program runs unguarded and says so on
    // standard error.
    bool Acquire();

    // Whether this instance answers later ones (false before Acquire, when no folder is
    // private to the user, and in a later instance).
    bool Listening() const;
    // The folder taken by Acquire; empty before or when none could be had.
    const QString& Folder() const { return folder_; }

    // $XDG_RUNTIME_DIR when set, then the program's data folder: both belong to the user
    // alone, unlike a shared temporary folder that another user can take first.
    static QStringList DefaultFolders(const QString& dataFolder);

signals:
    // A later instance asked this one to show its configuration window.
    void ActivationRequested();

private:
    void AcceptConnections();
    bool NotifyFirstInstance();

    QStringList candidates_;
    QString folder_;
    int lockFd_ = -1;
    QLocalServer* server_ = nullptr;
};

}  // namespace korvalin
