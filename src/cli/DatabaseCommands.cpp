// crear-base and demo: making database files.
#include "cli/Command.h"

#include "data/Demo.h"
#include "data/Globals.h"
#include "data/Schema.h"
#include "data/Tdm.h"
#include "engine/Database.h"
#include "scoring/Pesaje.h"

#include <QFile>

#include <vector>

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
    // The demonstration's records are computed as the weigh-in would compute
    // them, day by day; a demo that cannot be finished is not left behind.
    try {
        std::vector<std::pair<QString, int>> dias;
        {
            OpenFile f = openFile(a[0]);
            engine::CachedStatement st = f->db.prepare("SELECT \"Cod comp\", Numero FROM JORNADAS ORDER BY 1, 2");
            while (st->step())
                dias.emplace_back(st->column(0).toString(), int(st->column(1).toLongLong()));
        }
        for (const auto& [codigo, jornada] : dias) {
            OpenFile f = openDay(a[0], codigo, jornada, true);
            if (f->TAparticipa.isEmpty())
                continue;
            Pesaje p(*f);
            p.equipoActual = equipoInicial;
            p.mejores();
        }
    } catch (...) {
        QFile::remove(engine::databasePath(a[0]));
        throw;
    }
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
