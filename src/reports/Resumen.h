#pragma once

// The printed catch summary of a day (portrait, one page unless its species
// rows need more) and the participant list of a competition.

#include "reports/PrintSurface.h"

#include <QList>
#include <QString>

class Tdm;

struct EspecieResumen {
    QString nombre;
    qint64 piezas = 0;
    qint64 peso = 0;
};

struct DatosResumen {
    QString titulo, lugar, fecha;
    QList<EspecieResumen> especies;  // heaviest first
    int equipos = 0;                 // distinct team numbers among the participants
    qint64 piezas() const;           // totals of the rows
    qint64 peso() const;
};

// The summary of the current day; its species rows are empty when the day
// has no catch line.
DatosResumen leerResumen(Tdm& dm);
void dibujarResumen(const DatosResumen& d, PrintSurface& s);
// Prints the summary of the current day; false (nothing printed) when the
// day has no catch line: the caller says reports::textoSinPesaje().
bool imprimirResumen(Tdm& dm, PrintSurface& s);

struct ParticipanteListado {
    int equipo = 0;
    QString licencia, nombre, club;
};

struct DatosParticipantes {
    QString titulo, lugar, fecha;
    QList<ParticipanteListado> filas;  // by team, then DNI
};

// The participants of the current competition, with the current day's place and date.
DatosParticipantes leerParticipantes(Tdm& dm);
void dibujarParticipantes(const DatosParticipantes& d, PrintSurface& s);
void imprimirParticipantes(Tdm& dm, PrintSurface& s);
