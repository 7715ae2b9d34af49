// The day and final minutes on the recording surface (landscape 7016 × 4961:
// device units equal virtual units), and one PDF of each.
#include "reports/Actas.h"
#include "reports/PainterSurface.h"
#include "reports/RecordingSurface.h"
#include "reports/ReportFixture.h"
#include "scoring/ClasFinal.h"
#include "data/Helpers.h"

#include <QPdfWriter>

#include <gtest/gtest.h>

using namespace reporttest;
using scoringtest::ScoringDb;
using Op = RecordingSurface::Op;

namespace {

// Column boundaries of the day minutes at 1:1.
constexpr int L = 250, x1 = 400, x2 = 1950, x3 = 2450, x4 = 3450, x5 = 3650, x6 = 3850, x7 = 4350, x9 = 5300,
              x10 = 5700, x11 = 6100, x12 = 6400, R = 6816, M = 60, LH = 120;

// Competition C1, two days: per piece 100, per gram 1, no minimum.
// Day 1: team 1 (two members, one club) a 3000 g sargo and 2 × 500 g doradas;
// team 2 (three members, clubs A B A) a 3000 g mero; team 3 nothing.
struct Minutes : ::testing::Test {
    ScoringDb db;
    WorkingFolder here;

    void SetUp() override
    {
        scoringtest::Competicion c;
        c.puntosPieza = 100;
        c.puntosGramo = 1;
        db.competicion(c, "Trofeo Ñandú");
        db.jornada("C1", 1);
        db.jornada("C1", 2);
        lugar(db, "C1", 1, "Cala Mayor");
        db.especie(10, "Sargo");
        db.especie(20, "Mero");
        db.especie(30, "Dorada");
        miembro(db, "C1", 1, "A1", "Ana Pérez", "L-1", "CN Sur");
        miembro(db, "C1", 1, "A2", "Luis Gómez", "L-2", "CN Sur");
        miembro(db, "C1", 2, "B1", "Bea Ruiz", "L-3", "Club A");
        miembro(db, "C1", 2, "B2", "Carlos Díaz", "L-4", "Club B");
        miembro(db, "C1", 2, "B3", "Dani Soler", "L-5", "Club A");
        miembro(db, "C1", 3, "C1", "Eva Mas", "L-6", "CN Este");
        db.linea("C1", 1, 1, 1, 1, 10, 3000, 3000);
        db.linea("C1", 1, 1, 2, 2, 30, 1000, 1000);
        db.linea("C1", 1, 2, 1, 1, 20, 3000, 3000);
        db.clasific("C1", 1, 1, 4300, 50, 0, 4350);
        db.clasific("C1", 1, 2, 3100, 0, 7, 3093);
        db.clasific("C1", 1, 3, 0, 0, 0, 0);
    }

    RecordingSurface dia()
    {
        Tdm& d = db.open("C1", 1);
        RecordingSurface s(4961, 7016, 10);
        imprimirActaJornada(d, s);
        return s;
    }
};

// The text drawn at (x, y), or an empty string.
QString at(const RecordingSurface& s, int x, int y)
{
    for (const auto& t : s.texts())
        if (t.x == x && t.y == y)
            return t.text;
    return {};
}

TEST_F(Minutes, DayHeadingAndColumnsAtTheirPositions)
{
    const RecordingSurface s = dia();
    EXPECT_EQ(s.title(), "Clasificación");
    EXPECT_EQ(s.orientation(), Orientation::Landscape);
    EXPECT_EQ(s.pages(), 1);
    EXPECT_FALSE(s.open());
    EXPECT_EQ(s.fontSize(), 10);

    // No header files: the rule at 200 + 2 lines, then 20 below it.
    const int y0 = 200 + 2 * LH + 20;
    EXPECT_EQ(at(s, x1, y0), "Competición: Trofeo Ñandú");
    const auto fecha = s.text("Fecha: 01/06/2026");
    EXPECT_EQ(fecha.x, 3508);
    EXPECT_EQ(fecha.y, y0);
    const QString lugar = "Lugar: Cala Mayor";
    EXPECT_EQ(s.text(lugar).x, 7016 - int(lugar.size()) * 54 - 200);
    const int yh = y0 + 2 * LH;  // heading line
    EXPECT_EQ(at(s, x1 + 10, yh), "Nombre y Apellidos");
    EXPECT_EQ(s.text("Licencia").x, alinea(x2, x3 - x2, 8 * 54, true));
    EXPECT_EQ(at(s, x7 + M, yh), "Clase");
    EXPECT_EQ(s.text("Peso").x, x9 - M - 4 * 54);
    EXPECT_EQ(s.text("Pieza Mayor").y, yh - LH + 10);
    EXPECT_EQ(s.text("Total").x, x12 + 100 + 6 * 54 - 5 * 54);
    for (const char* h : {"Nombre y Apellidos", "Pzs", "Val", "Peso Válidas", "Puntos", "Bonifica.", "Penal"})
        EXPECT_TRUE(s.text(h).bold) << h;

    // First team: position, members, figures on its first line.
    const int yt = yh + LH + 10;
    EXPECT_EQ(at(s, L, yt), "1º");
    EXPECT_EQ(at(s, x1 + 10, yt), "Ana Pérez");
    EXPECT_EQ(at(s, x1 + 10, yt + LH), "Luis Gómez");
    EXPECT_EQ(s.text("03").x, alinea(x4, x5 - x4, 2 * 54, true));
    EXPECT_EQ(s.text("4.000").x, x7 - M - 5 * 54);
    EXPECT_EQ(at(s, x7 + M, yt), "Sargo");
    EXPECT_EQ(s.text("4.350").x, R - M - 5 * 54);
    EXPECT_EQ(s.text("4.350").y, yt);
    EXPECT_EQ(s.text("4.350").size, 9);
    // Its rule two lines down, the next team 20 below it.
    const int yr = yt + 2 * LH;
    bool rule = false;
    for (const auto& r : s.rules())
        rule |= r.y1 == yr && r.x1 == L && r.x2 == R;
    EXPECT_TRUE(rule);
    EXPECT_EQ(at(s, L, yr + 20), "2º");
}

TEST_F(Minutes, ClubsOnChangeOnlyAndTheGridOfTheDay)
{
    const RecordingSurface s = dia();
    EXPECT_EQ(s.count("CN Sur"), 1);
    EXPECT_EQ(s.count("Club A"), 2);
    EXPECT_EQ(s.count("Club B"), 1);
    // Vertical rules: 12, from the table top down to the last team's rule.
    QList<int> xs;
    for (const auto& r : s.rules())
        if (r.x1 == r.x2)
            xs << r.x1;
    EXPECT_EQ(xs, QList<int>({L - 10, x2 - 10, x3 - 10, x4 - 10, x5 - 10, x6 - 10, x7 - 10, x9 - 10, x10 - 10,
                              x11 - 10, x12 - 10, R}));
}

TEST_F(Minutes, ClosingStatementsNameTheBetterClassifiedOnEqualMarks)
{
    const RecordingSurface s = dia();
    // Teams 1 and 2 both hold a 3000 g piece; team 1 is first.
    const auto pieza = s.text("Pieza mayor. Equipo 1. CN Sur. Sargo 3.000 gr");
    EXPECT_EQ(pieza.x, L);
    EXPECT_EQ(at(s, L, pieza.y + LH), "Ana Pérez , Luis Gómez");
    const QString mas = "Mayor número de piezas. Equipo 1 CN Sur. 3 piezas";
    EXPECT_EQ(s.text(mas).x, R - int(mas.size()) * 54);
    EXPECT_EQ(s.text("Ana Pérez, Luis Gómez").y, pieza.y + LH);
}

TEST_F(Minutes, NoTeamZeroWhenNothingQualifiesAndCountsOfAHundred)
{
    // Day 2: no catch at all; team 3 presents 120 pieces of one line.
    db.clasific("C1", 2, 1, 0, 0, 0, 0);
    {
        Tdm& d = db.open("C1", 2);
        RecordingSurface s(4961, 7016, 10);
        imprimirActaJornada(d, s);
        for (const QString& t : s.textStrings())
            EXPECT_FALSE(t.contains("Equipo 0") || t.startsWith("Pieza mayor") || t.startsWith("Mayor número")) << t.toStdString();
        EXPECT_EQ(s.count("00"), 2);
        db.dm.reset();
    }
    db.linea("C1", 2, 3, 1, 120, 30, 24000, 24000);
    db.clasific("C1", 2, 3, 36000, 0, 0, 36000);
    Tdm& d = db.open("C1", 2);
    RecordingSurface s(4961, 7016, 10);
    imprimirActaJornada(d, s);
    EXPECT_EQ(s.count("120"), 2);  // pieces presented and valid
    EXPECT_EQ(s.count("Mayor número de piezas. Equipo 3 CN Este. 120 piezas"), 1);
    EXPECT_EQ(s.count("Eva Mas"), 2);
    for (const QString& t : s.textStrings())
        EXPECT_FALSE(t.startsWith("Pieza mayor")) << t.toStdString();  // no single piece
}

TEST_F(Minutes, DayWithoutRecordsPrintsHeadingsAnEmptyGridAndNoStatements)
{
    Tdm& d = db.open("C1", 2);
    RecordingSurface s(4961, 7016, 10);
    imprimirActaJornada(d, s);
    EXPECT_EQ(s.pages(), 1);
    EXPECT_EQ(s.count("Nombre y Apellidos"), 1);
    EXPECT_EQ(s.count("1º"), 0);
    int verticales = 0;
    for (const auto& r : s.rules())
        verticales += r.x1 == r.x2;
    EXPECT_EQ(verticales, 12);
}

TEST_F(Minutes, PagesBreakAfterATeamAndNoBlockRunsPastTheBottom)
{
    // Forty more teams of one to six members on day 2.
    for (int eq = 10; eq < 50; ++eq) {
        for (int k = 0; k <= eq % 6; ++k)
            miembro(db, "C1", eq, QString("D%1-%2").arg(eq).arg(k), QString("Socio %1-%2").arg(eq).arg(k), "L", "Club");
        db.clasific("C1", 2, eq, 0, 0, 0, 1000 - eq);
    }
    Tdm& d = db.open("C1", 2);
    RecordingSurface s(4961, 7016, 10);
    imprimirActaJornada(d, s);
    ASSERT_GT(s.pages(), 2);
    EXPECT_EQ(s.count("Nombre y Apellidos"), s.pages());
    for (const auto& t : s.texts())
        EXPECT_LE(t.y2, 4961) << t.text.toStdString();
    // Continuation pages start at the left margin's value; a team's members share its page.
    for (const auto& t : s.texts()) {
        if (t.text.startsWith("Competición: ") && t.page > 1) {
            EXPECT_EQ(t.y, L);
        }
    }
    QHash<QString, int> paginaEquipo;
    for (const auto& t : s.texts())
        if (t.text.startsWith("Socio ")) {
            const QString eq = t.text.section('-', 0, 0);
            if (paginaEquipo.contains(eq)) {
                EXPECT_EQ(paginaEquipo[eq], t.page) << eq.toStdString();
            }
            paginaEquipo[eq] = t.page;
        }
    EXPECT_EQ(s.count("40º"), 1);
    EXPECT_EQ(s.count("41º"), 0);
}

TEST_F(Minutes, FailurePartWayEndsTheDocumentAndRestoresTheFont)
{
    Tdm& d = db.open("C1", 1);
    RecordingSurface s(4961, 7016, 12);
    s.beforeText = [](const QString& t) {
        if (t == "2º")
            throw engine::DatabaseError("fallo de lectura");
    };
    EXPECT_THROW(imprimirActaJornada(d, s), engine::DatabaseError);
    EXPECT_FALSE(s.open());
    EXPECT_EQ(s.calls.last().op, Op::End);
    EXPECT_EQ(s.fontSize(), 12);
    EXPECT_FALSE(s.bold());
}

TEST_F(Minutes, FinalSumsTheTwoDaysAndShowsEachDaysTotal)
{
    // Day 2: team 2 a 3000 g dorada (equal to its day-1 mero), team 3 a 2000 g sargo.
    db.linea("C1", 2, 2, 1, 1, 30, 3000, 3000);
    db.linea("C1", 2, 3, 1, 1, 10, 2000, 2000);
    db.clasific("C1", 2, 2, 3100, 0, 0, 3100);
    db.clasific("C1", 2, 3, 2100, 0, 0, 2100);
    db.open("C1", 1);
    RecordingSurface s(4961, 7016, 10);
    imprimirActaFinal(*db.dm, s);
    EXPECT_EQ(s.title(), "Clasificación Final");
    EXPECT_EQ(s.orientation(), Orientation::Landscape);
    const QString fechas = "Fechas: 1. 01/06/2026 - 2. 02/06/2026";
    EXPECT_EQ(s.text(fechas).x, 7016 - int(fechas.size()) * 54 - 200);
    EXPECT_EQ(s.count("Fecha: 01/06/2026"), 0);
    EXPECT_EQ(s.count("Puntos 1"), 1);
    EXPECT_EQ(s.count("Válidas"), 1);
    // Team 2 first (6193), then 1 (4350), then 3 (2100).
    const auto primero = s.text("1º");
    EXPECT_EQ(at(s, x1 + 10, primero.y), "Bea Ruiz");
    // Final boundaries: valid weight 400 wide, so x7..x12 move 100 left.
    EXPECT_EQ(at(s, x7 - 100 + M, primero.y), "Dorada");  // day 2's piece on equal weights
    // Each day's points before its penalty, the penalty, and the ranking's
    // total: 3.100 + 3.100 - 7 = 6.193.
    EXPECT_EQ(s.text("6.193").x, R - M - 5 * 54);
    EXPECT_EQ(at(s, x10 - 100 - M - 5 * 54, primero.y), "3.100");
    EXPECT_EQ(at(s, x11 - 100 - M - 5 * 54, primero.y), "3.100");
    EXPECT_EQ(at(s, (x11 - 100) + 150 - 27, primero.y), "7");
    EXPECT_EQ(s.count("Club A"), 2);  // club on every line
    EXPECT_EQ(s.count("Club B"), 1);
    // Best piece over both days: team 2 met first, day 1 before day 2.
    EXPECT_EQ(s.text("Pieza mayor. Equipo 2. Bea Ruiz . Mero 3.000 gr").x, x1);
    const QString mas = "Mayor número de piezas. Equipo 1. Ana Pérez: 3 piezas";
    EXPECT_EQ(s.text(mas).x, R - int(mas.size()) * 54);
}

TEST_F(Minutes, FinalShowsThePenaltiesOfEveryDayBesideTheRankingsTotal)
{
    // Team 1 penalised on both days (day 1: 4350 - 600; day 2: 1000 - 400)
    // falls below team 2 (3093 + 1500).
    db.exec("UPDATE CLASIFIC SET Penaliza = 600, TotalPuntos = 3750 WHERE Jornada = 1 AND Equipo = 1");
    db.clasific("C1", 2, 1, 1000, 0, 400, 600);
    db.clasific("C1", 2, 2, 1500, 0, 0, 1500);
    db.open("C1", 1);
    const TClasFinal ranking = clasificacionFinal(*db.dm, "C1");
    RecordingSurface s(4961, 7016, 10);
    imprimirActaFinal(*db.dm, s);
    struct Fila {
        const char* pos;
        const char* p1;
        const char* p2;
        const char* penal;
        const char* total;
    } filas[] = {{"1º", "3.100", "1.500", "7", "4.593"}, {"2º", "4.350", "1.000", "1.000", "4.350"}};
    for (int i = 0; i < 2; ++i) {
        const int y = s.text(filas[i].pos).y;
        const auto centrado = [](const char* t) { return (x11 - 100) + 150 - int(QString(t).size()) * 27; };
        EXPECT_EQ(at(s, x10 - 100 - M - int(QString(filas[i].p1).size()) * 54, y), filas[i].p1);
        EXPECT_EQ(at(s, x11 - 100 - M - int(QString(filas[i].p2).size()) * 54, y), filas[i].p2);
        EXPECT_EQ(at(s, centrado(filas[i].penal), y), filas[i].penal);
        EXPECT_EQ(at(s, R - M - int(QString(filas[i].total).size()) * 54, y), filas[i].total);
        // The total and the order are the final ranking's.
        EXPECT_EQ(formatNumber("##,##0", ranking.equipos[size_t(i)].total), filas[i].total);
    }
}

TEST_F(Minutes, TextsAtTheirFieldsFullLengthStayInTheirColumns)
{
    // Title 50, place 100, species 20, name 50, licence 10, club 50 characters.
    db.exec("UPDATE COMPETIC SET Titulo = '" + completo("Campeonato de Tarsela ", 50) + "'");
    db.exec("UPDATE JORNADAS SET Lugar = '" + completo("Cala de las Ánimas ", 100) + "'");
    db.exec("UPDATE ESPECIES SET Nombre = substr('Especie' || Codigo || ' de roca de fondo', 1, 20)");
    db.exec("UPDATE PARTICIP SET Nombre = substr('Nombre ' || DNI || ' Apellido Apellido Apellido Apellido Apellido', 1, 50),"
            " Licencia = substr('LIC' || DNI || '-0000000', 1, 10),"
            " Club = substr('Club ' || DNI || ' Agrupación Deportiva Submarina del Mar', 1, 50)");
    db.clasific("C1", 2, 1, 100, 0, 0, 100);
    for (bool final : {false, true}) {
        SCOPED_TRACE(final ? "final" : "day");
        Tdm& d = db.open("C1", 1);
        RecordingSurface s(4961, 7016, 10);
        final ? imprimirActaFinal(d, s) : imprimirActaJornada(d, s);
        // The heading line and the band over it hold the fixed headings.
        const int cabecera = s.text("Nombre y Apellidos").y, banda = s.text("Pieza Mayor").y;
        auto datos = [&](const RecordingSurface::Call& c) { return c.y != cabecera && c.y != banda; };
        EXPECT_EQ(overprinted(s, datos), QStringList{});
        const int dx = final ? 100 : 0;  // the final's boundaries from x7 on
        int pie = 0;
        for (const auto& t : s.texts())
            if (t.text.startsWith("Pieza mayor."))
                pie = t.y;
        ASSERT_GT(pie, cabecera);
        int acortados = 0;
        for (const auto& t : s.texts()) {
            SCOPED_TRACE(t.text.toStdString());
            EXPECT_GE(t.x, 0);
            EXPECT_LE(t.x2, 7016);
            if (t.text.endsWith("…")) {
                ++acortados;
                EXPECT_GE(t.size, kTamanoLegible);
            }
            if (t.y <= cabecera || t.y >= pie)
                continue;  // the teams' lines only
            if (t.text.startsWith("Nombre ")) {
                EXPECT_GE(t.x, x1);
                EXPECT_LE(t.x2, x2);
            } else if (t.text.startsWith("LIC")) {
                EXPECT_GE(t.x, x2);
                EXPECT_LE(t.x2, x3);
            } else if (t.text.startsWith("Club ")) {
                EXPECT_GE(t.x, x3);
                EXPECT_LE(t.x2, x4);
            } else if (t.text.startsWith("Especie")) {
                // Its cell holds the weight too, at its right: "3.000", one "M" apart.
                EXPECT_GE(t.x, x7 - dx);
                EXPECT_LE(t.x2, x9 - dx - M - 5 * 54 - M);
            }
        }
        EXPECT_GE(acortados, 5);
        // Shortened from its end, the start kept; a licence drawn smaller, whole.
        const QString nombre = "Nombre A1 Apellido";
        bool hayNombre = false, hayLicencia = false;
        for (const auto& t : s.texts()) {
            hayNombre |= t.text.startsWith(nombre) && t.text.endsWith("…");
            hayLicencia |= t.text == "LICA1-0000" && t.size < 9;
        }
        EXPECT_TRUE(hayNombre);
        EXPECT_TRUE(hayLicencia);
        db.dm.reset();
    }
}

TEST_F(Minutes, FinalOfACompetitionWithOnlyADayTwo)
{
    db.exec("DELETE FROM JORNADAS WHERE Numero = 1");
    db.open("C1", 2);
    RecordingSurface s(4961, 7016, 10);
    imprimirActaFinal(*db.dm, s);
    EXPECT_EQ(s.count("Fechas:  - 2. 02/06/2026"), 1);
    // Day 1's records still add to the total; its column shows 0.
    const auto primero = s.text("1º");
    EXPECT_EQ(at(s, x1 + 10, primero.y), "Ana Pérez");
    EXPECT_EQ(s.count("4.350"), 1);
}

TEST_F(Minutes, PdfOfEachIsLandscape)
{
    for (bool final : {false, true}) {
        Tdm& d = db.open("C1", 1);
        const QString path = here.file(final ? "final.pdf" : "dia.pdf");
        {
            QPdfWriter pdf(path);
            pdf.setResolution(600);
            pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
            PainterSurface s(pdf);
            final ? imprimirActaFinal(d, s) : imprimirActaJornada(d, s);
        }
        const PdfPages p = pdfPages(path);
        EXPECT_EQ(p.count, 1);
        EXPECT_EQ(p.landscape, 1);
        db.dm.reset();
    }
}

}  // namespace
