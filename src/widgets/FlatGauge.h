#pragma once

#include <QColor>
#include <QWidget>

namespace korvalin {

// A flat progress bar: a frame and a filled part proportional to Progress between
// MinValue and MaxValue, with an optional percentage text.
class FlatGauge final : public QWidget {
    Q_OBJECT
public:
    explicit FlatGauge(QWidget* parent = nullptr);

    int Progress() const { return progress_; }
    // Clamped to MinValue .. MaxValue.
    void SetProgress(int progress);
    void SetRange(int minValue, int maxValue);
    int MinValue() const { return min_; }
    int MaxValue() const { return max_; }
    void SetShowText(bool show);
    void SetFrameColor(const QColor& color);
    void SetBarColor(const QColor& color);
    // Width in pixels of the filled part inside the frame.
    int FilledWidth() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int progress_ = 0;
    int min_ = 0;
    int max_ = 100;
    bool showText_ = true;
    QColor frame_ = Qt::black;
    QColor bar_ = Qt::blue;
};

}  // namespace korvalin
