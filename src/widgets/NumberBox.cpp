#include "widgets/NumberBox.h"

#include "engine/Format.h"
#include "widgets/IntegerValidator.h"

#include <algorithm>

namespace widgets {

NumberBox::NumberBox(qint64 lo, qint64 hi, const QString& displayFormat, QWidget* parent)
    : QLineEdit(parent), lo_(lo), hi_(hi), format_(displayFormat)
{
    setValidator(new IntegerValidator(lo, hi, this));
    setAlignment(Qt::AlignRight);
    setValue(0);
}

qint64 NumberBox::typed() const
{
    // A value below the range's start, still being typed, is brought into it.
    bool ok = false;
    const qint64 v = text().trimmed().toLongLong(&ok);
    return std::clamp<qint64>(ok ? v : 0, lo_, hi_);
}

qint64 NumberBox::value() const { return hasFocus() ? typed() : value_; }

void NumberBox::setValue(qint64 v)
{
    value_ = std::clamp(v, lo_, hi_);
    showValue(hasFocus());
}

void NumberBox::showValue(bool editing)
{
    if (editing || format_.isEmpty())
        setText(QString::number(value_));
    else
        setText(engine::formatNumber(format_, value_));
}

void NumberBox::focusInEvent(QFocusEvent* e)
{
    showValue(true);
    QLineEdit::focusInEvent(e);
}

void NumberBox::focusOutEvent(QFocusEvent* e)
{
    value_ = typed();
    showValue(false);
    QLineEdit::focusOutEvent(e);
}

}  // namespace widgets
