#include "engine/Format.h"

#include <QRegularExpression>

#include <cmath>

namespace engine {

namespace {
QLocale& localeSlot()
{
    static QLocale loc = [] {
        QLocale sys = QLocale::system();
        if (sys.language() == QLocale::C)
            return QLocale(QLocale::Spanish, QLocale::Spain);
        return sys;
    }();
    return loc;
}

struct Pattern {
    int minInt = 0;     // zeros in the whole part
    bool group = false;
    int minDec = 0;     // zeros after the point
    int maxDec = 0;     // zeros and hashes after the point
    QString prefix, suffix;
};

Pattern parse(const QString& p)
{
    Pattern r;
    int i = 0;
    while (i < p.size() && !QString("#0,.").contains(p.at(i)))
        r.prefix.append(p.at(i++));
    bool inDec = false;
    for (; i < p.size(); ++i) {
        const QChar c = p.at(i);
        if (c == '.') {
            if (inDec) break;
            inDec = true;
        } else if (c == ',') {
            if (!inDec) r.group = true;
        } else if (c == '0') {
            if (inDec) { ++r.minDec; ++r.maxDec; } else ++r.minInt;
        } else if (c == '#') {
            if (inDec) ++r.maxDec;
        } else {
            break;
        }
    }
    r.suffix = p.mid(i);
    return r;
}

QString groupDigits(const QString& digits, const QLocale& loc)
{
    const QString sep = loc.groupSeparator();
    QString out;
    const int n = digits.size();
    for (int i = 0; i < n; ++i) {
        out.append(digits.at(i));
        const int left = n - 1 - i;
        if (left > 0 && left % 3 == 0)
            out.append(sep);
    }
    return out;
}

QString assemble(const Pattern& pt, bool negative, QString whole, QString dec, const QLocale& loc)
{
    // whole: digits without leading zeros ("" for zero); dec: maxDec digits.
    while (whole.size() < pt.minInt)
        whole.prepend('0');
    while (dec.size() > pt.minDec && dec.endsWith('0'))
        dec.chop(1);
    QString out = pt.group ? groupDigits(whole, loc) : whole;
    if (!dec.isEmpty())
        out += loc.decimalPoint() + dec;
    if (out.isEmpty())
        return pt.prefix + pt.suffix;
    if (negative)
        out.prepend(loc.negativeSign());
    return pt.prefix + out + pt.suffix;
}
}  // namespace

QLocale programLocale() { return localeSlot(); }
void setProgramLocale(const QLocale& locale) { localeSlot() = locale; }

QString formatNumber(const QString& pattern, qint64 value, const QLocale& loc)
{
    const Pattern pt = parse(pattern);
    const bool negative = value < 0;
    // Magnitude without overflow for the lowest value.
    const quint64 mag = negative ? quint64(0) - quint64(value) : quint64(value);
    QString whole = mag == 0 ? QString() : QString::number(mag);
    const bool isZero = mag == 0;
    const QString out = assemble(pt, negative && !isZero, whole, QString(pt.maxDec, '0'), loc);
    return out;
}

QString formatNumber(const QString& pattern, double value, const QLocale& loc)
{
    const Pattern pt = parse(pattern);
    if (!std::isfinite(value))
        return QString::number(value);
    const bool negative = value < 0;
    const double scale = std::pow(10.0, pt.maxDec);
    const double scaled = std::round(std::fabs(value) * scale);  // half away from zero
    // Exact decimal digits of the scaled whole number.
    QString digits = QString::number(scaled, 'f', 0);
    while (digits.size() <= pt.maxDec)
        digits.prepend('0');
    QString whole = digits.left(digits.size() - pt.maxDec);
    QString dec = digits.right(pt.maxDec);
    while (whole.startsWith('0'))
        whole.remove(0, 1);
    const bool isZero = scaled == 0;
    return assemble(pt, negative && !isZero, whole, dec, loc);
}

QString shortDate(const QDate& d)
{
    return d.isValid() ? d.toString("dd/MM/yyyy") : QString();
}

QDate parseDate(const QString& in)
{
    const QString s = in.trimmed();
    static const QRegularExpression dmy(R"(^(\d{1,2})[/\-.](\d{1,2})[/\-.](\d{4})$)");
    static const QRegularExpression iso(R"(^(\d{4})-(\d{2})-(\d{2})$)");
    auto m = iso.match(s);
    if (m.hasMatch())
        return QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    m = dmy.match(s);
    if (m.hasMatch())
        return QDate(m.captured(3).toInt(), m.captured(2).toInt(), m.captured(1).toInt());
    return {};
}

}  // namespace engine
