// The day minutes of day 1 of the benchmark scenario (300 teams of two, 2
// days, 30 lines a team and day; classification records written as the
// weigh-in leaves them) to a PDF: the whole command "tarsela-cli imprimir
// acta FICHERO BENCH 1 --pdf SALIDA.pdf", process spawn to exit; one
// unmeasured run first, then the median of 5.
#include "engine/Format.h"
#include "scoring/Pesaje.h"

#include "BenchUtil.h"
#include "Scenario.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>

#include <vector>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    engine::setProgramLocale(QLocale(QLocale::Spanish, QLocale::Spain));
    const int runs = argc > 1 ? QString(argv[1]).toInt() : 5;
    const BenchParams scenario;
    QTemporaryDir dir;
    const QString path = dir.path() + "/marfondo.abs";
    benchScenario(path, scenario);

    // The day's classification records, as the weigh-in leaves them.
    onBenchDay(dir.path(), [](Pesaje& p, const SilentDialogs&) { p.mejores(); });

    const QString pdf = dir.path() + "/acta.pdf";
    std::vector<double> ms;
    for (int i = -1; i < runs; ++i) {
        const bench::Run r =
            bench::runCommand(TARSELA_CLI, {"imprimir", "acta", path, "BENCH", "1", "--pdf", pdf}, dir.path());
        if (r.exitCode != 0) {
            bench::printLine("acta: falla: " + r.stdErr);
            return 1;
        }
        if (i >= 0)
            ms.push_back(r.ms);
    }
    const bench::Figures f = bench::figuresOf(ms);
    bench::printLine(QString::fromUtf8("acta de la jornada 1 a PDF, %1 equipos de 2, orden completa: %2; %3; %4 bytes")
                         .arg(scenario.teams)
                         .arg(bench::describe(f, 0), bench::targetText(f.median / 1000, 2, "s"))
                         .arg(qint64(QFileInfo(pdf).size())));
    return 0;
}
