#include "engine/Format.h"

#include <QHash>
#include <QVarLengthArray>
#include <QRegularExpression>

#include <algorithm>
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

// Parsed once per pattern: the reports and the ranking format thousands of
// figures with the same few patterns.
Pattern patternOf(const QString& p)
{
    thread_local QHash<QString, Pattern> parsed;
    auto it = parsed.constFind(p);
    if (it != parsed.constEnd())
        return *it;
    if (parsed.size() >= 64)
        parsed.clear();
    return *parsed.insert(p, parse(p));
}

// The locale's separators, asked for once per locale.
struct Symbols {
    QLocale locale;
    QString group, point, minus;
};

const Symbols& symbolsOf(const QLocale& loc)
{
    thread_local Symbols s{QLocale::c(), {}, {}, {}};
    thread_local bool known = false;
    if (!known || !(s.locale == loc)) {
        s = {loc, loc.groupSeparator(), loc.decimalPoint(), loc.negativeSign()};
        known = true;
    }
    return s;
}

// The decimal digits of a magnitude, most significant first; none for 0.
int digitsOf(quint64 mag, char16_t (&out)[20])
{
    char16_t rev[20];
    int n = 0;
    for (; mag > 0; mag /= 10)
        rev[n++] = char16_t(u'0' + mag % 10);
    for (int i = 0; i < n; ++i)
        out[i] = rev[n - 1 - i];
    return n;
}

QString assemble(const Pattern& pt, bool negative, QStringView whole, QStringView dec, const QLocale& loc)
{
    // whole: digits without leading zeros (empty for zero); dec: maxDec digits.
    while (dec.size() > pt.minDec && dec.endsWith(u'0'))
        dec.chop(1);
    const int zeros = std::max(0, pt.minInt - int(whole.size()));
    const int digits = zeros + int(whole.size());
    if (digits == 0 && dec.isEmpty())
        return pt.prefix + pt.suffix;
    const Symbols& sym = symbolsOf(loc);
    // Built in one buffer: a report formats thousands of figures.
    QVarLengthArray<QChar, 64> out;
    auto add = [&out](QStringView v) { out.append(v.data(), v.size()); };
    add(pt.prefix);
    if (negative)
        add(sym.minus);
    for (int i = 0; i < digits; ++i) {
        out.append(i < zeros ? QChar(u'0') : whole[i - zeros]);
        const int left = digits - 1 - i;
        if (pt.group && left > 0 && left % 3 == 0)
            add(sym.group);
    }
    if (!dec.isEmpty()) {
        add(sym.point);
        add(dec);
    }
    add(pt.suffix);
    return QString(out.constData(), out.size());
}
}  // namespace

QLocale programLocale() { return localeSlot(); }
void setProgramLocale(const QLocale& locale) { localeSlot() = locale; }

QString formatNumber(const QString& pattern, qint64 value, const QLocale& loc)
{
    const Pattern pt = patternOf(pattern);
    // Magnitude without overflow for the lowest value.
    const quint64 mag = value < 0 ? quint64(0) - quint64(value) : quint64(value);
    char16_t whole[20];
    const int n = digitsOf(mag, whole);
    const QString dec(pt.maxDec, u'0');
    return assemble(pt, mag != 0 && value < 0, QStringView(whole, n), dec, loc);
}

QString formatNumber(const QString& pattern, double value, const QLocale& loc)
{
    const Pattern pt = patternOf(pattern);
    if (!std::isfinite(value))
        return QString::number(value);
    const bool negative = value < 0;
    const double scale = std::pow(10.0, pt.maxDec);
    const double scaled = std::round(std::fabs(value) * scale);  // half away from zero
    // Exact decimal digits of the scaled whole number.
    QString digits;
    if (scaled < 9007199254740992.0) {  // 2^53: every whole number below is exact
        char16_t buf[20];
        digits = QString(reinterpret_cast<const QChar*>(buf), digitsOf(quint64(scaled), buf));
    } else {
        digits = QString::number(scaled, 'f', 0);
    }
    if (digits.size() <= pt.maxDec)
        digits.prepend(QString(pt.maxDec + 1 - digits.size(), u'0'));
    QStringView whole = QStringView(digits).left(digits.size() - pt.maxDec);
    const QStringView dec = QStringView(digits).right(pt.maxDec);
    while (whole.startsWith(u'0'))
        whole = whole.mid(1);
    return assemble(pt, negative && scaled != 0, whole, dec, loc);
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
