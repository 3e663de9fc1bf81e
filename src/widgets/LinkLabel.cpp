#include "widgets/LinkLabel.h"

#include <QMouseEvent>
#include <QPalette>

namespace korvalin {

LinkLabel::LinkLabel(QWidget* parent) : QLabel(parent) {
    setAutoFillBackground(true);
    setCursor(Qt::PointingHandCursor);
    normal_ = palette().color(QPalette::Window);
    highlight_ = normal_;
}

void LinkLabel::SetNormalColor(const QColor& color) {
    normal_ = color;
    ApplyBackground();
}

void LinkLabel::SetHighlightColor(const QColor& color) {
    highlight_ = color;
    ApplyBackground();
}

void LinkLabel::SetHighlighted(bool on) {
    highlighted_ = on;
    ApplyBackground();
}

void LinkLabel::OpenAddress(const Shell::OpenCompletion& done) {
    emit Clicked();
    const Shell::OpenCompletion report = done ? done : [](bool) {};
    if (shell_ == nullptr || address_.empty()) {
        report(false);
        return;
    }
    shell_->Open(address_, report);
}

void LinkLabel::enterEvent(QEnterEvent* event) {
    SetHighlighted(true);
    QLabel::enterEvent(event);
}

void LinkLabel::leaveEvent(QEvent* event) {
    SetHighlighted(false);
    QLabel::leaveEvent(event);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        OpenAddress();
    }
    QLabel::mouseReleaseEvent(event);
}

void LinkLabel::ApplyBackground() {
    QPalette colored = palette();
    colored.setColor(QPalette::Window, highlighted_ ? highlight_ : normal_);
    setPalette(colored);
}

}  // namespace korvalin
