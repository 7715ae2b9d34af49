#include "engine/Collation.h"

#include <sqlite3.h>

#include <cstring>
#include <vector>

namespace engine {

namespace {

// Sort key: case folded, accents dropped, ñ kept as a letter of its own just
// after n (n followed by the highest character).
QString orderKey(const QString& s)
{
    QString out;
    out.reserve(s.size());
    for (QChar c : s) {
        const ushort u = c.unicode();
        if (u < 0x80) {
            out.append(QChar(u >= 'A' && u <= 'Z' ? u + 32 : u));
            continue;
        }
        if (u == 0x00F1 || u == 0x00D1) {  // ñ Ñ
            out.append(QChar('n'));
            out.append(QChar(0xFFFF));
            continue;
        }
        const QString d = QString(c).normalized(QString::NormalizationForm_D);
        for (QChar dc : d) {
            const auto cat = dc.category();
            if (cat == QChar::Mark_NonSpacing || cat == QChar::Mark_SpacingCombining || cat == QChar::Mark_Enclosing)
                continue;
            out.append(QString(dc).toCaseFolded());
        }
    }
    return out;
}

int sign(int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

// The same order as compareText for two texts of plain ASCII, on their bytes
// or their UTF-16 units.
template <class Unit>
int collateAscii(const Unit* a, int la, const Unit* b, int lb, bool ci)
{
    auto lower = [](Unit c) { return c >= 'A' && c <= 'Z' ? int(c) + 32 : int(c); };
    const int n = la < lb ? la : lb;
    for (int i = 0; i < n; ++i) {
        const int d = lower(a[i]) - lower(b[i]);
        if (d != 0)
            return d < 0 ? -1 : 1;
    }
    if (la != lb)
        return la < lb ? -1 : 1;
    if (ci)
        return 0;
    // Equal but for letter case: lower case first.
    for (int i = 0; i < n; ++i)
        if (a[i] != b[i])
            return a[i] > b[i] ? -1 : 1;
    return 0;
}

template <class Unit>
bool isAscii(const Unit* s, int n)
{
    for (int i = 0; i < n; ++i)
        if (s[i] >= 0x80)
            return false;
    return true;
}

int collate(void* arg, int la, const void* a, int lb, const void* b)
{
    const bool ci = arg != nullptr;
    // Sorting a view compares many equal or plain texts (codes, numbers as
    // text): those are answered on the bytes, without converting.
    const auto* ua = static_cast<const unsigned char*>(a);
    const auto* ub = static_cast<const unsigned char*>(b);
    if (la == lb && (la == 0 || std::memcmp(a, b, size_t(la)) == 0))
        return 0;
    if (isAscii(ua, la) && isAscii(ub, lb))
        return collateAscii(ua, la, ub, lb, ci);
    const QString sa = QString::fromUtf8(static_cast<const char*>(a), la);
    const QString sb = QString::fromUtf8(static_cast<const char*>(b), lb);
    return compareText(sa, sb, ci);
}

void likeFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    // like(pattern, text [, escape])
    const QString pattern = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(argv[0])));
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(argv[1])));
    QChar esc;
    if (argc == 3 && sqlite3_value_type(argv[2]) != SQLITE_NULL) {
        const QString e = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(argv[2])));
        if (e.size() != 1) {
            sqlite3_result_error(ctx, "ESCAPE expression must be a single character", -1);
            return;
        }
        esc = e.at(0);
    }
    sqlite3_result_int(ctx, likeMatch(text, pattern, esc) ? 1 : 0);
}

}  // namespace

QString foldForMatch(const QString& s)
{
    QString out;
    out.reserve(s.size());
    for (QChar c : s) {
        const ushort u = c.unicode();
        if (u < 0x80) {
            out.append(QChar(u >= 'A' && u <= 'Z' ? u + 32 : u));
            continue;
        }
        const QString d = QString(c).normalized(QString::NormalizationForm_D);
        for (QChar dc : d) {
            const auto cat = dc.category();
            if (cat == QChar::Mark_NonSpacing || cat == QChar::Mark_SpacingCombining || cat == QChar::Mark_Enclosing)
                continue;
            out.append(QString(dc).toCaseFolded());
        }
    }
    return out;
}

int collateTexts(QStringView a, QStringView b, bool caseInsensitive)
{
    // The steps of the collation function below, on the texts it would be
    // given as UTF-8.
    if (a == b)
        return 0;
    const auto* ua = a.utf16();
    const auto* ub = b.utf16();
    if (isAscii(ua, int(a.size())) && isAscii(ub, int(b.size())))
        return collateAscii(ua, int(a.size()), ub, int(b.size()), caseInsensitive);
    return compareText(a.toString(), b.toString(), caseInsensitive);
}

int compareText(const QString& a, const QString& b, bool caseInsensitive)
{
    const int primary = sign(QString::compare(orderKey(a), orderKey(b)));
    if (primary != 0 || caseInsensitive)
        return primary;
    const int accents = sign(QString::compare(a.toCaseFolded(), b.toCaseFolded()));
    if (accents != 0)
        return accents;
    // Lower case before upper case.
    return sign(QString::compare(b, a));
}

bool likeMatch(const QString& textIn, const QString& patternIn, QChar escape)
{
    // Fold both; the escape character is kept literal.
    struct P { QChar c; bool literal; };
    std::vector<P> pat;
    for (int i = 0; i < patternIn.size(); ++i) {
        QChar c = patternIn.at(i);
        if (!escape.isNull() && c == escape && i + 1 < patternIn.size()) {
            const QString f = foldForMatch(QString(patternIn.at(++i)));
            for (QChar fc : f) pat.push_back({fc, true});
            continue;
        }
        if (c == '%' || c == '_') {
            pat.push_back({c, false});
            continue;
        }
        const QString f = foldForMatch(QString(c));
        for (QChar fc : f) pat.push_back({fc, true});
    }
    const QString text = foldForMatch(textIn);

    // Iterative matcher with backtracking on the last %.
    int t = 0, p = 0, starP = -1, starT = 0;
    const int n = text.size(), m = int(pat.size());
    while (t < n) {
        if (p < m && !pat[p].literal && pat[p].c == '%') {
            starP = p++;
            starT = t;
        } else if (p < m && ((!pat[p].literal && pat[p].c == '_') || (pat[p].literal && pat[p].c == text.at(t))) ) {
            ++p;
            ++t;
        } else if (starP >= 0) {
            p = starP + 1;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < m && !pat[p].literal && pat[p].c == '%')
        ++p;
    return p == m;
}

void registerTextFunctions(sqlite3* db)
{
    static int ci = 1;
    sqlite3_create_collation(db, kCollationNoCase, SQLITE_UTF8, &ci, collate);
    sqlite3_create_collation(db, kCollationCase, SQLITE_UTF8, nullptr, collate);
    sqlite3_create_function(db, "like", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, likeFunction, nullptr, nullptr);
    sqlite3_create_function(db, "like", 3, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, likeFunction, nullptr, nullptr);
}

}  // namespace engine
