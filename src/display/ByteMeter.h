#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <deque>

#include "display/ByteMeterGeometry.h"

namespace korvalin {

// A scrolling graph of per-interval byte counts: the newest value enters at the right, a
// four-step Y scale with its unit, and a caption line with the newest value. It paints
// its whole area into an off-screen image and copies that to the screen in one go.
class ByteMeter : public QWidget {
    Q_OBJECT

public:
    explicit ByteMeter(QWidget* parent = nullptr);

    QColor AxisColor() const { return axisColor_; }
    void SetAxisColor(const QColor& color);
    QColor GraphColor() const { return graphColor_; }
    void SetGraphColor(const QColor& color);
    int ValueRange() const { return valueRange_; }
    void SetValueRange(int pixels);
    std::int64_t UserMaxY() const { return userMaxY_; }
    void SetUserMaxY(std::int64_t bytes);
    bool FillGraph() const { return fillGraph_; }
    void SetFillGraph(bool fill);
    // A plain field: the next value added repaints with the new unit names.
    bool Bits = false;

    QString Caption() const { return caption_; }
    void SetCaption(const QString& captionTemplate);
    QColor Color() const { return color_; }
    void SetColor(const QColor& color);
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int pixels);

    // Appends the low 32 bits of value, keeps at most the last 100000 and repaints.
    void AddValue(std::int64_t value);
    std::int64_t GetMaxY() const;

    const std::deque<std::uint32_t>& History() const { return history_; }

    // Paints into the off-screen image (trimming the history to the width) and returns it.
    const QImage& Render();

signals:
    // Any mouse button pressed on the graph, with the position on the screen.
    void MouseDown(korvalin::ByteMeter* sender, Qt::MouseButton button, QPoint globalPosition);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    bytemeter::TextMetrics Measure() const;
    void DrawFrame(class QPainter& painter, const bytemeter::Layout& layout) const;
    void DrawScale(QPainter& painter, const bytemeter::Layout& layout) const;
    void DrawHistory(QPainter& painter, const bytemeter::Layout& layout);
    void FillArea(const bytemeter::Layout& layout);

    QColor axisColor_{Qt::black};
    QColor graphColor_{0, 0, 255};
    int valueRange_ = 10;
    std::int64_t userMaxY_ = 0;
    bool fillGraph_ = true;
    QString caption_;
    QColor color_{Qt::white};
    int borderWidth_ = 2;
    std::deque<std::uint32_t> history_;
    QImage image_;
};

}  // namespace korvalin
