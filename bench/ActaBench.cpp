// Times the day minutes of the benchmark day (300 teams of two, 30 catch
// lines each, classification records written) to a PDF: the whole command,
// "tarsela-cli imprimir acta … --pdf", start-up included; median of 5.
#include "engine/Format.h"
#include "scoring/Pesaje.h"

#include "Scenario.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    engine::setProgramLocale(QLocale(QLocale::Spanish, QLocale::Spain));
    const int teams = 300, lines = 30, runs = 5;
    QTemporaryDir dir;
    const QString path = dir.path() + "/marfondo.abs";
    benchScenario(path, teams, lines);

    // The day's classification records, as the weigh-in leaves them.
    onBenchDay(dir.path(), [](Pesaje& p, const SilentDialogs&) { p.mejores(); });

    const QString pdf = dir.path() + "/acta.pdf";
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QProcess cli;
        cli.setWorkingDirectory(dir.path());
        QElapsedTimer t;
        t.start();
        cli.start(TARSELA_CLI, {"imprimir", "acta", path, "BENCH", "1", "--pdf", pdf});
        cli.waitForFinished(300000);
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
        if (cli.exitCode() != 0) {
            std::fprintf(stderr, "%s\n", cli.readAllStandardError().constData());
            return 1;
        }
    }
    std::sort(ms.begin(), ms.end());
    std::printf("acta de la jornada a PDF, %d equipos de 2 (orden completa): mejor %.0f ms, mediana %.0f ms, peor %.0f ms "
                "(%d pasadas), %lld bytes\n",
                teams, ms.front(), ms[ms.size() / 2], ms.back(), runs, qint64(QFileInfo(pdf).size()));
    return 0;
}
