// The printing commands of the main menu: the chooser, the print dialog and
// the report, with the real windows answered as a user would.
#include "app/TfMain.h"
#include "data/Globals.h"
#include "data/Seleccion.h"
#include "dialogs/GuiDialogs.h"
#include "dialogs/TSeleccion.h"
#include "weighin/TFpesaje2.h"
#include "widgets/DataGrid.h"

#include "../reports/ReportFixture.h"
#include "../setup/ScreenFixture.h"
#include "support/Cli.h"

#include <QAction>
#include <QComboBox>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTimer>
#include <QTranslator>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

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

// Every report printed as a user prints to a file: the toolkit's print
// dialog in Spanish, its "Imprimir a archivo (PDF)" printer (the page of a
// printer: A4 with margins, at 1200 dots per inch), a file name typed in,
// "Imprimir".
class PrintToFile : public PrintMenu {
protected:
    void seed() override
    {
        PrintMenu::seed();
        file.exec("INSERT INTO PARTICIP (\"Cod comp\", Equipo, DNI, Nombre, Licencia, Club) VALUES"
                  " ('A1', 3, '33C', 'Carla Sánchez Ibáñez', 'L-3', 'C.N. Tarsela')");
        file.exec("INSERT INTO PESCADA (\"Cod comp\", Jornada, Equipo, \"Pesada num\", \"Numero piezas\", \"Cod pez\","
                  " Peso, \"Peso valido\") VALUES ('A1', 1, 3, 1, 1, 3, 1100, 1100), ('A1', 1, 3, 2, 2, 2, 1500, 1500)");
        file.exec("INSERT INTO CLASIFIC (Competicion, Jornada, Equipo, Puntos, Bonifica, Penaliza, TotalPuntos)"
                  " VALUES ('A1', 1, 3, 1900, 0, 0, 1900)");
    }
    void SetUp() override
    {
        PrintMenu::SetUp();
        ASSERT_TRUE(toolkit.load(QLocale(QLocale::Spanish, QLocale::Spain), "qtbase", "_",
                                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
        QCoreApplication::installTranslator(&toolkit);
    }
    void TearDown() override
    {
        QCoreApplication::removeTranslator(&toolkit);
        PrintMenu::TearDown();
    }

    // Answers the next print dialog: its file printer, the file, "Imprimir"
    // (and "Sí" when asked whether to replace a file that is there).
    std::shared_ptr<ModalSeen> imprimirAArchivo(const QString& pdf)
    {
        return ModalAnswer::onNext([this, pdf](QWidget* p) {
            auto* impresoras = p->findChild<QComboBox*>("printers");
            auto* nombre = p->findChild<QLineEdit*>("filename");
            const int pdfPrinter = impresoras ? impresoras->findText("Imprimir a archivo (PDF)") : -1;
            if (!qobject_cast<QPrintDialog*>(p) || pdfPrinter < 0 || !nombre) {
                ADD_FAILURE() << "no print dialog with its file printer";
                p->close();
                return;
            }
            impresoras->setCurrentIndex(pdfPrinter);
            nombre->setText(pdf);
            if (QFile::exists(pdf))
                reemplazar = ModalAnswer::pressButton("Sí");
            ModalAnswer::click(p, "Imprimir");
        });
    }
    // A menu item through the chooser (OK) and the print dialog.
    void menu(const char* item, const QString& pdf)
    {
        TfMain w;
        QAction* a = w.findChild<QAction*>(item);
        ASSERT_NE(a, nullptr) << item;
        elegido = ModalAnswer::onNext([this, pdf](QWidget* d) {
            impresion = imprimirAArchivo(pdf);
            ModalAnswer::click(d, "OK");
        });
        a->trigger();
    }
    // "Imprimir actilla" on the weigh-in screen, for the team it shows first (1).
    void actilla(const QString& pdf)
    {
        ASSERT_TRUE(elegirCompeticion(*data, "A1", 1));
        pesajeIniciado = false;
        TFpesaje2 pesaje(*data);
        pesaje.show();
        QApplication::processEvents();
        auto* imprimir = pesaje.findChild<QPushButton*>("bbImprimir");
        ASSERT_NE(imprimir, nullptr);
        impresion = imprimirAArchivo(pdf);
        imprimir->click();
    }

    // Answers the next message box that has an "Aceptar" button, whatever
    // modal windows come before it.
    void aceptarAviso()
    {
        aviso = ModalAnswer::onNext([this](QWidget* w) {
            if (!qobject_cast<QMessageBox*>(w) || !ModalAnswer::findButton(w, "Aceptar")) {
                QTimer::singleShot(5, this->aceptar);
                return;
            }
            ModalAnswer::click(w, "Aceptar");
        });
    }

    QTranslator toolkit;
    std::shared_ptr<ModalSeen> reemplazar;
    std::function<void()> aceptar = [this] { aceptarAviso(); };
};

TEST_F(PrintToFile, EveryReportThroughThePrintDialogIsTheCommandLinesPageScaledIntoThePrintableArea)
{
    struct Case {
        const char* item;  // menu item, or null for the weigh-in sheet
        QStringList cli;
    } cases[] = {
        {nullptr, {"actilla", "A1", "1", "1"}},
        {"Acta1", {"acta", "A1", "1"}},
        {"Actafinal1", {"acta-final", "A1"}},
        {"Resumen1", {"resumen", "A1", "1"}},
        {"ImprimirListadodeParticipantes1", {"participantes", "A1", "1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cli.first().toStdString());
        const QString dialogo = here.file(c.cli.first() + "-dialogo.pdf");
        const QString linea = here.file(c.cli.first() + "-cli.pdf");
        if (c.item)
            menu(c.item, dialogo);
        else
            actilla(dialogo);
        ASSERT_TRUE(impresion && impresion->seen);
        EXPECT_EQ(impresion->title, "Imprimir");
        QStringList args = c.cli;
        args.insert(1, file.path());
        const CliRun r = cli(QStringList{"imprimir"} + args + QStringList{"--pdf", linea});
        ASSERT_EQ(r.code, 0) << r.err.toStdString();

        const QList<PdfWordPage> delDialogo = pdfWords(dialogo), deLinea = pdfWords(linea);
        ASSERT_FALSE(deLinea.isEmpty());
        ASSERT_GT(deLinea[0].size(), 10);
        // The same words at the same places of the page's content (to a
        // fifth of a percent: under half a millimetre across the sheet).
        const QStringList d = differentPlacement(deLinea, delDialogo, 0.002);
        EXPECT_TRUE(d.isEmpty()) << d.mid(0, 12).join('\n').toStdString();
        // A page of the dialog's printer, not the command line's A4 without margins.
        EXPECT_EQ(pdfPages(dialogo).landscape, pdfPages(linea).landscape);
    }
}

// A full disk: the file system takes no more than a few kilobytes from the
// program while it prints (what RLIMIT_FSIZE does, root or not).
class DiscoLleno {
public:
    explicit DiscoLleno(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &antes_);
        senal_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit r = antes_;
        r.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &r);
    }
    ~DiscoLleno()
    {
        setrlimit(RLIMIT_FSIZE, &antes_);
        std::signal(SIGXFSZ, senal_);
    }

private:
    rlimit antes_{};
    void (*senal_)(int) = nullptr;
};

TEST_F(PrintToFile, AFileThatCannotBeWrittenWholeIsLeftAsItWasAndTheFailureIsSaid)
{
    const QString pdf = here.file("acta.pdf");
    here.write("acta.pdf", "antiguo");
    {
        DiscoLleno lleno(4096);
        TfMain w;
        elegido = ModalAnswer::onNext([this, pdf](QWidget* d) {
            impresion = imprimirAArchivo(pdf);
            ModalAnswer::click(d, "OK");
        });
        aceptarAviso();
        w.findChild<QAction*>("Acta1")->trigger();
    }
    ASSERT_TRUE(impresion && impresion->seen);
    ASSERT_TRUE(reemplazar && reemplazar->seen);  // the dialog asked, "Sí" answered
    ASSERT_TRUE(aviso && aviso->seen);
    EXPECT_TRUE(aviso->texts.join('|').contains("No se pudo escribir el archivo " + pdf))
        << aviso->texts.join('|').toStdString();
    QFile f(pdf);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "antiguo");
    // Nothing left beside it.
    EXPECT_EQ(QDir(QFileInfo(pdf).path()).entryList(QDir::Files | QDir::Hidden), QStringList{"acta.pdf"});
}

}  // namespace
