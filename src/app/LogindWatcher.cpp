#include "app/LogindWatcher.h"

#include <QDBusConnection>

namespace korvalin {
namespace {

const char* const Service = "org.freedesktop.login1";
const char* const Path = "/org/freedesktop/login1";
const char* const Interface = "org.freedesktop.login1.Manager";

}  // namespace

LogindWatcher::LogindWatcher(QObject* parent) : QObject(parent) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        return;
    }
    const bool sleep =
        bus.connect(QLatin1String(Service), QLatin1String(Path), QLatin1String(Interface),
                    QStringLiteral("PrepareForSleep"), this, SLOT(PrepareFor(bool)));
    const bool shutdown =
        bus.connect(QLatin1String(Service), QLatin1String(Path), QLatin1String(Interface),
                    QStringLiteral("PrepareForShutdown"), this, SLOT(PrepareFor(bool)));
    watching_ = sleep && shutdown;
}

void LogindWatcher::PrepareFor(bool starting) {
    // The same signals say false when the machine has woken up again.
    if (starting) {
        emit AboutToSleepOrShutDown();
    }
}

}  // namespace korvalin
