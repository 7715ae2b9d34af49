#pragma once

#include <QRegularExpression>
#include <QValidator>

#include <algorithm>

namespace widgets {

// Digits only, an optional leading minus when negatives are allowed, and no
// value outside [lo, hi] even while typing (a positive value below a positive
// minimum may still grow, so it is only intermediate).
class IntegerValidator : public QValidator {
public:
    IntegerValidator(qint64 lo, qint64 hi, QObject* parent) : QValidator(parent), lo_(lo), hi_(hi) {}
    State validate(QString& input, int&) const override
    {
        static const QRegularExpression re(QStringLiteral("^-?[0-9]*$"));
        if (input.isEmpty())
            return Acceptable;
        if (!re.match(input).hasMatch())
            return Invalid;
        if (input.startsWith('-') && lo_ >= 0)
            return Invalid;
        if (input == QLatin1String("-"))
            return Intermediate;
        bool ok = false;
        const qint64 v = input.toLongLong(&ok);
        if (!ok || v > hi_ || v < std::min<qint64>(lo_, 0))
            return Invalid;
        return v < lo_ ? Intermediate : Acceptable;
    }

private:
    qint64 lo_, hi_;
};

}  // namespace widgets
