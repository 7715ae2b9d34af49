#pragma once

// What the benchmark programs share: timing a whole command (process spawn
// to exit), the figures of a series of runs, and the one line each program
// prints.

#include <QString>
#include <QStringList>

#include <vector>

namespace bench {

// Best, median and worst of a series of runs, in milliseconds.
struct Figures {
    double best = 0, median = 0, worst = 0;
    int runs = 0;
};
Figures figuresOf(std::vector<double> ms);

// "mediana 12.3 ms, peor 14.0 ms, mejor 11.8 ms (10 pasadas)"
QString describe(const Figures& f, int decimals = 1);

// "razón 1.83× (objetivo ≤ 2.0×: cumple)"
QString ratioText(double ratio, double target);
// "objetivo ≤ 5 ms: cumple"
QString targetText(double value, double target, const QString& unit);

struct Run {
    double ms = 0;
    int exitCode = -1;  // -1: did not start or was killed
    QString stdErr;
};
// Runs `program` with `args` (posix_spawn, then waitpid) from `workDir`,
// with the environment of this process plus `extraEnv` ("NAME=value");
// stdout goes to /dev/null, stderr is kept. The time is from just before the
// spawn to the child's exit.
Run runCommand(const QString& program, const QStringList& args, const QString& workDir = {},
               const QStringList& extraEnv = {});

// The full name of a program on the PATH, or empty.
QString onPath(const QString& name);

// Prints the line and flushes.
void printLine(const QString& line);

// Copies a file (outside any timing); false on failure.
bool copyFile(const QString& from, const QString& to);

}  // namespace bench
