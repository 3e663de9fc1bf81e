#include "widgets/SpinEdit.h"

#include <algorithm>

namespace korvalin {

SpinEdit::SpinEdit(QWidget* parent) : QSpinBox(parent) {
    setKeyboardTracking(false);
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
}

void SpinEdit::SetValue(long long value) {
    setValue(static_cast<int>(std::clamp<long long>(value, minimum(), maximum())));
}

void SpinEdit::SetText(const QString& text) {
    setValue(valueFromText(text));
}

int SpinEdit::valueFromText(const QString& text) const {
    bool number = false;
    const long long value = text.trimmed().toLongLong(&number);
    if (!number) {
        return minimum();
    }
    return static_cast<int>(std::clamp<long long>(value, minimum(), maximum()));
}

QValidator::State SpinEdit::validate(QString& input, int&) const {
    const QString text = input.trimmed();
    if (text.isEmpty() || text == QLatin1String("-")) {
        return QValidator::Intermediate;
    }
    bool number = false;
    text.toLongLong(&number);
    return number ? QValidator::Acceptable : QValidator::Intermediate;
}

void SpinEdit::fixup(QString& input) const {
    input = QString::number(valueFromText(input));
}

}  // namespace korvalin
