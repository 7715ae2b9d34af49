#include "data/Demo.h"
#include "data/Helpers.h"
#include "engine/Database.h"
#include "engine/Query.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct QueryCase {
    const char* what;
    QStringList lines;
    QStringList columns;  // the columns the callers read
    bool rows;            // the demo has rows for it
};

// Every query text the program sends, with the demo's codes in place.
std::vector<QueryCase> cases()
{
    const QString c = quotedCode("CAE26");
    return {
        {"competition list",
         {"Select DISTINCT codigo, titulo from competic", "left join jornadas on (competic.codigo = jornadas.[cod comp])",
          "order by jornadas.fecha desc"},
         {"codigo", "titulo"}, true},
        {"quotas of the workbook",
         {" Select c.*, nombre", " from cupos c join especies e on(c.cod_especie=e.codigo)", "Where cod_comp = " + c,
          " order by nombre"},
         {"Cod_comp", "Cod_Especie", "EjemplaresCupo", "Puntos", "nombre"}, true},
        {"species rules of the workbook",
         {" Select e.*, nombre", " from especial e join especies esp on(e.[cod pez]=esp.codigo)",
          "Where [cod comp] = " + c, " order by nombre"},
         {"Cod comp", "Cod pez", "Puntua", "Peso minimo", "Puntos pieza", "Puntos gramo", "Peso penalizable",
          "Penalizacion gramo", "BonificaEspecie", "nombre"}, true},
        {"members of a team", {"Select dni from particip p", " where p.[cod comp] = " + c, " and p.equipo = 1"},
         {"dni"}, true},
        {"quotas to copy", {"Select * from Cupos", "Where cod_comp = " + c}, {"Cod_Especie", "EjemplaresCupo", "Puntos"}, true},
        {"bonus lines",
         {"Select [cod pez] as cp, [Numero piezas] as np, peso from pescada as p", " where p.[cod comp] = " + c,
          " and jornada = 1", " and equipo = 1", " order by cp"},
         {"cp", "np", "peso"}, true},
        {"tally lines",
         {"Select [cod pez] as cp, [Numero piezas] as np, peso, [Peso valido] as pv", "From pescada as p",
          "Where p.[cod comp] = " + c + " and p.jornada = 1 and p.equipo = 1"},
         {"cp", "np", "peso", "pv"}, true},
        {"participants of a team for the sheet", {"Select * from particip", "Where [cod Comp]=" + c + " and equipo=1"},
         {"nombre", "licencia", "club"}, true},
        {"totals over the days",
         {"Select equipo, sum(totalpuntos) total", "from clasific", "where competicion = " + c, "group by equipo",
          "order by total desc"},
         {"equipo", "total"}, true},
        {"members for the final ranking", {"select * from particip", "Where [cod comp]=" + c + " and equipo = 1"},
         {"Nombre"}, true},
        {"species totals of the day",
         {"Select sp.nombre, sum(p.peso) tpeso, sum([numero piezas]) piezas",
          "From pescada p join especies sp on ([cod pez] = sp.codigo)", "Where [cod comp] = " + c + " and jornada = 1",
          "group by sp.nombre", "order by tpeso desc"},
         {"nombre", "tpeso", "piezas"}, true},
        {"number of teams", {"Select distinct equipo from particip", "where [cod comp] = " + c}, {"equipo"}, true},
        {"participant list", {"Select * from particip", "where [cod comp] = " + c, "Order by Equipo"},
         {"Equipo", "Licencia", "Nombre", "club"}, true},
        {"day ranking rows", {"Select * from clasific ", "where competicion = " + c + " and jornada = 1", "order by TotalPuntos desc"},
         {"equipo", "Presentadas", "Validas", "Bonifica"}, true},
        {"catch lines of a team for the page",
         {"Select [Cod pez] pez, [Numero piezas] np, Peso, [Peso valido] pv, nombre",
          "from Pescada inner join especies on pescada.[cod pez]=especies.codigo",
          "where Pescada.[cod comp] = " + c + " and Pescada.Jornada = 1 and Pescada.Equipo = 1", "order by pez, pv DESC"},
         {"pez", "np", "peso", "pv", "nombre"}, true},
        {"catch lines of the day for the export",
         {"Select equipo, especies.nombre as pez, [numero piezas] as piezas, Peso",
          " from Pescada inner join especies on (pescada.[cod pez]=especies.codigo)",
          " where Pescada.[cod comp] = \"CAE26\" and Pescada.Jornada = 1", "order by equipo, pez"},
         {"equipo", "pez", "piezas", "peso"}, true},
    };
}

TEST(QueriesTest, EveryQueryTextRunsOnTheDemo)
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/marfondo.abs";
    createDemo(path);
    engine::Database db;
    db.open(path);
    for (const QueryCase& qc : cases()) {
        engine::Query q(db);
        q.setSql(qc.lines);
        ASSERT_NO_THROW(q.open()) << qc.what;
        EXPECT_EQ(q.recordCount() > 0, qc.rows) << qc.what;
        for (const QString& col : qc.columns)
            EXPECT_NE(q.findField(col), nullptr) << qc.what << ": " << col.toStdString();
        // Re-runnable.
        const int n = q.recordCount();
        q.refresh();
        EXPECT_EQ(q.recordCount(), n) << qc.what;
    }
}

TEST(QueriesTest, QueryResultsAreTheExpectedOnes)
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/marfondo.abs";
    createDemo(path);
    engine::Database db;
    db.open(path);
    engine::Query q(db);
    // The competition list: one row per competition, the most recent days first.
    q.setSql(cases()[0].lines);
    q.open();
    ASSERT_EQ(q.recordCount(), 2);
    EXPECT_EQ(q.fieldByName("codigo").asString(), QString("OPEN26"));
    q.close();
    // Bonus lines come ordered by species code.
    q.setSql(cases()[5].lines);
    q.open();
    qint64 last = -1;
    for (q.first(); !q.eof(); q.next()) {
        EXPECT_GE(q.fieldByName("cp").asLargeInt(), last);
        last = q.fieldByName("cp").asLargeInt();
    }
    q.close();
    // Number of teams counts distinct teams.
    q.setSql(cases()[11].lines);
    q.open();
    EXPECT_EQ(q.recordCount(), 8);
}

}  // namespace
