#include "scoring/ClasificacionDia.h"

#include "data/Helpers.h"
#include "data/Tdm.h"
#include "engine/ScopeGuard.h"

#include <QHash>

QString FilaClasificacion::celdaNombres() const
{
    QString s;
    for (const QString& n : nombres)
        s += ' ' + n + "\r\n";
    return s;
}

QList<FilaClasificacion> filasClasificacionDia(Tdm& dm, const QString& codigo, int jornada)
{
    // The members of every team, in the participants' key order.
    QHash<int, QStringList> miembros;
    {
        engine::Table part(dm.db, "PARTICIP");
        part.setIndexName("idxPrimaryKey");
        part.setReadOnly(true);
        part.setRange({codigo}, {codigo});
        part.open();
        engine::ScopeGuard cierre{[&] { part.close(); }};
        for (part.first(); !part.eof(); part.next())
            miembros[int(part.fieldByName("Equipo").asLargeInt())] << part.fieldByName("Nombre").asString();
    }

    QList<FilaClasificacion> filas;
    engine::Statement st(dm.db.handle(),
                         "SELECT Equipo, Puntos, Bonifica, TotalPuntos FROM CLASIFIC "
                         "WHERE Competicion = ? AND Jornada = ? "
                         "ORDER BY coalesce(TotalPuntos, 0) DESC, coalesce(Equipo, 0) ASC");
    st.bind(1, codigo);
    st.bind(2, jornada);
    double lider = 0;
    while (st.step()) {
        FilaClasificacion f;
        f.equipo = int(st.column(0).toLongLong());
        f.totalPuntos = st.column(3).toLongLong();
        const int k = int(filas.size()) + 1;
        f.pos = QString::number(k) + QString::fromUtf8("º");
        f.eq = QString::number(f.equipo);
        f.nombres = miembros.value(f.equipo);
        f.puntos = formatNumber("###,##0", st.column(1).toLongLong());
        f.bonifica = formatNumber("###,##0", st.column(2).toLongLong());
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
