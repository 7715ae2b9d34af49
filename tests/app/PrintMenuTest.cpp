// The printing commands of the main menu: the chooser, the print dialog and
// the report, with the real windows answered as a user would.
#include "app/TfMain.h"
#include "dialogs/GuiDialogs.h"
#include "dialogs/TSeleccion.h"
#include "widgets/DataGrid.h"

#include "../reports/ReportFixture.h"
#include "../setup/ScreenFixture.h"

#include <QAction>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

#include <gtest/gtest.h>

using namespace reporttest;

namespace {

// A1 day 1 with two teams, a catch and their classification records.
class PrintMenu : public ScreenTest {
protected:
    void seed() override
    {
        file.exec("INSERT INTO PARTICIP (\"Cod comp\", Equipo, DNI, Nombre, Licencia, Club) VALUES"
                  " ('A1', 1, '11A', 'Ana Pérez', 'L-1', 'Club Uno'), ('A1', 2, '22B', 'Beatriz Núñez', 'L-2', 'Club Dos')");
        if (conPesca) {
            file.exec("INSERT INTO PESCADA (\"Cod comp\", Jornada, Equipo, \"Pesada num\", \"Numero piezas\", \"Cod pez\","
                      " Peso, \"Peso valido\") VALUES ('A1', 1, 1, 1, 1, 1, 900, 900)");
            file.exec("INSERT INTO CLASIFIC (Competicion, Jornada, Equipo, Puntos, Bonifica, Penaliza, TotalPuntos)"
                      " VALUES ('A1', 1, 1, 1200, 0, 0, 1200), ('A1', 1, 2, 0, 0, 0, 0)");
        }
    }
    void SetUp() override
    {
        ScreenTest::SetUp();
        setUserDialogs(&gui);
        seleccion = std::make_unique<TSeleccion>(*dm, nullptr, build);
        Seleccion = seleccion.get();
    }
    void TearDown() override
    {
        Seleccion = nullptr;
        seleccion.reset();
        setUserDialogs(&dialogs);
        ScreenTest::TearDown();
    }

    // Runs a menu item: the chooser answered with `chooser`, then the print
    // dialog accepted onto `pdf` (or cancelled when empty), then an
    // information box, if one shows, acknowledged.
    void run(const char* item, const QString& chooser, const QString& pdf)
    {
        TfMain w;
        QAction* a = w.findChild<QAction*>(item);
        ASSERT_NE(a, nullptr) << item;
        elegido = ModalAnswer::onNext([this, chooser, pdf](QWidget* d) {
            diasVisibles = Seleccion->DBGJor->isVisible() || Seleccion->stJornada->isVisible();
            if (chooser == "OK")
                impresion = ModalAnswer::onNext([this, pdf](QWidget* p) {
                    auto* dialog = qobject_cast<QPrintDialog*>(p);
                    if (!dialog || pdf.isEmpty()) {
                        p->close();
                        return;
                    }
                    aviso = ModalAnswer::pressButton("Aceptar");
                    dialog->accept();
                    // What a user would type as the file of "Print to file".
                    dialog->printer()->setOutputFileName(pdf);
                });
            ModalAnswer::click(d, chooser);
        });
        a->trigger();
    }

    bool conPesca = true;
    widgets::Build build = widgets::Build::Now;
    GuiDialogs gui;
    WorkingFolder here;
    std::unique_ptr<TSeleccion> seleccion;
    std::shared_ptr<ModalSeen> elegido, impresion, aviso;
    bool diasVisibles = false;
};

TEST_F(PrintMenu, EachItemPrintsItsReportAfterTheChooserAndThePrintDialog)
{
    struct Case {
        const char* item;
        bool landscape;
        bool dias;  // the chooser shows the days
    } cases[] = {{"Acta1", true, true},
                 {"Actafinal1", true, false},
                 {"Resumen1", false, true},
                 {"ImprimirListadodeParticipantes1", false, true}};
    for (const Case& c : cases) {
        const QString pdf = here.file(QString(c.item) + ".pdf");
        run(c.item, "OK", pdf);
        ASSERT_TRUE(elegido && elegido->seen) << c.item;
        EXPECT_EQ(elegido->className, "TSeleccion");
        EXPECT_EQ(diasVisibles, c.dias) << c.item;
        EXPECT_TRUE(Seleccion->DBGJor->isVisibleTo(Seleccion)) << c.item;  // shown again after
        ASSERT_TRUE(impresion && impresion->seen) << c.item;
        EXPECT_EQ(impresion->title, "Imprimir");
        const PdfPages p = pdfPages(pdf);
        EXPECT_EQ(p.count, 1) << c.item;
        EXPECT_EQ(p.landscape, c.landscape ? 1 : 0) << c.item;
        EXPECT_FALSE(aviso->seen) << c.item;
    }
}

TEST_F(PrintMenu, CancelInTheChooserOrThePrintDialogPrintsNothing)
{
    for (const char* item : {"Acta1", "Actafinal1", "Resumen1", "ImprimirListadodeParticipantes1"}) {
        impresion.reset();
        run(item, "Cancelar", here.file("nada.pdf"));
        EXPECT_TRUE(elegido->seen);
        EXPECT_FALSE(impresion) << item;  // no print dialog after a cancelled choice
        run(item, "OK", QString());
        ASSERT_TRUE(impresion && impresion->seen) << item;
        EXPECT_FALSE(QFile::exists(here.file("nada.pdf"))) << item;
    }
}

// The chooser as start-up makes it, building its controls on its first
// showing: the final minutes, the first command run, still hide its day list.
class PrintMenuChooserMadeAtStart : public PrintMenu {
protected:
    void SetUp() override
    {
        build = widgets::Build::OnFirstUse;
        PrintMenu::SetUp();
    }
};

TEST_F(PrintMenuChooserMadeAtStart, TheDayListHidesForTheFinalMinutesFromTheFirstShowingOn)
{
    ASSERT_EQ(Seleccion->DBGJor, nullptr);
    const struct {
        const char* item;
        bool dias;
    } cases[] = {{"Actafinal1", false}, {"Acta1", true}, {"Actafinal1", false}, {"Resumen1", true}};
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.item);
        const QString pdf = here.file(QString("%1-%2.pdf").arg(c.item).arg(++n));
        run(c.item, "OK", pdf);
        ASSERT_TRUE(elegido && elegido->seen);
        EXPECT_EQ(elegido->className, "TSeleccion");
        EXPECT_EQ(diasVisibles, c.dias);
        EXPECT_TRUE(Seleccion->DBGJor->isVisibleTo(Seleccion));
        EXPECT_TRUE(Seleccion->stJornada->isVisibleTo(Seleccion));
        ASSERT_TRUE(impresion && impresion->seen);
        EXPECT_EQ(pdfPages(pdf).count, 1);
    }
}

class PrintMenuSinPesca : public PrintMenu {
protected:
    void SetUp() override
    {
        conPesca = false;
        PrintMenu::SetUp();
    }
};

TEST_F(PrintMenuSinPesca, SummaryOfADayWithoutCatchesSaysSoAfterThePrintDialog)
{
    const QString pdf = here.file("resumen.pdf");
    run("Resumen1", "OK", pdf);
    ASSERT_TRUE(impresion->seen);
    ASSERT_TRUE(aviso && aviso->seen);
    EXPECT_TRUE(aviso->texts.contains("No hay pesaje de esta competición")) << aviso->texts.join('|').toStdString();
    EXPECT_EQ(pdfPages(pdf).count, 0);
}

}  // namespace
