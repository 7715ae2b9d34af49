// The day's files: the ranking page, the catch lines and the catch summary,
// byte for byte and read back by independent parsers.
#include "reports/DayExports.h"

#include "data/Tdm.h"
#include "reports/ExportFixture.h"
#include "scoring/ClasificacionDia.h"
#include "scoring/Penal.h"
#include "scoring/Pesaje.h"
#include "scoring/ScoringFixture.h"
#include "reports/TextFile.h"
#include "support/Readback.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace exporttest;

namespace {

class DayExportsTest : public ::testing::Test {
protected:
    TempDatabase db;
    ScriptedDialogs dialogs;
    std::unique_ptr<Tdm> dm;
    QTemporaryDir out;
    QString folder;

    void SetUp() override
    {
        fill(db);
        dm = std::make_unique<Tdm>(db.dir());
        ASSERT_TRUE(dm->db.isOpen());
        folder = out.path() + QDir::separator();
    }
};

const char* const kEncabezado =
    "<tr class=\"encabezado\"> <td class=\"e3\">Pez</td> <td class=\"e4\">Peso</td> <td class=\"e5\">Puntos</td> </tr>";

QStringList cabeceraPagina(const QString& fecha)
{
    return {u("<!DOCTYPE html> <html lang=\"es\"> <head> <title> CLASIFICACIÓN </title>"),
            "<meta charset=\"UTF-8\">",
            "<link rel=\"stylesheet\" type=\"text/css\" href=\"tablasPesca.css\"> </head>",
            "<body>",
            "<table class=\"contenedora\" style=\"margin:auto; border-collapse: collapse;\">",
            u("<tr><th colspan=\"2\"> Copa &quot;Ñ&quot; &lt;script&gt;; A&amp;B Ω<br>") + fecha + "</th></tr>"};
}

TEST_F(DayExportsTest, RankingPageByteForByte)
{
    QStringList l = cabeceraPagina("01/06/2026");
    l << u("<tr class=\"equipo\"> <td>1 Ana &lt;b&gt;Ñ&lt;/b&gt;<br>Luis; Pérez</td><td> C.D. &quot;Mar&quot; &amp; Sol</td></tr>")
      << u("<tr class=\"piezas\"> <td>Presentadas: 6<br>Válidas: 5<br>Especies: 0<br>Cupos: 0</td>")
      << "<td class=\"celdapescada\">" << "<table class=\"tpescada\">" << kEncabezado
      // Dentón first (code 10), heaviest valid weight first, the weighed weight shown.
      << "<tr class=\"pesca\">" << u("<td> Dentón</td> <td>6.000</td><td> 5.100</td></tr>")
      << "<tr class=\"pesca\">" << u("<td> Dentón</td> <td>5.500</td><td> 5.100</td></tr>")
      << "<tr class=\"pesca\">" << u("<td> Dentón</td> <td>250</td><td> 0</td></tr>")
      << "<tr class=\"pesca\">" << u("<td> Sargo &quot;real&quot;; Ñ (3)</td> <td>1.200</td><td> 1.500</td></tr>")
      << "<tr> <td class=\"total\" colspan=\"3\">11.700</td></tr>"
      << "<tr> <td class=\"total\" colspan=\"2\">Bonificaciones:</td><td>300</td></tr>"
      << u("<tr> <td class=\"total\" colspan=\"2\">Penalización:</td><td>0</td></tr>")
      << "<tr> <td class=\"total\" colspan=\"3\">12.000</td></tr>"
      << "</table>" << "</td></tr>"
      // Teams 2 and 3 tie at 500: the lower number first.
      << u("<tr class=\"equipo\"> <td>2 Ωmar</td><td> Club 2</td></tr>")
      << u("<tr class=\"piezas\"> <td>Presentadas: 1<br>Válidas: 0<br>Especies: 0<br>Cupos: 0</td>")
      << "<td class=\"celdapescada\">" << "<table class=\"tpescada\">" << kEncabezado
      << "<tr class=\"pesca\">" << u("<td> &lt;script&gt;&amp;Ω</td> <td>150</td><td> -50</td></tr>")
      << "<tr> <td class=\"total\" colspan=\"3\">-50</td></tr>"
      << "<tr> <td class=\"total\" colspan=\"2\">Bonificaciones:</td><td>0</td></tr>"
      << u("<tr> <td class=\"total\" colspan=\"2\">Penalización:</td><td>0</td></tr>")
      // The total the team is ranked by, as stored.
      << "<tr> <td class=\"total\" colspan=\"3\">500</td></tr>"
      << "</table>" << "</td></tr>"
      // A team without catch lines: its heading row, then 0, the bonus, the
      // penalty and its ranking total.
      << "<tr class=\"equipo\"> <td>3 Eva</td><td> </td></tr>"
      << u("<tr class=\"piezas\"> <td>Presentadas: <br>Válidas: <br>Especies: 0<br>Cupos: 0</td>")
      << "<td class=\"celdapescada\">" << "<table class=\"tpescada\">" << kEncabezado
      << "<tr> <td class=\"total\" colspan=\"3\">0</td></tr>"
      << "<tr> <td class=\"total\" colspan=\"2\">Bonificaciones:</td><td>200</td></tr>"
      << u("<tr> <td class=\"total\" colspan=\"2\">Penalización:</td><td>0</td></tr>")
      << "<tr> <td class=\"total\" colspan=\"3\">500</td></tr>"
      << "</table>" << "</td></tr>"
      << "</table> </body> </html>";
    EXPECT_EQ(reports::lineasClasificacion(*dm, kCodigo, 1), l);
    QByteArray expected = "\xEF\xBB\xBF" + l.join("\r\n").toUtf8() + "\r\n";
    EXPECT_EQ(reports::paginaClasificacion(*dm, kCodigo, 1), expected);
}

// A day weighed and penalised through the program's own core: team 2 catches
// more than team 1 but a penalty puts it second.
TEST(DayRankingPage, EachTeamShowsItsCountsItsPenaltyAndTheTotalItIsRankedBy)
{
    ScriptedDialogs dialogs;
    scoringtest::ScoringDb db;
    scoringtest::Competicion c;
    c.pesoMinimo = 300;
    c.puntosPieza = 100;
    c.puntosGramo = 1;
    c.puntosEspecie = 200;
    c.puntosCupo = 150;
    db.competicion(c, "Trofeo");
    db.jornada("C1", 1);
    db.especie(10, "Sargo");
    db.especie(20, "Mero");
    db.especial("C1", 10, 1, QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), 1);
    db.especial("C1", 20, 1, QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), 1);
    db.cupo("C1", 20, 2, 150);
    db.participante("C1", 1, "A", "Ana");
    db.participante("C1", 2, "B", "Bea");
    Tdm& dm = db.open("C1", 1);
    {
        Pesaje p(dm);
        ASSERT_TRUE(p.guardarLinea(1, 1, 10, 1000).ok);  // Sargo: a species
        ASSERT_TRUE(p.guardarLinea(1, 2, 20, 1500).ok);  // 2 Meros: a species and the quota
        ASSERT_TRUE(p.guardarLinea(2, 1, 10, 4000).ok);
    }
    ASSERT_TRUE(guardarPenalizacion(dm, 2, 1000, 0, "Fuera de zona").has_value());

    // What the ranking and the weigh-in's tally say.
    const QList<FilaClasificacion> ranking = filasClasificacionDia(dm, "C1", 1);
    ASSERT_EQ(ranking.size(), 2);
    EXPECT_EQ(ranking[0].equipo, 1);
    QHash<int, QStringList> cuentas;
    {
        Pesaje p(dm);
        for (int eq : {1, 2}) {
            p.sumapuntos("C1", 1, eq);
            cuentas[eq] = {p.LEspecies(), p.LCupos()};
        }
    }
    EXPECT_EQ(cuentas[1], QStringList({"2", "1"}));

    const QStringList l = reports::lineasClasificacion(dm, "C1", 1);
    QStringList equipos, piezas, penalizaciones, totales;
    for (int i = 0; i < l.size(); ++i) {
        if (l[i].startsWith("<tr class=\"equipo\">"))
            equipos << l[i];
        if (l[i].startsWith("<tr class=\"piezas\">"))
            piezas << l[i];
        if (l[i].contains(u("Penalización:"))) {
            penalizaciones << l[i];
            totales << l.value(i + 1);
        }
    }
    ASSERT_EQ(equipos.size(), 2);
    ASSERT_EQ(penalizaciones.size(), 2);
    for (int k = 0; k < 2; ++k) {
        const FilaClasificacion& f = ranking[k];
        SCOPED_TRACE(f.equipo);
        EXPECT_TRUE(equipos[k].startsWith("<tr class=\"equipo\"> <td>" + QString::number(k + 1) + " " + f.nombres.value(0)))
            << equipos[k].toStdString();
        EXPECT_TRUE(piezas[k].endsWith("<br>Especies: " + cuentas[f.equipo][0] + "<br>Cupos: " + cuentas[f.equipo][1] + "</td>"))
            << piezas[k].toStdString();
        EXPECT_EQ(penalizaciones[k], u("<tr> <td class=\"total\" colspan=\"2\">Penalización:</td><td>") +
                                         (f.equipo == 2 ? "1.000" : "0") + "</td></tr>");
        // The total the team is ranked by, as the ranking writes it.
        EXPECT_EQ(totales[k], "<tr> <td class=\"total\" colspan=\"3\">" + f.total + "</td></tr>");
    }
}

TEST_F(DayExportsTest, ADayWithoutRankingRowsHasTheHeadingAndTheEnd)
{
    QStringList l = cabeceraPagina("02/06/2026");
    l << "</table> </body> </html>";
    EXPECT_EQ(reports::lineasClasificacion(*dm, kCodigo, 2), l);
}

TEST_F(DayExportsTest, RankingPageReadsBackAsTyped)
{
    const reports::Exportado r = reports::exportarClasificacion(*dm, kCodigo, 1, folder);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    const QString pagina = reports::fullName(folder + "clasific.htm");
    const QString hoja = reports::fullName(folder + "tablasPesca.css");
    EXPECT_EQ(r.ficheros, QStringList({pagina, hoja}));

    const readback::Html h = readback::readHtml(pagina);
    EXPECT_EQ(h.encoding, "utf-8");
    // No name became markup.
    EXPECT_FALSE(h.tags.contains("script"));
    EXPECT_FALSE(h.tags.contains("b"));
    ASSERT_FALSE(h.cells.isEmpty());
    EXPECT_EQ(h.cells.last().tag, "td");  // the outer table's last cell closes last
    QStringList equipos, peces, titulos;
    for (const readback::Cell& c : h.cells) {
        if (c.tag == "th") titulos << c.text;
        if (c.row == "equipo") equipos << c.text;
        if (c.row == "pesca") peces << c.text;
    }
    EXPECT_EQ(titulos, QStringList{" " + kTitulo + "\n01/06/2026"});
    EXPECT_EQ(equipos, QStringList({u("1 Ana <b>Ñ</b>\nLuis; Pérez"), u(" C.D. \"Mar\" & Sol"), u("2 Ωmar"), " Club 2",
                                    "3 Eva", " "}));
    EXPECT_EQ(peces.mid(9), QStringList({u(" Sargo \"real\"; Ñ (3)"), "1.200", " 1.500", u(" <script>&Ω"), "150", " -50"}));

    // The stylesheet is the shipped one; one the user changed stays.
    EXPECT_EQ(fileBytes(hoja), reports::hojaEstilos());
    EXPECT_TRUE(reports::hojaEstilos().contains("tr.equipo"));
    QFile mine(hoja);
    ASSERT_TRUE(mine.open(QIODevice::WriteOnly | QIODevice::Truncate));
    mine.write("body { color: red }");
    mine.close();
    const reports::Exportado again = reports::exportarClasificacion(*dm, kCodigo, 1, folder);
    ASSERT_TRUE(again.ok);
    EXPECT_EQ(again.ficheros, QStringList{pagina});
    EXPECT_EQ(fileBytes(hoja), "body { color: red }");
    EXPECT_EQ(filesIn(out.path()), QStringList({"clasific.htm", "tablasPesca.css"}));
}

TEST_F(DayExportsTest, AStylesheetThatCannotBeWrittenLeavesThePageAndSaysWhy)
{
    ASSERT_TRUE(QDir(out.path()).mkdir("tablasPesca.css"));
    const reports::Exportado r = reports::exportarClasificacion(*dm, kCodigo, 1, folder);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.ficheros, QStringList{reports::fullName(folder + "clasific.htm")});
    EXPECT_EQ(r.error, u("No se pudo escribir el archivo ") + QDir(out.path()).absoluteFilePath("tablasPesca.css") +
                           u(": ya hay una carpeta con ese nombre."));
}

TEST_F(DayExportsTest, CatchCsvByteForByte)
{
    const QStringList l = {u("\"Copa \"\"Ñ\"\" <script>; A&B Ω\";\"Cala \"\"Ñ\"\"; Ω\";01/06/2026"),
                           "Equipo;Pez;Piezas;Peso",
                           // Team, then species name; one species in weighing order.
                           u("1;Dentón;1;250"), u("1;Dentón;1;6000"), u("1;Dentón;1;5500"),
                           u("1;\"Sargo \"\"real\"\"; Ñ\";3;1200"), u("2;<script>&Ω;1;150")};
    EXPECT_EQ(reports::lineasPesca(*dm, kCodigo, 1), l);
    // Omega is not in Windows-1252: the whole file is UTF-8 with a mark.
    EXPECT_EQ(reports::ficheroPesca(*dm, kCodigo, 1), "\xEF\xBB\xBF" + (l.join("\r\n") + "\r\n").toUtf8());
    // Everything in the code page: Windows-1252, no mark.
    EXPECT_EQ(reports::ficheroPesca(*dm, "OTRA", 1),
              QByteArray("\xD1\x61nd\xFA \x80;Sur;15/07/2026\r\nEquipo;Pez;Piezas;Peso\r\n1;Mero;1;1000\r\n2;Mero;1;1001\r\n"));
    // A day without catch lines: the two heading lines.
    EXPECT_EQ(reports::lineasPesca(*dm, kCodigo, 2), QStringList({u("\"Copa \"\"Ñ\"\" <script>; A&B Ω\";Norte;02/06/2026"),
                                                                 "Equipo;Pez;Piezas;Peso"}));
    EXPECT_EQ(reports::nombreFicheroPesca(kTitulo), u("Pesca Copa -Ñ- -script-; A&B Ω.csv"));
}

TEST_F(DayExportsTest, CatchCsvReadsBackAsTyped)
{
    const reports::Exportado r = reports::exportarPesca(*dm, kCodigo, 1, folder);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    const QString name = reports::fullName(folder + u("Pesca Copa -Ñ- -script-; A&B Ω.csv"));
    ASSERT_EQ(r.ficheros, QStringList{name});
    const readback::Csv c = readback::readCsv(name);
    EXPECT_EQ(c.encoding, "utf-8");
    const QList<QStringList> rows = {{kTitulo, kLugar, "01/06/2026"},
                                     {"Equipo", "Pez", "Piezas", "Peso"},
                                     {"1", u("Dentón"), "1", "250"},
                                     {"1", u("Dentón"), "1", "6000"},
                                     {"1", u("Dentón"), "1", "5500"},
                                     {"1", u("Sargo \"real\"; Ñ"), "3", "1200"},
                                     {"2", u("<script>&Ω"), "1", "150"}};
    EXPECT_EQ(c.rows, rows);

    const reports::Exportado otra = reports::exportarPesca(*dm, "OTRA", 1, folder);
    ASSERT_TRUE(otra.ok);
    const readback::Csv w = readback::readCsv(otra.ficheros.value(0));
    EXPECT_EQ(w.encoding, "windows-1252");
    EXPECT_EQ(w.rows.value(0), QStringList({u("Ñandú €"), "Sur", "15/07/2026"}));
}

TEST_F(DayExportsTest, SummaryByteForByte)
{
    const QStringList l = {"Resumen de Capturas y Peso",
                           " ",
                           u("\"Copa \"\"Ñ\"\" <script>; A&B Ω\""),
                           u("\"Cala \"\"Ñ\"\"; Ω\";;01/06/2026"),
                           " ",
                           "Especie;Ejemplares; Peso (gr)",
                           u("Dentón;3;11.750"),
                           u("\"Sargo \"\"real\"\"; Ñ\";3;1.200"),
                           u("<script>&Ω;1;150"),
                           "TOTALES;7;13.100",
                           " ",
                           u("ESTADÍSTICA"),
                           u("Número de equipos:;3"),
                           "Piezas por equipo:;2,33",
                           "Peso por equipo:;4.367 gr"};
    EXPECT_EQ(reports::lineasResumen(*dm, kCodigo, 1), l);

    const reports::Exportado r = reports::exportarResumen(*dm, kCodigo, 1, folder);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    ASSERT_EQ(r.ficheros, QStringList{reports::fullName(folder + "ResumenCapturas.csv")});
    EXPECT_EQ(fileBytes(r.ficheros[0]), "\xEF\xBB\xBF" + (l.join("\r\n") + "\r\n").toUtf8());

    const readback::Csv c = readback::readCsv(r.ficheros[0]);
    EXPECT_EQ(c.encoding, "utf-8");
    ASSERT_EQ(c.rows.size(), l.size());
    EXPECT_EQ(c.rows[2], QStringList{kTitulo});
    EXPECT_EQ(c.rows[3], QStringList({kLugar, "", "01/06/2026"}));
    EXPECT_EQ(c.rows[7], QStringList({u("Sargo \"real\"; Ñ"), "3", "1.200"}));
    EXPECT_EQ(c.rows[8], QStringList({u("<script>&Ω"), "1", "150"}));
}

TEST_F(DayExportsTest, SummaryGroupsByNameAndRoundsHalvesToEven)
{
    // Two species records named "Mero": one row. 2001 g / 2 teams = 1000.5 -> 1000.
    std::optional<QStringList> l = reports::lineasResumen(*dm, "OTRA", 1);
    ASSERT_TRUE(l);
    EXPECT_EQ(l->mid(6), QStringList({"Mero;2;2.001", "TOTALES;2;2.001", " ", u("ESTADÍSTICA"), u("Número de equipos:;2"),
                                      "Piezas por equipo:;1,00", "Peso por equipo:;1.000 gr"}));
    // 2003 g / 2 = 1001.5 -> 1002.
    db.exec("INSERT INTO PESCADA (\"Cod comp\", Jornada, Equipo, \"Pesada num\", \"Numero piezas\", \"Cod pez\", Peso) "
            "VALUES ('OTRA', 1, 1, 2, 1, 40, 2)");
    l = reports::lineasResumen(*dm, "OTRA", 1);
    ASSERT_TRUE(l);
    EXPECT_EQ(l->last(), "Peso por equipo:;1.002 gr");
    // No participants: no averages.
    db.exec("DELETE FROM PARTICIP WHERE \"Cod comp\" = 'OTRA'");
    l = reports::lineasResumen(*dm, "OTRA", 1);
    ASSERT_TRUE(l);
    EXPECT_EQ(l->mid(l->size() - 3), QStringList({u("Número de equipos:;0"), "Piezas por equipo:;-", "Peso por equipo:;-"}));
}

TEST_F(DayExportsTest, ADayWithoutCatchesWritesNoSummary)
{
    EXPECT_FALSE(reports::lineasResumen(*dm, kCodigo, 2));
    const reports::Exportado r = reports::exportarResumen(*dm, kCodigo, 2, folder);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.vacio);
    EXPECT_EQ(r.error, u("No hay pesaje de esta competición"));
    EXPECT_TRUE(filesIn(out.path()).isEmpty());
}

TEST_F(DayExportsTest, AFolderThatCannotBeWrittenLeavesNothing)
{
    const QString missing = folder + "no-existe" + QDir::separator();
    const struct {
        reports::Exportado r;
        QString file;
    } cases[] = {
        {reports::exportarClasificacion(*dm, kCodigo, 1, missing), "clasific.htm"},
        {reports::exportarPesca(*dm, kCodigo, 1, missing), reports::nombreFicheroPesca(kTitulo)},
        {reports::exportarResumen(*dm, kCodigo, 1, missing), "ResumenCapturas.csv"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(c.r.ok);
        EXPECT_TRUE(c.r.ficheros.isEmpty());
        EXPECT_EQ(c.r.error, u("No se pudo escribir el archivo ") + missing + c.file + u(": no existe la carpeta."));
    }
    EXPECT_TRUE(filesIn(out.path()).isEmpty());
}

// Texts a spreadsheet would run as formulas come back from the catch file
// and the summary as the texts they are; the numbers, a negative one too,
// stay numbers.
TEST_F(DayExportsTest, FormulaTextsReadBackAsTextAndNumbersStayNumbers)
{
    db.exec(u("INSERT INTO COMPETIC (Codigo, Titulo, Tipo) VALUES ('F', '=HIPERVINCULO(\"http://x\";\"y\")', 'E');"
              "INSERT INTO JORNADAS (\"Cod comp\", Numero, Fecha, Lugar) VALUES ('F', 1, '2026-08-01', '@SUMA(1+1)');"
              "INSERT INTO PARTICIP (\"Cod comp\", Equipo, DNI, Nombre) VALUES ('F', 1, 'F1', 'Uno');"
              "INSERT INTO ESPECIES (Codigo, Nombre) VALUES (50, '=1+1'), (51, '+34 600'), (52, '-Sargo'), "
              "(53, '@A1'), (54, char(9) || 'Tab'), (55, char(13) || 'CR'), (56, 'Mero=1');"
              "INSERT INTO PESCADA (\"Cod comp\", Jornada, Equipo, \"Pesada num\", \"Numero piezas\", \"Cod pez\", Peso) "
              "VALUES ('F', 1, 1, 1, 1, 50, 1000), ('F', 1, 1, 2, 2, 51, 2000), ('F', 1, 1, 3, 3, 52, 3000), "
              "('F', 1, 1, 4, 4, 53, 4000), ('F', 1, 1, 5, 5, 54, 5000), ('F', 1, 1, 6, 6, 55, 6000), "
              "('F', 1, 1, 7, -1, 56, -5)"));
    const reports::Exportado pesca = reports::exportarPesca(*dm, "F", 1, folder);
    ASSERT_TRUE(pesca.ok) << pesca.error.toStdString();
    const readback::Csv c = readback::readCsv(pesca.ficheros.value(0));
    const QList<QStringList> filas = {{u("'=HIPERVINCULO(\"http://x\";\"y\")"), "'@SUMA(1+1)", "01/08/2026"},
                                      {"Equipo", "Pez", "Piezas", "Peso"},
                                      {"1", "'\tTab", "5", "5000"},
                                      {"1", "'\rCR", "6", "6000"},
                                      {"1", "'+34 600", "2", "2000"},
                                      {"1", "'-Sargo", "3", "3000"},
                                      {"1", "'=1+1", "1", "1000"},
                                      {"1", "'@A1", "4", "4000"},
                                      {"1", "Mero=1", "-1", "-5"}};
    EXPECT_EQ(c.rows, filas);

    const reports::Exportado resumen = reports::exportarResumen(*dm, "F", 1, folder);
    ASSERT_TRUE(resumen.ok) << resumen.error.toStdString();
    const readback::Csv r = readback::readCsv(resumen.ficheros.value(0));
    ASSERT_EQ(r.rows.size(), 19);
    EXPECT_EQ(r.rows[2], QStringList{u("'=HIPERVINCULO(\"http://x\";\"y\")")});
    EXPECT_EQ(r.rows[3], QStringList({"'@SUMA(1+1)", "", "01/08/2026"}));
    EXPECT_EQ(r.rows.mid(6, 8), (QList<QStringList>{{"'\rCR", "6", "6.000"},
                                                   {"'\tTab", "5", "5.000"},
                                                   {"'@A1", "4", "4.000"},
                                                   {"'-Sargo", "3", "3.000"},
                                                   {"'+34 600", "2", "2.000"},
                                                   {"'=1+1", "1", "1.000"},
                                                   {"Mero=1", "-1", "-5"},
                                                   {"TOTALES", "20", "20.995"}}));
}

// Control characters in names, clubs and species never reach the day page.
TEST_F(DayExportsTest, ControlCharactersNeverReachThePage)
{
    db.exec(u("UPDATE PARTICIP SET Nombre = 'Ana' || char(27) || '[31m' || char(7) || 'Roja' || char(10) || 'Pérez', "
              "Club = 'Club' || char(13) || char(127) || char(133) || ' Sol' WHERE DNI = '1A';"
              "UPDATE ESPECIES SET Nombre = 'Den' || char(9) || char(0) || 'tón' WHERE Codigo = 10;"
              "UPDATE COMPETIC SET Titulo = 'Copa' || char(155) || '2J' || char(12) || ' Ω' WHERE Codigo = 'C''1'"));
    const QByteArray page = reports::paginaClasificacion(*dm, kCodigo, 1);
    const QString text = QString::fromUtf8(page);
    for (QChar ch : text) {
        const char16_t c = ch.unicode();
        EXPECT_FALSE((c < 0x20 && c != '\r' && c != '\n') || (c >= 0x7F && c < 0xA0)) << int(c);
    }
    // Every line of the page is one of its own: CR LF at the ends only.
    EXPECT_EQ(text.count('\n'), text.count(QStringLiteral("\r\n")));
    EXPECT_EQ(text.count('\n'), reports::lineasClasificacion(*dm, kCodigo, 1).size());

    const reports::Exportado r = reports::exportarClasificacion(*dm, kCodigo, 1, folder);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    QStringList equipos, peces, titulos;
    for (const readback::Cell& c : readback::readHtml(r.ficheros.value(0)).cells) {
        if (c.tag == "th") titulos << c.text;
        if (c.row == "equipo") equipos << c.text;
        if (c.row == "pesca") peces << c.text;
    }
    EXPECT_EQ(titulos, QStringList{u(" Copa2J Ω\n01/06/2026")});
    EXPECT_EQ(equipos.mid(0, 2), QStringList({u("1 Ana[31mRojaPérez\nLuis; Pérez"), u(" Club Sol")}));
    EXPECT_EQ(peces.value(0), u(" Dentón"));
}

TEST_F(DayExportsTest, Messages)
{
    EXPECT_EQ(reports::textoExportacionRealizada("/x/clasific.htm"), u("Exportación realizada al archivo\r\n/x/clasific.htm"));
    EXPECT_EQ(reports::textoExportacionPesca("/x/P.csv"), u("Exportación realizada al archivo\n\r/x/P.csv"));
    EXPECT_EQ(reports::textoDatosGuardados("/x/R.csv"), "Datos guardados en \r\n/x/R.csv");
    EXPECT_EQ(reports::textoCompeticionNoEncontrada("ZZ"), u("No encontrada la competición ZZ"));
    EXPECT_EQ(reports::textoRecuerdeHojaEstilos(),
              u("Recuerde que el archivo tablasPesca.css\r\ndebe estar en la misma carpeta para\r\npoder visualizar "
                "correctamente la página web"));
    EXPECT_EQ(reports::primeraJornada(*dm, kCodigo), 1);
    EXPECT_EQ(reports::primeraJornada(*dm, "NADA"), 0);
    EXPECT_EQ(reports::tituloCompeticion(*dm, kCodigo), kTitulo);
}

}  // namespace
