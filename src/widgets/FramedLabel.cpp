#include "widgets/FramedLabel.h"

#include <QPalette>

namespace korvalin {

FramedLabel::FramedLabel(QWidget* parent) : QLabel(parent) {
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setAutoFillBackground(true);
    setIndent(2);
    SetColor(Qt::white);
    SetFontColor(Qt::black);
}

void FramedLabel::SetColor(const QColor& background) {
    QPalette colored = palette();
    colored.setColor(QPalette::Window, background);
    setPalette(colored);
}

void FramedLabel::SetFontColor(const QColor& color) {
    QPalette colored = palette();
    colored.setColor(QPalette::WindowText, color);
    setPalette(colored);
}

QColor FramedLabel::Color() const {
    return palette().color(QPalette::Window);
}

QColor FramedLabel::FontColor() const {
    return palette().color(QPalette::WindowText);
}

}  // namespace korvalin
