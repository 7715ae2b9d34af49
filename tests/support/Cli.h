#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// Runs the real tarsela-cli (its path comes from the build), in workDir when
// given, and keeps what it said.
struct CliRun {
    int code;
    QString out, err;
};

inline CliRun cli(const QStringList& args, const QString& workDir = {})
{
    QProcess p;
    if (!workDir.isEmpty())
        p.setWorkingDirectory(workDir);
    p.start(TARSELA_CLI, args);
    p.waitForFinished(60000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}
