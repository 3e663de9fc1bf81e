#include "display/ByteMeterGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace korvalin::bytemeter {

namespace {

constexpr double KiloByte = 1024.0;
constexpr double MegaByte = 1048576.0;
constexpr std::int64_t EmptyMaxY = 12;

// Height of one value above the baseline; a value that cannot be computed lies on it.
int PointY(std::uint32_t entry, const Layout& layout) {
    const double value = static_cast<double>(entry) / layout.unit.divisor;
    const double rise =
        std::trunc(layout.plotHeight * value / static_cast<double>(layout.scaleTop));
    if (!std::isfinite(rise)) {
        return layout.baseline;
    }
    const double y = layout.baseline - rise;
    // Values above the scale stay one pixel inside the frame's top edge.
    if (y <= layout.plotTop) {
        return layout.plotTop + 1;
    }
    return static_cast<int>(std::min(y, static_cast<double>(layout.baseline) + 1e6));
}

std::vector<Point> HistoryPoints(const Input& input, const std::deque<std::uint32_t>& history,
                                 const Layout& layout) {
    std::vector<Point> points;
    if (history.empty()) {
        return points;
    }
    points.reserve(history.size() + 2);
    points.push_back({input.width - input.border - 1, layout.baseline});
    std::int64_t x = input.width - input.border;
    for (auto entry = history.rbegin(); entry != history.rend(); ++entry) {
        x -= input.valueRange;
        // Points that would pass the plot's left edge collect just inside it.
        if (x < layout.plotLeft) {
            x = layout.plotLeft + 1;
        }
        points.push_back({static_cast<int>(x), PointY(*entry, layout)});
    }
    points.push_back({points.back().x, layout.baseline});
    return points;
}

}  // namespace

Unit ChooseUnit(double maxY, bool bits) {
    if (maxY < KiloByte) {
        return {bits ? "Bit/s" : "Byte", 1.0};
    }
    if (maxY < MegaByte) {
        return {bits ? "KBit/s" : "KByte", KiloByte};
    }
    return {bits ? "MBit/s" : "MByte", MegaByte};
}

std::int64_t MaxY(const std::deque<std::uint32_t>& history, std::int64_t userMaxY) {
    if (userMaxY > 0) {
        return userMaxY;
    }
    std::uint32_t largest = 0;
    for (const auto entry : history) {
        largest = std::max(largest, entry);
    }
    return largest == 0 ? EmptyMaxY : largest;
}

std::int64_t ScaleStep(double maxInUnits) {
    const double quarter = maxInUnits / 4.0;
    auto step = static_cast<std::int64_t>(std::trunc(quarter));
    if (quarter > static_cast<double>(step)) {
        ++step;
    }
    return std::max<std::int64_t>(step, 1);
}

std::string FormatDecimal(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%10.1f", value);
    std::string text = buffer;
    std::replace(text.begin(), text.end(), '.', ',');
    const auto first = text.find_first_not_of(' ');
    const auto last = text.find_last_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

std::string FormatCaption(const std::string& captionTemplate, const std::string& first,
                          const std::string& second) {
    std::string line;
    int filled = 0;
    for (std::size_t i = 0; i < captionTemplate.size(); ++i) {
        const char c = captionTemplate[i];
        if (c == '%' && i + 1 < captionTemplate.size()) {
            const char next = captionTemplate[i + 1];
            if (next == '%') {
                line += '%';
                ++i;
                continue;
            }
            if (next == 's' && filled < 2) {
                line += filled == 0 ? first : second;
                ++filled;
                ++i;
                continue;
            }
        }
        line += c;
    }
    return line;
}

std::string CaptionLine(const std::string& captionTemplate, const Unit& unit,
                        std::optional<std::uint32_t> newest, bool bits) {
    std::string current = "0 " + unit.name;
    if (newest) {
        double value = static_cast<double>(*newest) / unit.divisor;
        if (bits) {
            value *= 8;
        }
        current = FormatDecimal(value) + " " + unit.name;
    }
    return FormatCaption(captionTemplate, unit.name, current);
}

void FitToWidth(std::deque<std::uint32_t>& history, int width, int border, int valueRange,
                int width99999) {
    const auto fits = [&](std::size_t count) {
        return static_cast<std::int64_t>(width99999) +
                   static_cast<std::int64_t>(count) * valueRange + 2LL * border <=
               width;
    };
    while (!history.empty() && !fits(history.size())) {
        history.pop_front();
    }
}

std::vector<int> ColumnTops(const std::vector<Point>& points, int firstColumn, int lastColumn,
                            int baseline) {
    if (lastColumn < firstColumn) {
        return {};
    }
    std::vector<int> tops(static_cast<std::size_t>(lastColumn - firstColumn + 1), baseline);
    const auto raise = [&](int x, int y) {
        if (x >= firstColumn && x <= lastColumn) {
            int& top = tops[static_cast<std::size_t>(x - firstColumn)];
            top = std::min(top, y);
        }
    };
    // The last point is the drop back to the baseline, which bounds nothing from above.
    for (std::size_t i = 0; i + 2 < points.size(); ++i) {
        const Point a = points[i];
        const Point b = points[i + 1];
        if (a.x == b.x) {
            raise(a.x, std::min(a.y, b.y));
            continue;
        }
        const int from = std::max(std::min(a.x, b.x), firstColumn);
        const int to = std::min(std::max(a.x, b.x), lastColumn);
        for (int x = from; x <= to; ++x) {
            const double t = static_cast<double>(x - a.x) / (b.x - a.x);
            raise(x, static_cast<int>(std::lround(a.y + t * (b.y - a.y))));
        }
    }
    return tops;
}

Layout Compute(const Input& input, const TextMetrics& metrics,
               const std::deque<std::uint32_t>& history) {
    Layout layout;
    const auto maxY = static_cast<double>(MaxY(history, input.userMaxY));
    layout.plotLeft = metrics.width9999 + 2 * input.border;
    layout.unit = ChooseUnit(maxY, input.bits);
    layout.plotTop = metrics.captionHeight + 2 * input.border;
    layout.plotHeight = input.height - input.border - layout.plotTop;
    layout.frameRight = input.width - input.border;
    layout.frameBottom = input.height - input.border;
    layout.step = ScaleStep(maxY / layout.unit.divisor);
    layout.scaleTop = 4 * layout.step;
    layout.quarter = layout.plotHeight / 4;
    layout.halfDigit = metrics.digitHeight / 2;
    layout.baseline = input.height - input.border - 1;
    for (int row = 0; row < 4; ++row) {
        layout.labels[row] = {layout.plotTop + row * layout.quarter, (4 - row) * layout.step};
    }
    for (int line = 0; line < 3; ++line) {
        layout.gridLines[line] = layout.plotTop + (line + 1) * layout.quarter;
    }
    layout.points = HistoryPoints(input, history, layout);
    return layout;
}

}  // namespace korvalin::bytemeter
