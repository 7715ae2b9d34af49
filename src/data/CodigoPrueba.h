#pragma once

#include <QString>

class Tdm;

// The competition code is in every table that holds a competition's data.
// Changes the code of competition `anterior` to `nuevo` in all of them (its
// own record too), in one transaction: all or nothing. Refuses, with a
// DatabaseError and nothing changed, an empty code or one another
// competition has.
void cambiarCodigoPrueba(Tdm& dm, const QString& anterior, const QString& nuevo);

// The record rule behind it: a competition record being edited whose code
// was changed carries the new code to its data before its post.
void codigoPruebaAntesDeGuardar(Tdm& dm);
