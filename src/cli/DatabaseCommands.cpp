// crear-base and demo: making database files.
#include "cli/Command.h"

#include "data/Demo.h"
#include "data/Schema.h"

namespace cli {

namespace {

int crearBase(const Args& a)
{
    schema::createDatabase(a[0]);
    return 0;
}

int demo(const Args& a)
{
    createDemo(a[0]);
    return 0;
}

}  // namespace

QList<Command> databaseCommands()
{
    return {
        {"crear-base", "FICHERO", 1, 1, crearBase},
        {"demo", "FICHERO", 1, 1, demo},
    };
}

}  // namespace cli
