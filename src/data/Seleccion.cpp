#include "data/Seleccion.h"

#include "data/Globals.h"
#include "data/Tdm.h"

bool elegirCompeticion(Tdm& dm, const QString& codigo, int jornada, bool* dayFound)
{
    if (dayFound)
        *dayFound = false;
    equipoInicial = 0;
    equipoFinal = 0;
    if (!dm.TAcomp.seek(QVariant(codigo)))
        return false;
    // The participants follow the competition, in key order (team, then DNI).
    if (dm.TAparticipa.active() && !dm.TAparticipa.isEmpty()) {
        dm.TAparticipa.first();
        equipoInicial = dm.TAparticipa.fieldByName("Equipo").asInteger();
        dm.TAparticipa.last();
        equipoFinal = dm.TAparticipa.fieldByName("Equipo").asInteger();
    }
    const bool found = dm.TAjornada.active() && dm.TAjornada.seek(QVariantList{codigo, jornada});
    if (dayFound)
        *dayFound = found;
    return true;
}
