#pragma once

#include <QString>

// State shared between screens for the whole run.
extern int equipoInicial;          // lowest team of the competition chosen in TSeleccion
extern int equipoFinal;            // highest team of that competition
extern QString competicionElegida; // code on which Tfselcomp's list stood when it closed
extern int modoDefinicion;         // 2 edit, 3 new competition (definition dialog)
extern bool pesajeIniciado;        // the weigh-in screen has run its first activation
