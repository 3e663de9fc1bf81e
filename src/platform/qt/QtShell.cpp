#include "platform/qt/QtShell.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QString>
#include <QUrl>

namespace korvalin {

namespace {

// A path that names a file on this computer, as opposed to an address with a scheme.
bool IsLocalPath(const QString& text) {
    return text.startsWith(QLatin1Char('/'));
}

}  // namespace

std::string QtShell::AppDataFolder() const {
    // The XDG rules (relative values ignored, ~/.config as the default) live in one place.
    return system_.AppDataFolder();
}

std::string QtShell::ProgramPath() const {
    return system_.ProgramPath();
}

bool QtShell::Open(const std::string& fileOrAddress) {
    const QString text = QString::fromStdString(fileOrAddress);
    if (text.isEmpty()) {
        return false;
    }
    if (IsLocalPath(text)) {
        // A missing file would only give the browser an error page to show.
        if (!QFileInfo::exists(text)) {
            return false;
        }
        return QDesktopServices::openUrl(QUrl::fromLocalFile(text)) || system_.Open(fileOrAddress);
    }
    const QUrl address(text, QUrl::StrictMode);
    if (!address.isValid() || address.scheme().isEmpty()) {
        return false;
    }
    // Some platform plugins (offscreen, a bare Wayland session) open nothing themselves.
    return QDesktopServices::openUrl(address) || system_.Open(fileOrAddress);
}

}  // namespace korvalin
