// What the weigh-in screen and the command line share: deleting a line, the
// warnings of a save, the day ranking rows, and extraeCampo.
#include "data/Helpers.h"
#include "engine/Format.h"
#include "scoring/ClasificacionDia.h"
#include "scoring/Pesaje.h"
#include "scoring/ScoringFixture.h"

#include <gtest/gtest.h>

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
    ASSERT_TRUE(p.guardarLinea(1, 0, Y, 400).ok);
    EXPECT_EQ(dialogs.messages, QStringList{QString::fromUtf8("El número de piezas debe ser al menos 1")});
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
