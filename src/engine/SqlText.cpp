#include "engine/Database.h"

namespace engine {

QString quoteIdent(const QString& name)
{
    QString s = name;
    s.replace('"', "\"\"");
    return '"' + s + '"';
}

namespace {

// The tokens of an SQL text: a quoted name or string whole, a run of letters,
// digits, "_" and "$", any other character alone; blanks and comments go.
QStringList sqlTokens(const QString& sql)
{
    QStringList tokens;
    const qsizetype n = sql.size();
    qsizetype i = 0;
    auto word = [](QChar c) { return c.isLetterOrNumber() || c == u'_' || c == u'$'; };
    while (i < n) {
        const QChar c = sql[i];
        if (c.isSpace()) {
            ++i;
        } else if (c == u'-' && i + 1 < n && sql[i + 1] == u'-') {
            while (i < n && sql[i] != u'\n') ++i;
        } else if (c == u'/' && i + 1 < n && sql[i + 1] == u'*') {
            const qsizetype end = sql.indexOf(QStringLiteral("*/"), i + 2);
            i = end < 0 ? n : end + 2;
        } else if (c == u'\'' || c == u'"' || c == u'`' || c == u'[') {
            const QChar close = c == u'[' ? QChar(u']') : c;
            qsizetype j = i + 1;
            while (j < n) {
                if (sql[j] == close) {
                    if (close != u']' && j + 1 < n && sql[j + 1] == close) {  // a doubled quote inside
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            tokens << sql.mid(i, std::min(j + 1, n) - i);
            i = j + 1;
        } else if (word(c)) {
            qsizetype j = i;
            while (j < n && word(sql[j])) ++j;
            tokens << sql.mid(i, j - i);
            i = j;
        } else {
            tokens << QString(c);
            ++i;
        }
    }
    return tokens;
}

// A name as written in SQL, without its quotes.
QString unquoted(const QString& token)
{
    if (token.size() >= 2) {
        const QChar open = token.front();
        if (open == u'"' || open == u'`')
            return token.mid(1, token.size() - 2).replace(QString(2, open), QString(open));
        if (open == u'[')
            return token.mid(1, token.size() - 2);
    }
    return token;
}

bool is(const QString& token, const char* keyword) { return token.compare(QLatin1String(keyword), Qt::CaseInsensitive) == 0; }

}  // namespace

std::vector<CheckConstraint> checkConstraints(const QString& createTableSql)
{
    const QStringList t = sqlTokens(createTableSql);
    std::vector<CheckConstraint> checks;
    qsizetype i = t.indexOf(QStringLiteral("("));
    if (i < 0)
        return checks;
    ++i;
    // One definition after another, up to the parenthesis that ends them.
    while (i < t.size() && t[i] != u')') {
        const bool tableConstraint = is(t[i], "CONSTRAINT") || is(t[i], "CHECK") || is(t[i], "PRIMARY") ||
                                     is(t[i], "UNIQUE") || is(t[i], "FOREIGN");
        const QString column = tableConstraint ? QString() : unquoted(t[i]);
        qsizetype named = -1;  // where "CONSTRAINT name" began
        while (i < t.size() && t[i] != u',' && t[i] != u')') {
            if (is(t[i], "CONSTRAINT")) {
                named = i;
                i += 2;
                continue;
            }
            if (t[i] == u'(') {
                // A parenthesis: a CHECK's expression, a type's size, a default.
                const bool check = i > 0 && is(t[i - 1], "CHECK");
                const qsizetype start = check ? (named >= 0 && named + 3 == i ? named : i - 1) : -1;
                int depth = 0;
                do {
                    if (t[i] == u'(') ++depth;
                    else if (t[i] == u')') --depth;
                    ++i;
                } while (i < t.size() && depth > 0);
                if (check)
                    checks.push_back({column, t.mid(start, i - start).join(u' ')});
                named = -1;
                continue;
            }
            ++i;
        }
        if (i < t.size() && t[i] == u',')
            ++i;
    }
    return checks;
}

}  // namespace engine
