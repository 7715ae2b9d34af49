// tarsela-cli imprimir: each report to a PDF, and the refusals that leave nothing behind.
#include "reports/ReportFixture.h"
#include "support/Cli.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

using namespace reporttest;
using scoringtest::ScoringDb;

namespace {

struct Imprimir : ::testing::Test {
    ScoringDb db;
    WorkingFolder here;

    void SetUp() override
    {
        scoringtest::Competicion c;
        c.puntosPieza = 100;
        db.competicion(c, "Trofeo");
        db.jornada("C1", 1);
        db.jornada("C1", 2);
        db.especie(10, "Sargo");
        miembro(db, "C1", 1, "A", "Ana", "L1", "K");
        miembro(db, "C1", 2, "B", "Bea", "L2", "K");
        db.linea("C1", 1, 1, 1, 1, 10, 1000, 1000);
        db.clasific("C1", 1, 1, 100, 0, 0, 100);
        db.clasific("C1", 1, 2, 0, 0, 0, 0);
    }
    CliRun run(QStringList args, const QString& salida)
    {
        args.insert(1, db.file.path());
        return cli(QStringList{"imprimir"} + args + QStringList{"--pdf", salida});
    }
};

TEST_F(Imprimir, EachReportToAPdfOfItsOrientation)
{
    struct Case {
        QStringList args;
        bool landscape;
    } cases[] = {
        {{"actilla", "C1", "1", "1"}, false}, {{"acta", "C1", "1"}, true},       {{"acta-final", "C1"}, true},
        {{"resumen", "C1", "1"}, false},      {{"participantes", "C1"}, false}, {{"participantes", "C1", "2"}, false},
    };
    for (const Case& c : cases) {
        const QString salida = here.file(c.args.join('_') + ".pdf");
        const CliRun r = run(c.args, salida);
        EXPECT_EQ(r.code, 0) << r.err.toStdString();
        EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
        const PdfPages p = pdfPages(salida);
        EXPECT_EQ(p.count, 1) << c.args.join(' ').toStdString();
        EXPECT_EQ(p.landscape, c.landscape ? 1 : 0) << c.args.join(' ').toStdString();
    }
}

TEST_F(Imprimir, RefusalsSayWhyAndLeaveNoFile)
{
    struct Case {
        QStringList args;
        const char* mensaje;
    } cases[] = {
        {{"acta", "XX", "1"}, "No existe la competición «XX»"},
        {{"acta", "C1", "7"}, "La competición «C1» no tiene la jornada 7"},
        {{"actilla", "C1", "1", "9"}, "No existe el equipo 9"},
        {{"actilla", "C1", "1"}, "El informe «actilla» necesita JORNADA y EQUIPO"},
        {{"acta", "C1", "uno"}, "La jornada debe ser un número entero"},
        {{"resumen", "C1", "2"}, "No hay pesaje de esta competición"},
        {{"acta-final", "C1", "1"}, "El informe «acta-final» necesita solo FICHERO y CODIGO"},
        {{"cartel", "C1"}, "Informe desconocido: «cartel»"},
    };
    for (const Case& c : cases) {
        const QString salida = here.file("salida.pdf");
        const CliRun r = run(c.args, salida);
        EXPECT_EQ(r.code, 1) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.mensaje))) << r.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(salida)) << c.args.join(' ').toStdString();
    }
    // An output that cannot be written, and a missing --pdf.
    const CliRun r = run({"acta", "C1", "1"}, here.file("no/existe/salida.pdf"));
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("No se pudo escribir el archivo")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("no existe la carpeta")) << r.err.toStdString();
    const CliRun sinPdf = cli({"imprimir", "acta", db.file.path(), "C1", "1"});
    EXPECT_EQ(sinPdf.code, 1);
    EXPECT_TRUE(sinPdf.err.contains("imprimir INFORME FICHERO CODIGO")) << sinPdf.err.toStdString();
}

TEST_F(Imprimir, AnExistingFileIsReplacedOnlyOnSuccess)
{
    const QString salida = here.file("acta.pdf");
    here.write("acta.pdf", "antiguo");
    EXPECT_EQ(run({"acta", "C1", "9"}, salida).code, 1);
    QFile f(salida);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "antiguo");
    f.close();
    EXPECT_EQ(run({"acta", "C1", "1"}, salida).code, 0);
    EXPECT_EQ(pdfPages(salida).count, 1);
}

// tarsela-cli on a full disk: the system lets it write no file larger than
// `bytes` (RLIMIT_FSIZE, for root as for anyone), and a write past it fails
// instead of stopping the program.
CliRun cliConDiscoLleno(const QStringList& args, rlim_t bytes)
{
    QProcess p;
    p.setChildProcessModifier([bytes] {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit r;
        getrlimit(RLIMIT_FSIZE, &r);
        r.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &r);
    });
    p.start(TARSELA_CLI, args);
    p.waitForFinished(60000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

TEST_F(Imprimir, APdfThatCannotBeWrittenWholeLeavesTheFileAsItWas)
{
    for (const QStringList& informe : {QStringList{"acta", "C1", "1"}, QStringList{"participantes", "C1"}}) {
        SCOPED_TRACE(informe.join(' ').toStdString());
        const QString salida = here.file("informe.pdf");
        for (bool habia : {true, false}) {
            QFile::remove(salida);
            if (habia)
                here.write("informe.pdf", "antiguo");
            QStringList args = QStringList{"imprimir"} + informe + QStringList{"--pdf", salida};
            args.insert(2, db.file.path());
            const CliRun r = cliConDiscoLleno(args, 4096);
            EXPECT_EQ(r.code, 1);
            EXPECT_TRUE(r.err.contains("No se pudo escribir el archivo " + salida)) << r.err.toStdString();
            if (habia) {
                QFile f(salida);
                ASSERT_TRUE(f.open(QIODevice::ReadOnly));
                EXPECT_EQ(f.readAll(), "antiguo");
            } else {
                EXPECT_FALSE(QFileInfo::exists(salida));
            }
            // Nothing half-written left beside it.
            QStringList ficheros = QDir(QFileInfo(salida).path()).entryList(QDir::Files | QDir::Hidden);
            ficheros.removeAll("informe.pdf");
            EXPECT_EQ(ficheros, QStringList{});
        }
        // With room on the disk the same command writes it whole.
        QStringList args = QStringList{"imprimir"} + informe + QStringList{"--pdf", salida};
        args.insert(2, db.file.path());
        EXPECT_EQ(cli(args).code, 0);
        EXPECT_EQ(pdfPages(salida).count, 1);
    }
}

}  // namespace
