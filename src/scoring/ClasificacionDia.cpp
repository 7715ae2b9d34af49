#include "scoring/ClasificacionDia.h"

#include "data/Helpers.h"
#include "data/Tdm.h"
#include "engine/Collation.h"
#include "engine/Database.h"

#include <QHash>

#include <algorithm>
#include <vector>

QString FilaClasificacion::celdaNombres() const
{
    QString s;
    for (const QString& n : nombres) {
        s += u' ';
        s += n;
        s += u"\r\n";
    }
    return s;
}

QList<RegistroClasificacion> registrosClasificacionDia(Tdm& dm, const QString& codigo, int jornada)
{
    engine::CachedStatement lease = dm.db.prepare("SELECT Equipo, Puntos, Bonifica, Penaliza, TotalPuntos FROM CLASIFIC "
                                                  "WHERE Competicion = ? AND Jornada = ? "
                                                  "ORDER BY coalesce(TotalPuntos, 0) DESC, coalesce(Equipo, 0) ASC");
    engine::Statement& st = *lease;
    st.bind(1, codigo);
    st.bind(2, jornada);
    QList<RegistroClasificacion> r;
    while (st.step())
        r << RegistroClasificacion{int(st.column(0).toLongLong()), st.column(1).toLongLong(), st.column(2).toLongLong(),
                                   st.column(3).toLongLong(), st.column(4).toLongLong()};
    return r;
}

MiembrosEquipos miembrosEquipos(Tdm& dm, const QString& codigo)
{
    // Read in the index's order, then each team's few members put in the
    // key's Spanish order (equal DNI keep the order they were read in).
    struct Miembro {
        QString dni, nombre;
    };
    QHash<int, std::vector<Miembro>> porEquipo;
    engine::CachedStatement st =
        dm.db.prepare("SELECT Equipo, DNI, Nombre FROM PARTICIP WHERE \"Cod comp\" = ? ORDER BY Equipo, DNI");
    st->bind(1, codigo);
    while (st->step())
        porEquipo[int(st->columnInt(0))].push_back({st->columnText(1), st->columnText(2)});
    MiembrosEquipos miembros;
    for (auto it = porEquipo.begin(); it != porEquipo.end(); ++it) {
        std::vector<Miembro>& m = it.value();
        if (m.size() > 1)
            std::stable_sort(m.begin(), m.end(), [](const Miembro& a, const Miembro& b) {
                return engine::compareText(a.dni, b.dni, false) < 0;
            });
        QStringList& nombres = miembros[it.key()];
        for (const Miembro& x : m)
            nombres << x.nombre;
    }
    return miembros;
}

QList<FilaClasificacion> filasClasificacionDia(Tdm& dm, const QString& codigo, int jornada)
{
    return filasClasificacionDia(dm, codigo, jornada, miembrosEquipos(dm, codigo));
}

QList<FilaClasificacion> filasClasificacionDia(Tdm& dm, const QString& codigo, int jornada,
                                               const MiembrosEquipos& miembros)
{
    QList<FilaClasificacion> filas;
    double lider = 0;
    for (const RegistroClasificacion& r : registrosClasificacionDia(dm, codigo, jornada)) {
        FilaClasificacion f;
        f.equipo = r.equipo;
        f.totalPuntos = r.totalPuntos;
        const int k = int(filas.size()) + 1;
        f.pos = QString::number(k) + QString::fromUtf8("º");
        f.eq = QString::number(f.equipo);
        f.nombres = miembros.value(f.equipo);
        f.puntos = formatNumber("###,##0", r.puntos);
        f.bonifica = formatNumber("###,##0", r.bonifica);
        f.total = formatNumber("###,##0", f.totalPuntos);
        if (k == 1) {
            lider = double(f.totalPuntos);
            f.porcentaje = QStringLiteral("100,00");
        } else if (lider > 0) {
            // Above a leader of 0 or less there is no share to show.
            f.porcentaje = formatNumber("##0.00", double(f.totalPuntos) / lider * 100.0);
        }
        filas << f;
    }
    return filas;
}
