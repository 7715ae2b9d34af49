// The final ranking page: byte for byte, read back by an HTML parser, and
// written whole or not at all.
#include "reports/ClasFinalHtml.h"
#include "scoring/ClasFinal.h"
#include "reports/ExportFixture.h"
#include "scoring/ScoringFixture.h"
#include "support/Readback.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace scoringtest;

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

const QString kTitulo = u("Copa <b>&\"Ñ\" Ω");

class ClasFinalHtmlTest : public ::testing::Test {
protected:
    ScoringDb db;
    void SetUp() override
    {
        db.competicion(ejemplo(), kTitulo);
        db.jornada("C1", 1);
        db.jornada("C1", 2);
        db.participante("C1", 1, "1A", u("Ana <b>&\"Ñ\""));
        db.participante("C1", 1, "1B", u("Ωmar"));
        db.clasific("C1", 1, 1, 0, 0, 0, 1250);
        db.clasific("C1", 2, 2, 0, 0, 0, 300);  // no members
    }
};

// The page as the system writes it, in Windows-1252 bytes.
const char kPagina[] =
    "<!Doctype html> <HTML> <HEAD> <Charset=\"ANSI\"> <TITLE> CLASIFICACI\xD3N </TITLE> </HEAD>\r\n"
    "<BODY bgcolor=\"#0000ff\">\r\n"
    "<TABLE width=\"550\" align=\"center\" border=\"1\" bgcolor=\"#0077AA\" cellspacing=\"0\" cellpadding=\"5\">\r\n"
    "<tr><th colspan=\"6\"> Copa &lt;b&gt;&amp;&quot;\xD1&quot; &#937;</th> </tr>\r\n"
    "<tr align=\"right\"> \r\n<td> Pos</td>\r\n<td> Eq.</td>\r\n<td align=\"left\"> Pescador(es)</td>\r\n"
    "<td> Puntos 1</td>\r\n<td> Puntos 2</td>\r\n<td> Total Puntos</td>\r\n</tr>\r\n"
    "<tr align=\"right\"> \r\n<td> 1\xBA</td>\r\n<td> 1</td>\r\n<td align=\"left\"> Ana &lt;b&gt;&amp;&quot;\xD1&quot;</td>\r\n"
    "<td> 1.250</td>\r\n<td> 0</td>\r\n<td> 1.250</td>\r\n</tr>\r\n"
    "<tr align=\"right\"> \r\n<td> </td>\r\n<td> </td>\r\n<td align=\"left\"> &#937;mar</td>\r\n"
    "<td> </td>\r\n<td> </td>\r\n<td> </td>\r\n</tr>\r\n"
    "<tr align=\"right\"> \r\n<td> </td>\r\n<td> </td>\r\n<td align=\"left\"> </td>\r\n"
    "<td> </td>\r\n<td> </td>\r\n<td> </td>\r\n</tr>\r\n"
    "<tr align=\"right\"> \r\n<td> 2\xBA</td>\r\n<td> 2</td>\r\n<td align=\"left\"> </td>\r\n"
    "<td> 0</td>\r\n<td> 300</td>\r\n<td> 300</td>\r\n</tr>\r\n"
    "</table> </body> </html>\r\n";

TEST_F(ClasFinalHtmlTest, PageByteForByte)
{
    Tdm& dm = db.open("C1", 1);
    EXPECT_EQ(reports::paginaClasFinal(clasificacionFinal(dm, "C1"), kTitulo), QByteArray(kPagina));
}

TEST_F(ClasFinalHtmlTest, WrittenPageReadsBackAsTyped)
{
    Tdm& dm = db.open("C1", 1);
    QTemporaryDir dir;
    const reports::Exportado r =
        reports::exportarClasFinal(clasificacionFinal(dm, "C1"), kTitulo, dir.path() + QDir::separator());
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    const QString file = dir.path() + "/clasfinal.html";
    ASSERT_EQ(r.ficheros, QStringList{QDir::toNativeSeparators(file)});
    EXPECT_EQ(exporttest::fileBytes(file), QByteArray(kPagina));
    const readback::Html h = readback::readHtml(file);
    ASSERT_EQ(h.cells.size(), 1 + 5 * 6);
    EXPECT_EQ(h.cells[0].tag, QString("th"));
    EXPECT_EQ(h.cells[0].text, " " + kTitulo);
    EXPECT_EQ(h.cells[1 + 6 + 2].text, u(" Ana <b>&\"Ñ\""));
    EXPECT_EQ(h.cells[1 + 12 + 2].text, u(" Ωmar"));
    // No name became markup: the only tags are the page's own.
    for (const QString& t : h.tags)
        EXPECT_TRUE(QStringList({"html", "head", "charset=\"ansi\"", "title", "body", "table", "tr", "th", "td"}).contains(t))
            << t.toStdString();
    EXPECT_EQ(reports::textoExportacionClasFinal(r.ficheros.first()),
              u("Exportación realizada al archivo\r") + QDir::toNativeSeparators(file));
}

// Control characters in the title and the names never reach the page.
TEST_F(ClasFinalHtmlTest, ControlCharactersNeverReachThePage)
{
    db.participante("C1", 2, "2A", u("Eva\x1b[2J\a\nRuiz") + QChar(0x85));
    Tdm& dm = db.open("C1", 1);
    const QByteArray page = reports::paginaClasFinal(clasificacionFinal(dm, "C1"), u("Copa\t\x7f") + QChar(0x9B) + u("2026"));
    for (int i = 0; i < page.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(page[i]);
        // Bytes 0x80-0x9F are letters in Windows-1252; the C1 controls would be
        // the five it has no letter for.
        EXPECT_FALSE((b < 0x20 && b != '\r' && b != '\n') || b == 0x7F || b == 0x81 || b == 0x8D || b == 0x8F ||
                     b == 0x90 || b == 0x9D)
            << i << ": " << int(b);
        if (b == '\n') {
            EXPECT_EQ(page[i - 1], '\r') << i;
        }
    }
    EXPECT_TRUE(page.contains("<th colspan=\"6\"> Copa2026</th>")) << page.constData();
    EXPECT_TRUE(page.contains("<td align=\"left\"> Eva[2JRuiz</td>")) << page.constData();
}

TEST_F(ClasFinalHtmlTest, AFolderThatCannotBeWrittenLeavesNothing)
{
    Tdm& dm = db.open("C1", 1);
    QTemporaryDir dir;
    const QString missing = dir.path() + "/no/";
    reports::Exportado r = reports::exportarClasFinal(clasificacionFinal(dm, "C1"), kTitulo, missing);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.error.contains(u("no existe la carpeta"))) << r.error.toStdString();
    EXPECT_TRUE(r.ficheros.isEmpty());
    EXPECT_EQ(exporttest::filesIn(dir.path()), QStringList{});

    // An existing page is replaced whole.
    QFile old(dir.path() + "/clasfinal.html");
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(100000, 'x'));
    old.close();
    r = reports::exportarClasFinal(clasificacionFinal(dm, "C1"), kTitulo, dir.path() + '/');
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(exporttest::fileBytes(dir.path() + "/clasfinal.html"), QByteArray(kPagina));
    EXPECT_EQ(exporttest::filesIn(dir.path()),
              QStringList{"clasfinal.html"});
}

}  // namespace
