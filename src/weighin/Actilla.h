#pragma once

// The weigh-in sheet of one team ("Actilla de pesaje"): portrait, the team's
// participants, every catch line with its figures, the biggest piece and the
// summary box. Widget-free: the weigh-in screen and the command line both
// print it from the session's tally.

#include "reports/PrintSurface.h"

#include <QList>
#include <QString>

class Tdm;
class Pesaje;

struct LineaActilla {
    int pesada = 0, piezas = 0;
    QString especie;
    int peso = 0, pesoValido = 0, bonifica = 0, penal = 0, puntos = 0;
    bool puntua = true;  // false when the species' own rule says it may not hold the biggest piece
};

struct DatosActilla {
    QString titulo, fecha;
    int equipo = 0;
    struct Miembro {
        QString nombre, licencia, club;
    };
    QList<Miembro> miembros;
    QList<LineaActilla> lineas;
    // The tally, as the weigh-in screen shows it.
    QString especies, puntosEspecies, cupos, puntosCupos, total;
    qint64 bonificacion = 0;  // species + quota bonus points
};

// The sheet of team `equipo` on the current day, with the tally that the
// session `p` holds for it (its label texts and rEquipo).
DatosActilla leerActilla(Tdm& dm, const Pesaje& p, int equipo);
void dibujarActilla(const DatosActilla& d, PrintSurface& s);

// What "Imprimir actilla" does once the print dialog has given a surface:
// the sheet of the session's current team (p.equipoActual), tallied as shown.
void imprimirActilla(Tdm& dm, Pesaje& p, PrintSurface& s);
