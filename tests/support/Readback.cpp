#include "support/Readback.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

namespace readback {

namespace {

QJsonObject run(const char* kind, const QString& file)
{
    QProcess p;
    p.start("python3", {TARSELA_READBACK, kind, file});
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        ADD_FAILURE() << "readback.py " << kind << " failed: " << p.readAllStandardError().toStdString();
        return {};
    }
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

QStringList strings(const QJsonArray& a)
{
    QStringList l;
    for (const QJsonValue& v : a) l << v.toString();
    return l;
}

}  // namespace

Html readHtml(const QString& file)
{
    const QJsonObject o = run("html", file);
    Html h;
    h.encoding = o["encoding"].toString();
    h.tags = strings(o["tags"].toArray());
    for (const QJsonValue& v : o["cells"].toArray()) {
        const QStringList c = strings(v.toArray());
        if (c.size() == 4) h.cells.append({c[0], c[1], c[2], c[3]});
    }
    return h;
}

Csv readCsv(const QString& file)
{
    const QJsonObject o = run("csv", file);
    Csv c;
    c.encoding = o["encoding"].toString();
    for (const QJsonValue& v : o["rows"].toArray()) c.rows.append(strings(v.toArray()));
    return c;
}

}  // namespace readback
