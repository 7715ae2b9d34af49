#include "scoring/ClasFinal.h"

#include "data/Helpers.h"
#include "data/Tdm.h"
#include "engine/Database.h"

#include <QHash>

#include <algorithm>
#include <limits>

namespace {

// A sum that stays at the ends of the 64-bit range instead of wrapping.
qint64 addSaturated(qint64 a, qint64 b)
{
    qint64 r = 0;
    if (!__builtin_add_overflow(a, b, &r))
        return r;
    return b > 0 ? std::numeric_limits<qint64>::max() : std::numeric_limits<qint64>::min();
}

QString puntos(qint64 v) { return formatNumber("###,##0", v); }

}  // namespace

QStringList TClasFinal::cabeceras() const
{
    QStringList h{"Pos", "Eq.", "Pescador(es)"};
    for (int c = 3; c < columnas() - 1; ++c)
        h << "Puntos " + QString::number(c - 2);
    h << "Total Puntos";
    return h;
}

QStringList TClasFinal::celdasEquipo(int k) const
{
    const TEquipoClasFinal& e = equipos.at(size_t(k));
    QStringList c{QString::number(k + 1) + QString::fromUtf8("º"), QString::number(e.equipo),
                  e.nombres.isEmpty() ? QString() : e.nombres.first()};
    if (columnas() == 6)
        c << puntos(e.puntos1) << puntos(e.puntos2);
    c << puntos(e.total);
    return c;
}

std::vector<QStringList> TClasFinal::filas() const
{
    const int n = columnas();
    std::vector<QStringList> rows(5, QStringList(n, QString()));
    rows[0] = cabeceras();
    // r walks the grid as the window fills it: an entry takes the next row,
    // each member after the first the row below, and a team with members
    // leaves the row after its last member empty.
    size_t r = 0;
    auto advance = [&] {
        ++r;
        if (r == rows.size())
            rows.push_back(QStringList(n, QString()));
    };
    for (int k = 0; k < int(equipos.size()); ++k) {
        advance();
        rows[r] = celdasEquipo(k);
        for (const QString& nombre : equipos[size_t(k)].nombres) {
            rows[r][2] = nombre;
            advance();
        }
    }
    return rows;
}

TClasFinal clasificacionFinal(Tdm& dm, const QString& codigo)
{
    TClasFinal res;
    engine::Database& db = dm.db;
    {
        engine::CachedStatement st = db.prepare("SELECT count(*) FROM JORNADAS WHERE \"Cod comp\" = ?");
        st->bind(1, codigo);
        if (st->step())
            res.dias = int(std::min<qint64>(st->column(0).toLongLong(), 1000));
    }

    QHash<int, size_t> deEquipo;
    {
        engine::CachedStatement st = db.prepare("SELECT Equipo, Jornada, TotalPuntos FROM CLASIFIC WHERE Competicion = ?");
        st->bind(1, codigo);
        while (st->step()) {
            const int eq = int(st->column(0).toLongLong());
            const qint64 jor = st->column(1).toLongLong();
            const qint64 total = st->column(2).toLongLong();
            auto it = deEquipo.find(eq);
            if (it == deEquipo.end()) {
                it = deEquipo.insert(eq, res.equipos.size());
                res.equipos.push_back({});
                res.equipos.back().equipo = eq;
            }
            TEquipoClasFinal& e = res.equipos[*it];
            e.total = addSaturated(e.total, total);
            if (jor == 1) e.puntos1 = total;
            if (jor == 2) e.puntos2 = total;
        }
    }
    std::sort(res.equipos.begin(), res.equipos.end(), [](const TEquipoClasFinal& a, const TEquipoClasFinal& b) {
        return a.total != b.total ? a.total > b.total : a.equipo < b.equipo;
    });
    deEquipo.clear();
    for (size_t i = 0; i < res.equipos.size(); ++i)
        deEquipo.insert(res.equipos[i].equipo, i);

    engine::CachedStatement st = db.prepare(
                         "SELECT Equipo, Nombre FROM PARTICIP WHERE \"Cod comp\" = ? ORDER BY Equipo, DNI");
    st->bind(1, codigo);
    while (st->step()) {
        const auto it = deEquipo.constFind(int(st->column(0).toLongLong()));
        if (it != deEquipo.constEnd())
            res.equipos[*it].nombres << st->column(1).toString();
    }
    return res;
}
