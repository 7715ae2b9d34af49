// The collations that order views give the same order as compareText, on
// plain ASCII texts (answered on the bytes) as on any other.
#include "engine/Collation.h"
#include "engine/Database.h"
#include "engine/Query.h"
#include "support/Fixture.h"

#include <gtest/gtest.h>

#include <random>

namespace {

TEST(CollationOrderTest, SqlOrderAgreesWithCompareText)
{
    TempDatabase file;
    engine::Database db;
    db.open(file.path());
    db.exec("CREATE TABLE T (x TEXT)");
    QStringList texts{"", "a", "A", "ab", "aB", "Ab", "AB", "abc", "b", "B", "C1", "c1", "C10", "C2", "c2", "n", "o",
                      QString::fromUtf8("ñ"), QString::fromUtf8("Ñu"), QString::fromUtf8("ángel"), QString::fromUtf8("Ángel"),
                      "angel", "Beatriz", "O'B", "o'b", "z", "Z", "_", "[", "~", "0", "9"};
    std::mt19937 rng(5);
    const char alphabet[] = "aAbBnNzZ019 '-_";
    for (int i = 0; i < 150; ++i) {
        QString s;
        for (int k = 0, n = int(rng() % 5); k < n; ++k)
            s += QChar(alphabet[rng() % (sizeof(alphabet) - 1)]);
        texts << s;
    }
    db.startTransaction();
    for (const QString& t : texts) {
        engine::CachedStatement st = db.prepare("INSERT INTO T VALUES (?)");
        st->bind(1, t);
        st->step();
    }
    db.commit();
    for (const bool ci : {false, true}) {
        engine::Query q(db);
        q.setSql({QString("SELECT x FROM T ORDER BY x COLLATE %1").arg(ci ? engine::kCollationNoCase : engine::kCollationCase)});
        q.open();
        ASSERT_EQ(q.recordCount(), texts.size());
        QString prev;
        for (q.first(); !q.eof(); q.next()) {
            const QString cur = q.fieldByName("x").asString();
            if (q.recNo() > 1) {
                EXPECT_LE(engine::compareText(prev, cur, ci), 0) << prev.toStdString() << " / " << cur.toStdString();
            }
            prev = cur;
        }
    }
}

}  // namespace
