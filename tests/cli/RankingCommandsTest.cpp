// tarsela-cli penalizar, clasificacion (all days) and exportar clasfinal.
#include "reports/ExportFixture.h"
#include "scoring/ScoringFixture.h"
#include "support/Cli.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace scoringtest;

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

class RankingCliTest : public ::testing::Test {
protected:
    ScoringDb db;
    QString f;
    void SetUp() override
    {
        db.competicion(ejemplo(), u("Copa Ñ"));
        db.jornada("C1", 1);
        db.jornada("C1", 2);
        db.especie(10, "Xerna");
        db.participante("C1", 1, "112", "Beatriz");
        db.participante("C1", 1, "111", u("Ángel"));
        db.participante("C1", 2, "222", "Luis");
        db.participante("C1", 3, "333", "Marta");
        db.clasific("C1", 1, 1, 12000, 345, 0, 12345);
        db.clasific("C1", 1, 2, 500, 0, 0, 500);
        db.clasific("C1", 2, 2, 11845, 0, 0, 11845);  // 12345 over both days: a tie with team 1
        f = db.file.path();
    }
    qint64 total(int eq) const
    {
        return db.scalar(QString("SELECT TotalPuntos FROM CLASIFIC WHERE Competicion = 'C1' AND Jornada = 1 AND "
                                 "Equipo = %1").arg(eq));
    }
};

TEST_F(RankingCliTest, PenalizarPointsThenAPercentage)
{
    CliRun r = cli({"penalizar", f, "C1", "1", "1", "100", u("Fuera de zona")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QString("12245\n"));
    EXPECT_EQ(db.scalar("SELECT Porcentaje FROM PENAL"), 0);
    // 10 % of 12.345 is 1.234; the motive, not given, stays.
    r = cli({"penalizar", f, "C1", "1", "1", "10%"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QString("11111\n"));
    EXPECT_EQ(db.scalar("SELECT count(*) FROM PENAL"), 1);
    EXPECT_EQ(db.scalar("SELECT Puntos FROM PENAL"), 1234);
    EXPECT_EQ(db.scalar("SELECT Porcentaje FROM PENAL"), 10);
    EXPECT_EQ(db.scalar("SELECT count(*) FROM PENAL WHERE Motivo = 'Fuera de zona'"), 1);
    EXPECT_EQ(db.scalar("SELECT Penaliza FROM CLASIFIC WHERE Competicion = 'C1' AND Jornada = 1 AND Equipo = 1"), 1234);
    // 0 restores the total; a penalty above the points makes it negative.
    r = cli({"penalizar", f, "C1", "1", "2", "0", ""});
    EXPECT_EQ(r.out, QString("500\n"));
    r = cli({"penalizar", f, "C1", "1", "2", "800"});
    EXPECT_EQ(r.out, QString("-300\n"));
    EXPECT_EQ(total(2), -300);
    // A saved line keeps it applied.
    r = cli({"pesar", f, "C1", "1", "2", "1", "10", "400"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(total(2), 500 - 800);
    r = cli({"recalcular", f, "C1", "1"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(total(2), 500 - 800);
    EXPECT_EQ(total(1), 0 - 1234);
}

TEST_F(RankingCliTest, PenalizarWithoutARecordStoresThePenaltyOnly)
{
    const CliRun r = cli({"penalizar", f, "C1", "1", "3", "40"});
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.contains(u("no tiene clasificación"))) << r.err.toStdString();
    EXPECT_EQ(db.scalar("SELECT Puntos FROM PENAL WHERE Equipo = 3"), 40);
}

TEST_F(RankingCliTest, RefusalsChangeNothing)
{
    const QByteArray before = exporttest::fileBytes(f);
    const QString largo(257, 'm');
    const struct {
        QStringList args;
        const char* message;
    } cases[] = {
        {{"penalizar", f, "C9", "1", "1", "10"}, "No existe la competición"},
        {{"penalizar", f, "C1'--", "1", "1", "10"}, "No existe la competición"},
        {{"penalizar", f, "C1", "3", "1", "10"}, "no tiene la jornada"},
        {{"penalizar", f, "C1", "1", "7", "10"}, "No existe el equipo 7"},
        {{"penalizar", f, "C1", "1", "0", "10"}, "No existe el equipo 0"},
        {{"penalizar", f, "C1", "1", "1", "1.5"}, "número entero"},
        {{"penalizar", f, "C1", "1", "1", "-3"}, "número entero"},
        {{"penalizar", f, "C1", "1", "1", "diez"}, "número entero"},
        {{"penalizar", f, "C1", "1", "1", ""}, "número entero"},
        {{"penalizar", f, "C1", "1", "1", "2147483648"}, "número entero"},
        {{"penalizar", f, "C1", "1", "1", "101%"}, "número entero"},
        {{"penalizar", f, "C1", "1", "1", "%"}, "número entero"},
        {{"penalizar", f, "C1", "1", "1", "5%%"}, "número entero"},
        {{"penalizar", f, "C1", "1", "3", "10%"}, "no tiene clasificación"},
        {{"penalizar", f, "C1", "1", "1", "10", largo}, "256 caracteres"},
        {{"penalizar", f + ".no", "C1", "1", "1", "10"}, "No existe el fichero"},
        {{"clasificacion", f, "C9"}, "No existe la competición"},
        {{"clasificacion", f + ".no", "C1"}, "No existe el fichero"},
        {{"exportar", "clasfinal", f, "C9"}, "No existe la competición"},
        {{"penalizar", f, "C1", "1", "1"}, "Uso"},
    };
    for (const auto& c : cases) {
        const CliRun r = cli(c.args);
        EXPECT_EQ(r.code, 1) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(u(c.message))) << c.args.join(' ').toStdString() << ": " << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
    EXPECT_EQ(exporttest::fileBytes(f), before);
    // The longest motive fits.
    const CliRun r = cli({"penalizar", f, "C1", "1", "1", "10", QString(256, 'm')});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
}

TEST_F(RankingCliTest, ClasificacionPrintsTheFinalRanking)
{
    CliRun r = cli({"clasificacion", f, "C1"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, u("1º\t1\tÁngel, Beatriz\t12.345\t0\t12.345\n"
                       "2º\t2\tLuis\t500\t11.845\t12.345\n"));
    // One day: the total alone.
    ScoringDb one;
    one.competicion(ejemplo());
    one.jornada("C1", 1);
    one.participante("C1", 4, "1", "Ana");
    one.clasific("C1", 1, 4, 0, 0, 0, 1250);
    r = cli({"clasificacion", one.file.path(), "C1"});
    EXPECT_EQ(r.out, u("1º\t4\tAna\t1.250\n"));
}

// A name holding control characters prints them as visible escapes: each
// team stays one line of its own fields, and nothing reaches the terminal raw.
// The motive's 256 are characters as a person counts them: 256 fish emoji
// are stored, 257 refused.
TEST_F(RankingCliTest, TheMotiveCountsCharactersNotUtf16Units)
{
    const QString pez = u("🐟");
    CliRun r = cli({"penalizar", f, "C1", "1", "1", "10", pez.repeated(257)});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains(u("256 caracteres"))) << r.err.toStdString();
    EXPECT_EQ(db.scalar("SELECT count(*) FROM PENAL"), 0);
    r = cli({"penalizar", f, "C1", "1", "1", "10", pez.repeated(256)});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(db.scalar("SELECT length(Motivo) FROM PENAL"), 256);
}

TEST_F(RankingCliTest, ControlCharactersPrintAsVisibleEscapes)
{
    db.exec(u("INSERT INTO PARTICIP (\"Cod comp\", Equipo, DNI, Nombre) VALUES ('C1', 4, '444', 'Eva' || char(27) || "
              "'[31m' || char(7) || 'Roja' || char(10) || 'Pérez' || char(9) || 'X' || char(13) || char(0) || "
              "char(127) || char(155) || char(8232) || char(8238))"));
    db.clasific("C1", 1, 4, 100, 0, 0, 100);
    const QString escaped = u("Eva\\x1b[31m\\x07Roja\\nPérez\\tX\\r\\x00\\x7f\\x9b\\u2028\\u202e");
    const struct {
        QStringList args;
        int fields;
    } cases[] = {{{"clasificacion", f, "C1"}, 6}, {{"clasificacion", f, "C1", "1"}, 7}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const CliRun r = cli(c.args);
        ASSERT_EQ(r.code, 0) << r.err.toStdString();
        const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), 3) << r.out.toStdString();
        for (const QString& line : lines) {
            EXPECT_EQ(line.split('\t').size(), c.fields) << line.toStdString();
            for (QChar ch : line)
                EXPECT_FALSE(ch != '\t' && (ch.unicode() < 0x20 || ch.unicode() == 0x7F || ch.unicode() == 0x9B ||
                                            ch.unicode() == 0x2028 || ch.unicode() == 0x202E))
                    << line.toStdString();
        }
        EXPECT_EQ(lines.last().split('\t').value(2), escaped) << r.out.toStdString();
    }
    // What a command says on stderr too.
    const CliRun r = cli({"clasificacion", f, u("Z\x1b[2J\a")});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, u("No existe la competición «Z\\x1b[2J\\x07»\n"));
    // And what the core says through its message boxes: a file of another kind
    // named with an escape sequence, refused in a message of two lines.
    QTemporaryDir dir;
    const QString otro = dir.path() + u("/a\x1b[2Jb.abs");
    QFile file(otro);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();
    const CliRun o = cli({"clasificacion", otro, "C1"});
    EXPECT_EQ(o.code, 1);
    EXPECT_FALSE(o.err.contains(QChar(0x1b))) << o.err.toStdString();
    EXPECT_TRUE(o.err.contains(u("a\\x1b[2Jb.abs"))) << o.err.toStdString();
}

TEST_F(RankingCliTest, ExportarClasfinalWritesThePage)
{
    QTemporaryDir dir;
    CliRun r = cli({"exportar", "clasfinal", f, "C1", "--carpeta", dir.path()});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QString page = dir.path() + "/clasfinal.html";
    EXPECT_EQ(r.out, QDir::toNativeSeparators(page) + "\n");
    const QByteArray b = exporttest::fileBytes(page);
    EXPECT_TRUE(b.contains("<tr><th colspan=\"6\"> Copa \xD1</th> </tr>\r\n")) << b.toStdString();
    EXPECT_TRUE(b.contains("<td align=\"left\"> \xC1ngel</td>\r\n"));
    // A folder that is not there: the system's reason, nothing written.
    r = cli({"exportar", "clasfinal", f, "C1", "--carpeta", dir.path() + "/no"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains(u("No existe la carpeta"))) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_EQ(exporttest::filesIn(dir.path()), QStringList{"clasfinal.html"});
}

}  // namespace
