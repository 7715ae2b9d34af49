// tarsela-cli: the command-line front of the program.
#include "data/Demo.h"
#include "data/Schema.h"
#include "engine/DatabaseError.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

void err(const QString& s) { std::fprintf(stderr, "%s\n", s.toUtf8().constData()); }

int usage()
{
    err(QString::fromUtf8("Uso:\n"
                          "  tarsela-cli crear-base FICHERO\n"
                          "  tarsela-cli demo FICHERO"));
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return usage();
    const QString cmd = args[0];
    try {
        if (cmd == "crear-base") {
            if (args.size() != 2) return usage();
            schema::createDatabase(args[1]);
            return 0;
        }
        if (cmd == "demo") {
            if (args.size() != 2) return usage();
            createDemo(args[1]);
            return 0;
        }
    } catch (const engine::DatabaseError& e) {
        err(e.message());
        return 1;
    }
    err(QString::fromUtf8("Orden desconocida: «%1»").arg(cmd));
    return usage();
}
