// The weigh-in sheet on the recording surface (portrait 4961 × 7016: device
// units equal virtual units), from its data and from a weighed team.
#include "data/Helpers.h"
#include "reports/PainterSurface.h"
#include "reports/Pagina.h"
#include "reports/RecordingSurface.h"
#include "scoring/Pesaje.h"
#include "scoring/ScoringFixture.h"
#include "weighin/Actilla.h"

#include "../reports/ReportFixture.h"

#include <QPdfWriter>

#include <gtest/gtest.h>

using namespace reporttest;
using scoringtest::ScoringDb;

namespace {

// Column edges and paddings at 1:1; line height "M" (100) + 20.
constexpr int X0 = 700, X1 = 1000, X2 = 1300, X3 = 2200, X4 = 2500, X5 = 2950, X6 = 3250, X7 = 3600, X8 = 4050,
              PAD = 20, L = 120;
const QColor kGris(0xEE, 0xEE, 0xEE);

LineaActilla linea(int pesada, int piezas, const QString& especie, int peso, int puntos, bool puntua = true)
{
    LineaActilla l;
    l.pesada = pesada;
    l.piezas = piezas;
    l.especie = especie;
    l.peso = peso;
    l.pesoValido = peso;
    l.puntos = puntos;
    l.puntua = puntua;
    return l;
}

DatosActilla hoja(QList<LineaActilla> lineas)
{
    DatosActilla d;
    d.titulo = "Trofeo";
    d.fecha = "01/06/2026";
    d.equipo = 4;
    d.miembros = {{"Ana", "L-1", "CN Sur"}, {"Bea", "L-2", "CN Norte"}};
    d.lineas = lineas;
    d.especies = "3";
    d.puntosEspecies = "1.250";
    d.cupos = "1";
    d.puntosCupos = "300";
    d.total = "9.999";
    d.bonificacion = 1250 + 300;
    return d;
}

RecordingSurface dibuja(const DatosActilla& d)
{
    RecordingSurface s(4961, 7016, 10);
    dibujarActilla(d, s);
    return s;
}

int textWidth(const QString& t, int size) { return int(t.size()) * 6 * size; }

TEST(Actilla, HeadingParticipantsAndTableHeadings)
{
    const RecordingSurface s = dibuja(hoja({}));
    EXPECT_EQ(s.title(), "Actilla equipo 4");
    EXPECT_EQ(s.orientation(), Orientation::Portrait);
    EXPECT_EQ(s.pages(), 1);
    EXPECT_EQ(s.fontSize(), 10);
    const auto titulo = s.text("Trofeo");
    EXPECT_EQ(titulo.x, alinea(1, 4961, textWidth("Trofeo", 12), true));
    EXPECT_EQ(titulo.y, 200);
    EXPECT_EQ(titulo.size, 12);
    EXPECT_TRUE(titulo.bold);
    EXPECT_EQ(s.text("01/06/2026").y, 200 + 120 + 10);
    const int yh = 200 + 2 * 130;
    EXPECT_EQ(s.text("Actilla de pesaje").y, yh);
    EXPECT_EQ(s.text("Actilla de pesaje").size, 10);
    const int ye = yh + 200;
    EXPECT_EQ(s.text("Equipo 4").x, X0);
    EXPECT_EQ(s.text("Equipo 4").y, ye);
    EXPECT_EQ(s.text("Licencia").x, X3);
    EXPECT_EQ(s.text("Club").x, X5);
    EXPECT_EQ(s.text("Ana").y, ye + 2 * L);
    EXPECT_TRUE(s.text("Bea").bold);
    EXPECT_EQ(s.text("CN Norte").x, X5);
    const int yt = ye + 5 * L;  // two members, then one empty line
    EXPECT_EQ(s.text("Pesada").x, alinea(X0, X1 - X0, 6 * 60, true));
    EXPECT_EQ(s.text("Pesada").y, yt);
    EXPECT_EQ(s.text("P. válido").x, X5 - PAD - 9 * 60);
    EXPECT_EQ(s.text("Bonif.").x, X6 - 6 * 60);
    EXPECT_EQ(s.text("Penal.").x, X7 - 6 * 60);
    EXPECT_EQ(s.text("Puntos").x, X8 - PAD - 6 * 60);
    // An empty frame under the headings; the biggest piece empty.
    const int T = yt + L - PAD;
    int marco = 0;
    for (const auto& r : s.rules())
        marco += (r.x1 == X0 - PAD && r.y1 == T + 5 + 2 * PAD && r.x2 == X8) ||
                 (r.x1 == X0 - PAD && r.x2 == X0 - PAD && r.y2 == T) || (r.x1 == X8 && r.x2 == X8 && r.y2 == T);
    EXPECT_EQ(marco, 3);
    EXPECT_EQ(s.count("Pieza Mayor:  (0 gr.)"), 1);
}

TEST(Actilla, FullLengthNamesClubsAndSpeciesStayInTheirColumns)
{
    DatosActilla d = hoja({linea(1, 1, completo("Pez de roca ", 20), 1500, 1600),
                           linea(2, 2, completo("Sargo real ", 20), 2500, 2700)});
    d.miembros = {{completo("Nombre Apellido ", 50), completo("LIC-", 10), completo("Club Deportivo ", 50)}};
    const RecordingSurface s = dibuja(d);
    // The member's line and the catch lines.
    const int desde = s.text("Participantes").y + L;
    int hasta = 0;
    for (const auto& t : s.texts())
        if (t.text.startsWith("Pieza Mayor: "))
            hasta = t.y;
    const int cabecera = s.text("Pesada").y;
    auto lineas = [&](const RecordingSurface::Call& c) { return c.y >= desde && c.y < hasta && c.y != cabecera; };
    EXPECT_EQ(overprinted(s, lineas), QStringList{});
    int acortados = 0;
    for (const auto& t : s.texts()) {
        if (!lineas(t))
            continue;
        SCOPED_TRACE(t.text.toStdString());
        if (t.text.startsWith("Nombre")) {
            EXPECT_EQ(t.x, X0);
            EXPECT_LE(t.x2, X3);
        } else if (t.text.startsWith("LIC")) {
            EXPECT_EQ(t.x, X3);
            EXPECT_LE(t.x2, X5);
        } else if (t.text.startsWith("Club")) {
            EXPECT_EQ(t.x, X5);
            EXPECT_LE(t.x2, X8);
        } else if (t.text.startsWith("Pez") || t.text.startsWith("Sargo")) {
            EXPECT_EQ(t.x, X2);
            EXPECT_LE(t.x2, X3);
        }
        acortados += t.text.endsWith("…");
    }
    EXPECT_EQ(acortados, 4);  // name, club and both species; the licence fits
}

TEST(Actilla, BandsAlternateAndTheBiggestPieceFollowsItsRules)
{
    struct Case {
        QList<LineaActilla> lineas;
        QString mayor;
    } cases[] = {
        {{linea(1, 2, "Sargo", 9000, 900), linea(2, 1, "Mero", 3000, 300)}, "Mero (3.000 gr.)"},
        {{linea(1, 1, "Mero", 3000, 0), linea(2, 1, "Lisa", 1000, -50)}, " (0 gr.)"},
        {{linea(1, 1, "Morena", 5000, 500, false), linea(2, 1, "Pulpo", 800, 80)}, "Pulpo (800 gr.)"},
        {{linea(1, 1, "Dentón", 2000, 200), linea(2, 1, "Dorada", 2000, 200)}, "Dentón (2.000 gr.)"},
    };
    for (const Case& c : cases) {
        const RecordingSurface s = dibuja(hoja(c.lineas));
        EXPECT_EQ(s.count("Pieza Mayor: " + c.mayor), 1) << c.mayor.toStdString();
    }
    const RecordingSurface s = dibuja(hoja({linea(1, 1, "A", 100, 10), linea(2, 1, "B", 100, 10), linea(3, 1, "C", 100, 10)}));
    const auto fills = s.fills();
    ASSERT_GE(fills.size(), 3);
    EXPECT_EQ(fills[0].brush, kGris);
    EXPECT_EQ(fills[1].brush, QColor(Qt::white));
    EXPECT_EQ(fills[2].brush, kGris);
    const auto b = s.text("B");
    EXPECT_EQ(fills[1].y, b.y - PAD / 2);
    EXPECT_EQ(fills[1].y2, b.y - PAD / 2 + L);
    EXPECT_EQ(fills[1].x, X0 - PAD);
    EXPECT_EQ(s.text("A").brush, kGris);
    EXPECT_EQ(s.text("A").y + L, b.y);
}

TEST(Actilla, SummaryBoxTotalsAndBonus)
{
    // A penalised line lowers the points and adds no piece or weight.
    const RecordingSurface s =
        dibuja(hoja({linea(1, 1, "Sargo", 1500, 1600), linea(2, 3, "Pulpo", 900, 1200), linea(3, 1, "Lisa", 300, -200)}));
    EXPECT_EQ(s.count("4"), 1);  // valid pieces
    const auto validas = s.text("2.400");
    EXPECT_EQ(validas.x, alinea(X6, X7 - X6, textWidth("2.400", 10), true));
    EXPECT_EQ(s.text("2.600").x, X8 - PAD - textWidth("2.600", 10));
    EXPECT_EQ(s.count("(3) 1.250"), 1);
    EXPECT_EQ(s.text("(3) 1.250").x, X5);
    EXPECT_EQ(s.text("(1) 300").x, alinea(X6, X7 - X6, textWidth("(1) 300", 10), true));
    EXPECT_EQ(s.text("1.550").x, X8 - PAD - textWidth("1.550", 10));
    const auto total = s.text("9.999");
    EXPECT_TRUE(total.bold);
    EXPECT_EQ(s.text("TOTAL PUNTOS").x, X5);
    EXPECT_EQ(s.text("TOTAL PUNTOS").y, total.y);
    const int K = X5 - (textWidth("Bonificaciones  ", 10) + PAD);
    const auto valLabel = s.text("Válidas");
    EXPECT_EQ(valLabel.x, X5 - 2 * PAD - textWidth("Válidas", 10));
    EXPECT_EQ(valLabel.y, validas.y - L + L / 2);
    int lateral = 0;
    for (const auto& r : s.rules())
        lateral += r.x1 == K && r.x2 == K;
    EXPECT_EQ(lateral, 1);
    EXPECT_FALSE(s.bold());
}

TEST(Actilla, LongTeamsGoOnToNewPagesAndTheSummaryStaysWhole)
{
    QList<LineaActilla> lineas;
    for (int i = 1; i <= 100; ++i)
        lineas << linea(i, 1, "Sargo", 100 + i, 10);
    const RecordingSurface s = dibuja(hoja(lineas));
    ASSERT_GE(s.pages(), 3);
    EXPECT_EQ(s.count("Pesada"), s.pages() - (s.text("TOTAL PUNTOS").page > s.text("100").page ? 1 : 0));
    for (const auto& t : s.texts())
        EXPECT_LE(t.y2, 7016) << t.text.toStdString();
    for (const auto& f : s.fills())
        EXPECT_LE(f.y2, 7016);
    const int pagina = s.text("TOTAL PUNTOS").page;
    for (const char* t : {"Pieza Mayor: Sargo (200 gr.)", "Válidas", "Bonificaciones", "1.550"})
        EXPECT_EQ(s.text(t).page, pagina) << t;
    EXPECT_EQ(s.text("100").page, s.pages() - (pagina > s.text("100").page ? 1 : 0));
}

TEST(Actilla, FailurePartWayEndsTheDocumentAndRestoresTheFont)
{
    RecordingSurface s(4961, 7016, 11);
    s.beforeText = [](const QString& t) {
        if (t == "Mero")
            throw engine::DatabaseError("fallo");
    };
    EXPECT_THROW(dibujarActilla(hoja({linea(1, 1, "Mero", 100, 10)}), s), engine::DatabaseError);
    EXPECT_FALSE(s.open());
    EXPECT_EQ(s.fontSize(), 11);
    EXPECT_FALSE(s.bold());
    EXPECT_EQ(s.calls.last().op, RecordingSurface::Op::End);
}

// A weighed team through the session: its lines, their figures and its tally.
TEST(Actilla, FromTheSessionOfAWeighedTeam)
{
    ScoringDb db;
    scoringtest::Competicion c = scoringtest::ejemplo();
    c.puntosEspecie = 1250;
    db.competicion(c, "Trofeo Ñ");
    db.jornada("C1", 1);
    db.especie(10, "Sargo");
    db.especie(20, "Mero");
    db.especial("C1", 20, 0, QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant());
    miembro(db, "C1", 2, "X", "Ana", "L-1", "CN");
    db.linea("C1", 1, 2, 1, 1, 20, 4000, 4000);
    db.linea("C1", 1, 2, 2, 1, 10, 1000, 1000);
    Tdm& d = db.open("C1", 1);
    Pesaje p(d);
    p.equipoActual = 2;
    p.sumapuntos("C1", 1, 2);
    RecordingSurface s(4961, 7016, 10);
    WorkingFolder here;
    imprimirActilla(d, p, s);
    EXPECT_EQ(s.title(), "Actilla equipo 2");
    EXPECT_EQ(s.count("Trofeo Ñ"), 1);
    EXPECT_EQ(s.count("Mero"), 1);
    // The mero's species may not hold the biggest piece.
    EXPECT_EQ(s.count("Pieza Mayor: Sargo (1.000 gr.)"), 1);
    EXPECT_EQ(s.count("(" + p.LEspecies() + ") " + p.lPuntosEspecies()), 1);
    EXPECT_EQ(s.count(p.lTotal()), 1);
    // The line's points as the weigh-in grid shows them.
    const DesgloseLinea v = desgloseLinea(leerReglas(d, "C1"), 10, 1000, 1000, 1);
    EXPECT_GE(s.count(formatNumber("#,##0", v.puntos)), 1);

    const QString path = here.file("actilla.pdf");
    {
        QPdfWriter pdf(path);
        pdf.setResolution(600);
        PainterSurface ps(pdf);
        imprimirActilla(d, p, ps);
    }
    const PdfPages pages = pdfPages(path);
    EXPECT_EQ(pages.count, 1);
    EXPECT_EQ(pages.landscape, 0);
}

}  // namespace
