// Cold start to the main window: the real program (a copy of the tarsela
// executable with the benchmark scenario's database beside it, 300 teams of
// 2, 2 days) started under QT_QPA_PLATFORM=offscreen with
// TARSELA_SALIR_AL_MOSTRAR=1, so that it quits right after its main window's
// first paint; the whole process, spawn to exit. Beside it the bare Qt
// program (bench/BareWindow.cpp) that shows a main window with a menu bar
// and quits the same way. Runs alternate; one unmeasured run of each first
// ("cold" is a new process, not an empty disk cache).
#include "BenchUtil.h"
#include "Scenario.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <vector>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? QString(argv[1]).toInt() : 30;
    QTemporaryDir dir;
    benchScenario(dir.path() + "/marfondo.abs");
    const QString exe = dir.path() + "/tarsela";
    if (!bench::copyFile(TARSELA_GUI, exe) ||
        !QFile::setPermissions(exe, QFile::permissions(TARSELA_GUI) | QFile::ExeOwner))
        return 1;
    const QStringList env{"QT_QPA_PLATFORM=offscreen", "TARSELA_SALIR_AL_MOSTRAR=1"};

    std::vector<double> program, bare;
    for (int i = -1; i < runs; ++i) {
        const bench::Run a = bench::runCommand(exe, {}, dir.path(), env);
        if (a.exitCode != 0) {
            bench::printLine(QString::fromUtf8("arranque: el programa falla: ") + a.stdErr);
            return 1;
        }
        const bench::Run b = bench::runCommand(TARSELA_BARE_WINDOW, {}, dir.path(), env);
        if (b.exitCode != 0) {
            bench::printLine(QString::fromUtf8("arranque: la ventana desnuda falla: ") + b.stdErr);
            return 1;
        }
        if (i >= 0) {
            program.push_back(a.ms);
            bare.push_back(b.ms);
        }
    }
    const bench::Figures f = bench::figuresOf(program), g = bench::figuresOf(bare);
    bench::printLine(QString::fromUtf8("arranque en frío hasta la ventana principal pintada (offscreen, con la base "
                                       "del escenario al lado): %1; límite (Qt desnudo, QMainWindow con menú): %2; %3")
                         .arg(bench::describe(f), bench::describe(g), bench::ratioText(f.median / g.median, 1.25)));
    return 0;
}
