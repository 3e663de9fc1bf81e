#include "platform/qt/QtUiThread.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace korvalin {

QtUiThread::QtUiThread() {
    if (auto* application = QCoreApplication::instance()) {
        connect(application, &QCoreApplication::aboutToQuit, this,
                [this] { RequestTermination(); });
    }
}

void QtUiThread::Post(std::function<void()> task) {
    QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
}

bool QtUiThread::TerminationRequested() const {
    return terminating_.load();
}

void QtUiThread::RequestTermination() {
    terminating_.store(true);
}

}  // namespace korvalin
