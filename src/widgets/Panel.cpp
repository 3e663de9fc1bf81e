#include "widgets/Panel.h"

#include <QPalette>

namespace korvalin {

Panel::Panel(QWidget* parent) : QFrame(parent) {
    setAutoFillBackground(true);
    color_ = palette().color(QPalette::Window);
}

void Panel::SetColor(const QColor& color) {
    color_ = color;
    QPalette colored = palette();
    colored.setColor(QPalette::Window, color);
    setPalette(colored);
}

void Panel::SetBevel(bool raised) {
    setFrameStyle(raised ? (QFrame::Panel | QFrame::Raised) : QFrame::NoFrame);
}

}  // namespace korvalin
