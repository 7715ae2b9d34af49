#pragma once

#include <QDate>
#include <QLocale>
#include <QString>

namespace engine {

// The program's locale: the system's, or Spanish (Spain) where the system
// says C or POSIX.
QLocale programLocale();
void setProgramLocale(const QLocale& locale);

// Number pattern formatter: '0' a digit always shown, '#' a digit shown when
// significant, ',' anywhere in the whole part groups every thousand with the
// locale's group separator, '.' the locale's decimal separator. Decimals are
// rounded half away from zero. "#,##0" of 1250 is "1.250"; "#,###" of 0 is "".
QString formatNumber(const QString& pattern, double value, const QLocale& locale = programLocale());
QString formatNumber(const QString& pattern, qint64 value, const QLocale& locale = programLocale());
inline QString formatNumber(const QString& pattern, int value, const QLocale& locale = programLocale())
{
    return formatNumber(pattern, qint64(value), locale);
}

// Dates shown to users: dd/MM/yyyy.
QString shortDate(const QDate& d);
// Parses dd/MM/yyyy (also d/M/yyyy and yyyy-MM-dd); an invalid date otherwise.
QDate parseDate(const QString& s);

}  // namespace engine
