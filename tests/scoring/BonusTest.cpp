// Species and quota bonuses.
#include "scoring/Pesaje.h"
#include "scoring/Scoring.h"
#include "scoring/ScoringFixture.h"

#include <gtest/gtest.h>

using namespace scoringtest;

namespace {

constexpr qint64 X = 10, Y = 20, Z = 30;

// The competition of the bonus example: species bonus 200, quota 5 of 300
// points, Y's quota 2 of 1000, Z without species bonus.
Competicion bonusComp()
{
    Competicion c = ejemplo();
    c.puntosEspecie = 200;
    c.puntosCupo = 300;
    c.ejemplaresCupo = 5;
    return c;
}

void fillExample(ScoringDb& db, const QString& cc = "C1")
{
    db.cupo(cc, Y, 2, 1000);
    db.especial(cc, Z, 1, 300, 100, 1, 200, 50, 0);
    const struct {
        qint64 pez;
        int piezas, peso;
    } lines[] = {{X, 3, 1200}, {X, 2, 700}, {Y, 1, 800}, {Y, 1, 250}, {Y, 1, 400}, {Z, 1, 900}};
    int n = 0;
    for (const auto& l : lines) {
        ++n;
        db.linea(cc, 1, 1, n, l.piezas, l.pez, l.peso, l.peso);
    }
}

class BonusTest : public ::testing::Test {
protected:
    ScoringDb db;
    void SetUp() override
    {
        db.competicion(bonusComp());
        db.jornada("C1", 1);
        db.especie(X, "Xerna");
        db.especie(Y, "Yubarta");
        db.especie(Z, "Zapata");
        db.participante("C1", 1, "111", "Ana");
        db.participante("C1", 2, "222", "Luis");
    }
};

TEST_F(BonusTest, WorkedExample)
{
    fillExample(db);
    Tdm& dm = db.open("C1", 1);
    ScriptedDialogs dialogs;
    const struct {
        const char* what;
        Bonificacion got;
        int puntos, cuenta;
    } cases[] = {
        {"especies", calculaEspecies(dm, 1), 400, 2},
        {"cupos", calculaCupos(dm, 1), 1300, 2},
        {"equipo sin lineas, especies", calculaEspecies(dm, 2), 0, 0},
        {"equipo sin lineas, cupos", calculaCupos(dm, 2), 0, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.got.puntos, c.puntos) << c.what;
        EXPECT_EQ(c.got.cuenta, c.cuenta) << c.what;
    }
    // The one failing line of the example is a single piece: no message.
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_FALSE(dm.QCupos.active());
}

TEST_F(BonusTest, QueryTextsAndQuotedCode)
{
    db.competicion([] { Competicion c = bonusComp(); c.codigo = "O'B"; return c; }());
    db.jornada("O'B", 1);
    fillExample(db, "O'B");
    Tdm& dm = db.open("O'B", 1);
    EXPECT_EQ(calculaCupos(dm, 1).puntos, 1300);
    EXPECT_EQ(dm.QCupos.sql(), (QStringList{"Select [cod pez] as cp, [Numero piezas] as np, peso from pescada as p",
                                            "where p.[cod comp] = 'O''B'", " and jornada = 1", " and equipo = 1",
                                            " order by cp"}));
    EXPECT_EQ(calculaEspecies(dm, 1).puntos, 400);
    EXPECT_EQ(dm.QCupos.sql().at(1), QString(" where p.[cod comp] = 'O''B'"));
    EXPECT_FALSE(dm.TACupos.active());
}

TEST_F(BonusTest, BonificaEspecieRule)
{
    db.especial("C1", X, 1, 300, 100, 1, 200, 50, QVariant());  // empty: no bonus
    db.especial("C1", Y, 1, 300, 100, 1, 200, 50, 1);
    Tdm& dm = db.open("C1", 1);
    EXPECT_FALSE(bonificaEspecie(dm, "C1", X));
    EXPECT_TRUE(bonificaEspecie(dm, "C1", Y));
    EXPECT_TRUE(bonificaEspecie(dm, "C1", Z));       // no row of its own
    EXPECT_TRUE(bonificaEspecie(dm, "OTRA", X));     // rows of another competition do not apply
    db.linea("C1", 1, 1, 1, 1, X, 500, 500);
    db.linea("C1", 1, 1, 2, 1, Z, 500, 500);
    EXPECT_EQ(calculaEspecies(dm, 1).cuenta, 1);
}

TEST_F(BonusTest, QuotaEdgeCases)
{
    // X: a quota of 0 (empty) is no quota, even for a species whose only
    // line fails; Y: 6 valid pieces against 5; Z: first line fails, second
    // passes and completes a quota of 2.
    db.cupo("C1", X, QVariant(), 700);
    db.cupo("C1", Z, 2, 50);
    db.linea("C1", 1, 1, 1, 2, X, 100, 100);   // fails (2 x 300)
    db.linea("C1", 1, 1, 2, 3, Y, 900, 900);
    db.linea("C1", 1, 1, 3, 3, Y, 950, 950);
    db.linea("C1", 1, 1, 4, 3, Z, 800, 800);   // fails (3 x 300)
    db.linea("C1", 1, 1, 5, 2, Z, 600, 600);
    Tdm& dm = db.open("C1", 1);
    ScriptedDialogs dialogs;
    const Bonificacion cupos = calculaCupos(dm, 1);
    EXPECT_EQ(cupos.cuenta, 1);
    EXPECT_EQ(cupos.puntos, 50);
    // X never gets a valid line; Z counts once.
    const Bonificacion esp = calculaEspecies(dm, 1);
    EXPECT_EQ(esp.cuenta, 2);
    EXPECT_EQ(esp.puntos, 400);
}

// A quota of 0 pieces completes nothing, whether it is the competition's
// default or a species' own: undersized fish earn no quota points.
TEST_F(BonusTest, AQuotaOfZeroIsNoQuota)
{
    db.exec("UPDATE COMPETIC SET EjemplaresCupo = 0");
    db.cupo("C1", Z, 0, 900);
    db.linea("C1", 1, 1, 1, 2, X, 100, 100);  // fails: 0 valid pieces
    db.linea("C1", 1, 1, 2, 1, Y, 900, 900);  // 1 valid piece
    db.linea("C1", 1, 1, 3, 1, Z, 100, 100);  // fails: 0 valid pieces, quota 0 of its own
    Tdm& dm = db.open("C1", 1);
    ScriptedDialogs dialogs;
    const Bonificacion b = calculaCupos(dm, 1);
    EXPECT_EQ(b.cuenta, 0);
    EXPECT_EQ(b.puntos, 0);
    // A quota of 1 is still met by exactly one valid piece.
    db.exec("UPDATE COMPETIC SET EjemplaresCupo = 1");
    EXPECT_EQ(calculaCupos(dm, 1).cuenta, 1);
    EXPECT_EQ(calculaCupos(dm, 1).puntos, 300);
}

TEST_F(BonusTest, FirstSpeciesCountsWhateverItsCode)
{
    db.especie(0, "Cero");
    db.linea("C1", 1, 1, 1, 1, 0, 500, 500);
    db.linea("C1", 1, 1, 2, 1, 0, 600, 600);
    db.linea("C1", 1, 1, 3, 1, 5, 600, 600);
    Tdm& dm = db.open("C1", 1);
    const Bonificacion b = calculaEspecies(dm, 1);
    EXPECT_EQ(b.cuenta, 2);
    EXPECT_EQ(b.puntos, 400);
}

TEST_F(BonusTest, QuotaSwitchedOffByCompetitionPoints)
{
    db.exec("UPDATE COMPETIC SET \"Puntos Cupo\" = 0, \"Puntos Especie\" = 0");
    db.cupo("C1", Y, 1, 1000);
    db.linea("C1", 1, 1, 1, 1, Y, 900, 900);
    Tdm& dm = db.open("C1", 1);
    Pesaje p(dm);
    EXPECT_EQ(p.sumapuntos("C1", 1, 1), 1000);
    EXPECT_EQ(p.rEquipo.puntosCupos, 0);
    EXPECT_EQ(p.rEquipo.puntosEspecies, 0);
    // Their labels are left as they were.
    EXPECT_EQ(p.lPuntosCupos(), QString("0"));
    EXPECT_EQ(p.LCupos(), QString("0"));
    EXPECT_EQ(p.LEspecies(), QString("0"));
    // calculaCupos itself still sees the row: the switch is the tally's.
    EXPECT_EQ(calculaCupos(dm, 1).puntos, 1000);
}

TEST_F(BonusTest, WarningsOfOneTally)
{
    // X: a too-light row and no valid row: reported by both bonuses.
    // Y: valid first, too light next: the quota bonus reports it, the species
    // bonus stops at the valid row. Z: zero pieces: reported by both.
    db.linea("C1", 1, 1, 1, 2, X, 100, 100);
    db.linea("C1", 1, 1, 2, 1, Y, 900, 900);
    db.linea("C1", 1, 1, 3, 3, Y, 400, 400);
    db.linea("C1", 1, 1, 4, 0, Z, 400, 400);
    Tdm& dm = db.open("C1", 1);
    ScriptedDialogs dialogs;
    Pesaje p(dm);
    p.sumapuntos("C1", 1, 1);
    const QString x = QString::fromUtf8("El peso mínimo de este pez es de 300gr\rpor lo que 2 piezas deberían pesar al menos 600gr");
    const QString y = QString::fromUtf8("El peso mínimo de este pez es de 300gr\rpor lo que 3 piezas deberían pesar al menos 900gr");
    const QString z = QString::fromUtf8("El número de piezas debe ser al menos 1");
    // Quota bonus first (every row), then the species bonus.
    EXPECT_EQ(dialogs.messages, (QStringList{x, y, z, x, z}));
    // Every tally repeats them.
    p.sumapuntos("C1", 1, 1);
    EXPECT_EQ(dialogs.messages.size(), 10);
    // With only the species bonus in force each is shown once.
    db.exec("UPDATE COMPETIC SET \"Puntos Cupo\" = 0");
    dialogs.messages.clear();
    p.sumapuntos("C1", 1, 1);
    EXPECT_EQ(dialogs.messages, (QStringList{x, z}));
}

}  // namespace
