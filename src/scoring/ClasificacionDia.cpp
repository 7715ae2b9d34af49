#include "scoring/ClasificacionDia.h"

#include "data/Helpers.h"
#include "data/Tdm.h"
#include "engine/Collation.h"
#include "engine/Database.h"

#include <QHash>

QString FilaClasificacion::celdaNombres() const
{
    QString s;
    for (const QString& n : nombres)
        s += ' ' + n + "\r\n";
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

QList<FilaClasificacion> filasClasificacionDia(Tdm& dm, const QString& codigo, int jornada)
{
    // The members of every team, in the participants' key order.
    QHash<int, QStringList> miembros;
    {
        engine::CachedStatement st = dm.db.prepare(
            QStringLiteral("SELECT Equipo, Nombre FROM PARTICIP WHERE \"Cod comp\" = ? ORDER BY Equipo, DNI COLLATE %1, rowid")
                .arg(QLatin1String(engine::kCollationCase)));
        st->bind(1, codigo);
        while (st->step())
            miembros[int(st->columnInt(0))] << st->column(1).toString();
    }

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
