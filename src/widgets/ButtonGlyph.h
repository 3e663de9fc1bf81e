#pragma once

#include <QColor>
#include <QRectF>

class QPainter;

namespace korvalin {

// The small pictures the flat buttons carry in front of their captions, drawn in the
// caption's colour so they follow the button's state. None draws nothing.
enum class ButtonGlyph {
    None,
    Confirm,  // a check mark: accept and close
    Info,     // an "i" in a ring: information windows
    Help,     // a "?" in a ring: the manual
    Web,      // a globe: the web page
    Quit,     // a power symbol: end the program
    Reset,    // an arrow turning back: set to zero
    Test,     // a magnifying glass: try a connection
    Start,    // a play triangle: start something that keeps running
};

// The side of the square a glyph is drawn in on a button.
inline constexpr int ButtonGlyphSize = 12;

// Draws the glyph into the box (square, any size) with the ink colour.
void PaintButtonGlyph(QPainter& painter, ButtonGlyph glyph, const QRectF& box, const QColor& ink);

}  // namespace korvalin
