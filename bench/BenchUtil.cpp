#include "BenchUtil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace bench {

Figures figuresOf(std::vector<double> ms)
{
    Figures f;
    if (ms.empty())
        return f;
    std::sort(ms.begin(), ms.end());
    f.runs = int(ms.size());
    f.best = ms.front();
    f.worst = ms.back();
    const size_t n = ms.size();
    f.median = n % 2 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2;
    return f;
}

QString describe(const Figures& f, int decimals)
{
    return QString::fromUtf8("mediana %1 ms, peor %2 ms, mejor %3 ms (%4 pasadas)")
        .arg(f.median, 0, 'f', decimals)
        .arg(f.worst, 0, 'f', decimals)
        .arg(f.best, 0, 'f', decimals)
        .arg(f.runs);
}

QString ratioText(double ratio, double target)
{
    return QString::fromUtf8("razón %1× (objetivo ≤ %2×: %3)")
        .arg(ratio, 0, 'f', 2)
        .arg(target, 0, 'f', 2)
        .arg(ratio <= target ? QString::fromUtf8("cumple") : QString::fromUtf8("NO cumple"));
}

QString targetText(double value, double target, const QString& unit)
{
    return QString::fromUtf8("objetivo ≤ %1 %2: %3")
        .arg(target)
        .arg(unit)
        .arg(value <= target ? QString::fromUtf8("cumple") : QString::fromUtf8("NO cumple"));
}

namespace {
double nowMs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}
}  // namespace

Run runCommand(const QString& program, const QStringList& args, const QString& workDir, const QStringList& extraEnv)
{
    Run r;
    // Everything the child needs is made before the clock starts.
    std::vector<QByteArray> argStore{QFile::encodeName(program)};
    for (const QString& a : args)
        argStore.push_back(QFile::encodeName(a));
    std::vector<char*> argv;
    for (QByteArray& a : argStore)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    std::vector<QByteArray> envStore;
    for (char** e = environ; *e; ++e) {
        const QByteArray kv(*e);
        const QByteArray name = kv.left(kv.indexOf('=') + 1);
        bool replaced = false;
        for (const QString& x : extraEnv)
            replaced = replaced || x.toLocal8Bit().startsWith(name);
        if (!replaced)
            envStore.push_back(kv);
    }
    for (const QString& x : extraEnv)
        envStore.push_back(x.toLocal8Bit());
    std::vector<char*> envp;
    for (QByteArray& e : envStore)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    QTemporaryFile errFile;
    if (!errFile.open())
        return r;
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&fa, errFile.handle(), 2);
    const QByteArray cwd = QFile::encodeName(workDir);
    if (!workDir.isEmpty())
        posix_spawn_file_actions_addchdir_np(&fa, cwd.constData());
    pid_t pid = 0;
    const double start = nowMs();
    const int rc = posix_spawn(&pid, argv[0], &fa, nullptr, argv.data(), envp.data());
    int status = 0;
    if (rc == 0)
        waitpid(pid, &status, 0);
    r.ms = nowMs() - start;
    posix_spawn_file_actions_destroy(&fa);
    if (rc != 0) {
        r.stdErr = QString::fromUtf8("no se pudo lanzar %1").arg(program);
        return r;
    }
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    errFile.seek(0);
    r.stdErr = QString::fromLocal8Bit(errFile.readAll());
    return r;
}

QString onPath(const QString& name) { return QStandardPaths::findExecutable(name); }

void printLine(const QString& line)
{
    std::fprintf(stdout, "%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

bool copyFile(const QString& from, const QString& to)
{
    QFile::remove(to);
    return QFile::copy(from, to);
}

}  // namespace bench
