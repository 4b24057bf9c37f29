#pragma once

#include <QSpinBox>

// A spin field as the properties dialog's operators know it: with limits it clamps a value set
// into it and a typed value when it loses the focus, but while a number is being typed it
// reports that number as it stands; without limits it takes any integer. A text that is no
// number counts as the lower limit (0 without limits). Keys accept only digits, a sign and the
// decimal separator.
class TSpinEdit : public QSpinBox {
    Q_OBJECT

public:
    explicit TSpinEdit(QWidget* parent = nullptr);

    // MinValue == MaxValue == 0 means no limits.
    void SetLimits(int minValue, int maxValue);
    bool HasLimits() const { return FMinValue != 0 || FMaxValue != 0; }
    int MinValue() const { return FMinValue; }
    int MaxValue() const { return FMaxValue; }
    void SetIncrement(int step) { setSingleStep(step); }

    int Value() const;
    void SetValue(int value);

protected:
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;
    int valueFromText(const QString& text) const override;
    QString textFromValue(int value) const override;

private:
    bool ParseNumber(const QString& text, int& value) const;
    int Clamped(long long value) const;

    int FMinValue = 0;
    int FMaxValue = 0;
};
