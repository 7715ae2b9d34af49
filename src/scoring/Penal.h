#pragma once

// Penalties: the PENAL row of a team on a day and what it does to that
// team's classification record. Widget-free; the penalties dialog and the
// command line both save through guardarPenalizacion.
//
// The rule every classification write follows: Penaliza is the team's stored
// PENAL points of that day rounded to the nearest whole number, halves to
// even (0 without a row), and TotalPuntos = Puntos + Bonifica - Penaliza.

#include <QHash>
#include <QString>

#include <optional>

class Tdm;

namespace engine {
class Database;
}

// What a penalty may hold: whole points from 0 up to the 32-bit column that
// receives them, and a percentage from 0 to 100.
constexpr qint64 kPenalPuntosMax = 2147483647;
constexpr int kPenalPorcentajeMax = 100;
constexpr int kMotivoMax = 256;  // PENAL.Motivo

// A stored penalty (PENAL.Puntos) as the whole points the classification
// applies: halves to even, clamped to the 32-bit range, NaN as 0.
int penalizaDe(double puntos);

// The ranking value of a classification record, in 64 bits.
inline qint64 totalPenalizado(qint64 puntos, qint64 bonifica, qint64 penaliza) { return puntos + bonifica - penaliza; }

// The applied penalty of every team of a day that has a PENAL row, read with
// one query (a team listed twice: its first row, the one the dialog edits).
QHash<int, int> penalizacionesDia(engine::Database& db, const QString& codigo, int jornada);
// The applied penalty of one team of a day (0 without a row).
int penalizacionEquipo(engine::Database& db, const QString& codigo, int jornada, int equipo);

// What follows works on the current competition and day (the chooser's):
// the data module's TAClasific follows the day.

// The PENAL row of a team, as the dialog shows it when the team is chosen
// (points 0, percentage 0 and an empty motive without a row).
struct TPenalizacion {
    bool existe = false;
    double puntos = 0;
    int porcentaje = 0;
    QString motivo;
};
TPenalizacion leerPenalizacion(Tdm& dm, int equipo);

// The base a percentage is taken from: Puntos + Bonifica of the team's
// classification record (empty counts 0); none without a record.
std::optional<qint64> basePenalizacion(Tdm& dm, int equipo);

// "Calc": the whole part of porcentaje x base / 100, worked out in single
// precision as the dialog's number boxes do (10 % of 12.345 is 1.234),
// within [0, kPenalPuntosMax].
int puntosDePorcentaje(int porcentaje, qint64 base);

// "&Guardar": edits the team's PENAL row of the day or appends it, then sets
// Penaliza and TotalPuntos of its classification record when there is one;
// both in one transaction, so a failure leaves the file as it was (the
// engine's error is thrown). Returns the record's new TotalPuntos, none
// without a record. Uses the data module's TAPenal and TAClasific; TAClasific
// is closed again on every path.
std::optional<qint64> guardarPenalizacion(Tdm& dm, int equipo, qint64 puntos, int porcentaje, const QString& motivo);
