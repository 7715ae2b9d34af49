// verificar: checks a database file without writing to it.
#include "cli/Command.h"

#include "data/Schema.h"
#include "data/Seleccion.h"
#include "data/Tdm.h"
#include "engine/Database.h"
#include "scoring/Penal.h"
#include "scoring/Pesaje.h"
#include "scoring/Scoring.h"

#include <QDate>

#include <map>
#include <optional>
#include <set>
#include <vector>

namespace cli {

namespace {

struct Comprobacion {
    QStringList diferencias;
    int jornadas = 0;
    int registros = 0;
    int lineas = 0;
};

QString donde(const QString& cc, int jor, int eq)
{
    return QString::fromUtf8("Competición %1, jornada %2, equipo %3: ").arg(cc).arg(jor).arg(eq);
}

// One day of one competition: every record against a fresh tally of its
// lines, rules and stored penalty; the numbering of every team's lines; lines
// and records of teams without participants.
void comprobarJornada(Tdm& d, const QString& cc, int jor, Comprobacion& c)
{
    engine::Database& db = d.db;
    elegirCompeticion(d, cc, jor);
    ++c.jornadas;

    std::set<int> conParticipantes;
    {
        engine::CachedStatement st = db.prepare("SELECT DISTINCT Equipo FROM PARTICIP WHERE \"Cod comp\" = ?");
        st->bind(1, cc);
        while (st->step())
            conParticipantes.insert(int(st->column(0).toLongLong()));
    }

    // The lines: numbers 1..n for every team, none repeated.
    std::map<int, std::vector<qint64>> numeros;
    {
        engine::CachedStatement st = db.prepare("SELECT Equipo, \"Pesada num\" FROM PESCADA WHERE \"Cod comp\" = ? AND "
                                          "Jornada = ? ORDER BY Equipo, \"Pesada num\"");
        st->bind(1, cc);
        st->bind(2, jor);
        while (st->step()) {
            numeros[int(st->column(0).toLongLong())].push_back(st->column(1).toLongLong());
            ++c.lineas;
        }
    }
    // Lines of a species the register lacks: every report reads the name
    // through the register, and such a line would drop out of them.
    {
        engine::CachedStatement st = db.prepare(
                             "SELECT p.Equipo, p.\"Pesada num\", p.\"Cod pez\" FROM PESCADA p LEFT JOIN ESPECIES e ON "
                             "e.Codigo = p.\"Cod pez\" WHERE p.\"Cod comp\" = ? AND p.Jornada = ? AND e.Codigo IS NULL "
                             "ORDER BY p.Equipo, p.\"Pesada num\"");
        st->bind(1, cc);
        st->bind(2, jor);
        while (st->step()) {
            const QVariant pez = st->column(2);
            c.diferencias << donde(cc, jor, int(st->column(0).toLongLong())) +
                                 (pez.isNull() ? QString::fromUtf8("Pesada num %1 sin especie").arg(st->column(1).toLongLong())
                                               : QString::fromUtf8("Pesada num %1 de la especie %2, que no está en el "
                                                                   "registro de especies")
                                                     .arg(st->column(1).toLongLong())
                                                     .arg(pez.toString()));
        }
    }
    for (const auto& [eq, nums] : numeros) {
        if (!conParticipantes.count(eq))
            c.diferencias << donde(cc, jor, eq) + QString::fromUtf8("%1 líneas de pesca de un equipo sin participantes")
                                                      .arg(nums.size());
        for (size_t i = 0; i < nums.size(); ++i) {
            const qint64 esperado = qint64(i) + 1;
            if (nums[i] != esperado) {
                c.diferencias << donde(cc, jor, eq) +
                                     QString::fromUtf8("Pesada num %1, debería ser %2 (números repetidos o con huecos)")
                                         .arg(nums[i])
                                         .arg(esperado);
                break;
            }
        }
    }

    // The records, field by field; empty numbers read as 0.
    const QStringList campos{"Puntos", "Bonifica", "Penaliza", "TotalPuntos", "Presentadas", "Validas", "codPiezaMayor",
                             "PesoPiezaMayor"};
    engine::CachedStatement st = db.prepare("SELECT Equipo, " + campos.join(", ") +
                                          " FROM CLASIFIC WHERE Competicion = ? AND Jornada = ? ORDER BY Equipo");
    st->bind(1, cc);
    st->bind(2, jor);
    Pesaje p(d);
    SilencioAvisos silencio;
    std::set<int> conRegistro;
    while (st->step()) {
        ++c.registros;
        const int eq = int(st->column(0).toLongLong());
        conRegistro.insert(eq);
        if (!conParticipantes.count(eq)) {
            c.diferencias << donde(cc, jor, eq) + QString::fromUtf8("registro de clasificación de un equipo sin participantes");
            continue;
        }
        p.sumapuntos(cc, jor, eq);
        const std::vector<Pesaje::ValorRegistro> esperado =
            Pesaje::valoresRegistro(p.rEquipo, penalizacionEquipo(db, cc, jor, eq));
        for (const Pesaje::ValorRegistro& v : esperado) {
            const QVariant guardado = st->column(1 + int(campos.indexOf(QString::fromLatin1(v.campo))));
            const qint64 tiene = guardado.isNull() ? 0 : guardado.toLongLong();
            if (tiene != v.valor)
                c.diferencias << donde(cc, jor, eq) +
                                     QString::fromUtf8("%1 %2, debería ser %3").arg(QString::fromLatin1(v.campo)).arg(tiene).arg(v.valor);
        }
    }
    for (const auto& [eq, nums] : numeros)
        if (conParticipantes.count(eq) && !conRegistro.count(eq))
            c.diferencias << donde(cc, jor, eq) + QString::fromUtf8("tiene líneas de pesca y no tiene registro de clasificación");
}

// Every stored date that is no day of the calendar ("2026-13-45"): the
// file's checks refuse them, but a tool that ignores them can store one. With
// a competition (and a day) only its rows; a table of no competition then
// is not read.
void comprobarFechas(engine::Database& db, const QString& codigo, std::optional<int> jornada, Comprobacion& c)
{
    for (const schema::TableSpec& t : schema::tables()) {
        const schema::IndexSpec* clave = nullptr;
        for (const schema::IndexSpec& ix : t.indexes)
            if (ix.options & schema::ixPrimary)
                clave = &ix;
        if (!clave)
            continue;
        QStringList condiciones;
        QVariantList valores;
        if (!codigo.isNull()) {
            if (!clave->fields.contains(QStringLiteral("Cod comp")))
                continue;
            condiciones << "\"Cod comp\" = ?";
            valores << codigo;
            for (const char* dia : {"Numero", "Jornada"})
                if (jornada && clave->fields.contains(QLatin1String(dia))) {
                    condiciones << QString::fromLatin1(dia) + " = ?";
                    valores << *jornada;
                }
        }
        QStringList columnas;
        for (const QString& k : clave->fields)
            columnas << engine::quoteIdent(k);
        for (const schema::FieldSpec& f : t.fields) {
            if (f.type != engine::FieldType::Date)
                continue;
            QStringList donde = condiciones;
            donde << engine::quoteIdent(f.name) + " IS NOT NULL";
            engine::CachedStatement st = db.prepare("SELECT " + columnas.join(", ") + ", " + engine::quoteIdent(f.name) +
                                                  " FROM " + engine::quoteIdent(t.name) + " WHERE " +
                                                  donde.join(" AND ") + " ORDER BY " + columnas.join(", "));
            for (int i = 0; i < valores.size(); ++i)
                st->bind(i + 1, valores[i]);
            while (st->step()) {
                const QString fecha = st->column(int(columnas.size())).toString();
                if (QDate::fromString(fecha, Qt::ISODate).toString(Qt::ISODate) == fecha)
                    continue;
                QStringList fila;
                for (int k = 0; k < columnas.size(); ++k)
                    fila << clave->fields[k] + ' ' + st->column(k).toString();
                c.diferencias << QString::fromUtf8("%1 (%2): «%3» tiene una fecha imposible, «%4»")
                                     .arg(t.name, fila.join(", "), f.name, fecha);
            }
        }
    }
}

int verificar(const Args& a)
{
    // The integrity check below is the whole one, each finding on its line.
    OpenFile f = openFile(a[0], false);
    Tdm& d = *f;
    engine::Database& db = d.db;
    Comprobacion c;
    {
        engine::CachedStatement st = db.prepare("PRAGMA integrity_check");
        while (st->step()) {
            const QString r = st->column(0).toString();
            if (r != QLatin1String("ok"))
                c.diferencias << QString::fromUtf8("Integridad del fichero: %1").arg(r);
        }
    }

    // The competitions and days asked for, each one that exists when none is given.
    std::vector<std::pair<QString, int>> dias;
    if (a.size() >= 2 && !elegirCompeticion(d, a[1], 0))
        throw Refusal{QString::fromUtf8("No existe la competición «%1»").arg(a[1])};
    std::optional<int> jornada;
    if (a.size() == 3) {
        jornada = smallNumber(a[2], "La jornada");
        bool dayFound = false;
        elegirCompeticion(d, a[1], *jornada, &dayFound);
        if (!dayFound)
            throw Refusal{QString::fromUtf8("La competición «%1» no tiene la jornada %2").arg(a[1]).arg(*jornada)};
        dias.emplace_back(a[1], *jornada);
    } else {
        QString sql = "SELECT \"Cod comp\", Numero FROM JORNADAS";
        if (a.size() == 2)
            sql += " WHERE \"Cod comp\" = ?";
        engine::CachedStatement st = db.prepare(sql + " ORDER BY \"Cod comp\", Numero");
        if (a.size() == 2)
            st->bind(1, a[1]);
        while (st->step())
            dias.emplace_back(st->column(0).toString(), int(st->column(1).toLongLong()));
    }
    comprobarFechas(db, a.size() >= 2 ? a[1] : QString(), jornada, c);
    for (const auto& [cc, jor] : dias)
        comprobarJornada(d, cc, jor, c);

    for (const QString& line : c.diferencias)
        out(line);
    if (!c.diferencias.isEmpty()) {
        err(QString::fromUtf8("%1 diferencias").arg(c.diferencias.size()));
        return 1;
    }
    out(QString::fromUtf8("Correcto: %1 jornadas, %2 registros de clasificación y %3 líneas de pesca comprobados")
            .arg(c.jornadas)
            .arg(c.registros)
            .arg(c.lineas));
    return 0;
}

}  // namespace

QList<Command> verifyCommands()
{
    return {
        {"verificar", "FICHERO [CODIGO [JORNADA]]", 1, 3, verificar},
    };
}

}  // namespace cli
