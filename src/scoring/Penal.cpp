#include "scoring/Penal.h"

#include "data/Tdm.h"
#include "engine/Database.h"
#include "engine/ScopeGuard.h"
#include "scoring/Scoring.h"

#include <cmath>

namespace {

const char* const kClavePenal = "Cod_comp; jornada; equipo";
const char* const kClaveClasific = "competicion;jornada;equipo";

// Leaves a table the penalty opened for one step closed, nothing pending.
void cancelAndClose(engine::Dataset& ds)
{
    ds.cancel();
    ds.close();
}

}  // namespace

int penalizaDe(double puntos)
{
    if (std::isnan(puntos))
        return 0;
    // rint rounds in the current mode, which is to nearest, halves to even.
    const double r = std::rint(puntos);
    if (r >= 2147483647.0) return 2147483647;
    if (r <= -2147483648.0) return -2147483647 - 1;
    return int(r);
}

QHash<int, int> penalizacionesDia(engine::Database& db, const QString& codigo, int jornada)
{
    QHash<int, int> res;
    engine::CachedStatement lease = db.prepare(
        "SELECT Equipo, Puntos FROM PENAL WHERE Cod_comp = ? AND Jornada = ? AND Equipo IS NOT NULL");
    engine::Statement& st = *lease;
    st.bind(1, codigo);
    st.bind(2, jornada);
    while (st.step()) {
        const int eq = int(st.column(0).toLongLong());
        if (!res.contains(eq))
            res.insert(eq, penalizaDe(st.column(1).toDouble()));
    }
    return res;
}

int penalizacionEquipo(engine::Database& db, const QString& codigo, int jornada, int equipo)
{
    engine::CachedStatement lease =
        db.prepare("SELECT Puntos FROM PENAL WHERE Cod_comp = ? AND Jornada = ? AND Equipo = ?");
    engine::Statement& st = *lease;
    st.bind(1, codigo);
    st.bind(2, jornada);
    st.bind(3, equipo);
    return st.step() ? penalizaDe(st.column(0).toDouble()) : 0;
}

TPenalizacion leerPenalizacion(Tdm& dm, int equipo)
{
    TPenalizacion p;
    engine::Table& pen = dm.TAPenal;
    if (!pen.active())
        pen.open();
    if (!pen.locate(kClavePenal, QVariantList{codigoActual(dm), jornadaActual(dm), equipo}))
        return p;
    p.existe = true;
    p.puntos = pen.fieldByName("Puntos").asFloat();
    p.porcentaje = clampInt(pen.fieldByName("Porcentaje").asLargeInt());
    p.motivo = pen.fieldByName("Motivo").asString();
    return p;
}

std::optional<qint64> basePenalizacion(Tdm& dm, int equipo)
{
    engine::Table& cla = dm.TAClasific;
    engine::ScopeGuard closer{[&] { cancelAndClose(cla); }};
    cla.close();
    cla.open();
    if (!cla.locate(kClaveClasific, QVariantList{codigoActual(dm), jornadaActual(dm), equipo}))
        return std::nullopt;
    return cla.fieldByName("Puntos").asLargeInt() + cla.fieldByName("Bonifica").asLargeInt();
}

int puntosDePorcentaje(int porcentaje, qint64 base)
{
    // The number boxes hold single-precision values: the base, and the
    // quotient before its whole part is taken.
    const float b = float(base);
    const float q = float(double(porcentaje) * double(b) / 100.0);
    const double t = std::trunc(double(q));
    if (!(t > 0)) return 0;  // a share of no points, or of a negative day, is no penalty
    if (t >= double(kPenalPuntosMax)) return int(kPenalPuntosMax);
    return int(t);
}

std::optional<qint64> guardarPenalizacion(Tdm& dm, int equipo, qint64 puntos, int porcentaje, const QString& motivo)
{
    const QString cc = codigoActual(dm);
    const int jor = jornadaActual(dm);
    engine::Table& pen = dm.TAPenal;
    engine::Table& cla = dm.TAClasific;
    if (!pen.active())
        pen.open();
    engine::ScopeGuard closer{[&] { cancelAndClose(cla); }};

    std::optional<qint64> total;
    engine::Database& db = dm.db;
    db.startTransaction();
    try {
        if (pen.locate(kClavePenal, QVariantList{cc, jor, equipo}))
            pen.edit();
        else
            pen.append();
        pen.fieldByName("Cod_comp").setValue(cc);
        pen.fieldByName("Jornada").setAsInteger(jor);
        pen.fieldByName("Equipo").setAsInteger(equipo);
        pen.fieldByName("Puntos").setAsFloat(double(puntos));
        pen.fieldByName("Porcentaje").setAsInteger(porcentaje);
        pen.fieldByName("Motivo").setValue(motivo);
        pen.post();
        const int penaliza = penalizaDe(double(puntos));

        cla.close();
        cla.open();
        if (cla.locate(kClaveClasific, QVariantList{cc, jor, equipo})) {
            cla.edit();
            const qint64 t = totalPenalizado(cla.fieldByName("Puntos").asLargeInt(),
                                             cla.fieldByName("Bonifica").asLargeInt(), penaliza);
            cla.fieldByName("Penaliza").setAsInteger(penaliza);
            cla.fieldByName("TotalPuntos").setAsLargeInt(t);
            cla.post();
            total = t;
        }
        db.commit();
    } catch (...) {
        // Whatever failed, both rows go back as they were and the caller
        // gets the original error.
        pen.cancel();
        cla.cancel();
        try {
            db.rollback();
            pen.refresh();
        } catch (const engine::DatabaseError&) {
            // The save's own error is the one to report.
        }
        throw;
    }
    return total;
}
