// Writes the benchmark scenario into a new file, to look at or to profile:
//   bench_escenario FICHERO [EQUIPOS]
#include "Scenario.h"

#include "engine/DatabaseError.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "Uso: bench_escenario FICHERO [EQUIPOS]\n");
        return 1;
    }
    BenchParams p;
    if (argc > 2)
        p.teams = QString(argv[2]).toInt();
    try {
        benchScenario(QString::fromLocal8Bit(argv[1]), p);
    } catch (const engine::DatabaseError& e) {
        std::fprintf(stderr, "%s\n", e.message().toUtf8().constData());
        return 1;
    }
    return 0;
}
