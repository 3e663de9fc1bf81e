#include "platform/qt/QtRePosWindow.h"

#include <QWidget>

namespace korvalin {

ScreenRect QtRePosWindow::Bounds() const {
    const QPoint position = widget_.pos();
    return {position.x(), position.y(), widget_.width(), widget_.height()};
}

void QtRePosWindow::SetLeft(int left) {
    widget_.move(left, widget_.pos().y());
}

void QtRePosWindow::SetTop(int top) {
    widget_.move(widget_.pos().x(), top);
}

void QtRePosWindow::SetWidth(int width) {
    widget_.resize(width, widget_.height());
}

void QtRePosWindow::SetHeight(int height) {
    widget_.resize(widget_.width(), height);
}

WindowShowState QtRePosWindow::ShowState() const {
    if (widget_.isMinimized()) {
        return WindowShowState::Minimized;
    }
    if (widget_.isMaximized()) {
        return WindowShowState::Maximized;
    }
    return WindowShowState::Normal;
}

void QtRePosWindow::SetShowState(WindowShowState state) {
    Qt::WindowStates states = widget_.windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
    if (state == WindowShowState::Minimized) {
        states |= Qt::WindowMinimized;
    } else if (state == WindowShowState::Maximized) {
        states |= Qt::WindowMaximized;
    }
    if (states != widget_.windowState()) {
        widget_.setWindowState(states);
    }
}

bool QtRePosWindow::HasSizeableBorder() const {
    if (widget_.windowFlags().testFlag(Qt::FramelessWindowHint)) {
        return false;
    }
    return widget_.minimumSize() != widget_.maximumSize();
}

void QtRePosWindow::KeepOwnPosition() {
    // A widget never moved is placed by the window manager; marking it moved makes the
    // position given here the one it asks for.
    widget_.setAttribute(Qt::WA_Moved);
}

}  // namespace korvalin
