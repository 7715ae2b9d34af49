// What the weigh-in screen and the command line share: deleting a line, the
// warnings of a save, the day ranking rows, and extraeCampo.
#include "data/Helpers.h"
#include "engine/Format.h"
#include "scoring/ClasificacionDia.h"
#include "scoring/Pesaje.h"
#include "scoring/ScoringFixture.h"
#include "support/Cli.h"

#include <gtest/gtest.h>

#include <functional>

using namespace scoringtest;

namespace {

constexpr qint64 X = 10, Y = 20;

TEST(ExtraeCampo, Fields)
{
    struct Case {
        const char* texto;
        const char* sep;
        int n;
        const char* esperado;
    } cases[] = {
        {"7. Club. Nombre", ".", 1, "7"},
        {"7. Club. Nombre", ".", 2, " Club"},
        {"7. Club. Nombre", ".", 3, " Nombre"},
        {"7. Club. Nombre", ".", 9, " Nombre"},   // beyond the last: the last
        {"7. Club. Nombre", ".", 0, "7"},         // 1 or less: the first
        {"12 - Ana", "-", 1, "12 "},
        {"sin separador", "-", 1, "sin separador"},
        {"a-b", "-", 3, "b"},
        {"", ".", 1, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(extraeCampo(QString::fromUtf8(c.texto), c.sep, c.n), QString::fromUtf8(c.esperado))
            << c.texto << " n=" << c.n;
}

class WeighInCoreTest : public ::testing::Test {
protected:
    ScoringDb db;
    void SetUp() override
    {
        engine::setProgramLocale(QLocale(QLocale::Spanish, QLocale::Spain));
        db.competicion(ejemplo());
        db.competicion([] { Competicion c = ejemplo(); c.codigo = "C2"; return c; }());
        db.jornada("C1", 1);
        db.jornada("C1", 2);
        db.jornada("C2", 1);
        db.especie(X, "Xerna");
        db.especie(Y, "Yubarta");
        db.participante("C1", 1, "111", "Ana");
        db.participante("C1", 1, "112", "Bea");
        db.participante("C1", 2, "222", "Luis");
        db.participante("C1", 3, "333", "Marta");
        db.participante("C2", 1, "999", "Otro");
    }
    QStringList numeros(int eq, int jor = 1, const QString& cc = "C1")
    {
        QStringList s;
        for (int i = 1; i <= 9; ++i)
            if (db.scalar(QString("SELECT count(*) FROM PESCADA WHERE \"Cod comp\"='%1' AND Jornada=%2 AND Equipo=%3 "
                                  "AND \"Pesada num\"=%4").arg(cc).arg(jor).arg(eq).arg(i)))
                s << QString("%1:%2").arg(i).arg(db.scalar(
                         QString("SELECT Peso FROM PESCADA WHERE \"Cod comp\"='%1' AND Jornada=%2 AND Equipo=%3 "
                                 "AND \"Pesada num\"=%4").arg(cc).arg(jor).arg(eq).arg(i)));
        return s;
    }
};

TEST_F(WeighInCoreTest, DeletingALineRenumbersAndRecomputesOnlyThatTeamsDay)
{
    db.linea("C1", 1, 1, 1, 1, X, 1000, 1000);
    db.linea("C1", 1, 1, 2, 1, X, 2000, 2000);
    db.linea("C1", 1, 1, 3, 1, Y, 3000, 3000);
    db.linea("C1", 1, 2, 2, 1, X, 500, 500);   // another team: untouched
    db.linea("C1", 2, 1, 2, 1, X, 600, 600);   // another day: untouched
    db.linea("C2", 1, 1, 2, 1, X, 700, 700);   // another competition: untouched
    Tdm& dm = db.open("C1", 1);
    ScriptedDialogs dialogs;
    Pesaje p(dm);
    ASSERT_TRUE(p.borrarPesada(1, 2));
    EXPECT_EQ(numeros(1), (QStringList{"1:1000", "2:3000"}));
    EXPECT_EQ(numeros(2), (QStringList{"2:500"}));
    EXPECT_EQ(numeros(1, 2), (QStringList{"2:600"}));
    EXPECT_EQ(numeros(1, 1, "C2"), (QStringList{"2:700"}));
    // Points 1100 + 3100; the record is rewritten for every team of the day.
    EXPECT_EQ(p.rEquipo.TotalPuntos, 4200);
    EXPECT_EQ(db.scalar("SELECT TotalPuntos FROM CLASIFIC WHERE Competicion='C1' AND Jornada=1 AND Equipo=1"), 4200);
    EXPECT_EQ(db.scalar("SELECT TotalPuntos FROM CLASIFIC WHERE Competicion='C1' AND Jornada=1 AND Equipo=2"), 600);
    EXPECT_EQ(db.scalar("SELECT count(*) FROM CLASIFIC WHERE Competicion='C1' AND Jornada=2"), 0);
    // The next new line of the team gets number 3.
    EXPECT_EQ(p.siguientePesada("C1", 1, 1), 3);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(WeighInCoreTest, DeletingAMissingLineChangesNothing)
{
    db.linea("C1", 1, 1, 1, 1, X, 1000, 1000);
    Tdm& dm = db.open("C1", 1);
    Pesaje p(dm);
    EXPECT_FALSE(p.borrarPesada(1, 5));
    EXPECT_FALSE(p.borrarPesada(2, 1));
    EXPECT_EQ(numeros(1), (QStringList{"1:1000"}));
    EXPECT_EQ(db.scalar("SELECT count(*) FROM CLASIFIC"), 0);
}

TEST_F(WeighInCoreTest, ADeletionThatFailsPartWayKeepsEverything)
{
    db.linea("C1", 1, 1, 1, 1, X, 1000, 1000);
    db.linea("C1", 1, 1, 2, 1, X, 2000, 2000);
    db.linea("C1", 1, 2, 1, 1, X, 500, 500);
    db.clasific("C1", 1, 1, 7, 0, 0, 7);
    // The rewrite of team 2's record is refused (by triggers another program
    // adds once the file is open): nothing of the deletion stays.
    Tdm& dm = db.open("C1", 1);
    db.exec("CREATE TRIGGER refuse BEFORE UPDATE ON CLASIFIC WHEN NEW.Equipo = 2 "
            "BEGIN SELECT RAISE(ABORT, 'no'); END");
    db.exec("CREATE TRIGGER refuse2 BEFORE INSERT ON CLASIFIC WHEN NEW.Equipo = 2 "
            "BEGIN SELECT RAISE(ABORT, 'no'); END");
    ScriptedDialogs dialogs;
    Pesaje p(dm);
    EXPECT_THROW(p.borrarPesada(1, 1), engine::DatabaseError);
    EXPECT_EQ(numeros(1), (QStringList{"1:1000", "2:2000"}));
    EXPECT_EQ(db.scalar("SELECT TotalPuntos FROM CLASIFIC WHERE Equipo=1"), 7);
}

TEST_F(WeighInCoreTest, OnlyTheSavedLineIsWarnedAboutAndOnce)
{
    db.linea("C1", 1, 2, 1, 2, X, 100, 100);   // too light, weighed earlier
    db.linea("C1", 1, 3, 1, 0, X, 400, 400);   // no pieces, weighed earlier
    Tdm& dm = db.open("C1", 1);
    ScriptedDialogs dialogs;
    Pesaje p(dm);
    p.mejores();
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('|').toStdString();
    // A fine line: no warning at all.
    ASSERT_TRUE(p.guardarLinea(1, 1, X, 1000).ok);
    EXPECT_TRUE(dialogs.messages.isEmpty());
    // A too-light line of three: its one warning, once.
    ASSERT_TRUE(p.guardarLinea(1, 3, Y, 400).ok);
    EXPECT_EQ(dialogs.messages,
              QStringList{QString::fromUtf8("El peso mínimo de este pez es de 300gr\rpor lo que 3 piezas deberían "
                                            "pesar al menos 900gr")});
    dialogs.messages.clear();
    // A line of no piece is refused before anything is stored, with the
    // same words.
    const QStringList antes = rowsOf(db.file.path(), "SELECT * FROM PESCADA ORDER BY rowid");
    const QStringList registros = rowsOf(db.file.path(), "SELECT * FROM CLASIFIC ORDER BY rowid");
    EXPECT_FALSE(p.guardarLinea(1, 0, Y, 400).ok);
    EXPECT_EQ(dialogs.messages, QStringList{QString::fromUtf8("El número de piezas debe ser al menos 1")});
    EXPECT_EQ(rowsOf(db.file.path(), "SELECT * FROM PESCADA ORDER BY rowid"), antes);
    EXPECT_EQ(rowsOf(db.file.path(), "SELECT * FROM CLASIFIC ORDER BY rowid"), registros);
}

// A line open for correction that another program deletes, renumbers or
// changes before it is saved: the save is refused, nothing is stored (the
// file is as the other program left it), the entry is dropped and the team
// is tallied from what the file holds.
TEST_F(WeighInCoreTest, ACorrectionOfALineThatChangedElsewhereStoresNothing)
{
    const struct {
        const char* what;
        std::function<void(const QString& file)> change;  // empty: nobody else writes
    } cases[] = {
        {"untouched", {}},
        {"line 1 deleted and the rest renumbered by tarsela-cli",
         [](const QString& f) {
             const CliRun r = cli({"borrar-pesada", f, "C1", "1", "1", "1"});
             ASSERT_EQ(r.code, 0) << r.err.toStdString();
         }},
        {"the line itself deleted by tarsela-cli",
         [](const QString& f) {
             const CliRun r = cli({"borrar-pesada", f, "C1", "1", "1", "3"});
             ASSERT_EQ(r.code, 0) << r.err.toStdString();
         }},
        {"its weight changed",
         [](const QString& f) { execOn(f, "UPDATE PESCADA SET Peso = 3100 WHERE Equipo = 1 AND \"Pesada num\" = 3"); }},
        {"deleted and another line given its number",
         [](const QString& f) {
             execOn(f, "DELETE FROM PESCADA WHERE Equipo = 1 AND \"Pesada num\" = 3");
             execOn(f, "INSERT INTO PESCADA (\"Cod comp\", Jornada, Equipo, \"Pesada num\", \"Numero piezas\", "
                       "\"Cod pez\", Peso, \"Peso valido\") VALUES ('C1', 1, 1, 3, 1, 10, 3000, 3000)");
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScoringDb d;
        d.competicion(ejemplo());
        d.jornada("C1", 1);
        d.especie(X, "Xerna");
        d.especie(Y, "Yubarta");
        d.participante("C1", 1, "111", "Ana");
        d.linea("C1", 1, 1, 1, 1, X, 1000, 1000);
        d.linea("C1", 1, 1, 2, 1, X, 2000, 2000);
        d.linea("C1", 1, 1, 3, 1, Y, 3000, 3000);
        Tdm& dm = d.open("C1", 1);
        ScriptedDialogs dialogs;
        Pesaje p(dm);
        p.equipoActual = 1;
        p.entradaDeEquipo(1);
        ASSERT_TRUE(p.TApes2.locate("Equipo;Pesada num", QVariantList{1, 3}));
        p.TApes2.edit();
        p.TApes2.fieldByName("Peso").setAsInteger(2500);
        p.TApes2.fieldByName("Peso valido").setAsInteger(2500);

        if (c.change)
            c.change(d.file.path());
        const char* lines = "SELECT * FROM PESCADA ORDER BY rowid";
        const QStringList before = rowsOf(d.file.path(), lines);
        const bool saved = p.guardarEntrada();
        if (!c.change) {
            EXPECT_TRUE(saved);
            EXPECT_FALSE(p.lineaCambiada());
            EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('|').toStdString();
            EXPECT_EQ(d.scalar("SELECT Peso FROM PESCADA WHERE Equipo = 1 AND \"Pesada num\" = 3"), 2500);
            continue;
        }
        EXPECT_FALSE(saved);
        EXPECT_TRUE(p.lineaCambiada());
        EXPECT_TRUE(dialogs.messages.isEmpty()) << "the screen says it, over the lines read again";
        EXPECT_EQ(rowsOf(d.file.path(), lines), before);
        EXPECT_EQ(d.scalar("SELECT count(*) FROM PESCADA WHERE Peso = 2500"), 0);
        EXPECT_FALSE(p.TApes2.isEditing());
        // The numbers have no gap.
        EXPECT_EQ(d.scalar("SELECT max(\"Pesada num\") - count(*) FROM PESCADA WHERE Equipo = 1"), 0);
        qint64 puntos = 0;
        for (const QString& r : rowsOf(d.file.path(), "SELECT \"Peso valido\" + 100 FROM PESCADA WHERE Equipo = 1"))
            puntos += r.toLongLong();
        EXPECT_EQ(p.rEquipo.puntos, puntos) << "tallied from the file";
    }
}

// A line deleted from what a view showed is deleted only while the file
// still holds it so; after another program renumbered the team's lines the
// deletion is refused and nothing changes.
TEST_F(WeighInCoreTest, ADeletionOfALineThatChangedElsewhereDeletesNothing)
{
    db.linea("C1", 1, 1, 1, 1, X, 1000, 1000);
    db.linea("C1", 1, 1, 2, 1, X, 2000, 2000);
    db.linea("C1", 1, 1, 3, 1, Y, 3000, 3000);
    Tdm& dm = db.open("C1", 1);
    ScriptedDialogs dialogs;
    Pesaje p(dm);
    engine::Table grid(dm.db, "PESCADA");
    grid.setIndexName("idxPrimaryKey");
    grid.setRange({"C1", 1, 1}, {"C1", 1, 1});
    grid.open();
    grid.last();
    const Pesaje::LineaLeida shown = Pesaje::lineaLeida(grid);   // line 3, 3000 g

    const CliRun r = cli({"borrar-pesada", db.file.path(), "C1", "1", "1", "1"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_FALSE(p.borrarPesada(1, 3, &shown));
    EXPECT_TRUE(p.lineaCambiada());
    EXPECT_EQ(numeros(1), (QStringList{"1:2000", "2:3000"}));

    // Read again, the same line is deleted.
    grid.refresh();
    grid.last();
    const Pesaje::LineaLeida again = Pesaje::lineaLeida(grid);
    EXPECT_TRUE(p.borrarPesada(1, 2, &again));
    EXPECT_FALSE(p.lineaCambiada());
    EXPECT_EQ(numeros(1), (QStringList{"1:2000"}));
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('|').toStdString();
}

// Fewer than 1 piece is refused, with the pieces warning's own words.
TEST(LineRules, ALineOfNoPieceIsRefused)
{
    EXPECT_EQ(rechazoLinea(0), QString::fromUtf8("El número de piezas debe ser al menos 1"));
    EXPECT_EQ(rechazoLinea(-3), QString::fromUtf8("El número de piezas debe ser al menos 1"));
    EXPECT_TRUE(rechazoLinea(1).isEmpty());
    EXPECT_TRUE(rechazoLinea(40).isEmpty());
}

// A weight per piece above three times the competition's maximum, or above
// three times the heaviest single piece of the species so far, is asked
// about; exactly three times is not.
TEST(LineRules, ALikelyTypingSlipInTheWeight)
{
    const struct {
        int peso, piezas, maximo;
        qint64 mayor;
        bool duda;
    } cases[] = {
        {18500, 1, 5000, 0, true},      // above 3 x 5000
        {15000, 1, 5000, 0, false},     // exactly 3 x 5000
        {15001, 1, 5000, 0, true},
        {30000, 2, 5000, 0, false},     // 15000 a piece
        {30002, 2, 5000, 0, true},      // 15001 a piece
        {18500, 1, 0, 0, false},        // no maximum, no earlier piece: nothing to judge by
        {18500, 1, 0, 2000, true},      // above 3 x the heaviest so far
        {6000, 1, 0, 2000, false},
        {6000, 1, 5000, 2000, false},
        {6001, 1, 5000, 2000, true},    // either rule is enough
        {12003, 2, 0, 2000, true},      // 6001.5 a piece
        {12002, 2, 0, 2000, true},
        {12000, 2, 0, 2000, false},
        {18500, 0, 5000, 2000, false},  // no piece: refused, not asked
        {0, 1, 5000, 2000, false},
        {2000000000, 1, 2147483647, 0, false},
        {2147483647, 32767, 0, 2147483647, false},  // no overflow
        {2147483647, 1, 0, 715827882, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(pesoSospechoso(c.peso, c.piezas, c.maximo, c.mayor), c.duda)
            << c.peso << " g, " << c.piezas << " piezas, maximo " << c.maximo << ", mayor " << c.mayor;
}

// The question names the weight with the program's formatter and the species.
TEST_F(WeighInCoreTest, TheWeightQuestionAndItsReferences)
{
    EXPECT_EQ(textoDudaPeso(18500, 1, "Sargo"), QString::fromUtf8("¿Es correcto un peso de 18.500 g para Sargo?"));
    EXPECT_EQ(textoDudaPeso(37000, 2, "Sargo"),
              QString::fromUtf8("¿Es correcto un peso de 37.000 g para 2 piezas de Sargo?"));

    // C1: maximum 5000. Heaviest single Yubarta so far 900 g on day 2 (the
    // competition, not the day); a line of 3 Yubartas of 9000 g is not a
    // single piece; another competition's pieces do not count.
    db.linea("C1", 2, 2, 1, 1, Y, 900, 900);
    db.linea("C1", 1, 3, 1, 3, Y, 9000, 9000);
    db.linea("C2", 1, 1, 1, 1, X, 100, 100);
    Tdm& dm = db.open("C1", 1);
    Pesaje p(dm);
    EXPECT_EQ(p.dudaPeso(Y, 1, 2700), QString());
    EXPECT_EQ(p.dudaPeso(Y, 1, 2701), QString::fromUtf8("¿Es correcto un peso de 2.701 g para Yubarta?"));
    EXPECT_EQ(p.dudaPeso(X, 1, 15000), QString()) << "no Xerna in C1: the maximum alone";
    EXPECT_EQ(p.dudaPeso(X, 1, 18500), QString::fromUtf8("¿Es correcto un peso de 18.500 g para Xerna?"));
    // The line being corrected is not its own reference.
    const engine::Dataset::Bookmark propia{QString("C1"), 2, 2, 1};  // the 900 g Yubarta's key
    EXPECT_EQ(p.dudaPeso(Y, 1, 4000, propia), QString());
    EXPECT_FALSE(p.dudaPeso(Y, 1, 4000).isEmpty());
}

TEST_F(WeighInCoreTest, DayRankingRows)
{
    db.clasific("C1", 1, 3, 10000, 0, 0, 10000);
    db.clasific("C1", 1, 2, 12000, 500, 0, 12500);
    db.clasific("C1", 1, 1, 10000, 0, 0, 10000);   // equal to team 3: the lower team first
    db.clasific("C1", 2, 1, 99, 0, 0, 99);         // another day
    Tdm& dm = db.open("C1", 1);
    const QList<FilaClasificacion> f = filasClasificacionDia(dm, "C1", 1);
    ASSERT_EQ(f.size(), 3);
    auto cells = [](const FilaClasificacion& r) {
        return QStringList{r.pos, r.eq, r.nombres.join(", "), r.puntos, r.bonifica, r.total, r.porcentaje}.join('|');
    };
    EXPECT_EQ(cells(f[0]), QString::fromUtf8("1º|2|Luis|12.000|500|12.500|100,00"));
    EXPECT_EQ(cells(f[1]), QString::fromUtf8("2º|1|Ana, Bea|10.000|0|10.000|80,00"));
    EXPECT_EQ(cells(f[2]), QString::fromUtf8("3º|3|Marta|10.000|0|10.000|80,00"));
    EXPECT_EQ(f[1].celdaNombres(), QString(" Ana\r\n Bea\r\n"));
    EXPECT_TRUE(filasClasificacionDia(dm, "C1", 3).isEmpty());
}

TEST_F(WeighInCoreTest, NoShareAboveALeaderOfZeroOrLess)
{
    for (qint64 lider : {0, -50}) {
        ScoringDb d;
        d.competicion(ejemplo());
        d.jornada("C1", 1);
        d.clasific("C1", 1, 1, 0, 0, 0, lider);
        d.clasific("C1", 1, 2, 0, 0, 0, lider - 100);
        Tdm& dm = d.open("C1", 1);
        const QList<FilaClasificacion> f = filasClasificacionDia(dm, "C1", 1);
        ASSERT_EQ(f.size(), 2);
        EXPECT_EQ(f[0].porcentaje, QString("100,00"));
        EXPECT_EQ(f[1].porcentaje, QString());
        EXPECT_TRUE(f[0].nombres.isEmpty());
    }
}

}  // namespace
