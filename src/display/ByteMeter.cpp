#include "display/ByteMeter.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <algorithm>
#include <cstring>

namespace korvalin {

namespace {

// Four lanes of 32 bits, as every vector unit the program runs on has them.
using Lanes = std::int32_t __attribute__((vector_size(16)));
constexpr std::size_t LaneCount = 4;

// Colours the pixels of one row whose column reaches up to row y, four at a time.
void FillRow(QRgb* row, const std::vector<int>& tops, int y, QRgb colour) {
    const Lanes rowLanes = {y, y, y, y};
    const auto c = static_cast<std::int32_t>(colour);
    const Lanes colourLanes = {c, c, c, c};
    std::size_t column = 0;
    for (; column + LaneCount <= tops.size(); column += LaneCount) {
        Lanes top;
        Lanes pixels;
        std::memcpy(&top, tops.data() + column, sizeof top);
        std::memcpy(&pixels, row + column, sizeof pixels);
        const Lanes reached = top <= rowLanes;  // all bits set where the area reaches y
        pixels = (pixels & ~reached) | (colourLanes & reached);
        std::memcpy(row + column, &pixels, sizeof pixels);
    }
    for (; column < tops.size(); ++column) {
        if (tops[column] <= y) {
            row[column] = colour;
        }
    }
}

template <typename T>
bool Change(T& field, const T& value) {
    if (field == value) {
        return false;
    }
    field = value;
    return true;
}

}  // namespace

ByteMeter::ByteMeter(QWidget* parent) : QWidget(parent) {
    // The graph covers its whole area itself, so nothing underneath needs painting.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ByteMeter::SetAxisColor(const QColor& color) {
    if (Change(axisColor_, color)) {
        update();
    }
}

void ByteMeter::SetGraphColor(const QColor& color) {
    if (Change(graphColor_, color)) {
        update();
    }
}

void ByteMeter::SetValueRange(int pixels) {
    if (Change(valueRange_, pixels)) {
        update();
    }
}

void ByteMeter::SetUserMaxY(std::int64_t bytes) {
    if (Change(userMaxY_, bytes)) {
        update();
    }
}

void ByteMeter::SetFillGraph(bool fill) {
    if (Change(fillGraph_, fill)) {
        update();
    }
}

void ByteMeter::SetCaption(const QString& captionTemplate) {
    if (Change(caption_, captionTemplate)) {
        update();
    }
}

void ByteMeter::SetColor(const QColor& color) {
    if (Change(color_, color)) {
        update();
    }
}

void ByteMeter::SetBorderWidth(int pixels) {
    if (Change(borderWidth_, pixels)) {
        update();
    }
}

void ByteMeter::AddValue(std::int64_t value) {
    // The history keeps 32-bit counts: an interval never carries more than 4 GiB.
    history_.push_back(static_cast<std::uint32_t>(value));
    while (history_.size() > bytemeter::MaxHistory) {
        history_.pop_front();
    }
    update();
}

std::int64_t ByteMeter::GetMaxY() const {
    return bytemeter::MaxY(history_, userMaxY_);
}

bytemeter::TextMetrics ByteMeter::Measure() const {
    const QFontMetrics metrics(font());
    bytemeter::TextMetrics result;
    result.width99999 = metrics.horizontalAdvance(QStringLiteral("99999"));
    result.width9999 = metrics.horizontalAdvance(QStringLiteral("9999"));
    // Any single line of text measures the font's height.
    result.digitHeight = metrics.height();
    result.captionHeight = metrics.height();
    return result;
}

const QImage& ByteMeter::Render() {
    const int w = width();
    const int h = height();
    if (image_.size() != QSize(w, h)) {
        image_ = QImage(std::max(w, 1), std::max(h, 1), QImage::Format_RGB32);
    }
    image_.fill(color_);

    const auto metrics = Measure();
    bytemeter::FitToWidth(history_, w, borderWidth_, valueRange_, metrics.width99999);
    const bytemeter::Input input{w, h, borderWidth_, valueRange_, userMaxY_, Bits};
    const auto layout = bytemeter::Compute(input, metrics, history_);

    QPainter painter(&image_);
    painter.setFont(font());
    painter.setRenderHint(QPainter::Antialiasing, false);

    std::optional<std::uint32_t> newest;
    if (!history_.empty()) {
        newest = history_.back();
    }
    const auto line = QString::fromStdString(
        bytemeter::CaptionLine(caption_.toStdString(), layout.unit, newest, Bits));
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(QPoint(layout.plotLeft, borderWidth_ + QFontMetrics(font()).ascent()), line);

    DrawFrame(painter, layout);
    DrawScale(painter, layout);
    DrawHistory(painter, layout);
    return image_;
}

void ByteMeter::DrawFrame(QPainter& painter, const bytemeter::Layout& layout) const {
    // Right and bottom edges are exclusive, as the frame's rectangle is specified.
    const QRect frame(QPoint(layout.plotLeft, layout.plotTop),
                      QPoint(layout.frameRight - 1, layout.frameBottom - 1));
    if (!frame.isValid()) {
        return;
    }
    // The frame's inside is filled with the background colour, which the whole image
    // already has.
    painter.setPen(axisColor_);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(frame.adjusted(0, 0, -1, -1));
}

void ByteMeter::DrawScale(QPainter& painter, const bytemeter::Layout& layout) const {
    painter.setPen(palette().color(QPalette::WindowText));
    for (const auto& label : layout.labels) {
        const QRect row(QPoint(borderWidth_, label.y - layout.halfDigit),
                        QPoint(layout.plotLeft - borderWidth_ - 1, label.y + layout.halfDigit - 1));
        painter.drawText(row, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine,
                         QString::number(label.value));
    }
    painter.setPen(axisColor_);
    for (const int y : layout.gridLines) {
        if (layout.frameRight - 1 >= layout.plotLeft) {
            painter.drawLine(layout.plotLeft, y, layout.frameRight - 1, y);
        }
    }
}

void ByteMeter::DrawHistory(QPainter& painter, const bytemeter::Layout& layout) {
    if (layout.points.empty()) {
        return;
    }
    QPolygon polygon(static_cast<int>(layout.points.size()));
    for (std::size_t i = 0; i < layout.points.size(); ++i) {
        polygon.setPoint(static_cast<int>(i), layout.points[i].x, layout.points[i].y);
    }
    if (fillGraph_) {
        // The area under the line is filled column by column: the raster engine's general
        // polygon fill takes milliseconds for the thousands of edges of a long history.
        painter.end();
        FillArea(layout);
        painter.begin(&image_);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(Qt::black);
        painter.drawPolygon(polygon);
    } else {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(graphColor_);
        painter.drawPolyline(polygon);
    }
}

void ByteMeter::FillArea(const bytemeter::Layout& layout) {
    const auto& points = layout.points;
    const int first = std::max(points.back().x, 0);
    const int last = std::min(points.front().x, image_.width() - 1);
    const int bottom = std::min(layout.baseline, image_.height() - 1);
    const auto tops = bytemeter::ColumnTops(points, first, last, layout.baseline);
    if (tops.empty() || bottom < 0) {
        return;
    }
    const int highest = std::max(*std::min_element(tops.begin(), tops.end()), 0);
    const QRgb colour = graphColor_.rgb();
    for (int y = highest; y <= bottom; ++y) {
        FillRow(reinterpret_cast<QRgb*>(image_.scanLine(y)) + first, tops, y, colour);
    }
}

void ByteMeter::paintEvent(QPaintEvent*) {
    const QImage& image = Render();
    QPainter painter(this);
    painter.drawImage(0, 0, image);
}

void ByteMeter::mousePressEvent(QMouseEvent* event) {
    emit MouseDown(this, event->button(), event->globalPosition().toPoint());
    QWidget::mousePressEvent(event);
}

}  // namespace korvalin
