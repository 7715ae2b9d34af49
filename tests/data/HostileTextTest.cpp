// Hostile texts through the SQL quoting and the number formatter: every text
// comes back as itself, nothing reaches the schema, no number or pattern
// breaks the formatter.
#include "data/Helpers.h"
#include "engine/Database.h"
#include "support/Fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace {

QStringList hostileTexts()
{
    QStringList t{"", "'", "''", "'''", "\"", ";", "--", "/*", "*/", "' OR '1'='1", "'); DROP TABLE COMPETIC; --",
                  "<script>alert('x')</script>", "\\", "\\'", "%s%n%d", "\n\r\t", QString(20000, '\''),
                  QString::fromUtf8("Ñandú ✓ 🐟 «»"), QString(QChar(0x2028))};
    std::mt19937 rng(1210);
    const QString alphabet = QString::fromUtf8("a'\";-/*\\%<>&\n ñ✓0");
    for (int i = 0; i < 200; ++i) {
        QString s;
        for (int k = 0, n = int(rng() % 40); k < n; ++k)
            s += alphabet[int(rng() % unsigned(alphabet.size()))];
        t << s;
    }
    return t;
}

TEST(HostileTextTest, QuotedCodeGivesEveryTextBackAsItself)
{
    TempDatabase file;
    engine::Database db;
    db.open(file.path());
    for (const QString& s : hostileTexts()) {
        engine::CachedStatement st = db.prepare("SELECT " + quotedCode(s) + " FROM COMPETIC WHERE Codigo = " + quotedCode(s) +
                                              " OR 1 = 1 LIMIT 1");
        EXPECT_FALSE(st->step()) << s.left(80).toStdString();  // no competition: the text stayed a literal
        engine::CachedStatement echo = db.prepare("SELECT " + quotedCode(s));
        ASSERT_TRUE(echo->step());
        EXPECT_EQ(echo->column(0).toString(), s) << s.left(80).toStdString();
    }
    EXPECT_TRUE(db.hasTable("COMPETIC"));
}

TEST(HostileTextTest, TheFormatterTakesAnyNumberAndPattern)
{
    const QLocale es(QLocale::Spanish, QLocale::Spain);
    std::mt19937_64 rng(99);
    std::vector<qint64> whole{0, 1, -1, 999, 1000, -1000, std::numeric_limits<qint64>::max(),
                              std::numeric_limits<qint64>::min()};
    for (int i = 0; i < 100; ++i)
        whole.push_back(qint64(rng()));
    for (qint64 v : whole) {
        QString grouped = formatNumber("#,##0", v, es);
        EXPECT_EQ(grouped.remove('.'), QString::number(v));
    }
    const QStringList patterns{"#,##0", ",##0", "0.00", "#,##0.00", "", "#", "0", "%", "'x'", ";;", "#,##0;-#,##0",
                               QString(500, '#'), QString(500, '0'), "0.", ".0", ",", "\"", "##.##.##", "x#y0z"};
    const double reals[] = {0.0, -0.0, 0.5, -2.5, 1e300, -1e300, 1e-300, std::nan(""),
                            std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
    for (const QString& p : patterns) {
        for (double d : reals)
            EXPECT_LE(formatNumber(p, d, es).size(), 2000) << p.toStdString() << ' ' << d;
        for (qint64 v : whole)
            EXPECT_LE(formatNumber(p, v, es).size(), 2000) << p.toStdString() << ' ' << v;
    }
}

}  // namespace
