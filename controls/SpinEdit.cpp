#include "controls/SpinEdit.h"

#include <algorithm>
#include <climits>

TSpinEdit::TSpinEdit(QWidget* parent) : QSpinBox(parent) {
    SetLimits(0, 0);
}

void TSpinEdit::SetLimits(int minValue, int maxValue) {
    FMinValue = minValue;
    FMaxValue = maxValue;
    if (HasLimits())
        setRange(minValue, maxValue);
    else
        setRange(INT_MIN, INT_MAX);
}

bool TSpinEdit::ParseNumber(const QString& text, int& value) const {
    bool ok = false;
    value = text.toInt(&ok, 10);
    return ok;
}

int TSpinEdit::Clamped(long long value) const {
    return HasLimits() ? static_cast<int>(std::clamp<long long>(value, FMinValue, FMaxValue))
                       : static_cast<int>(value);
}

int TSpinEdit::Value() const {
    int value = 0;
    return ParseNumber(cleanText(), value) ? value : FMinValue;
}

void TSpinEdit::SetValue(int value) {
    setValue(Clamped(value));
}

QValidator::State TSpinEdit::validate(QString& input, int&) const {
    const QString decimalPoint = locale().decimalPoint();
    for (const QChar c : input)
        if (!c.isDigit() && c != u'+' && c != u'-' && !decimalPoint.contains(c))
            return QValidator::Invalid;
    int value = 0;
    if (ParseNumber(input, value) && value == Clamped(value))
        return QValidator::Acceptable;
    // Typing may pass through texts that are no number or lie beyond the limits.
    return QValidator::Intermediate;
}

void TSpinEdit::fixup(QString& input) const {
    int value = 0;
    if (!ParseNumber(input, value)) {
        // A number too long for 32 bits still clamps to the limit it passes.
        bool ok = false;
        const long long wide = input.toLongLong(&ok, 10);
        value = ok && HasLimits() ? Clamped(wide) : FMinValue;
    }
    input = QString::number(Clamped(value));
}

int TSpinEdit::valueFromText(const QString& text) const {
    int value = 0;
    return ParseNumber(text, value) ? value : FMinValue;
}

// Plain digits: no group separators, which the field would not accept back as typed text.
QString TSpinEdit::textFromValue(int value) const {
    return QString::number(value);
}
