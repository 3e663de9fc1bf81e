#include "widgets/MyPanel.h"

#include <QPalette>

namespace korvalin {

TMyPanel::TMyPanel(QWidget* parent) : QFrame(parent) {
    setAutoFillBackground(true);
    color_ = palette().color(QPalette::Window);
}

void TMyPanel::SetColor(const QColor& color) {
    color_ = color;
    QPalette colored = palette();
    colored.setColor(QPalette::Window, color);
    setPalette(colored);
}

void TMyPanel::SetBevel(bool raised) {
    setFrameStyle(raised ? (QFrame::Panel | QFrame::Raised) : QFrame::NoFrame);
}

}  // namespace korvalin
