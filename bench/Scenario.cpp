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

void benchScenario(const QString& path, int teams, int linesPerTeam)
{
    schema::createDatabase(path);
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    auto exec = [&](const QString& sql) {
        char* err = nullptr;
        if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &err) != SQLITE_OK) {
            std::fprintf(stderr, "%s\n", err ? err : "?");
            std::exit(1);
        }
    };
    exec("BEGIN");
    exec("INSERT INTO COMPETIC (Codigo, Titulo, Tipo, \"Peso maximo\", \"Peso minimo\", \"Peso penalizable\", "
         "\"Puntos pieza\", \"Puntos gramo\", \"Penalizacion gramo\", \"Puntos Cupo\", EjemplaresCupo, \"Puntos Especie\") "
         "VALUES ('BENCH', 'Banco', 'E', 5000, 300, 200, 100, 1, 50, 300, 5, 200)");
    exec("INSERT INTO JORNADAS (\"Cod comp\", Numero, Fecha) VALUES ('BENCH', 1, '2026-06-01')");
    for (int s = 1; s <= 20; ++s) {
        exec(QString("INSERT INTO ESPECIES (Codigo, Nombre) VALUES (%1, 'Especie %1')").arg(s));
        if (s % 4 == 0)
            exec(QString("INSERT INTO ESPECIAL (\"Cod comp\", \"Cod pez\", Puntua, \"Peso minimo\", \"Puntos pieza\", "
                         "\"Puntos gramo\", \"Peso penalizable\", \"Penalizacion gramo\", BonificaEspecie) VALUES "
                         "('BENCH', %1, %2, 400, 150, 2, 100, 30, %3)")
                     .arg(s).arg(s % 8 == 0 ? 0 : 1).arg(s % 3 == 0 ? 0 : 1));
        if (s % 5 == 0)
            exec(QString("INSERT INTO CUPOS (Cod_comp, Cod_Especie, EjemplaresCupo, Puntos) VALUES ('BENCH', %1, 3, 800)").arg(s));
    }
    std::mt19937 rng(7);
    for (int eq = 1; eq <= teams; ++eq) {
        for (int k = 0; k < 2; ++k)
            exec(QString("INSERT INTO PARTICIP (\"Cod comp\", Equipo, DNI, Nombre, Club) VALUES ('BENCH', %1, '%1-%2', "
                         "'Pescador %1 %2', 'Club')").arg(eq).arg(k));
        exec(QString("INSERT INTO CLASIFIC (Competicion, Jornada, Equipo, Puntos) VALUES ('BENCH', 1, %1, 0)").arg(eq));
        for (int n = 1; n <= linesPerTeam; ++n) {
            const int piezas = 1 + int(rng() % 4);
            const int peso = 100 + int(rng() % 4000);
            exec(QString("INSERT INTO PESCADA (\"Cod comp\", Jornada, Equipo, \"Pesada num\", \"Numero piezas\", "
                         "\"Cod pez\", Peso, \"Peso valido\") VALUES ('BENCH', 1, %1, %2, %3, %4, %5, %6)")
                     .arg(eq).arg(n).arg(piezas).arg(1 + int(rng() % 20)).arg(peso)
                     .arg(piezas == 1 ? std::min(peso, 5000) : peso));
        }
    }
    exec("COMMIT");
    sqlite3_close(db);
}


void onBenchDay(const QString& folder, const std::function<void(Pesaje&, const SilentDialogs&)>& work)
{
    SilentDialogs dialogs;
    setUserDialogs(&dialogs);
    {
        Tdm d(folder);
        dm = &d;
        elegirCompeticion(d, "BENCH", 1);
        Pesaje p(d);
        p.equipoActual = equipoInicial;
        work(p, dialogs);
        dm = nullptr;
    }
    setUserDialogs(nullptr);
}
