// Times the whole-day recomputation (mejores) on a day of 300 teams with 30
// catch lines each, and the save of one line on that day.
#include "engine/Format.h"
#include "scoring/Pesaje.h"

#include "Scenario.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLocale>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    engine::setProgramLocale(QLocale(QLocale::Spanish, QLocale::Spain));
    const int teams = 300, lines = 30, runs = 5;
    QTemporaryDir dir;
    const QString path = dir.path() + "/marfondo.abs";
    benchScenario(path, teams, lines);

    onBenchDay(dir.path(), [&](Pesaje& p, const SilentDialogs& dialogs) {
        std::vector<double> ms;
        for (int i = 0; i < runs; ++i) {
            QElapsedTimer t;
            t.start();
            p.mejores();
            ms.push_back(double(t.nsecsElapsed()) / 1e6);
        }
        std::sort(ms.begin(), ms.end());
        QElapsedTimer t;
        t.start();
        const int saves = 20;
        for (int i = 0; i < saves; ++i)
            p.guardarLinea(1 + i * 7, 1, 3, 1200);
        const double saveMs = double(t.nsecsElapsed()) / 1e6 / saves;
        std::printf("mejores, %d equipos x %d lineas: mejor %.1f ms, mediana %.1f ms, peor %.1f ms (%d pasadas)\n", teams,
                    lines, ms.front(), ms[ms.size() / 2], ms.back(), runs);
        std::printf("guardar una linea (sumapuntos + dos escrituras): %.2f ms de media\n", saveMs);
        std::printf("mejor puntuacion: %s; avisos mostrados: %d\n", p.lempuntos().toUtf8().constData(), dialogs.shown);
    });
    return 0;
}
