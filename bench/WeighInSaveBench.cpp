// Times one save in the running program: "&Guardar" on the weigh-in screen
// with the day ranking window showing, until that window has been refilled
// and repainted and no posted event (a deferred layout or paint) is left, on
// day 1 of the benchmark scenario (300 teams of 2, 2 days, 30 lines a team
// and day, 40 species, 20 rules, 10 quotas); 50 saves, the first included.
#include "BenchUtil.h"
#include "Scenario.h"

#include "data/Globals.h"
#include "data/Seleccion.h"
#include "data/Tdm.h"
#include "engine/Format.h"
#include "ranking/Tfclasificacion.h"
#include "weighin/TFpesaje2.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThreadPool>

#include <vector>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    engine::setProgramLocale(QLocale(QLocale::Spanish, QLocale::Spain));
    // As the program sets it at start (src/app/main.cpp).
    QThreadPool::globalInstance()->setMaxThreadCount(1);
    const int saves = argc > 1 ? QString(argv[1]).toInt() : 50;
    const BenchParams scenario;
    QTemporaryDir dir;
    benchScenario(dir.path() + "/marfondo.abs", scenario);

    SilentDialogs dialogs;
    setUserDialogs(&dialogs);
    std::vector<double> ms;
    {
        Tdm d(dir.path());
        dm = &d;
        elegirCompeticion(d, "BENCH", 1);
        pesajeIniciado = false;
        TFpesaje2 screen(d);
        screen.show();
        QApplication::processEvents();
        screen.findChild<QPushButton*>("VerNoVer")->click();
        QApplication::processEvents();
        auto* guardar = screen.findChild<QPushButton*>("BBGuardar");
        engine::Table& entry = screen.pesaje().TApes2;
        for (int i = 0; i < saves; ++i) {
            entry.fieldByName("Numero piezas").setAsInteger(1);
            entry.fieldByName("Cod pez").setAsInteger(3);
            entry.fieldByName("Peso").setAsInteger(1200 + i);
            entry.fieldByName("Peso valido").setAsInteger(1200 + i);
            QElapsedTimer t;
            t.start();
            guardar->click();  // saves, refills the ranking window and repaints it
            QApplication::processEvents();  // whatever the save left posted
            ms.push_back(double(t.nsecsElapsed()) / 1e6);
        }
        const bench::Figures f = bench::figuresOf(ms);
        bench::printLine(QString::fromUtf8("guardar una línea en el programa (\"&Guardar\" hasta la clasificación "
                                           "rellenada y pintada), %1 equipos: %2; objetivos: mediana %3, peor %4; "
                                           "filas en la ventana: %5, avisos: %6")
                             .arg(scenario.teams)
                             .arg(bench::describe(f, 2))
                             .arg(bench::targetText(f.median, 5, "ms"), bench::targetText(f.worst, 16, "ms"))
                             .arg(screen.clasificacion()->rowCount() - 1)
                             .arg(dialogs.shown));
        dm = nullptr;
    }
    setUserDialogs(nullptr);
    return 0;
}
