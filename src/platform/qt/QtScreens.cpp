#include "platform/qt/QtScreens.h"

#include <QGuiApplication>
#include <QScreen>

namespace korvalin {

namespace {

ScreenRect ToScreenRect(const QRect& rect) {
    return {rect.left(), rect.top(), rect.width(), rect.height()};
}

}  // namespace

std::vector<Monitor> QtScreens::Monitors() const {
    std::vector<Monitor> monitors;
    const QScreen* primary = QGuiApplication::primaryScreen();
    for (const QScreen* screen : QGuiApplication::screens()) {
        monitors.push_back({ToScreenRect(screen->geometry()),
                            ToScreenRect(screen->availableGeometry()), screen == primary});
    }
    return monitors;
}

}  // namespace korvalin
