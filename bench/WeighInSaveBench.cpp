// Times one save in the running program: "&Guardar" on the weigh-in screen
// with the day ranking window showing, until that window has been refilled
// and repainted, on a day of 300 teams with 30 catch lines each.
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

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    engine::setProgramLocale(QLocale(QLocale::Spanish, QLocale::Spain));
    const int teams = 300, lines = 30, saves = 50;
    QTemporaryDir dir;
    benchScenario(dir.path() + "/marfondo.abs", teams, lines);

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
            ms.push_back(double(t.nsecsElapsed()) / 1e6);
        }
        std::sort(ms.begin(), ms.end());
        std::printf("guardar una linea con la clasificacion a la vista, %d equipos x %d lineas, %d guardados: "
                    "mediana %.1f ms, peor %.1f ms, mejor %.1f ms; filas en la ventana: %d\n",
                    teams, lines, saves, ms[ms.size() / 2], ms.back(), ms.front(), screen.clasificacion()->rowCount() - 1);
        dm = nullptr;
    }
    setUserDialogs(nullptr);
    return 0;
}
