// The whole command "tarsela-cli recalcular FICHERO BENCH 1" on the benchmark
// scenario (300 teams of 2, 2 days, 30 lines a team and day, 40 species, 20
// species rules, 10 quotas), process spawn to exit, against its limit: the
// stock sqlite3 tool, on a copy of the file, rewriting the day's
// classification records with one aggregate INSERT … SELECT … GROUP BY over
// the day's lines (points by the species rule or the competition's, pieces
// presented and valid, the biggest piece, species and quota bonuses, the
// stored penalty) in one transaction, and printing the day's ranking as
// recalcular does. Runs alternate between the two; one unmeasured run of
// each first.
#include "BenchUtil.h"
#include "LimitSql.h"
#include "Scenario.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <vector>

namespace {

// Durable like the program's writes; the ranking printed as recalcular prints it.
QString limitSql()
{
    return "PRAGMA synchronous = FULL;\nBEGIN IMMEDIATE;" + bench::clasificacionSql(1) +
           "COMMIT;\nSELECT Equipo, Puntos, Bonifica, Penaliza, TotalPuntos FROM CLASIFIC\n"
           "WHERE Competicion = 'BENCH' AND Jornada = 1 ORDER BY TotalPuntos DESC, Equipo;\n";
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? QString(argv[1]).toInt() : 10;
    QTemporaryDir dir;
    const QString path = dir.path() + "/marfondo.abs";
    const QString copia = dir.path() + "/copia.abs";
    benchScenario(path);
    if (!bench::copyFile(path, copia))
        return 1;
    const QString sqlite = bench::onPath("sqlite3");

    const QStringList cliArgs{"recalcular", path, "BENCH", "1"};
    const QStringList sqlArgs{copia, limitSql()};
    std::vector<double> cli, lim;
    for (int i = -1; i < runs; ++i) {
        const bench::Run a = bench::runCommand(TARSELA_CLI, cliArgs, dir.path());
        if (a.exitCode != 0) {
            bench::printLine("recalcular: falla: " + a.stdErr);
            return 1;
        }
        if (i >= 0)
            cli.push_back(a.ms);
        if (sqlite.isEmpty())
            continue;
        const bench::Run b = bench::runCommand(sqlite, sqlArgs, dir.path());
        if (b.exitCode != 0 || !b.stdErr.isEmpty()) {
            bench::printLine("recalcular: el límite (sqlite3) falla: " + b.stdErr);
            return 1;
        }
        if (i >= 0)
            lim.push_back(b.ms);
    }
    const bench::Figures f = bench::figuresOf(cli);
    QString line = QString::fromUtf8("recalcular de la jornada 1, orden completa: %1").arg(bench::describe(f));
    if (sqlite.isEmpty()) {
        line += QString::fromUtf8("; límite: sin la herramienta sqlite3");
    } else {
        const bench::Figures g = bench::figuresOf(lim);
        line += QString::fromUtf8("; límite (sqlite3, un INSERT … SELECT … GROUP BY): %1; %2")
                    .arg(bench::describe(g), bench::ratioText(f.median / g.median, 2.0));
    }
    bench::printLine(line);
    return 0;
}
