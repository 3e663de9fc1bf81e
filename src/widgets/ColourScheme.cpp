#include "widgets/ColourScheme.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>

namespace korvalin {

ColourScheme::ColourScheme(QObject* parent) : QObject(parent) {
    SetDesignedColors();
}

QColor ColourScheme::FromColorRef(unsigned colorRef) {
    return QColor(static_cast<int>(colorRef & 0xFF), static_cast<int>((colorRef >> 8) & 0xFF),
                  static_cast<int>((colorRef >> 16) & 0xFF));
}

const ColourScheme& ColourScheme::Designed() {
    static const ColourScheme designed;
    return designed;
}

void ColourScheme::DrawDisabledText(QPainter& painter, const QRect& rect, int flags,
                                    const QString& text) const {
    painter.save();
    painter.setPen(DisabledFontShadow);
    painter.drawText(rect.translated(1, 1), flags, text);
    painter.setPen(DisabledFontColor);
    painter.drawText(rect, flags, text);
    painter.restore();
}

void ColourScheme::SetAutoRefresh(bool on) {
    autoRefresh_ = on;
}

void ColourScheme::Refresh() {
    if (!autoRefresh_) {
        return;
    }
    const QPalette palette = QApplication::palette();
    FontColor = palette.color(QPalette::WindowText);
    HotFontColor = FontColor;
    BtnSelectedFont = FontColor;
    SelectedFontColor = FontColor;
}

void ColourScheme::SetDesignedColors() {
    Color = FromColorRef(16105118);
    ShadowColor = FromColorRef(6582129);
    HighlightColor = FromColorRef(16775665);
    HotColor = FromColorRef(4096254);
    MenuColor = FromColorRef(16185078);
    BtnFrameColor = FromColorRef(9841920);
    UnusedColor = FromColorRef(9841920);
    BtnSelectedColor = FromColorRef(10147583);
    SelectedColor = FromColorRef(10147583);
    DisabledColor = FromColorRef(9276813);
    DisabledFontColor = FromColorRef(9276813);
    DisabledFontShadow = Qt::white;
    // The system's menu text colour.
    FontColor = QApplication::palette().color(QPalette::WindowText);
    HotFontColor = FontColor;
    BtnSelectedFont = FontColor;
    SelectedFontColor = FontColor;
    FrameBottomRightOuter = BtnFrameColor;
}

}  // namespace korvalin
