// The live day ranking window: its refill, its rows and their heights.
#include "data/Seleccion.h"
#include "data/Tdm.h"
#include "engine/Format.h"
#include "ranking/Tfclasificacion.h"
#include "support/Fixture.h"

#include <QApplication>
#include <QImage>
#include <QScreen>
#include <QTableWidget>

#include <gtest/gtest.h>

#include <memory>

namespace {

class RankingWindowTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        engine::setProgramLocale(QLocale(QLocale::Spanish, QLocale::Spain));
        file.exec(QString("INSERT INTO COMPETIC (Codigo, Titulo, Tipo) VALUES ('C', 'Copa', '%1')").arg(GetParam()));
        file.exec("INSERT INTO JORNADAS (\"Cod comp\", Numero, Fecha) VALUES ('C', 1, '2026-06-01')");
        for (int eq = 1; eq <= 6; ++eq) {
            file.exec(QString("INSERT INTO PARTICIP (\"Cod comp\", Equipo, DNI, Nombre) VALUES ('C', %1, '%1', 'P%1')").arg(eq));
            file.exec(QString("INSERT INTO CLASIFIC (Competicion, Jornada, Equipo, Puntos, Bonifica, TotalPuntos) "
                              "VALUES ('C', 1, %1, %2, 0, %2)").arg(eq).arg(eq * 1000));
        }
        data = std::make_unique<Tdm>(file.dir());
        ASSERT_TRUE(elegirCompeticion(*data, "C", 1));
    }
    int rowHeight(Tfclasificacion& w, int row) { return w.findChild<QTableWidget*>("sg")->rowHeight(row); }

    TempDatabase file;
    ScriptedDialogs dialogs;
    std::unique_ptr<Tdm> data;
};

TEST_P(RankingWindowTest, RefillsGrowAndShrinkWithoutStaleRows)
{
    const bool individual = QString(GetParam()) == "I";
    Tfclasificacion w(*data);
    EXPECT_EQ(w.windowTitle(), QString::fromUtf8("CLASIFICACIÓN PESADA"));
    EXPECT_EQ(w.rowCount(), 5);
    EXPECT_EQ(w.cellText(0, 2), QString("Pescador(es)"));
    EXPECT_EQ(w.cellText(0, 6), QString(" % "));
    w.escribeDatos();
    ASSERT_EQ(w.rowCount(), 7);
    EXPECT_EQ(w.cellText(1, 0), QString::fromUtf8("1º"));
    EXPECT_EQ(w.cellText(1, 1), QString("6"));
    EXPECT_EQ(w.cellText(1, 2), QString(" P6\r\n"));
    EXPECT_EQ(w.cellText(1, 5), QString("6.000"));
    EXPECT_EQ(w.cellText(2, 6), QString("83,33"));
    EXPECT_EQ(w.cellText(6, 6), QString("16,67"));
    // Fewer teams: back to four data rows, the empty ones blank.
    file.exec("DELETE FROM CLASIFIC WHERE Equipo > 2");
    w.escribeDatos();
    ASSERT_EQ(w.rowCount(), 5);
    EXPECT_EQ(w.cellText(2, 1), QString("1"));
    for (int r = 3; r <= 4; ++r)
        for (int c = 0; c < 7; ++c)
            EXPECT_EQ(w.cellText(r, c), QString()) << r << "," << c;

    // Row heights: as made; shown at its 729 pixels, taller; below 700
    // nothing changes.
    EXPECT_EQ(rowHeight(w, 0), 30);
    EXPECT_EQ(rowHeight(w, 1), individual ? 35 : 75);
    w.show();
    QApplication::processEvents();
    const int tall = individual ? 50 : 100;
    EXPECT_EQ(rowHeight(w, 1), tall);
    EXPECT_EQ(rowHeight(w, 0), 30);
    w.resize(900, 600);
    EXPECT_EQ(rowHeight(w, 1), tall);
    w.resize(1008, 729);
    EXPECT_EQ(rowHeight(w, 1), tall);
}

// A refill repaints only the cells it changed, at once, and the window on
// the screen then looks exactly like one filled afresh; names follow the
// participants' changes.
TEST_P(RankingWindowTest, ARefillShowsWhatAFreshWindowShows)
{
    Tfclasificacion w(*data);
    w.escribeDatos();
    w.show();
    QApplication::processEvents();
    const struct {
        const char* sql;
        QString cell;  // row 1, names column, after the change
    } changes[] = {
        {"UPDATE CLASIFIC SET Puntos = 9000, TotalPuntos = 9000 WHERE Equipo = 2", " P2\r\n"},
        {"UPDATE PARTICIP SET Nombre = 'Renombrado' WHERE Equipo = 2", " Renombrado\r\n"},
        {"UPDATE CLASIFIC SET Bonifica = 150, TotalPuntos = 5150 WHERE Equipo = 5", " Renombrado\r\n"},
        {"UPDATE CLASIFIC SET Puntos = 0, TotalPuntos = 0 WHERE Equipo = 2", " P6\r\n"},
    };
    for (const auto& c : changes) {
        SCOPED_TRACE(c.sql);
        file.exec(c.sql);
        w.escribeDatos();
        w.repintar();
        // On the screen as soon as the refill returns, before any event.
        const QImage onScreen = w.screen()->grabWindow(w.winId()).toImage();
        EXPECT_EQ(w.cellText(1, 2), c.cell);
        Tfclasificacion fresh(*data);
        fresh.escribeDatos();
        fresh.show();
        QApplication::processEvents();
        ASSERT_EQ(fresh.size(), w.size());
        EXPECT_TRUE(onScreen == fresh.grab().toImage());
    }
}

INSTANTIATE_TEST_SUITE_P(TeamAndIndividual, RankingWindowTest, ::testing::Values("E", "I"));

}  // namespace
