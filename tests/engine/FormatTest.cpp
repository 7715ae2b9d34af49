#include "engine/Collation.h"
#include "engine/Format.h"

#include <gtest/gtest.h>

namespace {

struct FormatCase {
    const char* pattern;
    double value;
    const char* expected;
};

class FormatTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatTest, FormatsWithSpanishSeparators)
{
    const FormatCase& c = GetParam();
    const QLocale es(QLocale::Spanish, QLocale::Spain);
    EXPECT_EQ(engine::formatNumber(c.pattern, c.value, es).toStdString(), c.expected);
    // Whole numbers go through the integer overload without rounding.
    if (c.value == double(qint64(c.value))) {
        EXPECT_EQ(engine::formatNumber(c.pattern, qint64(c.value), es).toStdString(), c.expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Patterns, FormatTest,
                         ::testing::Values(FormatCase{"#,##0", 1250, "1.250"}, FormatCase{"#,##0", -1250, "-1.250"},
                                           FormatCase{"#,##0", 0, "0"}, FormatCase{"#,##0", 999, "999"},
                                           FormatCase{"#,###", 0, ""}, FormatCase{"#,###", 1250, "1.250"},
                                           FormatCase{"00", 5, "05"}, FormatCase{"00", 123, "123"},
                                           FormatCase{"##0.00", 80, "80,00"}, FormatCase{"0.00", 2.125, "2,13"},
                                           FormatCase{"0.00", -0.004, "0,00"},
                                           FormatCase{",##0", 1000000, "1.000.000"},
                                           FormatCase{"###,##0", 123456789, "123.456.789"},
                                           FormatCase{"##,##0", -50, "-50"}));

TEST(FormatTest, LowestInt64DoesNotOverflow)
{
    const QLocale es(QLocale::Spanish, QLocale::Spain);
    EXPECT_EQ(engine::formatNumber("#,##0", std::numeric_limits<qint64>::min(), es),
              QString("-9.223.372.036.854.775.808"));
}

TEST(FormatTest, ShortDateAndParsing)
{
    EXPECT_EQ(engine::shortDate(QDate(2026, 6, 3)), QString("03/06/2026"));
    EXPECT_EQ(engine::parseDate("3/6/2026"), QDate(2026, 6, 3));
    EXPECT_EQ(engine::parseDate("2026-06-03"), QDate(2026, 6, 3));
    EXPECT_FALSE(engine::parseDate("31/02/2026").isValid());
    EXPECT_FALSE(engine::parseDate("mañana").isValid());
}

TEST(CollationTest, SpanishOrderAndMatching)
{
    using engine::compareText;
    EXPECT_LT(compareText("ángel", "Beatriz", true), 0);
    EXPECT_LT(compareText("Ángel", "Beatriz", true), 0);
    EXPECT_EQ(compareText("ángel", "ÁNGEL", true), 0);
    EXPECT_NE(compareText("ángel", "ÁNGEL", false), 0);
    EXPECT_LT(compareText("Nuno", "Nuño", true), 0);
    EXPECT_LT(compareText("Nuñez", "Nuo", true), 0);    // ñ after n, before o
    EXPECT_GT(compareText("Ñandú", "Nzeta", true), 0);
    EXPECT_TRUE(engine::likeMatch("NUÑEZ", "%ñu%"));
    EXPECT_TRUE(engine::likeMatch("Núñez", "%ñu%"));
    EXPECT_TRUE(engine::likeMatch("anything", "%%"));
    EXPECT_TRUE(engine::likeMatch("Peña", "p_na"));
    EXPECT_FALSE(engine::likeMatch("Pena", "%ñu%"));
    EXPECT_FALSE(engine::likeMatch("abc", "ab"));
    EXPECT_TRUE(engine::likeMatch("100%", "100!%", '!'));
    EXPECT_FALSE(engine::likeMatch("1000", "100!%", '!'));
}

}  // namespace
