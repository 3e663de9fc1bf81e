#include "widgets/RxSpinEdit.h"

#include <algorithm>

namespace korvalin {

TRxSpinEdit::TRxSpinEdit(QWidget* parent) : QSpinBox(parent) {
    setKeyboardTracking(false);
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
}

void TRxSpinEdit::SetValue(long long value) {
    setValue(static_cast<int>(std::clamp<long long>(value, minimum(), maximum())));
}

void TRxSpinEdit::SetText(const QString& text) {
    setValue(valueFromText(text));
}

int TRxSpinEdit::valueFromText(const QString& text) const {
    bool number = false;
    const long long value = text.trimmed().toLongLong(&number);
    if (!number) {
        return minimum();
    }
    return static_cast<int>(std::clamp<long long>(value, minimum(), maximum()));
}

QValidator::State TRxSpinEdit::validate(QString& input, int&) const {
    const QString text = input.trimmed();
    if (text.isEmpty() || text == QLatin1String("-")) {
        return QValidator::Intermediate;
    }
    bool number = false;
    text.toLongLong(&number);
    return number ? QValidator::Acceptable : QValidator::Intermediate;
}

void TRxSpinEdit::fixup(QString& input) const {
    input = QString::number(valueFromText(input));
}

}  // namespace korvalin
