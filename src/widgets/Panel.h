#pragma once

#include <QColor>
#include <QFrame>

namespace korvalin {

// A plain panel with its own background colour, optionally with a raised bevel.
class Panel final : public QFrame {
    Q_OBJECT
public:
    explicit Panel(QWidget* parent = nullptr);

    QColor Color() const { return color_; }
    void SetColor(const QColor& color);
    void SetBevel(bool raised);

private:
    QColor color_;
};

}  // namespace korvalin
