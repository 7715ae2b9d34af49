#pragma once

// The day minutes and the final (two-day) minutes: landscape classification
// sheets with the minutes' header. Read from the data module first, then
// drawn on a surface.

#include "reports/Pagina.h"

#include <QHash>
#include <QList>
#include <QString>

class Tdm;

struct MiembroActa {
    QString nombre, licencia, club;
};

// One team's block.
struct FilaActa {
    int equipo = 0;
    int presentadas = 0, validas = 0, pesoValidas = 0;
    QString clase;  // species of the biggest piece
    int pesoClase = 0;
    qint64 puntos1 = 0;  // day: Puntos; final: day 1's total before its penalty
    qint64 puntos2 = 0;  // day: Bonifica; final: day 2's total before its penalty
    qint64 penal = 0;    // day: Penaliza; final: the penalties of every day
    qint64 total = 0;    // the ranking's: TotalPuntos (final: of every day)
    QList<MiembroActa> miembros;
};

struct DatosActa {
    bool final = false;
    QString titulo;
    QString fecha, lugar;  // day minutes
    QString fechas;        // final minutes: "1. dd/MM/yyyy - 2. …"
    Cabecera cabecera;
    QList<FilaActa> filas;  // in classification order
    // The closing statements: team 0 when no team qualifies.
    int equipoPieza = 0, pesoPieza = 0;
    QString especiePieza;
    int equipoPiezas = 0, numPiezas = 0;
    QList<MiembroActa> miembrosPieza, miembrosPiezas;
};

// The day minutes of the current day of the current competition.
DatosActa leerActaJornada(Tdm& dm);
// The final minutes of the current competition (days 1 and 2). Leaves the
// days table on the last day it located.
DatosActa leerActaFinal(Tdm& dm);
// Draws either on the surface as one print job.
void dibujarActa(const DatosActa& d, PrintSurface& s);

void imprimirActaJornada(Tdm& dm, PrintSurface& s);
void imprimirActaFinal(Tdm& dm, PrintSurface& s);

// Participants of a competition by team, in key order (team, DNI).
QHash<int, QList<MiembroActa>> miembrosPorEquipo(Tdm& dm, const QString& codigo);
