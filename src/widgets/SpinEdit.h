#pragma once

#include <QSpinBox>

namespace korvalin {

// A numeric spin edit for whole numbers within MinValue .. MaxValue: a value outside is
// brought to the nearest bound, and text that is not a number reads as the lower bound.
class SpinEdit final : public QSpinBox {
    Q_OBJECT
public:
    explicit SpinEdit(QWidget* parent = nullptr);

    void SetBounds(int minValue, int maxValue) { setRange(minValue, maxValue); }
    // Takes value brought into the bounds.
    void SetValue(long long value);
    // Takes the number written in text, or the lower bound when text is not a number.
    void SetText(const QString& text);
    int Value() const { return value(); }

protected:
    int valueFromText(const QString& text) const override;
    QValidator::State validate(QString& input, int& position) const override;
    void fixup(QString& input) const override;
};

}  // namespace korvalin
