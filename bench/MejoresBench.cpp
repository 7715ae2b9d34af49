// The whole-day recompute in process (Pesaje::mejores: every team of day 1
// tallied and its classification record rewritten in one transaction) on
// the benchmark scenario at 300 teams and at 600 teams (everything else as
// the scenario: 2 days, 30 lines a team and day, 40 species, 20 rules, 10
// quotas): how it grows with the teams. One unmeasured pass first on each.
#include "engine/Format.h"
#include "scoring/Pesaje.h"

#include "BenchUtil.h"
#include "Scenario.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLocale>
#include <QTemporaryDir>

#include <vector>

namespace {

bench::Figures mejoresAt(int teams, int runs, int* warnings)
{
    QTemporaryDir dir;
    BenchParams params;
    params.teams = teams;
    benchScenario(dir.path() + "/marfondo.abs", params);
    std::vector<double> ms;
    onBenchDay(dir.path(), [&](Pesaje& p, const SilentDialogs& dialogs) {
        p.mejores();
        *warnings = dialogs.shown;
        for (int i = 0; i < runs; ++i) {
            QElapsedTimer t;
            t.start();
            p.mejores();
            ms.push_back(double(t.nsecsElapsed()) / 1e6);
        }
    });
    return bench::figuresOf(ms);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    engine::setProgramLocale(QLocale(QLocale::Spanish, QLocale::Spain));
    const int runs = argc > 1 ? QString(argv[1]).toInt() : 7;
    int warnings300 = 0, warnings600 = 0;
    const bench::Figures a = mejoresAt(300, runs, &warnings300);
    const bench::Figures b = mejoresAt(600, runs, &warnings600);
    bench::printLine(QString::fromUtf8("recómputo del día en proceso (Pesaje::mejores), 600 frente a 300 equipos: "
                                       "300: %1; 600: %2; %3; avisos por pasada: %4 y %5")
                         .arg(bench::describe(a), bench::describe(b), bench::ratioText(b.median / a.median, 2.2))
                         .arg(warnings300)
                         .arg(warnings600));
    return 0;
}
