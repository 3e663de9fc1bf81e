#include "widgets/FxLabel.h"

#include <QPalette>

namespace korvalin {

TFxLabel::TFxLabel(QWidget* parent) : QLabel(parent) {
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setAutoFillBackground(true);
    setIndent(2);
    SetColor(Qt::white);
    SetFontColor(Qt::black);
}

void TFxLabel::SetColor(const QColor& background) {
    QPalette colored = palette();
    colored.setColor(QPalette::Window, background);
    setPalette(colored);
}

void TFxLabel::SetFontColor(const QColor& color) {
    QPalette colored = palette();
    colored.setColor(QPalette::WindowText, color);
    setPalette(colored);
}

QColor TFxLabel::Color() const {
    return palette().color(QPalette::Window);
}

QColor TFxLabel::FontColor() const {
    return palette().color(QPalette::WindowText);
}

}  // namespace korvalin
