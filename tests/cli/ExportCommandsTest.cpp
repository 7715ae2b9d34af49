// tarsela-cli exportar clasific, pesca and resumen: the same files as the
// menu commands, where they are asked for, and clear refusals.
#include "data/Tdm.h"
#include "reports/DayExports.h"
#include "reports/ExportFixture.h"
#include "support/Cli.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace exporttest;

namespace {

class ExportCommandsTest : public ::testing::Test {
protected:
    TempDatabase db;
    QTemporaryDir out;
    QString sep = QDir::separator();

    void SetUp() override { fill(db); }

    // What the core writes for the same data, read in this process.
    template <class F>
    QByteArray expected(F f)
    {
        ScriptedDialogs dialogs;
        Tdm dm(db.dir());
        return f(dm);
    }
    QString in(const QString& name) const { return QDir::toNativeSeparators(out.path()) + sep + name; }
};

TEST_F(ExportCommandsTest, EachCommandWritesTheMenusFileIntoTheFolder)
{
    const QString pesca = u("Pesca Copa -Ñ- -script-; A&B Ω.csv");
    CliRun r = cli({"exportar", "clasific", db.path(), kCodigo, "1", "--carpeta", out.path()});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, in("clasific.htm") + "\n" + in("tablasPesca.css") + "\n");
    r = cli({"exportar", "pesca", db.path(), kCodigo, "--carpeta", out.path() + sep});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, in(pesca) + "\n");
    r = cli({"exportar", "resumen", db.path(), kCodigo, "1", "--carpeta", out.path()});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, in("ResumenCapturas.csv") + "\n");

    EXPECT_EQ(fileBytes(in("clasific.htm")), expected([](Tdm& dm) { return reports::paginaClasificacion(dm, kCodigo, 1); }));
    EXPECT_EQ(fileBytes(in("tablasPesca.css")), reports::hojaEstilos());
    EXPECT_EQ(fileBytes(in(pesca)), expected([](Tdm& dm) { return reports::ficheroPesca(dm, kCodigo, 1); }));
    EXPECT_TRUE(fileBytes(in("ResumenCapturas.csv")).startsWith("\xEF\xBB\xBFResumen de Capturas y Peso\r\n \r\n"));
    EXPECT_TRUE(fileBytes(in("ResumenCapturas.csv")).endsWith("\r\nPeso por equipo:;4.367 gr\r\n"));
    EXPECT_EQ(filesIn(out.path()), QStringList({pesca, "ResumenCapturas.csv", "clasific.htm", "tablasPesca.css"}));
}

TEST_F(ExportCommandsTest, WithoutAFolderTheCurrentDirectory)
{
    const CliRun r = cli({"exportar", "resumen", db.path(), "OTRA", "1"}, out.path());
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, in("ResumenCapturas.csv") + "\n");
    EXPECT_TRUE(fileBytes(in("ResumenCapturas.csv")).endsWith("\r\nPeso por equipo:;1.000 gr\r\n"));
}

TEST_F(ExportCommandsTest, TheCatchFileTakesTheFirstDayUnlessToldOtherwise)
{
    db.exec("INSERT INTO JORNADAS (\"Cod comp\", Numero, Fecha, Lugar) VALUES ('OTRA', 3, '2026-07-17', 'Este')");
    CliRun r = cli({"exportar", "pesca", db.path(), "OTRA", "--carpeta", out.path()});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QString name = in(u("Pesca Ñandú €.csv"));
    EXPECT_EQ(fileBytes(name), expected([](Tdm& dm) { return reports::ficheroPesca(dm, "OTRA", 1); }));
    r = cli({"exportar", "pesca", db.path(), "OTRA", "3", "--carpeta", out.path()});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(fileBytes(name), QByteArray("\xD1\x61nd\xFA \x80;Este;17/07/2026\r\nEquipo;Pez;Piezas;Peso\r\n"));
}

TEST_F(ExportCommandsTest, RefusalsWriteNothing)
{
    const QString none = out.path() + sep + "no-existe";
    const struct {
        QStringList args;
        const char* message;
    } cases[] = {
        {{"clasific", db.path(), "NADA", "1"}, "No existe la competición «NADA»"},
        {{"clasific", db.path(), kCodigo, "9"}, "La competición «C'1» no tiene la jornada 9"},
        {{"clasific", db.path(), kCodigo, "uno"}, "La jornada debe ser un número entero entre -32768 y 32767: «uno»"},
        {{"pesca", db.path(), "NADA"}, "No encontrada la competición NADA"},
        {{"pesca", db.path(), "NADA", "1"}, "No existe la competición «NADA»"},
        {{"resumen", db.path(), kCodigo, "2"}, "No hay pesaje de esta competición"},
        {{"resumen", out.path() + "/falta.abs", kCodigo, "1"}, nullptr},
        {{"clasific", db.path(), kCodigo, "1", "--carpeta", none}, nullptr},
        {{"pesca", db.path(), kCodigo, "--carpeta", none}, nullptr},
    };
    for (const auto& c : cases) {
        const CliRun r = cli(QStringList{"exportar"} + c.args, out.path());
        EXPECT_EQ(r.code, 1) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty());
        if (c.message)
            EXPECT_EQ(r.err.trimmed(), u(c.message)) << c.args.join(' ').toStdString();
        else
            EXPECT_FALSE(r.err.isEmpty());
    }
    const CliRun r = cli({"exportar", "pesca", db.path(), kCodigo, "--carpeta", none});
    EXPECT_EQ(r.err.trimmed(), u("No existe la carpeta «") + none + u("»"));
    EXPECT_TRUE(filesIn(out.path()).isEmpty());
}

TEST_F(ExportCommandsTest, UsageListsTheExportCommands)
{
    const CliRun r = cli({});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("tarsela-cli exportar clasific FICHERO CODIGO JORNADA [--carpeta CARPETA]"));
    EXPECT_TRUE(r.err.contains("tarsela-cli exportar pesca FICHERO CODIGO [JORNADA] [--carpeta CARPETA]"));
    EXPECT_TRUE(r.err.contains("tarsela-cli exportar resumen FICHERO CODIGO JORNADA [--carpeta CARPETA]"));
}

}  // namespace
