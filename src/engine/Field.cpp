#include "engine/Field.h"

#include "engine/Dataset.h"
#include "engine/Format.h"

#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace engine {

bool isIntegerType(FieldType t)
{
    return t == FieldType::Smallint || t == FieldType::Integer || t == FieldType::Largeint ||
           t == FieldType::AutoInc;
}

qsizetype characterCount(QStringView text)
{
    qsizetype n = text.size();
    for (qsizetype i = 0; i + 1 < text.size(); ++i)
        if (text[i].isHighSurrogate() && text[i + 1].isLowSurrogate()) {
            --n;
            ++i;
        }
    return n;
}

QString leftCharacters(const QString& text, qsizetype n)
{
    qsizetype i = 0;
    for (qsizetype k = 0; k < n && i < text.size(); ++k)
        i += text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
    return text.left(i);
}

QString fieldTypeName(FieldType t)
{
    switch (t) {
    case FieldType::String: return "String";
    case FieldType::Smallint: return "Smallint";
    case FieldType::Integer: return "Integer";
    case FieldType::Largeint: return "Largeint";
    case FieldType::AutoInc: return "AutoInc";
    case FieldType::Date: return "Date";
    case FieldType::Boolean: return "Boolean";
    case FieldType::Float: return "Float";
    }
    return {};
}

void integerRange(FieldType t, qint64& lo, qint64& hi)
{
    switch (t) {
    case FieldType::Smallint: lo = -32768; hi = 32767; break;
    case FieldType::Integer:
    case FieldType::AutoInc:
        lo = std::numeric_limits<qint32>::min();
        hi = std::numeric_limits<qint32>::max();
        break;
    default:
        lo = std::numeric_limits<qint64>::min();
        hi = std::numeric_limits<qint64>::max();
    }
}

const FieldDef& Field::def() const { return ds_->fieldDefs().at(size_t(index_)); }

FieldMeta& Field::meta() const { return ds_->meta(name()); }

QString Field::displayLabel() const
{
    const QString l = meta().displayLabel;
    return l.isEmpty() ? name() : l;
}

QVariant Field::value() const { return ds_->currentValue(index_); }

bool Field::isNull() const { return !value().isValid() || value().isNull(); }

QString Field::asString() const
{
    const QVariant v = value();
    if (!v.isValid() || v.isNull())
        return {};
    switch (type()) {
    case FieldType::Date: return shortDate(v.toDate());
    case FieldType::Boolean: return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case FieldType::Float: return QString::number(v.toDouble(), 'g', 15);
    default: return v.toString();
    }
}

int Field::asInteger() const
{
    const qint64 v = asLargeInt();
    if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
        throw DatabaseError(QStringLiteral("El valor del campo «%1» no cabe en un entero de 32 bits").arg(name()),
                            DatabaseError::Kind::OutOfRange, name());
    return int(v);
}

qint64 Field::asLargeInt() const
{
    const QVariant v = value();
    if (!v.isValid() || v.isNull())
        return 0;
    switch (type()) {
    case FieldType::Float: return qint64(v.toDouble());
    case FieldType::Boolean: return v.toBool() ? 1 : 0;
    case FieldType::String: {
        bool ok = false;
        const qint64 r = v.toString().trimmed().toLongLong(&ok);
        return ok ? r : 0;
    }
    default: return v.toLongLong();
    }
}

double Field::asFloat() const
{
    const QVariant v = value();
    if (!v.isValid() || v.isNull())
        return 0;
    if (isIntegerType(type()))
        return double(v.toLongLong());
    return v.toDouble();
}

QDate Field::asDate() const
{
    const QVariant v = value();
    if (!v.isValid() || v.isNull())
        return {};
    if (v.typeId() == QMetaType::QDate)
        return v.toDate();
    return parseDate(v.toString());
}

bool Field::asBoolean() const
{
    const QVariant v = value();
    if (!v.isValid() || v.isNull())
        return false;
    if (v.typeId() == QMetaType::QString) {
        const QString s = v.toString().trimmed().toLower();
        return s == "1" || s == "true" || s == "si" || s == "sí";
    }
    return v.toBool();
}

QString Field::displayTextOf(const QVariant& v) const
{
    if (!v.isValid() || v.isNull())
        return {};
    const FieldMeta& m = meta();
    switch (type()) {
    case FieldType::Boolean: {
        const bool b = v.toBool();
        if (!m.trueText.isEmpty() || !m.falseText.isEmpty())
            return b ? m.trueText : m.falseText;
        return b ? QStringLiteral("True") : QStringLiteral("False");
    }
    case FieldType::Date: return shortDate(v.typeId() == QMetaType::QDate ? v.toDate() : parseDate(v.toString()));
    case FieldType::Float:
        if (!m.displayFormat.isEmpty())
            return formatNumber(m.displayFormat, v.toDouble());
        return programLocale().toString(v.toDouble(), 'g', 15);
    case FieldType::String: return v.toString();
    default:
        if (!m.displayFormat.isEmpty())
            return formatNumber(m.displayFormat, v.toLongLong());
        return QString::number(v.toLongLong());
    }
}

QString Field::displayText() const { return displayTextOf(value()); }

QVariant Field::convert(const QVariant& v) const
{
    if (!v.isValid() || v.isNull())
        return {};
    const FieldType t = type();
    auto bad = [&](const QString& text) {
        return DatabaseError(QStringLiteral("«%1» no es un valor válido para el campo «%2»").arg(text, name()),
                             DatabaseError::Kind::BadValue, name());
    };
    switch (t) {
    case FieldType::String: {
        QString s = v.toString();
        if (s.isEmpty())
            return {};
        if (size() > 0 && characterCount(s) > size())
            throw DatabaseError(QStringLiteral("El texto «%1» es demasiado largo para el campo «%2» (como máximo %3 caracteres)")
                                    .arg(s, name()).arg(size()),
                                DatabaseError::Kind::TooLong, name());
        return s;
    }
    case FieldType::Smallint:
    case FieldType::Integer:
    case FieldType::Largeint:
    case FieldType::AutoInc: {
        qint64 n = 0;
        if (v.typeId() == QMetaType::QString) {
            const QString s = v.toString().trimmed();
            if (s.isEmpty())
                return {};
            bool ok = false;
            n = s.toLongLong(&ok);
            if (!ok) {
                // A number too big for 64 bits is out of range, other text is not a number.
                static const QRegularExpression digits(QStringLiteral("^[+-]?\\d+$"));
                if (digits.match(s).hasMatch())
                    throw DatabaseError(QStringLiteral("El número %1 está fuera del rango del campo «%2»").arg(s, name()),
                                        DatabaseError::Kind::OutOfRange, name());
                throw bad(s);
            }
        } else if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float) {
            const double d = v.toDouble();
            if (d != double(qint64(d)))
                throw bad(v.toString());
            n = qint64(d);
        } else if (v.typeId() == QMetaType::Bool) {
            n = v.toBool() ? 1 : 0;
        } else {
            bool ok = false;
            n = v.toLongLong(&ok);
            if (!ok)
                throw bad(v.toString());
        }
        qint64 lo, hi;
        integerRange(t, lo, hi);
        if (n < lo || n > hi)
            throw DatabaseError(QStringLiteral("El número %1 está fuera del rango del campo «%2» (de %3 a %4)")
                                    .arg(n).arg(name()).arg(lo).arg(hi),
                                DatabaseError::Kind::OutOfRange, name());
        return n;
    }
    case FieldType::Date: {
        QDate d;
        if (v.typeId() == QMetaType::QDate) {
            d = v.toDate();
        } else {
            const QString s = v.toString().trimmed();
            if (s.isEmpty())
                return {};
            d = parseDate(s);
            if (!d.isValid())
                throw bad(s);
        }
        if (!d.isValid() || d.year() < 1 || d.year() > 9999)
            throw bad(v.toString());
        return d;
    }
    case FieldType::Boolean: {
        if (v.typeId() == QMetaType::QString) {
            const QString s = v.toString().trimmed().toLower();
            if (s.isEmpty()) return {};
            if (s == "1" || s == "true" || s == "si" || s == "sí") return true;
            if (s == "0" || s == "false" || s == "no") return false;
            throw bad(v.toString());
        }
        return v.toBool();
    }
    case FieldType::Float: {
        if (v.typeId() == QMetaType::QString) {
            const QString s = v.toString().trimmed();
            if (s.isEmpty()) return {};
            bool ok = false;
            double d = programLocale().toDouble(s, &ok);
            if (!ok) d = s.toDouble(&ok);
            if (!ok || !std::isfinite(d)) throw bad(s);
            return d;
        }
        bool ok = false;
        const double d = v.toDouble(&ok);
        if (!ok || !std::isfinite(d)) throw bad(v.toString());
        return d;
    }
    }
    return v;
}

void Field::setValue(const QVariant& v) { ds_->setCurrentValue(index_, convert(v)); }
void Field::setAsString(const QString& s) { setValue(QVariant(s)); }
void Field::setAsInteger(qint64 v) { setValue(QVariant(v)); }
void Field::setAsFloat(double v) { setValue(QVariant(v)); }
void Field::setAsDate(const QDate& d) { setValue(d.isValid() ? QVariant(d) : QVariant()); }
void Field::setAsBoolean(bool b) { setValue(QVariant(b)); }
void Field::clear() { ds_->setCurrentValue(index_, QVariant()); }

}  // namespace engine
