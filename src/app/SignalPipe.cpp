#include "app/SignalPipe.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <array>
#include <cerrno>
#include <csignal>

namespace korvalin {

namespace {

// Each asks the program to end as SIGTERM does, after saving.
constexpr std::array HandledSignals{SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2};

// The write end is used from the signal handler, which may only touch plain globals.
int writeEnd = -1;
int readEnd = -1;

void OnSignal(int signalNumber) {
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signalNumber);
    // A full pipe means earlier signals are still pending, which is enough to act on.
    [[maybe_unused]] const auto written = ::write(writeEnd, &byte, 1);
    errno = savedErrno;
}

bool MakeNonBlocking(int fd) {
    const int flags = fcntl(fd, F_GETFL);
    return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0 &&
           fcntl(fd, F_SETFD, FD_CLOEXEC) == 0;
}

void SetHandler(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : HandledSignals) {
        sigaction(signalNumber, &action, nullptr);
    }
}

}  // namespace

SignalPipe::SignalPipe(QObject* parent) : QObject(parent) {
    if (writeEnd >= 0) {
        return;  // another instance owns the handlers
    }
    int ends[2] = {-1, -1};
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, ends) != 0) {
        return;
    }
    if (!MakeNonBlocking(ends[0]) || !MakeNonBlocking(ends[1])) {
        ::close(ends[0]);
        ::close(ends[1]);
        return;
    }
    readEnd = ends[0];
    writeEnd = ends[1];
    notifier_ = new QSocketNotifier(readEnd, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &SignalPipe::ReadSignals);
    SetHandler(OnSignal);
    // A peer that went away must show as a failed write, not end the program unsaved.
    std::signal(SIGPIPE, SIG_IGN);
}

SignalPipe::~SignalPipe() {
    if (notifier_ == nullptr) {
        return;
    }
    SetHandler(SIG_DFL);
    delete notifier_;
    ::close(readEnd);
    ::close(writeEnd);
    readEnd = -1;
    writeEnd = -1;
}

void SignalPipe::ReadSignals() {
    unsigned char bytes[16];
    for (;;) {
        const auto count = ::read(readEnd, bytes, sizeof bytes);
        if (count <= 0) {
            return;
        }
        for (ssize_t i = 0; i < count; ++i) {
            emit TerminationRequested(bytes[i]);
        }
    }
}

}  // namespace korvalin
