#pragma once

#include <QColor>
#include <QLabel>

namespace korvalin {

// A framed value label: a single-line frame around text on its own background colour.
class FramedLabel final : public QLabel {
    Q_OBJECT
public:
    explicit FramedLabel(QWidget* parent = nullptr);

    void SetColor(const QColor& background);
    void SetFontColor(const QColor& color);
    QColor Color() const;
    QColor FontColor() const;
};

}  // namespace korvalin
