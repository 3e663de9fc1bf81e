#include "widgets/MyXPColorMap.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>

namespace korvalin {

TMyXPColorMap::TMyXPColorMap(QObject* parent) : QObject(parent) {
    SetDesignedColors();
}

QColor TMyXPColorMap::FromColorRef(unsigned colorRef) {
    return QColor(static_cast<int>(colorRef & 0xFF), static_cast<int>((colorRef >> 8) & 0xFF),
                  static_cast<int>((colorRef >> 16) & 0xFF));
}

const TMyXPColorMap& TMyXPColorMap::Designed() {
    static const TMyXPColorMap designed;
    return designed;
}

void TMyXPColorMap::DrawDisabledText(QPainter& painter, const QRect& rect, int flags,
                                     const QString& text) const {
    painter.save();
    painter.setPen(DisabledFontShadow);
    painter.drawText(rect.translated(1, 1), flags, text);
    painter.setPen(DisabledFontColor);
    painter.drawText(rect, flags, text);
    painter.restore();
}

void TMyXPColorMap::SetAutoRefresh(bool on) {
    autoRefresh_ = on;
}

void TMyXPColorMap::Refresh() {
    if (!autoRefresh_) {
        return;
    }
    const QPalette palette = QApplication::palette();
    FontColor = palette.color(QPalette::WindowText);
    HotFontColor = FontColor;
    BtnSelectedFont = FontColor;
    SelectedFontColor = FontColor;
}

void TMyXPColorMap::SetDesignedColors() {
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
