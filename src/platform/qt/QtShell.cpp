#include "platform/qt/QtShell.h"

#include <QFileInfo>
#include <QObject>
#include <QString>
#include <QUrl>
#include <mutex>
#include <utility>

namespace korvalin {

namespace {

// A path that names a file on this computer, as opposed to an address with a scheme.
bool IsLocalPath(const QString& text) {
    return text.startsWith(QLatin1Char('/'));
}

// Whether the target is worth handing to an opener at all.
bool CanBeOpened(const QString& text) {
    if (text.isEmpty()) {
        return false;
    }
    if (IsLocalPath(text)) {
        // A missing file would only give the browser an error page to show.
        return QFileInfo::exists(text);
    }
    const QUrl address(text, QUrl::StrictMode);
    return address.isValid() && !address.scheme().isEmpty();
}

}  // namespace

// Where the outcomes of openers still running are delivered. The opener's thread may
// finish after the shell is gone, so it reaches the user-interface thread through this
// shared, guarded pointer, which the shell clears when it goes.
struct QtShell::Receiver {
    std::mutex mutex;
    QObject* context = nullptr;

    void Deliver(Shell::OpenCompletion done, bool opened) {
        const std::lock_guard<std::mutex> lock(mutex);
        if (context != nullptr) {
            QMetaObject::invokeMethod(
                context, [done = std::move(done), opened] { done(opened); }, Qt::QueuedConnection);
        }
    }
};

QtShell::QtShell(Shell& system) : system_(system), receiver_(std::make_shared<Receiver>()) {
    receiver_->context = new QObject;
}

QtShell::~QtShell() {
    QObject* context = nullptr;
    {
        const std::lock_guard<std::mutex> lock(receiver_->mutex);
        std::swap(context, receiver_->context);
    }
    // Deleting the context also drops the outcomes already queued for it.
    delete context;
}

std::string QtShell::AppDataFolder() const {
    // The XDG rules (relative values ignored, ~/.config as the default) live in one place.
    return system_.AppDataFolder();
}

std::string QtShell::ProgramPath() const {
    return system_.ProgramPath();
}

void QtShell::Open(const std::string& fileOrAddress, OpenCompletion done) {
    const QString text = QString::fromStdString(fileOrAddress);
    if (!CanBeOpened(text)) {
        done(false);
        return;
    }
    // The system's opener, not QDesktopServices: that one reports success as soon as the
    // opener has started, however it ends, and lets its output reach the terminal.
    system_.Open(fileOrAddress, [receiver = receiver_, done = std::move(done)](bool opened) {
        receiver->Deliver(done, opened);
    });
}

}  // namespace korvalin
