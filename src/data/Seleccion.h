#pragma once

#include <QString>

class Tdm;

// What OK of the competition and day chooser does: makes the competition
// with that code current (seek by primary key), records the lowest and
// highest team numbers of its participants in equipoInicial / equipoFinal
// (0 when it has none), and makes that day current. Returns false when no
// competition has the code (nothing is moved then, but the team range is
// reset to 0), and sets dayFound to whether the day exists.
bool elegirCompeticion(Tdm& dm, const QString& codigo, int jornada, bool* dayFound = nullptr);
