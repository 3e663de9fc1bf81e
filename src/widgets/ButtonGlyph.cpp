#include "widgets/ButtonGlyph.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>
#include <algorithm>

namespace korvalin {

namespace {

// A letter centred in a ring, for "i" and "?".
void PaintRingedLetter(QPainter& painter, const QRectF& box, const QColor& ink, QChar letter,
                       double stroke) {
    painter.drawEllipse(box.adjusted(stroke / 2, stroke / 2, -stroke / 2, -stroke / 2));
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(std::max(1, static_cast<int>(box.height() * 0.75)));
    painter.setFont(font);
    painter.setPen(ink);
    painter.drawText(box, Qt::AlignCenter, QString(letter));
}

}  // namespace

void PaintButtonGlyph(QPainter& painter, ButtonGlyph glyph, const QRectF& box, const QColor& ink) {
    if (glyph == ButtonGlyph::None || box.isEmpty()) {
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    const double s = box.width();
    const double stroke = std::max(1.0, s / 8.0);
    QPen pen(ink, stroke, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    // Points in a unit square mapped onto the box.
    const auto at = [&box, s](double x, double y) {
        return QPointF(box.left() + x * s, box.top() + y * s);
    };
    switch (glyph) {
    case ButtonGlyph::Confirm: {
        const QPointF tick[] = {at(0.12, 0.55), at(0.4, 0.82), at(0.9, 0.18)};
        painter.drawPolyline(tick, 3);
        break;
    }
    case ButtonGlyph::Info:
        PaintRingedLetter(painter, box, ink, QLatin1Char('i'), stroke);
        break;
    case ButtonGlyph::Help:
        PaintRingedLetter(painter, box, ink, QLatin1Char('?'), stroke);
        break;
    case ButtonGlyph::Web: {
        const QRectF globe = box.adjusted(stroke / 2, stroke / 2, -stroke / 2, -stroke / 2);
        painter.drawEllipse(globe);
        painter.drawEllipse(globe.adjusted(globe.width() * 0.28, 0, -globe.width() * 0.28, 0));
        painter.drawLine(at(0.06, 0.5), at(0.94, 0.5));
        break;
    }
    case ButtonGlyph::Quit: {
        const QRectF ring = box.adjusted(s * 0.1, s * 0.15, -s * 0.1, -s * 0.05);
        // An open ring with a bar through its gap at the top.
        painter.drawArc(ring, 120 * 16, -240 * 16);
        painter.drawLine(at(0.5, 0.05), at(0.5, 0.5));
        break;
    }
    case ButtonGlyph::Reset: {
        const QRectF ring = box.adjusted(s * 0.12, s * 0.12, -s * 0.12, -s * 0.12);
        painter.drawArc(ring, 90 * 16, 270 * 16);
        // The arrow head at the arc's open end, pointing along it.
        painter.setBrush(ink);
        const QPointF head[] = {at(0.5, -0.02), at(0.78, 0.12), at(0.5, 0.3)};
        painter.drawPolygon(head, 3);
        break;
    }
    case ButtonGlyph::Test: {
        painter.drawEllipse(QRectF(at(0.08, 0.08), at(0.64, 0.64)));
        pen.setWidthF(stroke * 1.6);
        painter.setPen(pen);
        painter.drawLine(at(0.62, 0.62), at(0.92, 0.92));
        break;
    }
    case ButtonGlyph::Start: {
        painter.setBrush(ink);
        const QPointF play[] = {at(0.2, 0.1), at(0.88, 0.5), at(0.2, 0.9)};
        painter.drawPolygon(play, 3);
        break;
    }
    case ButtonGlyph::None:
        break;
    }
    painter.restore();
}

}  // namespace korvalin
