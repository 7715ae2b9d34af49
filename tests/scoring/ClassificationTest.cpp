// The day classification records written by the weigh-in, and the save of a line.
#include "scoring/Pesaje.h"
#include "scoring/Scoring.h"
#include "scoring/ScoringFixture.h"


#include <gtest/gtest.h>

using namespace scoringtest;

namespace {

constexpr qint64 X = 10, Y = 20, Z = 30;

const char* kRecord =
    "SELECT Competicion, Jornada, Equipo, Puntos, Bonifica, Penaliza, TotalPuntos, Presentadas, Validas, "
    "codPiezaMayor, PesoPiezaMayor FROM CLASIFIC WHERE Competicion = 'C1' AND Jornada = 1 AND Equipo = %1";

class ClassificationTest : public ::testing::Test {
protected:
    ScoringDb db;
    void SetUp() override
    {
        Competicion c = ejemplo();
        c.puntosEspecie = 200;
        c.puntosCupo = 300;
        c.ejemplaresCupo = 5;
        db.competicion(c);
        Competicion other = c;
        other.codigo = "C2";
        db.competicion(other, "Otra");
        db.jornada("C1", 1);
        db.jornada("C1", 2);
        db.jornada("C2", 1);
        db.especie(X, "Xerna");
        db.especie(Y, "Yubarta");
        db.especie(Z, "Zapata");
        db.cupo("C1", Y, 2, 1000);
        db.especial("C1", Z, 1, 300, 100, 1, 200, 50, 0);
        db.participante("C1", 1, "111", "Ana");
        db.participante("C1", 2, "222", "Luis");
        db.participante("C1", 4, "444", "Marta");
        db.participante("C2", 1, "111", "Ana");
        // Records of another day and another competition that must stay.
        db.clasific("C1", 2, 1, 5, 6, 7, 4);
        db.clasific("C2", 1, 1, 8, 9, 10, 7);
        db.linea("C1", 2, 1, 1, 1, X, 900, 900);
        db.linea("C2", 1, 1, 1, 1, X, 900, 900);
    }
    void firstFive(int eq)
    {
        const struct {
            qint64 pez;
            int piezas, peso;
        } lines[] = {{X, 3, 1200}, {X, 2, 700}, {Y, 1, 800}, {Y, 1, 250}, {Y, 1, 400}};
        int n = 0;
        for (const auto& l : lines) {
            ++n;
            db.linea("C1", 1, eq, n, l.piezas, l.pez, l.peso, l.peso);
        }
    }
    QString record(int eq) const
    {
        const QStringList rows = rowsOf(db.file.path(), QString(kRecord).arg(eq));
        return rows.isEmpty() ? QString() : rows.join('\n');
    }
    QStringList others() const
    {
        return rowsOf(db.file.path(), "SELECT * FROM CLASIFIC WHERE NOT (Competicion = 'C1' AND Jornada = 1) "
                                    "ORDER BY Competicion, Jornada, Equipo");
    }
};

TEST_F(ClassificationTest, SaveRewritesARecordThatHeldAPenalty)
{
    firstFive(1);
    db.clasific("C1", 1, 1, 4800, 1700, 12, 6488);
    const QStringList before = others();
    Tdm& dm = db.open("C1", 1);
    Pesaje p(dm);
    const Pesaje::LineaGuardada r = p.guardarLinea(1, 1, Z, 900);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.pesada, 6);
    EXPECT_EQ(r.total, 6500);
    const struct {
        const char* column;
        qint64 want;
    } cols[] = {{"Puntos", 4800},       {"Bonifica", 1700}, {"Penaliza", 0},        {"TotalPuntos", 6500},
                {"Presentadas", 9},     {"Validas", 8},     {"codPiezaMayor", Z},   {"PesoPiezaMayor", 900}};
    for (const auto& c : cols)
        EXPECT_EQ(db.scalar(QString("SELECT %1 FROM CLASIFIC WHERE Competicion = 'C1' AND Jornada = 1 AND Equipo = 1")
                                .arg(c.column)),
                  c.want)
            << c.column;
    EXPECT_EQ(db.scalar("SELECT count(*) FROM CLASIFIC WHERE Competicion = 'C1' AND Jornada = 1"), 1);
    EXPECT_EQ(others(), before);
    // The species just saved is proposed next.
    EXPECT_EQ(p.ultimaEspecie, Z);
    EXPECT_EQ(p.lTotal(), QString("6.500"));
}

TEST_F(ClassificationTest, SaveCreatesAMissingRecordAndNumbersLines)
{
    Tdm& dm = db.open("C1", 1);
    Pesaje p(dm);
    const Pesaje::LineaGuardada a = p.guardarLinea(2, 1, X, 7000);  // capped at 5000
    ASSERT_TRUE(a.ok);
    EXPECT_EQ(a.pesada, 1);
    EXPECT_EQ(record(2), QString("C1|1|2|5100|200|0|5300|1|1|10|7000"));
    EXPECT_EQ(db.scalar("SELECT \"Peso valido\" FROM PESCADA WHERE \"Cod comp\" = 'C1' AND Jornada = 1 AND Equipo = 2"),
              5000);
    const Pesaje::LineaGuardada b = p.guardarLinea(2, 2, X, 7000);  // two pieces: never capped
    EXPECT_EQ(b.pesada, 2);
    const Pesaje::LineaGuardada c = p.guardarLinea(2, 1, Y, 900, 300);  // a valid weight typed by hand
    EXPECT_EQ(c.pesada, 3);
    EXPECT_EQ(db.scalar("SELECT \"Peso valido\" FROM PESCADA WHERE \"Cod comp\" = 'C1' AND Equipo = 2 AND \"Pesada num\" = 2"), 7000);
    EXPECT_EQ(db.scalar("SELECT \"Peso valido\" FROM PESCADA WHERE \"Cod comp\" = 'C1' AND Equipo = 2 AND \"Pesada num\" = 3"), 300);
    EXPECT_EQ(c.total, 5100 + 7200 + 400 + 400);
    EXPECT_EQ(p.rMejores.Puntos, c.total);
    EXPECT_EQ(p.lempuntos(), QString("Equipo 2: Luis (13.100)"));
    EXPECT_EQ(p.lpmayorCamp(), QString("Equipo 2: Xerna (7.000 gr)"));
}

TEST_F(ClassificationTest, NextNumberFollowsTheHighest)
{
    db.linea("C1", 1, 1, 1, 1, X, 900, 900);
    db.linea("C1", 1, 1, 3, 1, X, 900, 900);
    db.linea("C1", 1, 2, 7, 1, X, 900, 900);  // another team's numbers do not count
    Tdm& dm = db.open("C1", 1);
    Pesaje p(dm);
    EXPECT_EQ(p.guardarLinea(1, 1, X, 800).pesada, 4);
}

TEST_F(ClassificationTest, RefusedPostChangesNothing)
{
    db.linea("C1", 1, 1, 32767, 1, X, 900, 900);
    db.clasific("C1", 1, 1, 1, 2, 3, 4);
    Tdm& dm = db.open("C1", 1);
    Pesaje p(dm);
    ScriptedDialogs dialogs;
    const QString before = record(1);
    EXPECT_FALSE(p.guardarLinea(1, 1, X, 800).ok);
    // "Al guardar." and, on its next line, why.
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].startsWith("Al guardar.\n")) << dialogs.messages[0].toStdString();
    EXPECT_TRUE(dialogs.messages[0].contains("Pesada num")) << dialogs.messages[0].toStdString();
    EXPECT_EQ(db.scalar("SELECT count(*) FROM PESCADA WHERE \"Cod comp\" = 'C1' AND Equipo = 1 AND Jornada = 1"), 1);
    EXPECT_EQ(record(1), before);
    EXPECT_FALSE(p.TApes2.isEditing());
}

// The line and its team's record are one transaction: when the record
// cannot be written nothing is stored, the entry keeps what was typed, and
// the retry that succeeds stores the line once.
TEST_F(ClassificationTest, SaveIsAllOrNothing)
{
    firstFive(1);
    db.clasific("C1", 1, 1, 0, 0, 12, -12);
    for (const char* trigger : {"INSERT", "UPDATE"}) {
        SCOPED_TRACE(trigger);
        if (QString(trigger) == "INSERT")
            db.exec("DELETE FROM CLASIFIC WHERE Competicion = 'C1' AND Jornada = 1 AND Equipo = 1");
        // A file with a trigger is refused when it opens: the refusing one
        // comes from another program once the file is open.
        Tdm& dm = db.open("C1", 1);
        db.exec(QString("CREATE TRIGGER refuse BEFORE %1 ON CLASIFIC WHEN NEW.Equipo = 1 "
                        "BEGIN SELECT RAISE(ABORT, 'no'); END").arg(trigger));
        const QStringList lines = rowsOf(db.file.path(), "SELECT * FROM PESCADA ORDER BY rowid");
        const QStringList records = rowsOf(db.file.path(), "SELECT * FROM CLASIFIC ORDER BY rowid");
        Pesaje p(dm);
        ScriptedDialogs dialogs;
        p.equipoActual = 1;
        p.TApes2.open();
        p.TApes2.insert();
        p.TApes2.fieldByName("Cod comp").setValue("C1");
        p.TApes2.fieldByName("Jornada").setAsInteger(1);
        p.TApes2.fieldByName("Equipo").setAsInteger(1);
        p.TApes2.fieldByName("Numero piezas").setAsInteger(2);
        p.TApes2.fieldByName("Cod pez").setAsInteger(Z);
        p.TApes2.fieldByName("Peso").setAsInteger(900);
        p.TApes2.fieldByName("Peso valido").setAsInteger(900);
        EXPECT_FALSE(p.guardarEntrada());
        ASSERT_EQ(dialogs.messages.size(), 1);
        EXPECT_TRUE(dialogs.messages[0].startsWith("Al guardar.\n")) << dialogs.messages[0].toStdString();
        EXPECT_FALSE(dm.db.inTransaction());
        EXPECT_EQ(rowsOf(db.file.path(), "SELECT * FROM PESCADA ORDER BY rowid"), lines);
        EXPECT_EQ(rowsOf(db.file.path(), "SELECT * FROM CLASIFIC ORDER BY rowid"), records);
        // The entry is still being inserted, with what was typed.
        ASSERT_EQ(p.TApes2.state(), engine::Dataset::State::Insert);
        EXPECT_EQ(p.TApes2.fieldByName("Numero piezas").asLargeInt(), 2);
        EXPECT_EQ(p.TApes2.fieldByName("Cod pez").asLargeInt(), Z);
        EXPECT_EQ(p.TApes2.fieldByName("Peso").asLargeInt(), 900);
        // The tally shows what is stored, not the line that was refused.
        EXPECT_EQ(p.rEquipo.piezasPresentadas, 8);
        // Once the file takes the record, the same entry saves once.
        db.exec("DROP TRIGGER refuse");
        ASSERT_TRUE(p.guardarEntrada());
        EXPECT_EQ(db.scalar("SELECT count(*) FROM PESCADA WHERE \"Cod comp\" = 'C1' AND Jornada = 1 AND Equipo = 1"), 6);
        EXPECT_EQ(db.scalar("SELECT max(\"Pesada num\") FROM PESCADA WHERE \"Cod comp\" = 'C1' AND Jornada = 1 AND Equipo = 1"), 6);
        EXPECT_EQ(db.scalar("SELECT Presentadas FROM CLASIFIC WHERE Competicion = 'C1' AND Jornada = 1 AND Equipo = 1"), 10);
        db.exec("DELETE FROM PESCADA WHERE \"Cod comp\" = 'C1' AND Jornada = 1 AND Equipo = 1 AND \"Pesada num\" = 6");
    }
}

TEST_F(ClassificationTest, MejoresRewritesEveryTeamAndNothingElse)
{
    firstFive(1);
    db.linea("C1", 1, 1, 6, 1, Z, 900, 900);
    db.linea("C1", 1, 3, 1, 1, X, 5000, 5000);  // a team without participants: not rewritten
    db.clasific("C1", 1, 1, 0, 0, 12, -12);
    db.clasific("C1", 1, 2, 100, 100, 50, 150);
    const QStringList before = others();
    Tdm& dm = db.open("C1", 1);
    Pesaje p(dm);
    p.equipoActual = 1;
    p.mejores();
    EXPECT_EQ(record(1), QString("C1|1|1|4800|1700|0|6500|9|8|30|900"));
    EXPECT_EQ(record(2), QString("C1|1|2|0|0|0|0|0|0|0|0"));
    EXPECT_EQ(record(4), QString("C1|1|4|0|0|0|0|0|0|0|0"));
    EXPECT_EQ(record(3), QString());
    EXPECT_EQ(others(), before);
    EXPECT_FALSE(dm.db.inTransaction());
}

TEST_F(ClassificationTest, MejoresIsAllOrNothing)
{
    firstFive(1);
    firstFive(4);
    db.clasific("C1", 1, 1, 0, 0, 12, -12);
    db.clasific("C1", 1, 2, 100, 100, 50, 150);
    db.clasific("C1", 1, 4, 7, 7, 7, 7);
    // The file refuses the third team's record (a trigger another program
    // adds once the file is open: a file that has one does not open).
    Tdm& dm = db.open("C1", 1);
    db.exec("CREATE TRIGGER refuse BEFORE UPDATE ON CLASIFIC WHEN NEW.Equipo = 4 BEGIN SELECT RAISE(ABORT, 'no'); END");
    const QStringList before = rowsOf(db.file.path(), "SELECT * FROM CLASIFIC ORDER BY Competicion, Jornada, Equipo");
    Pesaje p(dm);
    EXPECT_THROW(p.mejores(), engine::DatabaseError);
    EXPECT_FALSE(dm.db.inTransaction());
    EXPECT_EQ(rowsOf(db.file.path(), "SELECT * FROM CLASIFIC ORDER BY Competicion, Jornada, Equipo"), before);
    // Once the file accepts it again, the same session rewrites all of them.
    db.exec("DROP TRIGGER refuse");
    p.mejores();
    EXPECT_EQ(record(1), QString("C1|1|1|3800|1700|0|5500|8|7|20|800"));
}

TEST_F(ClassificationTest, ClosingRewriteKeepsKeyAndAppliesTheStoredPenalty)
{
    firstFive(1);
    firstFive(2);
    db.clasific("C1", 1, 1, 0, 0, 12, -12);
    db.clasific("C1", 1, 2, 0, 0, 12, -12);
    db.penal("C1", 1, 2, 7.5);  // halves to even: 8
    Tdm& dm = db.open("C1", 1);
    Pesaje p(dm);
    for (int eq : {1, 2}) {
        p.rEquipo.equipo = eq;
        p.sumapuntos("C1", 1, eq);
        p.actualizaClasificacion();
    }
    // Penaliza comes from PENAL, not from what the record held.
    EXPECT_EQ(record(1), QString("C1|1|1|3800|1700|0|5500|8|7|20|800"));
    EXPECT_EQ(record(2), QString("C1|1|2|3800|1700|8|5492|8|7|20|800"));
    EXPECT_EQ(p.rEquipo.penal, 8);
    EXPECT_EQ(p.rEquipo.TotalPuntos, 5500);  // the tally itself keeps its arithmetic
}

TEST_F(ClassificationTest, EveryWriteAppliesTheTeamsPenaltyOfThatDay)
{
    firstFive(1);
    db.penal("C1", 1, 1, 12);
    db.penal("C1", 1, 2, 2.5);  // 2
    db.penal("C1", 1, 4, 3.5);  // 4
    db.penal("C1", 2, 1, 900);  // another day
    db.penal("C2", 1, 1, 900);  // another competition
    Tdm& dm = db.open("C1", 1);
    Pesaje p(dm);
    p.equipoActual = 1;
    p.mejores();
    EXPECT_EQ(record(1), QString("C1|1|1|3800|1700|12|5488|8|7|20|800"));
    EXPECT_EQ(record(2), QString("C1|1|2|0|0|2|-2|0|0|0|0"));
    EXPECT_EQ(record(4), QString("C1|1|4|0|0|4|-4|0|0|0|0"));
    // The write after a save and the closing rewrite.
    ASSERT_TRUE(p.guardarLinea(1, 1, Z, 900).ok);
    EXPECT_EQ(record(1), QString("C1|1|1|4800|1700|12|6488|9|8|30|900"));
    ASSERT_TRUE(p.guardarLinea(2, 1, X, 400).ok);
    EXPECT_EQ(record(2), QString("C1|1|2|500|200|2|698|1|1|10|400"));
    EXPECT_EQ(record(1), QString("C1|1|1|4800|1700|12|6488|9|8|30|900"));
}

TEST_F(ClassificationTest, AFailedWriteAfterSaveLeavesTheNextOneWorking)
{
    Tdm& dm = db.open("C1", 1);  // a file with a trigger does not open: it comes after
    db.exec("CREATE TRIGGER refuse BEFORE INSERT ON CLASIFIC WHEN NEW.Equipo = 2 BEGIN SELECT RAISE(ABORT, 'no'); END");
    Pesaje p(dm);
    p.rEquipo.equipo = 2;
    p.sumapuntos("C1", 1, 2);
    EXPECT_THROW(p.escribeClasificacionGuardada(), engine::DatabaseError);
    EXPECT_EQ(db.scalar("SELECT count(*) FROM CLASIFIC WHERE Equipo = 2"), 0);
    p.rEquipo.equipo = 1;
    p.escribeClasificacionGuardada();
    EXPECT_EQ(record(1), QString("C1|1|1|0|0|0|0|0|0|0|0"));
}

}  // namespace
