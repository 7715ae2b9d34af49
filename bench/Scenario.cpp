#include "Scenario.h"

#include "data/Globals.h"
#include "data/Schema.h"
#include "data/Seleccion.h"
#include "data/Tdm.h"
#include "scoring/Pesaje.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>

void SilentDialogs::showError(const QString& t) { std::fprintf(stderr, "%s\n", t.toUtf8().constData()); }

namespace {

[[noreturn]] void fail(sqlite3* db)
{
    std::fprintf(stderr, "escenario: %s\n", sqlite3_errmsg(db));
    std::exit(1);
}

// Every `every`-th species carries the mark: `count` species spread evenly
// over the register.
bool marked(int s, int species, int count)
{
    if (count <= 0)
        return false;
    const int every = std::max(1, species / count);
    return s % every == 0 && s / every <= count;
}

}  // namespace

void benchScenario(const QString& path, const BenchParams& p)
{
    schema::createDatabase(path);
    sqlite3* db = nullptr;
    if (sqlite3_open(path.toUtf8().constData(), &db) != SQLITE_OK)
        fail(db);
    auto exec = [&](const QString& sql) {
        if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
            fail(db);
    };
    exec("BEGIN");
    exec("INSERT INTO COMPETIC (Codigo, Titulo, Tipo, \"Peso maximo\", \"Peso minimo\", \"Peso penalizable\", "
         "\"Puntos pieza\", \"Puntos gramo\", \"Penalizacion gramo\", \"Puntos Cupo\", EjemplaresCupo, \"Puntos Especie\") "
         "VALUES ('BENCH', 'Banco', 'E', 5000, 300, 200, 100, 1, 50, 300, 5, 200)");
    for (int d = 1; d <= p.days; ++d)
        exec(QString("INSERT INTO JORNADAS (\"Cod comp\", Numero, Fecha, Lugar) VALUES ('BENCH', %1, '2026-06-%2', "
                     "'Puerto')")
                 .arg(d)
                 .arg(d, 2, 10, QLatin1Char('0')));
    int rules = 0;
    for (int s = 1; s <= p.species; ++s) {
        exec(QString("INSERT INTO ESPECIES (Codigo, Nombre) VALUES (%1, 'Especie %1')").arg(s));
        // Half the rules score the species on their own terms; some score
        // nothing, some give no species bonus.
        if (marked(s, p.species, p.speciesRules)) {
            ++rules;
            exec(QString("INSERT INTO ESPECIAL (\"Cod comp\", \"Cod pez\", Puntua, \"Peso minimo\", \"Puntos pieza\", "
                         "\"Puntos gramo\", \"Peso penalizable\", \"Penalizacion gramo\", BonificaEspecie) VALUES "
                         "('BENCH', %1, %2, %3, 150, 2, 100, 30, %4)")
                     .arg(s)
                     .arg(rules % 4 == 0 ? 0 : 1)
                     .arg(rules % 2 == 0 ? 400 : 600)
                     .arg(rules % 3 == 0 ? 0 : 1));
        }
        if (marked(s, p.species, p.quotas))
            exec(QString("INSERT INTO CUPOS (Cod_comp, Cod_Especie, EjemplaresCupo, Puntos) VALUES ('BENCH', %1, 3, 800)")
                     .arg(s));
    }

    sqlite3_stmt* line = nullptr;
    if (sqlite3_prepare_v2(db,
                           "INSERT INTO PESCADA (\"Cod comp\", Jornada, Equipo, \"Pesada num\", \"Numero piezas\", "
                           "\"Cod pez\", Peso, \"Peso valido\") VALUES ('BENCH', ?, ?, ?, ?, ?, ?, ?)",
                           -1, &line, nullptr) != SQLITE_OK)
        fail(db);
    std::mt19937 rng(p.seed);
    for (int eq = 1; eq <= p.teams; ++eq) {
        for (int k = 0; k < 2; ++k)
            exec(QString("INSERT INTO PARTICIP (\"Cod comp\", Equipo, DNI, Nombre, Club) VALUES ('BENCH', %1, '%1-%2', "
                         "'Pescador %1 %2', 'Club %3')")
                     .arg(eq)
                     .arg(k)
                     .arg(1 + eq % 12));
        for (int d = 1; d <= p.days; ++d) {
            exec(QString("INSERT INTO CLASIFIC (Competicion, Jornada, Equipo, Puntos) VALUES ('BENCH', %1, %2, 0)")
                     .arg(d)
                     .arg(eq));
            for (int n = 1; n <= p.linesPerTeam; ++n) {
                const int piezas = 1 + int(rng() % 4);
                const int peso = 100 + int(rng() % 4000);
                const int pez = 1 + int(rng() % unsigned(p.species));
                const int valido = piezas == 1 ? std::min(peso, 5000) : peso;
                int i = 0;
                for (int v : {d, eq, n, piezas, pez, peso, valido})
                    sqlite3_bind_int(line, ++i, v);
                if (sqlite3_step(line) != SQLITE_DONE)
                    fail(db);
                sqlite3_reset(line);
            }
        }
    }
    sqlite3_finalize(line);
    exec("COMMIT");
    sqlite3_close(db);
}

void onBenchDay(const QString& folder, const std::function<void(Pesaje&, const SilentDialogs&)>& work, int jornada)
{
    SilentDialogs dialogs;
    setUserDialogs(&dialogs);
    {
        Tdm d(folder);
        dm = &d;
        elegirCompeticion(d, "BENCH", jornada);
        Pesaje p(d);
        p.equipoActual = equipoInicial;
        work(p, dialogs);
        dm = nullptr;
    }
    setUserDialogs(nullptr);
}
