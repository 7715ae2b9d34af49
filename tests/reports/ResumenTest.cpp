// The catch summary and the participant list on the recording surface
// (portrait 4961 × 7016: device units equal virtual units), and their PDFs.
#include "reports/PainterSurface.h"
#include "reports/Pagina.h"
#include "reports/RecordingSurface.h"
#include "reports/ReportFixture.h"
#include "reports/DayExports.h"
#include "reports/Resumen.h"

#include <QPdfWriter>

#include <gtest/gtest.h>

using namespace reporttest;
using scoringtest::ScoringDb;

namespace {

struct Reports : ::testing::Test {
    ScoringDb db;
    WorkingFolder here;

    void SetUp() override
    {
        db.competicion(scoringtest::Competicion{}, "Trofeo");
        db.jornada("C1", 1);
        lugar(db, "C1", 1, "Cala Mayor");
        db.especie(10, "Sargo");
        db.especie(20, "Mero");
        db.especie(30, "Dorada");
        db.especie(31, "Dorada");  // a second species of the same name
    }
    RecordingSurface resumen(bool* impreso = nullptr)
    {
        Tdm& d = db.open("C1", 1);
        RecordingSurface s(4961, 7016, 10);
        const bool r = imprimirResumen(d, s);
        if (impreso)
            *impreso = r;
        return s;
    }
};

// The summary's layout values at 1:1: text 10 + 2 points, line height 130.
constexpr int X1 = 1300, X2 = 2300, X3 = 2800, FIN = 4961 - 1000 - 500, LH = 130;

TEST_F(Reports, SummaryRowsTotalsAndStatistics)
{
    miembro(db, "C1", 1, "A", "Ana", "L1", "C");
    miembro(db, "C1", 1, "B", "Bea", "L2", "C");
    miembro(db, "C1", 2, "C", "Carla", "L3", "C");
    db.linea("C1", 1, 1, 1, 5, 10, 1500, 1500);
    db.linea("C1", 1, 1, 2, 1, 20, 2500, 2500);
    db.linea("C1", 1, 2, 1, 3, 30, 400, 400);
    db.linea("C1", 1, 2, 2, 4, 31, 100, 0);  // not valid: it counts all the same
    bool impreso = false;
    const RecordingSurface s = resumen(&impreso);
    ASSERT_TRUE(impreso);
    EXPECT_EQ(s.title(), "Capturas por especie");
    EXPECT_EQ(s.orientation(), Orientation::Portrait);
    EXPECT_EQ(s.pages(), 1);
    EXPECT_EQ(s.fontSize(), 10);
    const int bl = 1000, R = 4961 - 1000;
    const QString t0 = "Resumen de capturas y peso";
    EXPECT_EQ(s.text(t0).x, alinea(bl, R - bl, int(t0.size()) * 72, true));
    EXPECT_EQ(s.text(t0).y, 200);
    EXPECT_EQ(s.text("Trofeo").y, 200 + LH);
    EXPECT_EQ(s.text("Cala Mayor - 01/06/2026").y, 200 + 2 * LH);
    const int yh = 200 + 4 * LH;
    EXPECT_EQ(s.text("Ejemplares").x, X2 - 100);
    EXPECT_EQ(s.text("Peso (gr)").y, yh);
    const int y1 = yh + 20 + LH + 20;
    // Heaviest first: Mero 2500, Sargo 1500, Dorada 500 (two species of one name).
    EXPECT_EQ(s.text("Mero").y, y1);
    EXPECT_EQ(s.text("Sargo").y, y1 + LH);
    EXPECT_EQ(s.text("Dorada").y, y1 + 2 * LH);
    EXPECT_EQ(s.text("7").x, X2 + 2 * 72 - 72);  // Dorada's 3 + 4 pieces end at x2 + "88"
    EXPECT_EQ(s.text("2.500").x, X3 + 6 * 72 - 5 * 72);
    // Shaded rows 1 and 3, their texts on the grey.
    ASSERT_EQ(s.fills().size(), 2);
    EXPECT_EQ(s.fills()[0].y, y1);
    EXPECT_EQ(s.fills()[0].x2, FIN);
    EXPECT_EQ(s.fills()[0].y2, y1 + LH);
    EXPECT_EQ(s.fills()[1].y, y1 + 2 * LH);
    EXPECT_EQ(s.text("Mero").brush, QColor(238, 238, 238));
    EXPECT_EQ(s.text("Sargo").brush, QColor(Qt::white));
    // Totals: the count from the column's left edge.
    const int yt = y1 + 3 * LH + 20;
    EXPECT_EQ(s.text("TOTALES").y, yt);
    EXPECT_EQ(s.text("13").x, X2);
    EXPECT_EQ(s.text("4.500").y, yt);
    EXPECT_EQ(s.text("ESTADÍSTICA").y, yt + 2 * LH);
    const int w = 19 * 72;
    EXPECT_EQ(s.text("2").x, X1 + w);
    EXPECT_EQ(s.text("6,50").x, X1 + w);
    EXPECT_EQ(s.text("Piezas por equipo: ").x, X1 + w - w);
    EXPECT_EQ(s.text("2.250 gr").y, yt + 5 * LH);
}

TEST_F(Reports, SummaryAveragesRoundHalvesToEvenAndShowADashWithoutTeams)
{
    struct Case {
        int equipos, peso;
        const char* piezas;
        const char* porEquipo;
    } cases[] = {{2, 5, "0,50", "2 gr"}, {2, 7, "0,50", "4 gr"}, {0, 7, "-", "-"}};
    for (const Case& c : cases) {
        ScoringDb fresh;
        fresh.competicion(scoringtest::Competicion{}, "T");
        fresh.jornada("C1", 1);
        fresh.especie(10, "Sargo");
        for (int e = 1; e <= c.equipos; ++e)
            miembro(fresh, "C1", e, QString::number(e), "N", "L", "C");
        fresh.linea("C1", 1, 1, 1, 1, 10, c.peso, c.peso);
        Tdm& d = fresh.open("C1", 1);
        RecordingSurface s(4961, 7016, 10);
        ASSERT_TRUE(imprimirResumen(d, s));
        const auto texts = s.texts();
        EXPECT_EQ(texts[texts.size() - 3].text, c.piezas);
        EXPECT_EQ(texts.last().text, c.porEquipo);
    }
}

TEST_F(Reports, SummaryOfADayWithoutCatchesPrintsNothing)
{
    bool impreso = true;
    const RecordingSurface s = resumen(&impreso);
    EXPECT_FALSE(impreso);
    EXPECT_EQ(s.documents(), 0);
    EXPECT_EQ(reports::textoSinPesaje(), "No hay pesaje de esta competición");
}

TEST_F(Reports, SummaryRowsGoOnToANewPageUnderTheHeadings)
{
    for (int i = 0; i < 60; ++i) {
        db.especie(100 + i, QString("Especie %1").arg(i));
        db.linea("C1", 1, 1, i + 1, 1, 100 + i, 1000 + i, 1000 + i);
    }
    const RecordingSurface s = resumen();
    EXPECT_EQ(s.pages(), 2);
    EXPECT_EQ(s.count("Especie"), 2);
    for (const auto& t : s.texts())
        EXPECT_LE(t.y2, 7016) << t.text.toStdString();
    for (const auto& f : s.fills())
        EXPECT_LE(f.y2, 7016);
    EXPECT_EQ(s.text("Especie 59").page, 1);  // the heaviest, first
    EXPECT_EQ(s.text("Especie 0").page, 2);
    EXPECT_EQ(s.text("TOTALES").page, 2);
}

TEST_F(Reports, ParticipantListAtItsPositionsOnThePage)
{
    miembro(db, "C1", 0, "Z", "Cero", "L0", "K0");
    miembro(db, "C1", 1, "A", "Ana", "L1", "K1");
    miembro(db, "C1", 1, "B", "Bea", "L2", "K1");
    miembro(db, "C1", 7, "C", "Carla", "L3", "K2");
    Tdm& d = db.open("C1", 1);
    RecordingSurface s(4961, 7016, 10);
    imprimirParticipantes(d, s);
    EXPECT_EQ(s.title(), "Participantes");
    EXPECT_EQ(s.orientation(), Orientation::Portrait);
    EXPECT_EQ(s.fontSize(), 10);
    const int lh = 100 + 30;  // measured at the default size
    EXPECT_EQ(s.text("Trofeo").y, 200);
    EXPECT_EQ(s.text("Trofeo").size, 12);
    EXPECT_EQ(s.text("Cala Mayor - 01/06/2026").y, 200 + lh);
    const int yh = 200 + 3 * lh + 30;
    EXPECT_EQ(s.text("Eq.").x, 400);
    EXPECT_EQ(s.text("Eq.").y, yh);
    EXPECT_EQ(s.text("Eq.").size, 11);
    EXPECT_EQ(s.text("Pescador").x, 1100);
    EXPECT_EQ(s.text("Club").x, 2600);
    const int y1 = yh + lh + 30;
    // Team 0 never shows its number; each other team on its first line only.
    const QStringList esperado{"Cero", "Ana", "Bea", "Carla"};
    for (int i = 0; i < 4; ++i) {
        const auto nombre = s.text(esperado[i]);
        EXPECT_EQ(nombre.x, 1100);
        EXPECT_EQ(nombre.y, y1 + i * (lh + 30));
        bool numero = false;
        for (const auto& t : s.texts())
            numero |= t.x == 200 && t.y == nombre.y && t.text == QString::number(i + 1);
        EXPECT_TRUE(numero) << i;
    }
    QStringList equipos;
    for (const auto& t : s.texts())
        if (t.x == 400 && t.text != "Eq.")
            equipos << t.text;
    EXPECT_EQ(equipos, QStringList({"1", "7"}));
    // Rules across, one under each row.
    int reglas = 0;
    for (const auto& r : s.rules()) {
        EXPECT_EQ(r.x1, 200);
        EXPECT_EQ(r.x2, 4961 - 500);
        ++reglas;
    }
    EXPECT_EQ(reglas, 2 + 4);
}

TEST_F(Reports, ParticipantListKeepsItsColumnsOnAPageOfAnyResolution)
{
    miembro(db, "C1", 1, "A", "Ana", "L1", "K1");
    Tdm& d = db.open("C1", 1);
    // Half the resolution of the virtual page: every position halves.
    RecordingSurface s(2481, 3508, 10);
    imprimirParticipantes(d, s);
    EXPECT_EQ(s.text("Trofeo").x, 100);
    EXPECT_EQ(s.text("Trofeo").y, 100);
    EXPECT_EQ(s.text("Eq.").x, 200);
    EXPECT_EQ(s.text("L1").x, 300);
    EXPECT_EQ(s.text("Pescador").x, 550);
    EXPECT_EQ(s.text("Club").x, 1300);
    const int lh = 100 + 15;
    EXPECT_EQ(s.text("Ana").x, 550);
    EXPECT_EQ(s.text("Ana").y, s.text("Pescador").y + lh + 15);
    EXPECT_EQ(s.text("K1").x, 1300);
    for (const auto& r : s.rules()) {
        EXPECT_EQ(r.x1, 100);
        EXPECT_EQ(r.x2, 2481 - 250);
    }
}

TEST_F(Reports, ParticipantListKeepsFullLengthTextsInTheirColumns)
{
    db.exec("UPDATE JORNADAS SET Lugar = '" + completo("Cala de las Ánimas ", 100) + "'");
    for (int i = 0; i < 3; ++i)
        miembro(db, "C1", 1 + i, QString("D%1").arg(i), completo(QString("Nombre%1 Apellido ").arg(i), 50),
                completo(QString("LIC%1-").arg(i), 10), completo(QString("Club%1 Deportivo ").arg(i), 50));
    Tdm& d = db.open("C1", 1);
    RecordingSurface s(4961, 7016, 10);
    imprimirParticipantes(d, s);
    EXPECT_EQ(overprinted(s, [](const RecordingSurface::Call&) { return true; }), QStringList{});
    int acortados = 0;
    for (const auto& t : s.texts()) {
        SCOPED_TRACE(t.text.toStdString());
        // Nothing past the rules' right end; each column short of the next.
        EXPECT_GE(t.x, 200);
        EXPECT_LE(t.x2, 4961 - 500);
        if (t.text.startsWith("Nombre")) {
            EXPECT_EQ(t.x, 1100);
            EXPECT_LE(t.x2, 2600);
        } else if (t.text.startsWith("LIC")) {
            EXPECT_EQ(t.x, 600);
            EXPECT_LE(t.x2, 1100);
        } else if (t.text.startsWith("Club")) {
            EXPECT_EQ(t.x, 2600);
        }
        if (t.text.endsWith("…")) {
            ++acortados;
            EXPECT_GE(t.size, kTamanoLegible);
        }
    }
    EXPECT_EQ(acortados, 3 * 3 + 1);  // names, licences and clubs, and the place
    EXPECT_EQ(s.textStrings().filter(QRegularExpression("^Nombre1 Apellido Nombre1 .*…$")).size(), 1);
}

TEST_F(Reports, SummaryKeepsAFullLengthSpeciesNameOffItsCount)
{
    db.exec("UPDATE ESPECIES SET Nombre = 'Pez de roca de fondo' WHERE Codigo = 10");
    db.linea("C1", 1, 1, 1, 12, 10, 15000, 15000);
    const RecordingSurface s = resumen();
    RecordingSurface::Call nombre;
    for (const auto& t : s.texts())
        if (t.text.startsWith("Pez de roca") && t.text.endsWith("…"))
            nombre = t;
    ASSERT_EQ(nombre.op, RecordingSurface::Op::Text) << s.textStrings().join('|').toStdString();
    EXPECT_EQ(nombre.x, X1);
    EXPECT_LE(nombre.x2, X2 - 100);
    EXPECT_EQ(overprinted(s, [&](const RecordingSurface::Call& c) { return c.y == nombre.y; }), QStringList{});
}

TEST_F(Reports, ParticipantListGoesOnToNewPagesWithItsHeadings)
{
    for (int i = 0; i < 70; ++i)
        miembro(db, "C1", 1 + i / 2, QString("D%1").arg(i, 3, 10, QChar('0')), QString("P%1").arg(i), "L", "K");
    Tdm& d = db.open("C1", 1);
    RecordingSurface s(4961, 7016, 10);
    imprimirParticipantes(d, s);
    ASSERT_EQ(s.pages(), 2);
    EXPECT_EQ(s.count("Pescador"), 2);
    EXPECT_EQ(s.count("70"), 1);
    for (const auto& t : s.texts())
        EXPECT_LE(t.y2, 7016) << t.text.toStdString();
    const auto arriba = s.text("Pescador");
    EXPECT_EQ(arriba.page, 1);
}

TEST_F(Reports, PdfOfEachIsPortrait)
{
    miembro(db, "C1", 1, "A", "Ana", "L1", "K1");
    db.linea("C1", 1, 1, 1, 1, 10, 1500, 1500);
    Tdm& d = db.open("C1", 1);
    for (int informe = 0; informe < 2; ++informe) {
        const QString path = here.file(QString("informe%1.pdf").arg(informe));
        {
            QPdfWriter pdf(path);
            pdf.setResolution(600);
            PainterSurface s(pdf);
            if (informe == 0)
                ASSERT_TRUE(imprimirResumen(d, s));
            else
                imprimirParticipantes(d, s);
        }
        const PdfPages p = pdfPages(path);
        EXPECT_EQ(p.count, 1);
        EXPECT_EQ(p.landscape, 0);
    }
}

}  // namespace
