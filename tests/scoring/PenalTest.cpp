// Penalties: the rounding, "Calc", the save, and a stored penalty staying
// applied through the weigh-in's writes.
#include "scoring/ClasFinal.h"
#include "scoring/Pesaje.h"
#include "scoring/Penal.h"
#include "scoring/ScoringFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace scoringtest;

namespace {

constexpr qint64 X = 10;

TEST(PenalRule, StoredPointsRoundHalfToEven)
{
    const struct {
        double stored;
        int applied;
    } cases[] = {{0, 0},       {12, 12},       {12.5, 12},   {13.5, 14},  {12.49, 12},
                 {12.51, 13},  {-2.5, -2},     {-3.5, -4},   {0.5, 0},    {1.5, 2},
                 {1e12, 2147483647}, {-1e12, -2147483647 - 1}, {std::numeric_limits<double>::quiet_NaN(), 0}};
    for (const auto& c : cases)
        EXPECT_EQ(penalizaDe(c.stored), c.applied) << c.stored;
}

TEST(PenalRule, CalcWorksInSinglePrecision)
{
    const struct {
        int porcentaje;
        qint64 base;
        int puntos;
    } cases[] = {
        {10, 12345, 1234},        // 1234.5, truncated
        {100, 12345, 12345},
        {0, 12345, 0},
        {33, 100, 33},
        {7, 1, 0},                // 0.07
        {100, 16777217, 16777216},  // the base is held as a single: 2^24 + 1 is not
        {10, -500, 0},            // a share of a negative day is no penalty
        {100, 9000000000LL, 2147483647},
    };
    for (const auto& c : cases)
        EXPECT_EQ(puntosDePorcentaje(c.porcentaje, c.base), c.puntos) << c.porcentaje << "% of " << c.base;
}

class PenalTest : public ::testing::Test {
protected:
    ScoringDb db;
    void SetUp() override
    {
        db.competicion(ejemplo());
        db.competicion(ejemplo("C2"));
        db.jornada("C1", 1);
        db.jornada("C1", 2);
        db.jornada("C2", 1);
        db.especie(X, "Xerna");
        db.participante("C1", 1, "111", "Ana");
        db.participante("C1", 2, "222", "Luis");
        db.participante("C1", 3, "333", "Marta");
        db.participante("C2", 1, "111", "Ana");
        db.clasific("C1", 1, 1, 1000, 234, 0, 1234);
        db.clasific("C1", 1, 2, 300, 0, 0, 300);
        db.clasific("C1", 2, 1, 50, 0, 0, 50);
        db.clasific("C2", 1, 1, 70, 0, 0, 70);
    }
    qint64 col(const char* c, int eq, int jor = 1) const
    {
        return db.scalar(
            QString("SELECT %1 FROM CLASIFIC WHERE Competicion = 'C1' AND Jornada = %2 AND Equipo = %3").arg(c).arg(jor).arg(eq));
    }
};

TEST_F(PenalTest, SavingTwiceKeepsOneRowWithTheSecondValues)
{
    Tdm& dm = db.open("C1", 1);
    EXPECT_EQ(guardarPenalizacion(dm, 1, 100, 0, "Fuera de zona"), std::optional<qint64>(1134));
    EXPECT_EQ(guardarPenalizacion(dm, 1, 123, 10, "Tarde"), std::optional<qint64>(1111));
    EXPECT_EQ(db.scalar("SELECT count(*) FROM PENAL"), 1);
    const TPenalizacion p = leerPenalizacion(dm, 1);
    EXPECT_TRUE(p.existe);
    EXPECT_EQ(p.puntos, 123);
    EXPECT_EQ(p.porcentaje, 10);
    EXPECT_EQ(p.motivo, QString("Tarde"));
    EXPECT_EQ(col("Penaliza", 1), 123);
    EXPECT_EQ(col("TotalPuntos", 1), 1111);
    // Other days, teams and competitions are not touched.
    EXPECT_EQ(col("TotalPuntos", 1, 2), 50);
    EXPECT_EQ(col("TotalPuntos", 2), 300);
    EXPECT_EQ(db.scalar("SELECT TotalPuntos FROM CLASIFIC WHERE Competicion = 'C2'"), 70);
    EXPECT_FALSE(dm.TAClasific.active());
    EXPECT_FALSE(dm.db.inTransaction());
}

TEST_F(PenalTest, ZeroRestoresAndALargePenaltyGoesNegative)
{
    Tdm& dm = db.open("C1", 1);
    EXPECT_EQ(guardarPenalizacion(dm, 2, 1000, 0, {}), std::optional<qint64>(-700));
    EXPECT_EQ(guardarPenalizacion(dm, 2, 0, 0, {}), std::optional<qint64>(300));
    EXPECT_EQ(col("Penaliza", 2), 0);
    EXPECT_EQ(guardarPenalizacion(dm, 2, kPenalPuntosMax, 0, {}), std::optional<qint64>(300 - kPenalPuntosMax));
}

TEST_F(PenalTest, WithoutARecordOnlyThePenaltyIsStored)
{
    Tdm& dm = db.open("C1", 1);
    EXPECT_EQ(basePenalizacion(dm, 3), std::nullopt);
    EXPECT_EQ(basePenalizacion(dm, 1), std::optional<qint64>(1234));
    EXPECT_EQ(guardarPenalizacion(dm, 3, 40, 0, "x"), std::nullopt);
    EXPECT_EQ(db.scalar("SELECT Puntos FROM PENAL WHERE Equipo = 3"), 40);
    EXPECT_EQ(db.scalar("SELECT count(*) FROM CLASIFIC WHERE Equipo = 3"), 0);
    // The weigh-in's first write of that record applies it.
    Pesaje p(dm);
    ASSERT_TRUE(p.guardarLinea(3, 1, X, 400).ok);
    EXPECT_EQ(db.scalar("SELECT Penaliza FROM CLASIFIC WHERE Competicion = 'C1' AND Jornada = 1 AND Equipo = 3"), 40);
    EXPECT_EQ(db.scalar("SELECT TotalPuntos FROM CLASIFIC WHERE Competicion = 'C1' AND Jornada = 1 AND Equipo = 3"),
              500 - 40);
}

TEST_F(PenalTest, AFailedSaveLeavesBothTablesAsTheyWere)
{
    db.penal("C1", 1, 1, 5, 1, "antes");
    Tdm& dm = db.open("C1", 1);  // a file with a trigger does not open: it comes after
    db.exec("CREATE TRIGGER refuse BEFORE UPDATE ON CLASIFIC BEGIN SELECT RAISE(ABORT, 'no'); END");
    EXPECT_THROW(guardarPenalizacion(dm, 1, 99, 0, "nuevo"), engine::DatabaseError);
    EXPECT_EQ(db.scalar("SELECT Puntos FROM PENAL"), 5);
    EXPECT_EQ(db.scalar("SELECT count(*) FROM PENAL"), 1);
    EXPECT_EQ(col("TotalPuntos", 1), 1234);
    EXPECT_FALSE(dm.TAClasific.active());
    EXPECT_FALSE(dm.db.inTransaction());
    EXPECT_EQ(leerPenalizacion(dm, 1).motivo, QString("antes"));
    db.exec("DROP TRIGGER refuse");
    EXPECT_EQ(guardarPenalizacion(dm, 1, 99, 0, "nuevo"), std::optional<qint64>(1135));
}

TEST_F(PenalTest, TheDaysPenaltiesComeFromOneQuery)
{
    db.penal("C1", 1, 1, 10.5);
    db.penal("C1", 1, 2, 3.5);
    db.penal("C1", 2, 3, 7);
    db.penal("C2", 1, 3, 7);
    Tdm& dm = db.open("C1", 1);
    const QHash<int, int> day = penalizacionesDia(dm.db, "C1", 1);
    EXPECT_EQ(day, (QHash<int, int>{{1, 10}, {2, 4}}));
    EXPECT_EQ(penalizacionEquipo(dm.db, "C1", 1, 1), 10);
    EXPECT_EQ(penalizacionEquipo(dm.db, "C1", 1, 3), 0);
    EXPECT_EQ(penalizacionEquipo(dm.db, "C1", 2, 3), 7);
    EXPECT_EQ(leerPenalizacion(dm, 1).puntos, 10.5);
}

// A penalty, then a saved line of the team, then a line of another team
// deleted: the penalty is still in the record and in the final ranking.
TEST_F(PenalTest, AStoredPenaltySurvivesEveryWeighInWrite)
{
    db.linea("C1", 1, 2, 1, 1, X, 400, 400);
    db.linea("C1", 1, 2, 2, 1, X, 600, 600);
    Tdm& dm = db.open("C1", 1);
    Pesaje p(dm);
    p.equipoActual = 1;
    p.mejores();  // opening the weigh-in
    EXPECT_EQ(col("TotalPuntos", 1), 0);
    EXPECT_EQ(guardarPenalizacion(dm, 1, 25, 0, "Fuera de zona"), std::optional<qint64>(-25));

    ASSERT_TRUE(p.guardarLinea(1, 1, X, 900).ok);  // 1000 points
    EXPECT_EQ(col("Penaliza", 1), 25);
    EXPECT_EQ(col("TotalPuntos", 1), 975);

    // Deleting team 2's first line: what the weigh-in's delete does after
    // removing it (every team rewritten, then the current team's record).
    db.exec("DELETE FROM PESCADA WHERE Equipo = 2 AND \"Pesada num\" = 1");
    p.equipoActual = 2;
    p.rEquipo.equipo = 2;
    p.mejores();
    p.actualizaClasificacion();
    EXPECT_EQ(col("Penaliza", 1), 25);
    EXPECT_EQ(col("TotalPuntos", 1), 975);
    EXPECT_EQ(col("TotalPuntos", 2), 700);

    const TClasFinal c = clasificacionFinal(dm, "C1");
    ASSERT_EQ(c.equipos.size(), 3u);
    EXPECT_EQ(c.equipos[0].equipo, 1);
    EXPECT_EQ(c.equipos[0].puntos1, 975);
    EXPECT_EQ(c.equipos[0].total, 975 + 50);
}

}  // namespace
