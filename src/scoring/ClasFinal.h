#pragma once

// The final ranking of a competition over all its days: one entry per team
// with a classification record, best total first (equal totals: the lower
// team number first), and the grid the final ranking window shows, cell by
// cell. Widget-free; the window, its web page and the command line read it.

#include <QString>
#include <QStringList>

#include <vector>

class Tdm;

struct TEquipoClasFinal {
    int equipo = 0;
    qint64 total = 0;     // TotalPuntos summed over every day (empty counts 0)
    qint64 puntos1 = 0;   // TotalPuntos of day 1, 0 without a record
    qint64 puntos2 = 0;   // TotalPuntos of day 2, 0 without a record
    QStringList nombres;  // the members' names in key order
};

struct TClasFinal {
    int dias = 0;  // days of the competition
    std::vector<TEquipoClasFinal> equipos;

    // 6 columns with two or more days, 4 otherwise.
    int columnas() const { return dias > 1 ? 6 : 4; }
    // "Pos", "Eq.", "Pescador(es)", then "Puntos 1", "Puntos 2" with two or
    // more days, and "Total Puntos".
    QStringList cabeceras() const;
    // The texts of an entry's own row: "kº", the team, its first member
    // (empty without members), the day columns and the total ("###,##0").
    QStringList celdasEquipo(int k) const;
    // Every row of the grid, the heading row first: each entry's row, one row
    // per further member, an empty row after a team with members, and empty
    // rows up to 5 rows in all. Every row has columnas() cells.
    std::vector<QStringList> filas() const;
};

// Reads the final ranking of competition `codigo` (one query over its
// classification records, one over its participants).
TClasFinal clasificacionFinal(Tdm& dm, const QString& codigo);
