// tarsela-cli verificar: what it finds in a file, and that it only reads.
#include "support/Cli.h"
#include "support/Fixture.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class VerificarTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path;
    void SetUp() override
    {
        path = dir.path() + "/demo.abs";
        ASSERT_EQ(cli({"demo", path}).code, 0);
    }
};

TEST_F(VerificarTest, TheDemoAgreesAndNothingIsWritten)
{
    const QByteArray before = bytesOf(path);
    for (const QStringList& args : {QStringList{"verificar", path}, QStringList{"verificar", path, "CAE26"},
                                    QStringList{"verificar", path, "CAE26", "1"}}) {
        const CliRun r = cli(args);
        EXPECT_EQ(r.code, 0) << r.out.toStdString() << r.err.toStdString();
        EXPECT_TRUE(r.out.startsWith("Correcto: ")) << r.out.toStdString();
        EXPECT_EQ(r.out.count('\n'), 1);
    }
    EXPECT_EQ(bytesOf(path), before);
    const CliRun one = cli({"verificar", path, "CAE26", "1"});
    EXPECT_TRUE(one.out.startsWith("Correcto: 1 jornadas")) << one.out.toStdString();
}

// Each damage is found, named on one line, and the file is left as it was.
TEST_F(VerificarTest, EveryDifferenceIsNamed)
{
    const struct {
        const char* damage;
        const char* line;
    } cases[] = {
        {"UPDATE CLASIFIC SET TotalPuntos = TotalPuntos + 7 WHERE Competicion = 'CAE26' AND Jornada = 1 AND Equipo = 2",
         "Competición CAE26, jornada 1, equipo 2: TotalPuntos "},
        {"UPDATE CLASIFIC SET Presentadas = NULL WHERE Competicion = 'CAE26' AND Jornada = 1 AND Equipo = 3",
         "Competición CAE26, jornada 1, equipo 3: Presentadas 0, debería ser "},
        {"INSERT INTO PENAL (Cod_comp, Jornada, Equipo, Puntos, Porcentaje) VALUES ('CAE26', 1, 4, 30, 0)",
         "Competición CAE26, jornada 1, equipo 4: Penaliza 0, debería ser 30"},
        {"UPDATE PESCADA SET \"Pesada num\" = 90 WHERE \"Cod comp\" = 'CAE26' AND Jornada = 1 AND Equipo = 1 AND "
         "\"Pesada num\" = 1",
         "Competición CAE26, jornada 1, equipo 1: Pesada num "},
        {"INSERT INTO PESCADA (\"Cod comp\", Jornada, Equipo, \"Pesada num\", \"Numero piezas\", \"Cod pez\", Peso) "
         "VALUES ('CAE26', 1, 999, 1, 1, 1, 500)",
         "Competición CAE26, jornada 1, equipo 999: 1 líneas de pesca de un equipo sin participantes"},
        {"INSERT INTO CLASIFIC (Competicion, Jornada, Equipo, TotalPuntos) VALUES ('CAE26', 1, 998, 0)",
         "Competición CAE26, jornada 1, equipo 998: registro de clasificación de un equipo sin participantes"},
        {"DELETE FROM CLASIFIC WHERE Competicion = 'CAE26' AND Jornada = 1 AND Equipo = 5",
         "Competición CAE26, jornada 1, equipo 5: tiene líneas de pesca y no tiene registro de clasificación"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.damage);
        QTemporaryDir d;
        const QString copy = d.path() + "/copia.abs";
        ASSERT_TRUE(QFile::copy(path, copy));
        execOn(copy, QString::fromUtf8(c.damage));
        const QByteArray before = bytesOf(copy);
        const CliRun r = cli({"verificar", copy});
        EXPECT_EQ(r.code, 1);
        EXPECT_TRUE(r.out.contains(QString::fromUtf8(c.line))) << r.out.toStdString();
        EXPECT_EQ(bytesOf(copy), before);
        // Another competition is not looked at.
        EXPECT_EQ(cli({"verificar", copy, "OPEN26"}).code, 0);
    }
}

// A date no calendar has and catch lines of a species the register lacks
// (which every report, reading names through the register, would leave out)
// are named, one line each; a competition or day not asked for is not read.
TEST_F(VerificarTest, ImpossibleDatesAndUnregisteredSpeciesAreNamed)
{
    // The file's own checks refuse such a date; the sqlite3 tool can be told to
    // ignore them.
    execOn(path, "PRAGMA ignore_check_constraints = ON; "
                 "UPDATE JORNADAS SET Fecha = '2026-13-45' WHERE \"Cod comp\" = 'CAE26' AND Numero = 2; "
                 "INSERT INTO PESCADA (\"Cod comp\", Jornada, Equipo, \"Pesada num\", \"Numero piezas\", \"Cod pez\", "
                 "Peso) VALUES ('OPEN26', 1, 1, 90, 1, 999, 500); "
                 "UPDATE PESCADA SET \"Cod pez\" = NULL WHERE \"Cod comp\" = 'OPEN26' AND Jornada = 1 AND Equipo = 2 "
                 "AND \"Pesada num\" = 1");
    const QByteArray before = bytesOf(path);
    CliRun r = cli({"verificar", path});
    EXPECT_EQ(r.code, 1);
    const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
    for (const char* line :
         {"JORNADAS (Cod comp CAE26, Numero 2): «Fecha» tiene una fecha imposible, «2026-13-45»",
          "Competición OPEN26, jornada 1, equipo 1: Pesada num 90 de la especie 999, que no está en el registro de especies",
          "Competición OPEN26, jornada 1, equipo 2: Pesada num 1 sin especie"})
        EXPECT_EQ(lines.count(QString::fromUtf8(line)), 1) << line << "\n" << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("Integridad del fichero: CHECK constraint failed in JORNADAS")) << r.out.toStdString();
    // The day asked for only.
    r = cli({"verificar", path, "CAE26", "2"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.out.contains(QString::fromUtf8("«2026-13-45»"))) << r.out.toStdString();
    EXPECT_FALSE(r.out.contains("OPEN26")) << r.out.toStdString();
    r = cli({"verificar", path, "CAE26", "1"});
    EXPECT_FALSE(r.out.contains(QString::fromUtf8("«2026-13-45»"))) << r.out.toStdString();
    r = cli({"verificar", path, "OPEN26"});
    EXPECT_FALSE(r.out.contains(QString::fromUtf8("«2026-13-45»"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QString::fromUtf8("Pesada num 90 de la especie 999"))) << r.out.toStdString();
    EXPECT_EQ(bytesOf(path), before);
}

TEST_F(VerificarTest, RefusesWhatIsNotThere)
{
    const struct {
        QStringList args;
        const char* message;
    } cases[] = {
        {{"verificar", path, "NADA"}, "No existe la competición «NADA»"},
        {{"verificar", path, "CAE26", "9"}, "no tiene la jornada 9"},
        {{"verificar", path, "CAE26", "x"}, "número entero"},
        {{"verificar", path + ".no"}, "No existe el fichero"},
    };
    for (const auto& c : cases) {
        const CliRun r = cli(c.args);
        EXPECT_EQ(r.code, 1);
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.message))) << r.err.toStdString();
    }
}

}  // namespace
