#include "LimitSql.h"

namespace bench {

QString clasificacionSql(int jornada, int equipo)
{
    const QString team = equipo ? QStringLiteral(" AND p.Equipo = %1").arg(equipo) : QString();
    return QStringLiteral(R"SQL(
WITH l AS (
  SELECT p.Equipo AS eq, p."Cod pez" AS cp, p."Numero piezas" AS np, p.Peso AS peso, p."Peso valido" AS pv,
         COALESCE(e."Peso minimo", c."Peso minimo") AS pmin,
         COALESCE(e."Puntos pieza", c."Puntos pieza") AS ppieza,
         COALESCE(e."Puntos gramo", c."Puntos gramo") AS pgramo,
         COALESCE(e."Peso penalizable", c."Peso penalizable") AS ppen,
         COALESCE(e."Penalizacion gramo", c."Penalizacion gramo") AS pen,
         COALESCE(e.Puntua, 1) AS puntua, COALESCE(e.BonificaEspecie, 1) AS bonifica
  FROM PESCADA p JOIN COMPETIC c ON c.Codigo = p."Cod comp"
  LEFT JOIN ESPECIAL e ON e."Cod comp" = p."Cod comp" AND e."Cod pez" = p."Cod pez"
  WHERE p."Cod comp" = 'BENCH' AND p.Jornada = %1%2),
s AS (
  SELECT eq, cp, MAX(bonifica) AS bonifica, SUM(CASE WHEN peso >= np * pmin THEN np ELSE 0 END) AS validas
  FROM l GROUP BY eq, cp),
b AS (
  SELECT s.eq,
         SUM(CASE WHEN s.bonifica AND s.validas > 0 THEN c."Puntos Especie" ELSE 0 END)
       + SUM(CASE WHEN q.Puntos IS NOT NULL AND s.validas >= q.EjemplaresCupo THEN q.Puntos ELSE 0 END) AS bon
  FROM s JOIN COMPETIC c ON c.Codigo = 'BENCH'
  LEFT JOIN CUPOS q ON q.Cod_comp = 'BENCH' AND q.Cod_Especie = s.cp
  GROUP BY s.eq),
t AS (
  SELECT eq,
         SUM(CASE WHEN pv >= pmin OR peso >= pmin THEN pv * pgramo + np * ppieza
                  WHEN pv >= ppen OR peso >= ppen THEN 0 ELSE -pen END) AS puntos,
         SUM(np) AS presentadas, SUM(CASE WHEN peso >= np * pmin THEN np ELSE 0 END) AS validas,
         MAX(CASE WHEN puntua AND np = 1 AND peso >= pmin THEN peso ELSE 0 END) AS mayor, cp AS cpmayor
  FROM l GROUP BY eq)
INSERT OR REPLACE INTO CLASIFIC (Competicion, Jornada, Equipo, Puntos, Bonifica, Penaliza, TotalPuntos, Presentadas,
                                 Validas, codPiezaMayor, PesoPiezaMayor)
SELECT 'BENCH', %1, t.eq, t.puntos, b.bon, COALESCE(pe.pen, 0), t.puntos + b.bon - COALESCE(pe.pen, 0),
       t.presentadas, t.validas, CASE WHEN t.mayor > 0 THEN t.cpmayor ELSE 0 END, t.mayor
FROM t JOIN b ON b.eq = t.eq
LEFT JOIN (SELECT Equipo, CAST(ROUND(SUM(Puntos)) AS INTEGER) AS pen FROM PENAL
           WHERE Cod_comp = 'BENCH' AND Jornada = %1 GROUP BY Equipo) pe ON pe.Equipo = t.eq
GROUP BY t.eq;
)SQL")
        .arg(jornada)
        .arg(team);
}

}  // namespace bench
