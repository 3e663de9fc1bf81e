#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

// The byte meter's layout and scale as plain arithmetic, so the widget only draws what
// these functions compute and every pixel position can be checked without a display.
namespace korvalin::bytemeter {

// The history holds at most this many values, whatever the width.
inline constexpr std::size_t MaxHistory = 100000;

struct Unit {
    std::string name;  // "Byte", "KByte", "MByte" or their bit-rate names
    double divisor = 1;
};

// The unit and divisor that the scale maximum selects.
Unit ChooseUnit(double maxY, bool bits);

// The scale maximum before rounding: a fixed maximum above 0 wins; otherwise the largest
// value held, or 12 when there is nothing but zeros.
std::int64_t MaxY(const std::deque<std::uint32_t>& history, std::int64_t userMaxY);

// One quarter of the scale in whole units, rounded up, at least 1.
std::int64_t ScaleStep(double maxInUnits);

// "%10.1f" with a decimal comma, blanks trimmed.
std::string FormatDecimal(double value);

// The caption template with its first two "%s" replaced by first and second ("%%" is a
// percent sign); a template with fewer "%s" keeps what it has.
std::string FormatCaption(const std::string& captionTemplate, const std::string& first,
                          const std::string& second);

// The caption line: the template filled with the unit and the newest value in that unit
// (times 8 for bit rates), or "0 " and the unit when there is no value.
std::string CaptionLine(const std::string& captionTemplate, const Unit& unit,
                        std::optional<std::uint32_t> newest, bool bits);

// Text extents in pixels, as the control's font measures them.
struct TextMetrics {
    int width99999 = 0;     // width of "99999"
    int width9999 = 0;      // width of "9999"
    int digitHeight = 0;    // height of "9"
    int captionHeight = 0;  // height of the caption line
};

// Removes the oldest values while the history does not fit the width (for good).
void FitToWidth(std::deque<std::uint32_t>& history, int width, int border, int valueRange,
                int width99999);

struct Point {
    int x = 0;
    int y = 0;
    bool operator==(const Point&) const = default;
};

struct TickLabel {
    int y = 0;  // centre of the label's row
    std::int64_t value = 0;
    bool operator==(const TickLabel&) const = default;
};

struct Layout {
    int plotLeft = 0;     // L
    int plotTop = 0;      // T
    int plotHeight = 0;   // P
    int frameRight = 0;   // W - B, exclusive
    int frameBottom = 0;  // H - B, exclusive
    int quarter = 0;      // Q
    int halfDigit = 0;    // h
    int baseline = 0;     // H - B - 1
    Unit unit;
    std::int64_t step = 1;
    std::int64_t scaleTop = 4;  // 4 * step, in units
    std::array<TickLabel, 4> labels{};
    std::array<int, 3> gridLines{};
    // Empty when there is no history; otherwise the closed outline (filled graph) or the
    // line's points in drawing order: bottom right, newest to oldest, back to the baseline.
    std::vector<Point> points;
};

struct Input {
    int width = 0;
    int height = 0;
    int border = 2;
    int valueRange = 10;
    std::int64_t userMaxY = 0;
    bool bits = false;
};

// Everything one paint draws, from a history already fitted to the width.
Layout Compute(const Input& input, const TextMetrics& metrics,
               const std::deque<std::uint32_t>& history);

// The top edge of the filled history area in each column from firstColumn to
// lastColumn: the highest y that the line through points (without the closing point on
// the baseline) reaches in that column, or the baseline where it reaches none. The area
// runs from there down to the baseline.
std::vector<int> ColumnTops(const std::vector<Point>& points, int firstColumn, int lastColumn,
                            int baseline);

}  // namespace korvalin::bytemeter
