// The team tally, the day's best marks and the team catch record.
#include "scoring/Pesaje.h"
#include "scoring/Scoring.h"
#include "scoring/ScoringFixture.h"

#include <gtest/gtest.h>

using namespace scoringtest;

namespace {

constexpr qint64 X = 10, Y = 20, Z = 30, W = 40;

class TallyTest : public ::testing::Test {
protected:
    ScoringDb db;
    void SetUp() override
    {
        Competicion c = ejemplo();
        c.puntosEspecie = 200;
        c.puntosCupo = 300;
        c.ejemplaresCupo = 5;
        db.competicion(c);
        db.jornada("C1", 1);
        db.jornada("C1", 2);
        db.especie(X, "Xerna");
        db.especie(Y, "Yubarta");
        db.especie(Z, "Zapata");
        db.especie(W, "Wrasse");
        db.cupo("C1", Y, 2, 1000);
        db.especial("C1", Z, 1, 300, 100, 1, 200, 50, 0);
        db.participante("C1", 1, "111", "Ana");
        db.participante("C1", 1, "011", "Aitor");
        db.participante("C1", 2, "222", "Luis");
        db.participante("C1", 3, "333", "Marta");
    }
    // The six lines of the bonus example for a team.
    void example(int eq, int jor = 1)
    {
        const struct {
            qint64 pez;
            int piezas, peso;
        } lines[] = {{X, 3, 1200}, {X, 2, 700}, {Y, 1, 800}, {Y, 1, 250}, {Y, 1, 400}, {Z, 1, 900}};
        int n = 0;
        for (const auto& l : lines) {
            ++n;
            db.linea("C1", jor, eq, n, l.piezas, l.pez, l.peso, l.peso);
        }
    }
};

TEST_F(TallyTest, WorkedExample)
{
    example(1);
    Tdm& dm = db.open("C1", 1);
    Pesaje p(dm);
    EXPECT_EQ(p.sumapuntos("C1", 1, 1), 6500);
    const tRequipo& r = p.rEquipo;
    const struct {
        const char* what;
        qint64 got, want;
    } figures[] = {
        {"puntos", r.puntos, 4800},        {"presentadas", r.piezasPresentadas, 9}, {"validas", r.piezasValidas, 8},
        {"codpez", r.CodpezMayor, Z},      {"peso", r.PesoPMayor, 900},             {"cupos", r.puntosCupos, 1300},
        {"especies", r.puntosEspecies, 400}, {"penal", r.penal, 0},                 {"total", r.TotalPuntos, 6500},
    };
    for (const auto& f : figures)
        EXPECT_EQ(f.got, f.want) << f.what;
    EXPECT_EQ(r.NombrePMayor, QString("Zapata"));
    const struct {
        const char* what;
        QString got, want;
    } labels[] = {
        {"lnpuntos", p.lnpuntos(), "4.800"},      {"lPValidas", p.lPValidas(), "8"},
        {"Lppmayor", p.Lppmayor(), "Zapata (900 gr)"}, {"lPuntosCupos", p.lPuntosCupos(), "1.300"},
        {"lPuntosEspecies", p.lPuntosEspecies(), "400"}, {"lTotal", p.lTotal(), "6.500"},
        {"LCupos", p.LCupos(), "2"},              {"LEspecies", p.LEspecies(), "2"},
    };
    for (const auto& l : labels)
        EXPECT_EQ(l.got, l.want) << l.what;
    EXPECT_EQ(p.Qgeneral.sql().mid(0, 3),
              (QStringList{"Select [cod pez] as cp, [Numero piezas] as np, peso, [Peso valido] as pv", "From pescada as p",
                           "Where p.[cod comp] = 'C1' and p.jornada = 1 and p.equipo = 1"}));
    EXPECT_FALSE(p.Qgeneral.active());
}

TEST_F(TallyTest, TeamWithNoLinesAfterOneWithABiggestPiece)
{
    example(1);
    Tdm& dm = db.open("C1", 1);
    Pesaje p(dm);
    p.sumapuntos("C1", 1, 1);
    EXPECT_EQ(p.sumapuntos("C1", 1, 2), 0);
    const tRequipo& r = p.rEquipo;
    EXPECT_EQ(r.puntos, 0);
    EXPECT_EQ(r.piezasPresentadas, 0);
    EXPECT_EQ(r.piezasValidas, 0);
    EXPECT_EQ(r.CodpezMayor, 0);
    EXPECT_EQ(r.PesoPMayor, 0);
    EXPECT_EQ(r.puntosCupos, 0);
    EXPECT_EQ(r.puntosEspecies, 0);
    EXPECT_TRUE(r.NombrePMayor.isEmpty());
    EXPECT_EQ(p.Lppmayor(), QString(" (0 gr)"));
    EXPECT_EQ(p.lTotal(), QString("0"));
    EXPECT_EQ(p.LCupos(), QString("0"));
}

TEST_F(TallyTest, BiggestPieceRules)
{
    db.especial("C1", W, 0, 300, 100, 1, 200, 50, 1);  // may not hold the biggest piece
    db.especie(77, "Sesenta");
    // Team 1: W's heavy valid piece scores but never is the biggest.
    db.linea("C1", 1, 1, 1, 1, W, 4000, 4000);
    db.linea("C1", 1, 1, 2, 1, X, 1000, 1000);
    // Team 2: two pieces of 1,500 g; the earlier weighing (number 1, stored
    // second) holds it.
    db.linea("C1", 1, 2, 2, 1, X, 1500, 1500);
    db.linea("C1", 1, 2, 1, 1, Y, 1500, 1500);
    // Team 3: a species missing from the register, and a two-piece line that
    // is heavier but never a biggest piece.
    db.linea("C1", 1, 3, 1, 1, 555, 700, 700);
    db.linea("C1", 1, 3, 2, 2, X, 5000, 5000);
    Tdm& dm = db.open("C1", 1);
    Pesaje p(dm);
    p.sumapuntos("C1", 1, 1);
    EXPECT_EQ(p.rEquipo.CodpezMayor, X);
    EXPECT_EQ(p.rEquipo.PesoPMayor, 1000);
    EXPECT_EQ(p.rEquipo.piezasValidas, 2);
    EXPECT_EQ(p.rEquipo.puntos, 4100 + 1100);
    p.sumapuntos("C1", 1, 2);
    EXPECT_EQ(p.rEquipo.CodpezMayor, Y);
    EXPECT_EQ(p.rEquipo.NombrePMayor, QString("Yubarta"));
    p.sumapuntos("C1", 1, 3);
    EXPECT_EQ(p.rEquipo.CodpezMayor, 555);
    EXPECT_EQ(p.rEquipo.NombrePMayor, QString("?"));
    EXPECT_EQ(p.Lppmayor(), QString("? (700 gr)"));
}

TEST_F(TallyTest, OnlyAPenalisedLine)
{
    db.linea("C1", 1, 1, 1, 1, X, 150, 150);
    Tdm& dm = db.open("C1", 1);
    Pesaje p(dm);
    ScriptedDialogs dialogs;
    EXPECT_EQ(p.sumapuntos("C1", 1, 1), -50);
    EXPECT_EQ(p.rEquipo.puntos, -50);
    EXPECT_EQ(p.rEquipo.piezasValidas, 0);
    EXPECT_EQ(p.rEquipo.piezasPresentadas, 1);
    EXPECT_EQ(p.lnpuntos(), QString("-50"));
    EXPECT_EQ(p.lTotal(), QString("-50"));
}

TEST_F(TallyTest, EmptyPiecesAndSpeciesReadAsZero)
{
    db.exec("INSERT INTO PESCADA (\"Cod comp\", Jornada, Equipo, \"Pesada num\", Peso) VALUES ('C1', 1, 1, 1, 500)");
    Tdm& dm = db.open("C1", 1);
    Pesaje p(dm);
    ScriptedDialogs dialogs;
    // No pieces: valid weight 0 reads as 0, the weight 500 reaches the minimum: 0 x 1 + 0 x 100.
    EXPECT_EQ(p.sumapuntos("C1", 1, 1), 0);
    EXPECT_EQ(p.rEquipo.piezasPresentadas, 0);
    EXPECT_EQ(dialogs.messages.size(), 2);  // the pieces warning from each bonus
}

TEST_F(TallyTest, MejoresTiesAndLabels)
{
    example(1);
    example(2);
    db.linea("C1", 1, 3, 1, 1, X, 150, 150);  // negative total
    Tdm& dm = db.open("C1", 1);
    Pesaje p(dm);
    p.equipoActual = 3;
    p.mejores();
    EXPECT_EQ(p.rMejores.Puntos, 6500);
    EXPECT_EQ(p.rMejores.EquipoPuntos, 1);
    EXPECT_EQ(p.rMejores.EquipoPM, 1);
    EXPECT_EQ(p.rMejores.CodpezMayor, Z);
    EXPECT_EQ(p.rMejores.PesoPMayor, 900);
    // The first participant is the one with the lowest DNI.
    EXPECT_EQ(p.lempuntos(), QString("1: Aitor (6.500)"));
    EXPECT_EQ(p.lpmayorCamp(), QString("1: Aitor. Zapata (900 gr)"));
    // The current team is tallied last.
    EXPECT_EQ(p.rEquipo.TotalPuntos, -50);
    EXPECT_EQ(p.lTotal(), QString("-50"));
}

TEST_F(TallyTest, MejoresOnADayWithoutPositiveTotals)
{
    db.linea("C1", 1, 3, 1, 1, X, 150, 150);
    Tdm& dm = db.open("C1", 1);
    Pesaje p(dm);
    p.mejores();
    EXPECT_EQ(p.lempuntos(), QString("0"));
    EXPECT_EQ(p.lpmayorCamp(), QString("0"));
    EXPECT_EQ(p.rMejores.Puntos, 0);
}

TEST_F(TallyTest, RaiseAfterSaveOnlyRaises)
{
    example(1);
    Tdm& dm = db.open("C1", 1);
    Pesaje p(dm);
    p.equipoActual = 1;
    p.mejores();
    // Team 2 saves a bigger total and a bigger piece.
    db.linea("C1", 1, 2, 1, 1, X, 5000, 5000);
    db.linea("C1", 1, 2, 2, 1, X, 1200, 1200);
    p.equipoActual = 2;
    p.rEquipo.equipo = 2;
    p.mejoresTrasGuardar(p.sumapuntos("C1", 1, 2));
    EXPECT_EQ(p.rMejores.Puntos, 6600);
    EXPECT_EQ(p.rMejores.EquipoPuntos, 2);
    EXPECT_EQ(p.lempuntos(), QString("Equipo 2: Luis (6.600)"));
    EXPECT_EQ(p.lpmayorCamp(), QString("Equipo 2: Xerna (5.000 gr)"));
    EXPECT_EQ(p.rMejores.NombrePMayor, QString("Xerna"));
    // A lower total and piece leave the marks and labels as they were.
    p.equipoActual = 1;
    p.rEquipo.equipo = 1;
    p.mejoresTrasGuardar(p.sumapuntos("C1", 1, 1));
    EXPECT_EQ(p.rMejores.EquipoPuntos, 2);
    EXPECT_EQ(p.lempuntos(), QString("Equipo 2: Luis (6.600)"));
    EXPECT_EQ(p.lpmayorCamp(), QString("Equipo 2: Xerna (5.000 gr)"));
    // A team without participants, or a species outside the register, moves
    // the mark but not the label.
    db.linea("C1", 1, 9, 1, 1, 555, 9000, 9000);
    p.equipoActual = 9;
    p.rEquipo.equipo = 9;
    p.mejoresTrasGuardar(p.sumapuntos("C1", 1, 9));
    EXPECT_EQ(p.rMejores.EquipoPuntos, 9);
    EXPECT_EQ(p.rMejores.EquipoPM, 9);
    EXPECT_TRUE(p.rMejores.NombrePMayor.isEmpty());
    EXPECT_EQ(p.lempuntos(), QString("Equipo 2: Luis (6.600)"));
    EXPECT_EQ(p.lpmayorCamp(), QString("Equipo 2: Xerna (5.000 gr)"));
}

TEST_F(TallyTest, LabelBuilders)
{
    EXPECT_EQ(Pesaje::textoMejorPuntuacion(4, "Ana", 1234567), QString("4: Ana (1.234.567)"));
    EXPECT_EQ(Pesaje::textoMejorPuntuacion(4, "Ana", 0), QString("0"));
    EXPECT_EQ(Pesaje::textoMejorPuntuacionGuardada(4, "Ana", 1250), QString("Equipo 4: Ana (1.250)"));
    EXPECT_EQ(Pesaje::textoPiezaMayor(4, "", "Dorada", 1250), QString("4: . Dorada (1.250 gr)"));
    EXPECT_EQ(Pesaje::textoPiezaMayorGuardada(4, "Dorada", 1250), QString("Equipo 4: Dorada (1.250 gr)"));
}

TEST_F(TallyTest, DatosPescaEquipo)
{
    example(1);
    db.linea("C1", 1, 2, 1, 1, X, 250, 250);          // single piece scoring 0
    db.linea("C1", 1, 3, 1, 2, X, 100, 100);          // several pieces, -50: still counted
    db.linea("C1", 1, 3, 2, 1, X, 150, 150);          // single piece, -50: not counted
    db.linea("C1", 1, 4, 1, 10, X, 35000, 35000);     // more than 65,535 g in all
    db.linea("C1", 1, 4, 2, 10, X, 40000, 40000);
    db.linea("C1", 1, 4, 3, 1, X, 66000, 5000);
    db.linea("C1", 2, 1, 1, 1, X, 3000, 3000);        // another day
    Tdm& dm = db.open("C1", 1);
    dm.TApescada.setFilter("equipo =2");
    const struct {
        int eq;
        int presentadas, validas, pesoTotal, puntos, idMayor, pesoMayor;
        const char* nombre;
    } cases[] = {
        {1, 9, 8, 4000, 4800, int(Z), 900, "Zapata"},
        {2, 1, 0, 0, 0, 0, 0, ""},
        {3, 3, 2, 100, -50, 0, 0, ""},
        {4, 21, 21, 141000, (35000 + 1000) + (40000 + 1000) + (5000 + 100), int(X), 66000, "Xerna"},
        {5, 0, 0, 0, 0, 0, 0, ""},
    };
    const QHash<int, TDatosPescaEquipo> dia = datosPescaDia(dm, "C1", 1);
    for (const auto& c : cases) {
        TDatosPescaEquipo d;
        d.puntos = 77;
        datosPescaEquipo(dm, c.eq, d);
        SCOPED_TRACE(c.eq);
        // The whole day read in one pass gives the same record.
        for (const TDatosPescaEquipo& e : {d, dia.value(c.eq)}) {
            EXPECT_EQ(e.numPresentadas, c.presentadas);
            EXPECT_EQ(e.numValidas, c.validas);
            EXPECT_EQ(e.pesoTotal, c.pesoTotal);
            EXPECT_EQ(e.puntos, c.puntos);
            EXPECT_EQ(e.idPMayor, c.idMayor);
            EXPECT_EQ(e.pesoPMayor, c.pesoMayor);
            EXPECT_EQ(e.NombrePMayor, QString(c.nombre));
        }
    }
    EXPECT_FALSE(dia.contains(5));  // no lines
    // The catch table is left open, unfiltered, on the whole day.
    EXPECT_TRUE(dm.TApescada.active());
    EXPECT_FALSE(dm.TApescada.filtered());
    EXPECT_TRUE(dm.TApescada.filter().isEmpty());
    EXPECT_EQ(dm.TApescada.recordCount(), 12);
}

}  // namespace
