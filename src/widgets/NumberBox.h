#pragma once

#include <QLineEdit>

namespace widgets {

// A whole-number box not bound to any field: digits only within [lo, hi]
// (a minus sign where the range allows it), shown with its display format
// ("#,##0") while the box does not have the focus and as plain digits while
// it is being typed into. An empty box holds 0.
class NumberBox : public QLineEdit {
    Q_OBJECT
public:
    NumberBox(qint64 lo, qint64 hi, const QString& displayFormat = {}, QWidget* parent = nullptr);

    // The number typed or set, within [lo, hi].
    qint64 value() const;
    // Sets the number, clamped into [lo, hi].
    void setValue(qint64 v);

protected:
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    void showValue(bool editing);

    // The number typed while the box has the focus.
    qint64 typed() const;

    qint64 lo_, hi_;
    QString format_;
    qint64 value_ = 0;  // as last shown without the focus
};

}  // namespace widgets
