// tarsela-cli under hostile use: names that are not plain paths, damaged
// files, a file held by another program, kill -9 in the middle of saves and
// random argument vectors. Every refusal leaves the file as it was; every
// reported save is on disk, with its team's record agreeing.
#include "scoring/ScoringFixture.h"
#include "support/Cli.h"
#include "support/Fixture.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <functional>
#include <random>

using namespace scoringtest;

namespace {

const char* kLines = "SELECT * FROM PESCADA ORDER BY \"Cod comp\", Jornada, Equipo, \"Pesada num\"";
const char* kRecords = "SELECT * FROM CLASIFIC ORDER BY Competicion, Jornada, Equipo";

class ReliabilityTest : public ::testing::Test {
protected:
    ScoringDb db;
    void SetUp() override
    {
        db.competicion(ejemplo());
        db.jornada("C1", 1);
        db.especie(10, "Xerna");
        db.especie(20, "Yubarta");
        db.participante("C1", 1, "111", "Ana");
        db.participante("C1", 2, "222", "Luis");
        db.linea("C1", 1, 1, 1, 1, 10, 1000, 1000);
    }
    QStringList pesar(const QString& eq, const QString& piezas, const QString& pez, const QString& peso) const
    {
        return {"pesar", db.file.path(), "C1", "1", eq, piezas, pez, peso};
    }
};

TEST_F(ReliabilityTest, FileNamesAreNeverReadAsUris)
{
    const QString dir = db.file.dir();
    const QByteArray before = bytesOf(db.file.path());
    // "file:marfondo.abs" is a file of that name, which does not exist.
    CliRun r = cli({"pesar", "file:marfondo.abs", "C1", "1", "1", "1", "10", "500"}, dir);
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("No existe el fichero")) << r.err.toStdString();
    r = cli({"pesar", "file:" + db.file.path(), "C1", "1", "1", "1", "10", "500"}, dir);
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(bytesOf(db.file.path()), before);

    const struct {
        const char* name;
        const char* message;
    } refused[] = {{"", "Falta el nombre"}, {":memory:", "no es un nombre de fichero"}};
    for (const auto& c : refused) {
        r = cli({"crear-base", QString::fromUtf8(c.name)}, dir);
        EXPECT_EQ(r.code, 1) << c.name;
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.message))) << r.err.toStdString();
    }
    EXPECT_EQ(QDir(dir).entryList(QDir::Files), QStringList{"marfondo.abs"});
    // A name that looks like a URI makes a file of exactly that name.
    r = cli({"crear-base", "file:nueva.abs?mode=memory"}, dir);
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(QFile::exists(dir + "/file:nueva.abs?mode=memory"));
    EXPECT_FALSE(QFile::exists(dir + "/nueva.abs"));
    EXPECT_EQ(rowsOf(dir + "/file:nueva.abs?mode=memory", "SELECT count(*) FROM sqlite_master WHERE name = 'PENAL'"),
              QStringList{"1"});
}

// What the weigh-in screen would not take is refused, and nothing is stored.
TEST_F(ReliabilityTest, PesarRefusesWhatTheScreenRefuses)
{
    const QByteArray before = bytesOf(db.file.path());
    const struct {
        QStringList args;
        const char* message;
    } cases[] = {
        {pesar("1", "-1", "10", "500"), "El número de piezas"},
        {pesar("1", "0", "10", "500"), "El número de piezas debe ser al menos 1"},
        {pesar("1", "1", "10", "-500"), "El peso"},
        {QStringList(pesar("1", "1", "10", "500")) << "-1", "El peso válido"},
        {pesar("1", "1", "99", "500"), "No existe la especie de código 99"},
        {pesar("1", "1", "-10", "500"), "No existe la especie de código -10"},
    };
    for (const auto& c : cases) {
        const CliRun r = cli(c.args);
        EXPECT_EQ(r.code, 1) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.message))) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
    EXPECT_EQ(bytesOf(db.file.path()), before);
    // Zero grams is what the screen takes too (zero pieces it refuses).
    const CliRun r = cli(pesar("2", "1", "20", "0"));
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
}

// Damaged copies are refused before anything is read or written.
TEST_F(ReliabilityTest, DamagedFilesAreRefusedWithTheirDamageNamed)
{
    const struct {
        const char* damage;
        const char* message;
    } cases[] = {
        {"ALTER TABLE COMPETIC DROP COLUMN \"Peso maximo\"", "Falta el campo «Peso maximo» de la tabla COMPETIC"},
        {"ALTER TABLE ESPECIAL DROP COLUMN \"Penalizacion gramo\"",
         "Falta el campo «Penalizacion gramo» de la tabla ESPECIAL"},
        {"DROP TABLE ESPECIES", "Falta la tabla ESPECIES"},
        {"DROP TABLE CUPOS", "Falta la tabla CUPOS"},
        {"DROP TABLE CLASIFIC", "Falta la tabla CLASIFIC"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.damage);
        ScoringDb damaged;
        damaged.competicion(ejemplo());
        damaged.jornada("C1", 1);
        damaged.especie(10, "Xerna");
        damaged.participante("C1", 1, "111", "Ana");
        damaged.exec(c.damage);
        const QByteArray before = bytesOf(damaged.file.path());
        for (const QStringList& args :
             {QStringList{"pesar", damaged.file.path(), "C1", "1", "1", "1", "10", "50000"},
              QStringList{"recalcular", damaged.file.path(), "C1", "1"},
              QStringList{"clasificacion", damaged.file.path(), "C1", "1"}}) {
            const CliRun r = cli(args);
            EXPECT_EQ(r.code, 1) << args[0].toStdString();
            EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.message))) << r.err.toStdString();
            EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
        }
        EXPECT_EQ(bytesOf(damaged.file.path()), before);
    }
    // An empty file of SQLite's and an unrelated one: one message, not one per table.
    const QString empty = db.file.dir() + "/vacia.abs";
    sqlite3* h = nullptr;
    sqlite3_open(empty.toUtf8().constData(), &h);
    sqlite3_exec(h, "CREATE TABLE otra (x); INSERT INTO otra VALUES (1)", nullptr, nullptr, nullptr);
    sqlite3_close(h);
    const QByteArray before = bytesOf(empty);
    const CliRun r = cli({"pesar", empty, "C1", "1", "1", "1", "10", "500"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("no tiene ninguna de las tablas")) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains("No existe la tabla")) << r.err.toStdString();
    // The schema's message prints as its lines, then the command's refusal.
    EXPECT_EQ(r.err.split('\n', Qt::SkipEmptyParts),
              (QStringList{QString::fromUtf8("El fichero «%1» no es una base de datos de competiciones válida:").arg(empty),
                           "El fichero no tiene ninguna de las tablas de una base de datos de competiciones",
                           QString::fromUtf8("El fichero «%1» no es una base de datos de competiciones").arg(empty)}))
        << r.err.toStdString();
    EXPECT_EQ(bytesOf(empty), before);
}

// A command that meets damage, whether at the file's opening (a damaged page
// of a table it opens, a participant's name that no longer holds what the
// file's checks ask, a trigger the program did not make) or later, stops:
// exit 1, nothing printed on stdout, nothing written to the file or beside it.
TEST_F(ReliabilityTest, DamageMetByACommandStopsItAndWritesNothing)
{
    QTemporaryDir dir;
    const QString demo = dir.path() + "/demo.abs";
    ASSERT_EQ(cli({"demo", demo}).code, 0);
    const qint64 pagina = rowsOf(demo, "PRAGMA page_size").value(0).toLongLong();
    auto raiz = [&](const char* tabla) {
        return rowsOf(demo, QString("SELECT rootpage FROM sqlite_master WHERE name = '%1'").arg(tabla)).value(0).toLongLong();
    };
    // Bytes of the file changed in place, as a failing disk changes them.
    auto danar = [](const QString& file, const std::function<void(QByteArray&)>& change) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        QByteArray b = f.readAll();
        change(b);
        f.seek(0);
        f.write(b);
    };
    const QString nombre = rowsOf(demo, "SELECT Nombre FROM PARTICIP WHERE \"Cod comp\" = 'CAE26' AND Equipo = "
                                        "(SELECT Equipo FROM CLASIFIC WHERE Competicion = 'CAE26' AND Jornada = 1 "
                                        "ORDER BY TotalPuntos DESC LIMIT 1) ORDER BY DNI LIMIT 1")
                               .value(0);
    ASSERT_FALSE(nombre.isEmpty());
    const struct {
        const char* damage;
        std::function<void(const QString&)> make;
    } cases[] = {
        {"the species register's first page",
         [&](const QString& f) { danar(f, [&](QByteArray& b) { b.replace((raiz("ESPECIES") - 1) * pagina, 64, QByteArray(64, '\xff')); }); }},
        {"the fishermen register's first page",
         [&](const QString& f) { danar(f, [&](QByteArray& b) { b.replace((raiz("PESCADORES") - 1) * pagina, 64, QByteArray(64, '\xff')); }); }},
        {"a participant's name begins with a NUL byte",
         [&](const QString& f) {
             danar(f, [&](QByteArray& b) {
                 const QByteArray n = nombre.toUtf8();
                 for (qsizetype i = b.indexOf(n); i >= 0; i = b.indexOf(n, i + 1))
                     b[i] = '\0';
             });
         }},
        {"a trigger", [](const QString& f) { execOn(f, "CREATE TRIGGER t AFTER UPDATE ON CLASIFIC BEGIN SELECT 1; END"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.damage);
        QTemporaryDir d;
        const QString file = d.path() + "/copia.abs";
        ASSERT_TRUE(QFile::copy(demo, file));
        c.make(file);
        const QString carpeta = d.path() + "/salida";
        ASSERT_TRUE(QDir().mkpath(carpeta));
        const QByteArray before = bytesOf(file);
        for (const QStringList& args :
             {QStringList{"clasificacion", file, "CAE26"}, QStringList{"clasificacion", file, "CAE26", "1"},
              QStringList{"recalcular", file, "CAE26", "1"}, QStringList{"penalizar", file, "CAE26", "1", "1", "10"},
              QStringList{"pesar", file, "CAE26", "1", "1", "1", "1", "500"},
              QStringList{"borrar-pesada", file, "CAE26", "1", "1", "1"},
              QStringList{"exportar", "pesca", file, "CAE26", "--carpeta", carpeta},
              QStringList{"exportar", "resumen", file, "CAE26", "1", "--carpeta", carpeta},
              QStringList{"exportar", "clasific", file, "CAE26", "1", "--carpeta", carpeta},
              QStringList{"exportar", "clasfinal", file, "CAE26", "--carpeta", carpeta}}) {
            const CliRun r = cli(args);
            EXPECT_EQ(r.code, 1) << args.mid(0, 2).join(' ').toStdString() << "\n" << r.out.toStdString();
            EXPECT_TRUE(r.out.isEmpty()) << args.mid(0, 2).join(' ').toStdString() << "\n" << r.out.toStdString();
            EXPECT_FALSE(r.err.isEmpty());
        }
        EXPECT_EQ(bytesOf(file), before);
        EXPECT_EQ(QDir(carpeta).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{});
    }
}

// Another program holding the file: the save waits, then fails whole with a
// Spanish reason; once the file is free the same save stores one line.
TEST_F(ReliabilityTest, FileHeldByAnotherProgramStoresNothing)
{
    const QStringList before = rowsOf(db.file.path(), kLines);
    const QStringList recordsBefore = rowsOf(db.file.path(), kRecords);
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(db.file.path().toUtf8().constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    CliRun r = cli(pesar("1", "1", "10", "700"));
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("La base de datos está en uso por otro programa")) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains("locked")) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_EQ(rowsOf(db.file.path(), kLines), before);
    EXPECT_EQ(rowsOf(db.file.path(), kRecords), recordsBefore);
    r = cli(pesar("1", "1", "10", "700"));
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith("2\t")) << r.out.toStdString();
    EXPECT_EQ(rowsOf(db.file.path(), kLines).size(), before.size() + 1);
}

// Another program in the middle of a write (it can still be read): the
// save's message prints as its lines, the cause on the line after "Al
// guardar.", and nothing is stored.
TEST_F(ReliabilityTest, AFailedSavePrintsItsCauseOnTheNextLine)
{
    const QByteArray before = bytesOf(db.file.path());
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(db.file.path().toUtf8().constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    const CliRun r = cli(pesar("2", "1", "10", "700"));
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    const QStringList lines = r.err.split('\n');
    const qsizetype at = lines.indexOf("Al guardar.");
    ASSERT_GE(at, 0) << r.err.toStdString();
    ASSERT_LT(at + 1, lines.size());
    EXPECT_EQ(lines[at + 1], QString::fromUtf8("La base de datos está en uso por otro programa")) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains('\r'));
    EXPECT_EQ(bytesOf(db.file.path()), before);
}

// kill -9 at random moments of real saves: the file stays sound, every save
// that was reported is there, and every record agrees with its lines (a
// recomputation of the day changes none of them).
TEST_F(ReliabilityTest, KilledSavesLeaveNothingHalfDone)
{
    std::mt19937 rng(20261210);
    struct Reported {
        int equipo, pesada;
    };
    std::vector<Reported> reported;
    int killed = 0;
    for (int run = 0; run < 60; ++run) {
        const int eq = 1 + int(rng() % 2);
        QProcess p;
        p.start(TARSELA_CLI, pesar(QString::number(eq), "1", rng() % 2 ? "10" : "20",
                                   QString::number(100 + rng() % 3000)));
        ASSERT_TRUE(p.waitForStarted());
        // Most runs are killed somewhere in their work, some never.
        const unsigned wait = rng() % 12;
        if (!p.waitForFinished(int(wait))) {
            p.kill();
            ++killed;
        }
        p.waitForFinished(60000);
        if (p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0) {
            const QStringList parts = QString::fromUtf8(p.readAllStandardOutput()).trimmed().split('\t');
            ASSERT_EQ(parts.size(), 2);
            reported.push_back({eq, parts[0].toInt()});
        }
    }
    EXPECT_GT(killed, 0);
    EXPECT_EQ(rowsOf(db.file.path(), "PRAGMA integrity_check"), QStringList{"ok"});
    for (const Reported& s : reported)
        EXPECT_EQ(rowsOf(db.file.path(), QString("SELECT count(*) FROM PESCADA WHERE \"Cod comp\" = 'C1' AND Jornada = 1 "
                                               "AND Equipo = %1 AND \"Pesada num\" = %2")
                                           .arg(s.equipo)
                                           .arg(s.pesada)),
                  QStringList{"1"})
            << "equipo " << s.equipo << " pesada " << s.pesada;
    // Numbers 1..n per team, none repeated, none missing.
    for (int eq : {1, 2}) {
        const QStringList nums = rowsOf(db.file.path(), QString("SELECT \"Pesada num\" FROM PESCADA WHERE \"Cod comp\" = "
                                                              "'C1' AND Jornada = 1 AND Equipo = %1 ORDER BY 1")
                                                          .arg(eq));
        for (int i = 0; i < nums.size(); ++i)
            EXPECT_EQ(nums[i].toInt(), i + 1) << "equipo " << eq;
    }
    // Every team with a reported save has its record, and a recomputation
    // of the day finds every stored record already right.
    const QStringList records = rowsOf(db.file.path(), kRecords);
    for (const Reported& s : reported)
        EXPECT_TRUE(records.filter(QRegularExpression(QString("^C1\\|1\\|%1\\|").arg(s.equipo))).size() == 1)
            << "equipo " << s.equipo;
    ASSERT_EQ(cli({"recalcular", db.file.path(), "C1", "1"}).code, 0);
    const QStringList recomputed = rowsOf(db.file.path(), kRecords);
    for (const QString& rec : records)
        EXPECT_TRUE(recomputed.contains(rec)) << rec.toStdString();
}

// Random and hostile argument vectors: exit 0 or 1, never a crash, and a
// refusal leaves the file as it was.
TEST_F(ReliabilityTest, HostileArgumentsExitCleanly)
{
    std::mt19937 rng(4242);
    const QStringList words{"pesar", "recalcular", "borrar-pesada", "penalizar", "clasificacion", "exportar",
                            "crear-base", "demo", "C1", "1", "2", "0", "-1", "10", "99999999999999999999", "1e9",
                            "' OR 1=1; --", "\"", ";", "<b>x</b>", "%s%n", "C1'; DROP TABLE PESCADA; --",
                            QString(5000, 'x'), QString::fromUtf8("Ñandú ✓"), "", " ", "--carpeta", "10%", "-5%",
                            "\\", "\n", "file:x", ":memory:"};
    const QString f = db.file.path();
    for (int run = 0; run < 60; ++run) {
        QStringList args;
        const int n = int(rng() % 9);
        for (int k = 0; k < n; ++k)
            args << (k == 1 && rng() % 3 ? f : words[int(rng() % unsigned(words.size()))]);
        const QByteArray before = bytesOf(f);
        const QStringList linesBefore = rowsOf(f, kLines);
        const CliRun r = cli(args, db.file.dir());
        ASSERT_TRUE(r.code == 0 || r.code == 1) << args.join(' ').left(200).toStdString() << " → " << r.code;
        if (r.code == 1) {
            EXPECT_FALSE(r.err.isEmpty()) << args.join(' ').left(200).toStdString();
            EXPECT_EQ(rowsOf(f, kLines), linesBefore) << args.join(' ').left(200).toStdString();
            EXPECT_EQ(bytesOf(f), before) << args.join(' ').left(200).toStdString();
        }
    }
    EXPECT_EQ(rowsOf(f, "PRAGMA integrity_check"), QStringList{"ok"});
}

}  // namespace
