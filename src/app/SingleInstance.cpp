#include "app/SingleInstance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace korvalin {

namespace {

const char* const LockName = "korvalin.lock";
const char* const SocketName = "korvalin.socket";
const QByteArray ShowRequest = "show\n";
const QByteArray ShowAnswer = "ok\n";

// The first instance may still be starting up when the lock is already taken.
constexpr int ConnectPatienceMs = 3000;
constexpr int ExchangeTimeoutMs = 2000;

}  // namespace

SingleInstance::SingleInstance(QStringList folders, QObject* parent)
    : QObject(parent), candidates_(std::move(folders)) {}

SingleInstance::~SingleInstance() {
    if (server_ != nullptr) {
        server_->close();  // removes the socket file
    }
    if (lockFd_ >= 0) {
        ::close(lockFd_);
    }
}

QStringList SingleInstance::DefaultFolders(const QString& dataFolder) {
    QStringList folders;
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.startsWith('/')) {
        folders << QString::fromLocal8Bit(runtime);
    }
    if (!dataFolder.isEmpty()) {
        folders << dataFolder;
    }
    return folders;
}

namespace {

// The folder must belong to the user and be closed to others, so nobody else can plant
// a socket or hold the lock.
bool IsPrivateFolder(const QString& folder) {
    const QByteArray path = QFile::encodeName(folder);
    QDir().mkpath(QFileInfo(folder).absolutePath());
    ::mkdir(path.constData(), 0700);
    struct stat status {};
    return ::lstat(path.constData(), &status) == 0 && S_ISDIR(status.st_mode) &&
           status.st_uid == getuid() && (status.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

void WarnUnguarded(const QString& why) {
    std::fprintf(stderr, "korvalin: %s; running without the single-instance guard.\n",
                 qPrintable(why));
}

}  // namespace

bool SingleInstance::Acquire() {
    folder_.clear();
    for (const QString& candidate : candidates_) {
        if (!candidate.isEmpty() && IsPrivateFolder(candidate)) {
            folder_ = candidate;
            break;
        }
    }
    if (folder_.isEmpty()) {
        WarnUnguarded(QStringLiteral("no folder private to this user among \"%1\"")
                          .arg(candidates_.join(QStringLiteral("\", \""))));
        return true;  // the program still runs, only without the guard
    }
    const QByteArray lockPath = QFile::encodeName(QDir(folder_).filePath(QLatin1String(LockName)));
    lockFd_ = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lockFd_ < 0) {
        WarnUnguarded(
            QStringLiteral("cannot create the lock %1: %2")
                .arg(QFile::decodeName(lockPath), QString::fromLocal8Bit(std::strerror(errno))));
        return true;
    }
    if (flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
        ::close(lockFd_);
        lockFd_ = -1;
        NotifyFirstInstance();
        return false;
    }
    // Holding the lock means any socket file left is from a crashed run.
    const QString socketPath = QDir(folder_).filePath(QLatin1String(SocketName));
    QLocalServer::removeServer(socketPath);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::AcceptConnections);
    server_->listen(socketPath);
    return true;
}

bool SingleInstance::Listening() const {
    return server_ != nullptr && server_->isListening();
}

void SingleInstance::AcceptConnections() {
    while (QLocalSocket* client = server_->nextPendingConnection()) {
        connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        connect(client, &QLocalSocket::readyRead, this, [this, client] {
            if (!client->canReadLine()) {
                return;
            }
            const QByteArray line = client->readLine();
            if (line == ShowRequest) {
                client->write(ShowAnswer);
                client->flush();
                emit ActivationRequested();
            }
            client->disconnectFromServer();
        });
    }
}

bool SingleInstance::NotifyFirstInstance() {
    const QString socketPath = QDir(folder_).filePath(QLatin1String(SocketName));
    QElapsedTimer patience;
    patience.start();
    QLocalSocket socket;
    for (;;) {
        socket.connectToServer(socketPath);
        if (socket.waitForConnected(ExchangeTimeoutMs)) {
            break;
        }
        if (patience.elapsed() > ConnectPatienceMs) {
            return false;
        }
        QThread::msleep(50);
    }
    socket.write(ShowRequest);
    if (!socket.waitForBytesWritten(ExchangeTimeoutMs)) {
        return false;
    }
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(ExchangeTimeoutMs)) {
            return false;
        }
    }
    return socket.readLine() == ShowAnswer;
}

}  // namespace korvalin
