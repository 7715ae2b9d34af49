#pragma once

// The live day ranking as the ranking window and the command line show it:
// one row per classification record of the day, best total first, equal
// totals by the lower team number, with the texts of every cell.

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

class Tdm;

// One classification record of a day, as stored (an empty number reads 0).
struct RegistroClasificacion {
    int equipo = 0;
    qint64 puntos = 0;
    qint64 bonifica = 0;
    qint64 penaliza = 0;
    qint64 totalPuntos = 0;
};

// The records of day `jornada` of competition `codigo` in ranking order:
// highest TotalPuntos first, equal totals by the lower team number.
QList<RegistroClasificacion> registrosClasificacionDia(Tdm& dm, const QString& codigo, int jornada);

struct FilaClasificacion {
    int equipo = 0;
    qint64 totalPuntos = 0;
    QString pos;          // "1º", "2º", ...
    QString eq;           // the team number
    QStringList nombres;  // the team's participants, in key order
    QString puntos;       // "###,##0"
    QString bonifica;     // "###,##0"
    QString total;        // "###,##0"
    QString porcentaje;   // "100,00" for the leader; "##0.00" of total / leader x 100; "" when the leader's total is not above 0

    // The names cell of the window: one blank, the name and CR LF for each member.
    QString celdaNombres() const;
};

// The participants' names of every team of competition `codigo`, each
// team's in the participants' key order.
using MiembrosEquipos = QHash<int, QStringList>;
MiembrosEquipos miembrosEquipos(Tdm& dm, const QString& codigo);

// The rows of day `jornada` of competition `codigo`, read from the file
// (nothing is written); the second form takes the members already read.
QList<FilaClasificacion> filasClasificacionDia(Tdm& dm, const QString& codigo, int jornada);
QList<FilaClasificacion> filasClasificacionDia(Tdm& dm, const QString& codigo, int jornada,
                                               const MiembrosEquipos& miembros);
