// The whole command "tarsela-cli pesar FICHERO BENCH 1 EQUIPO 1 3 1200" (one
// catch line saved as the weigh-in saves it) on the benchmark scenario,
// process spawn to exit, against its limit: the stock sqlite3 tool, on a copy
// of the file, inserting the line (numbered after the team's last) and
// rewriting that team's classification record from its lines with one
// aggregate statement, in one transaction with the default durable settings
// (rollback journal, PRAGMA synchronous = FULL), then printing the team's
// total. Each run weighs another team; runs alternate between the two; one
// unmeasured run of each first.
#include "BenchUtil.h"
#include "LimitSql.h"
#include "Scenario.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <vector>

namespace {

QString limitSql(int equipo)
{
    return QStringLiteral("PRAGMA synchronous = FULL;\nBEGIN IMMEDIATE;\n"
                          "INSERT INTO PESCADA (\"Cod comp\", Jornada, Equipo, \"Pesada num\", \"Numero piezas\", "
                          "\"Cod pez\", Peso, \"Peso valido\")\n"
                          "SELECT 'BENCH', 1, %1, COALESCE(MAX(\"Pesada num\"), 0) + 1, 1, 3, 1200, 1200 FROM PESCADA "
                          "WHERE \"Cod comp\" = 'BENCH' AND Jornada = 1 AND Equipo = %1;")
               .arg(equipo) +
           bench::clasificacionSql(1, equipo) +
           QStringLiteral("COMMIT;\nSELECT MAX(\"Pesada num\"), (SELECT TotalPuntos FROM CLASIFIC WHERE Competicion = "
                          "'BENCH' AND Jornada = 1 AND Equipo = %1) FROM PESCADA WHERE \"Cod comp\" = 'BENCH' AND "
                          "Jornada = 1 AND Equipo = %1;\n")
               .arg(equipo);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? QString(argv[1]).toInt() : 10;
    const BenchParams scenario;
    QTemporaryDir dir;
    const QString path = dir.path() + "/marfondo.abs";
    const QString copia = dir.path() + "/copia.abs";
    benchScenario(path, scenario);
    if (!bench::copyFile(path, copia))
        return 1;
    const QString sqlite = bench::onPath("sqlite3");

    std::vector<double> cli, lim;
    for (int i = -1; i < runs; ++i) {
        const int equipo = 1 + (i + 1) * 37 % scenario.teams;
        const bench::Run a = bench::runCommand(
            TARSELA_CLI, {"pesar", path, "BENCH", "1", QString::number(equipo), "1", "3", "1200"}, dir.path());
        if (a.exitCode != 0) {
            bench::printLine("pesar: falla: " + a.stdErr);
            return 1;
        }
        if (i >= 0)
            cli.push_back(a.ms);
        if (sqlite.isEmpty())
            continue;
        const bench::Run b = bench::runCommand(sqlite, {copia, limitSql(equipo)}, dir.path());
        if (b.exitCode != 0 || !b.stdErr.isEmpty()) {
            bench::printLine("pesar: el límite (sqlite3) falla: " + b.stdErr);
            return 1;
        }
        if (i >= 0)
            lim.push_back(b.ms);
    }
    const bench::Figures f = bench::figuresOf(cli);
    QString line = QString::fromUtf8("pesar una línea, orden completa: %1").arg(bench::describe(f));
    if (sqlite.isEmpty()) {
        line += QString::fromUtf8("; límite: sin la herramienta sqlite3");
    } else {
        const bench::Figures g = bench::figuresOf(lim);
        line += QString::fromUtf8("; límite (sqlite3, la línea y el registro del equipo en una transacción, "
                                  "synchronous FULL): %1; %2")
                    .arg(bench::describe(g), bench::ratioText(f.median / g.median, 3.0));
    }
    bench::printLine(line);
    return 0;
}
