// The final ranking over the days: entries, order and the grid's cells.
#include "scoring/ClasFinal.h"
#include "scoring/ScoringFixture.h"

#include <gtest/gtest.h>

using namespace scoringtest;

namespace {

// The grid as text: rows one a line, cells joined by '|'.
QString grid(const TClasFinal& c)
{
    QStringList lines;
    for (const QStringList& row : c.filas()) {
        EXPECT_EQ(row.size(), c.columnas());
        lines << row.join('|');
    }
    return lines.join('\n');
}

class ClasFinalTest : public ::testing::Test {
protected:
    ScoringDb db;
    void SetUp() override
    {
        db.competicion(ejemplo());
        db.competicion(ejemplo("C2"));
        db.jornada("C2", 1);
        db.participante("C2", 1, "999", "Otro");
        db.clasific("C2", 1, 1, 0, 0, 0, 99999);
    }
    void dias(int n)
    {
        for (int d = 1; d <= n; ++d) db.jornada("C1", d);
    }
};

TEST_F(ClasFinalTest, TwoDaysSixColumnsMembersOneARowEqualTotalsByTeam)
{
    dias(2);
    db.participante("C1", 1, "222", "Beatriz");
    db.participante("C1", 1, "111", "Ángel");
    db.participante("C1", 2, "201", "Carla");
    db.participante("C1", 2, "202", "Dora");
    db.participante("C1", 2, "203", "Eva");
    db.participante("C1", 4, "401", "Pilar");
    db.participante("C1", 5, "501", "Quino");
    db.clasific("C1", 1, 2, 0, 0, 0, 1000);
    db.clasific("C1", 2, 2, 0, 0, 0, 550);
    db.clasific("C1", 1, 1, 0, 0, 0, 1250);
    db.clasific("C1", 2, 1, 0, 0, 0, 300);
    db.clasific("C1", 2, 3, 0, 0, 0, 2000);  // weighed on day 2 only, no members
    db.exec("INSERT INTO CLASIFIC (Competicion, Jornada, Equipo, Puntos) VALUES ('C1', 1, 4, 0)");  // no totals
    db.clasific("C1", 1, 5, 0, 0, 0, -100);
    Tdm& dm = db.open("C1", 1);
    const TClasFinal c = clasificacionFinal(dm, "C1");
    EXPECT_EQ(c.columnas(), 6);
    EXPECT_EQ(grid(c), QString::fromUtf8("Pos|Eq.|Pescador(es)|Puntos 1|Puntos 2|Total Puntos\n"
                                         "1º|3||0|2.000|2.000\n"
                                         "2º|1|Ángel|1.250|300|1.550\n"
                                         "||Beatriz|||\n"
                                         "|||||\n"
                                         "3º|2|Carla|1.000|550|1.550\n"
                                         "||Dora|||\n"
                                         "||Eva|||\n"
                                         "|||||\n"
                                         "4º|4|Pilar|0|0|0\n"
                                         "|||||\n"
                                         "5º|5|Quino|-100|0|-100\n"
                                         "|||||"));
    EXPECT_EQ(c.celdasEquipo(1), (QStringList{"2º", "1", "Ángel", "1.250", "300", "1.550"}));
}

TEST_F(ClasFinalTest, ThreeDaysStillSixColumnsTheTotalSumsEveryDay)
{
    dias(3);
    db.participante("C1", 1, "1", "Ana");
    db.clasific("C1", 1, 1, 0, 0, 0, 10);
    db.clasific("C1", 2, 1, 0, 0, 0, 20);
    db.clasific("C1", 3, 1, 0, 0, 0, 4000);
    Tdm& dm = db.open("C1", 1);
    const TClasFinal c = clasificacionFinal(dm, "C1");
    EXPECT_EQ(c.columnas(), 6);
    EXPECT_EQ(c.celdasEquipo(0), (QStringList{"1º", "1", "Ana", "10", "20", "4.030"}));
}

TEST_F(ClasFinalTest, OneDayFourColumnsAndAnIndividualCompetitionAlternates)
{
    dias(1);
    db.participante("C1", 1, "1", "Ana");
    db.participante("C1", 2, "2", "Luis");
    db.participante("C1", 3, "3", "Marta");
    db.clasific("C1", 1, 1, 0, 0, 0, 5);
    db.clasific("C1", 1, 2, 0, 0, 0, 1234567);
    db.clasific("C1", 1, 3, 0, 0, 0, 5);
    Tdm& dm = db.open("C1", 1);
    EXPECT_EQ(grid(clasificacionFinal(dm, "C1")), QString::fromUtf8("Pos|Eq.|Pescador(es)|Total Puntos\n"
                                                                    "1º|2|Luis|1.234.567\n"
                                                                    "|||\n"
                                                                    "2º|1|Ana|5\n"
                                                                    "|||\n"
                                                                    "3º|3|Marta|5\n"
                                                                    "|||"));
}

TEST_F(ClasFinalTest, NoRecordsShowTheHeadingAndFourEmptyRows)
{
    for (int days : {0, 2}) {
        SCOPED_TRACE(days);
        ScoringDb fresh;
        fresh.competicion(ejemplo());
        for (int d = 1; d <= days; ++d) fresh.jornada("C1", d);
        fresh.participante("C1", 1, "1", "Ana");  // members alone make no entry
        Tdm dm(fresh.file.dir());
        const TClasFinal c = clasificacionFinal(dm, "C1");
        EXPECT_TRUE(c.equipos.empty());
        const QString empty = days ? "|||||" : "|||";
        EXPECT_EQ(grid(c), (days ? QString("Pos|Eq.|Pescador(es)|Puntos 1|Puntos 2|Total Puntos")
                                 : QString("Pos|Eq.|Pescador(es)|Total Puntos")) +
                               "\n" + QStringList(4, empty).join('\n'));
    }
}

}  // namespace
