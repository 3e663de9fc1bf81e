#include "widgets/FlatGauge.h"

#include <QPainter>
#include <algorithm>

namespace korvalin {

FlatGauge::FlatGauge(QWidget* parent) : QWidget(parent) {}

void FlatGauge::SetProgress(int progress) {
    progress_ = std::clamp(progress, min_, max_);
    update();
}

void FlatGauge::SetRange(int minValue, int maxValue) {
    min_ = minValue;
    max_ = std::max(minValue, maxValue);
    SetProgress(progress_);
}

void FlatGauge::SetShowText(bool show) {
    showText_ = show;
    update();
}

void FlatGauge::SetFrameColor(const QColor& color) {
    frame_ = color;
    update();
}

void FlatGauge::SetBarColor(const QColor& color) {
    bar_ = color;
    update();
}

int FlatGauge::FilledWidth() const {
    const int inner = std::max(0, width() - 2);
    if (max_ == min_) {
        return 0;
    }
    return static_cast<int>(static_cast<long long>(inner) * (progress_ - min_) / (max_ - min_));
}

void FlatGauge::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    painter.fillRect(QRect(1, 1, FilledWidth(), std::max(0, height() - 2)), bar_);
    painter.setPen(frame_);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    if (showText_ && max_ > min_) {
        const int percent = 100 * (progress_ - min_) / (max_ - min_);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(rect(), Qt::AlignCenter, QString::number(percent) + QLatin1Char('%'));
    }
}

}  // namespace korvalin
