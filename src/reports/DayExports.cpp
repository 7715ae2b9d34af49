#include "reports/DayExports.h"

#include "data/Helpers.h"
#include "data/Tdm.h"
#include "engine/Database.h"
#include "engine/ScopeGuard.h"
#include "reports/TextFile.h"
#include "scoring/Scoring.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

namespace reports {

namespace {

QString u(const char* utf8) { return QString::fromUtf8(utf8); }

// A number column as a plain integer; an empty value writes nothing.
QString plain(engine::Field& f) { return f.isNull() ? QString() : QString::number(f.asLargeInt()); }

QString fmt(qint64 v) { return formatNumber("##,##0", v); }

// Place and date of a day ("" for what is not there).
struct Dia {
    QString lugar;
    QString fecha;  // dd/MM/yyyy
};

Dia leerDia(Tdm& dm, const QString& codigo, int jornada)
{
    engine::CachedStatement st = dm.db.prepare("SELECT Lugar, Fecha FROM JORNADAS WHERE \"Cod comp\" = ? AND Numero = ?");
    st->bind(1, codigo);
    st->bind(2, jornada);
    Dia d;
    if (st->step()) {
        d.lugar = st->column(0).toString();
        d.fecha = shortDate(QDate::fromString(st->column(1).toString(), Qt::ISODate));
    }
    return d;
}

struct Miembro {
    QString nombre;
    QString club;
};

// The participants of a competition by team, each team in key order.
QHash<int, QList<Miembro>> miembrosPorEquipo(Tdm& dm, const QString& codigo)
{
    engine::Table t(dm.db, "PARTICIP");
    t.setReadOnly(true);
    t.setIndexName("idxPrimaryKey");
    t.open();
    t.setRange({codigo}, {codigo});
    QHash<int, QList<Miembro>> m;
    for (t.first(); !t.eof(); t.next())
        m[t.fieldByName("Equipo").asInteger()].append({t.fieldByName("Nombre").asString(), t.fieldByName("Club").asString()});
    return m;
}

// Runs a query of the data module on the given text; the guard closes it.
void abrir(engine::Query& q, const QStringList& sql)
{
    q.close();
    q.setSql(sql);
    q.open();
}

// How many species bonuses and completed quotas a team earned on a day, as
// its tally counts them (none while the competition gives no such bonus).
struct BonosEquipo {
    int especies = 0;
    int cupos = 0;
};

BonosEquipo bonosEquipo(Tdm& dm, const ReglasPrueba& r, int jornada, int equipo)
{
    engine::CachedStatement st = dm.db.prepare(
                         "SELECT \"Cod pez\", \"Numero piezas\", Peso, \"Peso valido\" FROM PESCADA "
                         "WHERE \"Cod comp\" = ? AND Jornada = ? AND Equipo = ? ORDER BY \"Cod pez\", \"Pesada num\"");
    st->bind(1, r.codigo);
    st->bind(2, jornada);
    st->bind(3, equipo);
    std::vector<LineaPesca> lineas;
    while (st->step())
        lineas.push_back({st->column(0).toLongLong(), clampInt(st->column(1).toLongLong()),
                          clampInt(st->column(2).toLongLong()), clampInt(st->column(3).toLongLong())});
    SilencioAvisos silencio;  // light lines were warned about when weighed
    BonosEquipo b;
    if (r.puntosEspecie > 0)
        b.especies = bonoEspecies(r, lineas).cuenta;
    if (r.puntosCupo > 0)
        b.cupos = bonoCupos(r, lineas).cuenta;
    return b;
}

// Rounds a / b (b > 0) to the nearest whole number, halves to the even one.
qint64 divideHalfEven(qint64 a, qint64 b)
{
    qint64 q = a / b, r = a % b;  // r has a's sign
    if (r < 0) {
        r += b;
        --q;
    }
    if (2 * r > b || (2 * r == b && (q % 2 != 0))) ++q;
    return q;
}

}  // namespace

QString tituloCompeticion(Tdm& dm, const QString& codigo)
{
    engine::CachedStatement st = dm.db.prepare("SELECT Titulo FROM COMPETIC WHERE Codigo = ?");
    st->bind(1, codigo);
    return st->step() ? st->column(0).toString() : QString();
}

int primeraJornada(Tdm& dm, const QString& codigo)
{
    engine::CachedStatement st = dm.db.prepare("SELECT min(Numero) FROM JORNADAS WHERE \"Cod comp\" = ?");
    st->bind(1, codigo);
    return st->step() ? int(st->column(0).toLongLong()) : 0;
}

// --- The day ranking page -------------------------------------------------------

QStringList lineasClasificacion(Tdm& dm, const QString& codigo, int jornada)
{
    const QString cc = quotedCode(codigo);
    const QString jor = QString::number(jornada);
    const ReglasPrueba reglas = leerReglas(dm, codigo);
    const QHash<int, QList<Miembro>> miembros = miembrosPorEquipo(dm, codigo);

    QStringList l;
    l << u("<!DOCTYPE html> <html lang=\"es\"> <head> <title> CLASIFICACIÓN </title>");
    l << "<meta charset=\"UTF-8\">";
    l << "<link rel=\"stylesheet\" type=\"text/css\" href=\"tablasPesca.css\"> </head>";
    l << "<body>";
    l << "<table class=\"contenedora\" style=\"margin:auto; border-collapse: collapse;\">";
    l << "<tr><th colspan=\"2\"> " + htmlEscape(tituloCompeticion(dm, codigo)) + "<br>" + leerDia(dm, codigo, jornada).fecha +
             "</th>" + "</tr>";

    struct Fila {
        int equipo;
        QString presentadas, validas;
        qint64 bonifica, penaliza, total;
    };
    QList<Fila> filas;
    {
        engine::Query& q = dm.QParaTodo;
        engine::ScopeGuard closer{[&] { q.close(); }};
        // Equal totals: the lower team first.
        abrir(q, {"Select * from clasific ", "where competicion = " + cc + " and jornada = " + jor,
                  "order by TotalPuntos desc, equipo"});
        for (q.first(); !q.eof(); q.next())
            filas.append({q.fieldByName("equipo").asInteger(), plain(q.fieldByName("Presentadas")),
                          plain(q.fieldByName("Validas")), q.fieldByName("Bonifica").asLargeInt(),
                          q.fieldByName("Penaliza").asLargeInt(), q.fieldByName("TotalPuntos").asLargeInt()});
    }

    engine::Query& q = dm.absQ;
    engine::ScopeGuard closer{[&] { q.close(); }};
    int n = 0;
    for (const Fila& f : filas) {
        const QList<Miembro> m = miembros.value(f.equipo);
        QStringList nombres;
        for (const Miembro& x : m) nombres << htmlEscape(x.nombre);
        const QString club = m.isEmpty() ? QString() : htmlEscape(m.first().club);
        l << "<tr class=\"equipo\"> <td>" + QString::number(++n) + " " + nombres.join("<br>") + "</td>" + "<td> " + club +
                 "</td>" + "</tr>";
        const BonosEquipo b = bonosEquipo(dm, reglas, jornada, f.equipo);
        l << "<tr class=\"piezas\"> <td>Presentadas: " + f.presentadas + u("<br>Válidas: ") + f.validas +
                 "<br>Especies: " + QString::number(b.especies) + "<br>Cupos: " + QString::number(b.cupos) + "</td>";
        l << "<td class=\"celdapescada\">";
        l << "<table class=\"tpescada\">";
        l << "<tr class=\"encabezado\"> <td class=\"e3\">Pez</td> <td class=\"e4\">Peso</td> <td class=\"e5\">Puntos</td> </tr>";

        // Lines of one species together, heaviest valid weight first; then
        // in weighing order.
        abrir(q, {"Select [Cod pez] pez, [Numero piezas] np, Peso, [Peso valido] pv, nombre",
                  "from Pescada inner join especies on pescada.[cod pez]=especies.codigo",
                  "where Pescada.[cod comp] = " + cc + " and Pescada.Jornada = " + jor +
                      " and Pescada.Equipo = " + QString::number(f.equipo),
                  "order by pez, pv DESC, [Pesada num]"});
        qint64 suma = 0;
        for (q.first(); !q.eof(); q.next()) {
            const int np = clampInt(q.fieldByName("np").asLargeInt());
            const int peso = clampInt(q.fieldByName("peso").asLargeInt());
            const int puntos = calculoPuntos(reglas, q.fieldByName("pez").asLargeInt(),
                                             clampInt(q.fieldByName("pv").asLargeInt()), peso, np);
            suma += puntos;
            const QString sufijo = np >= 2 ? " (" + QString::number(np) + ")" : QString();
            l << "<tr class=\"pesca\">";
            l << "<td> " + htmlEscape(q.fieldByName("nombre").asString()) + sufijo + "</td> <td>" + fmt(peso) + "</td>" +
                     "<td> " + fmt(puntos) + "</td>" + "</tr>";
        }
        q.close();
        l << "<tr> <td class=\"total\" colspan=\"3\">" + fmt(suma) + "</td>" + "</tr>";
        l << "<tr> <td class=\"total\" colspan=\"2\">Bonificaciones:</td><td>" + fmt(f.bonifica) + "</td>" + "</tr>";
        // The penalty, and the total the team is ranked by.
        l << u("<tr> <td class=\"total\" colspan=\"2\">Penalización:</td><td>") + fmt(f.penaliza) + "</td>" + "</tr>";
        l << "<tr> <td class=\"total\" colspan=\"3\">" + fmt(f.total) + "</td>" + "</tr>";
        l << "</table>";
        l << "</td></tr>";
    }
    l << "</table> </body> </html>";
    return l;
}

QByteArray paginaClasificacion(Tdm& dm, const QString& codigo, int jornada)
{
    return utf8WithBom(joinLines(lineasClasificacion(dm, codigo, jornada)));
}

QByteArray hojaEstilos()
{
    QFile f(":/reports/tablasPesca.css");
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// --- The catch lines ------------------------------------------------------------

QStringList lineasPesca(Tdm& dm, const QString& codigo, int jornada)
{
    const Dia dia = leerDia(dm, codigo, jornada);
    QStringList l;
    l << csvLine({csvText(tituloCompeticion(dm, codigo)), csvText(dia.lugar), dia.fecha});
    l << "Equipo;Pez;Piezas;Peso";
    engine::Query& q = dm.absQ;
    engine::ScopeGuard closer{[&] { q.close(); }};
    // Lines of one team and species in weighing order.
    abrir(q, {"Select equipo, especies.nombre as pez, [numero piezas] as piezas, Peso",
              " from Pescada inner join especies on (pescada.[cod pez]=especies.codigo)",
              " where Pescada.[cod comp] = " + quotedCode(codigo) + " and Pescada.Jornada = " + QString::number(jornada),
              "order by equipo, pez, [Pesada num]"});
    for (q.first(); !q.eof(); q.next())
        l << csvLine({plain(q.fieldByName("equipo")), csvText(q.fieldByName("pez").asString()),
                      plain(q.fieldByName("piezas")), plain(q.fieldByName("peso"))});
    return l;
}

QByteArray ficheroPesca(Tdm& dm, const QString& codigo, int jornada)
{
    return windows1252OrUtf8(joinLines(lineasPesca(dm, codigo, jornada)));
}

QString nombreFicheroPesca(const QString& titulo) { return "Pesca " + safeFileName(titulo) + ".csv"; }

// --- The catch summary ----------------------------------------------------------

DatosResumen datosResumen(Tdm& dm, const QString& codigo, int jornada)
{
    const QString cc = quotedCode(codigo);
    DatosResumen d;
    {
        engine::Query& q = dm.absQ;
        engine::ScopeGuard closer{[&] { q.close(); }};
        // Equal weights: by name.
        abrir(q, {"Select sp.nombre, sum(p.peso) tpeso, sum([numero piezas]) piezas",
                  "From pescada p join especies sp on ([cod pez] = sp.codigo)",
                  "Where [cod comp] = " + cc + " and jornada = " + QString::number(jornada), "group by sp.nombre",
                  "order by tpeso desc, sp.nombre"});
        for (q.first(); !q.eof(); q.next())
            d.especies << EspecieResumen{q.fieldByName("nombre").asString(), q.fieldByName("piezas").asLargeInt(),
                                         q.fieldByName("tpeso").asLargeInt()};
    }
    if (d.especies.isEmpty())
        return d;
    {
        engine::Query& q = dm.QParaTodo;
        engine::ScopeGuard closer{[&] { q.close(); }};
        abrir(q, {"Select distinct equipo from particip", "where [cod comp] = " + cc});
        d.equipos = q.recordCount();
    }
    const Dia dia = leerDia(dm, codigo, jornada);
    d.titulo = tituloCompeticion(dm, codigo);
    d.lugar = dia.lugar;
    d.fecha = dia.fecha;
    return d;
}

std::optional<QStringList> lineasResumen(Tdm& dm, const QString& codigo, int jornada)
{
    const DatosResumen d = datosResumen(dm, codigo, jornada);
    if (d.especies.isEmpty()) return std::nullopt;
    QStringList l;
    l << "Resumen de Capturas y Peso" << " " << csvField(csvText(d.titulo)) << csvLine({csvText(d.lugar), "", d.fecha})
      << " " << "Especie;Ejemplares; Peso (gr)";
    for (const EspecieResumen& e : d.especies)
        l << csvLine({csvText(e.nombre), QString::number(e.piezas), fmt(e.peso)});
    l << "TOTALES;" + QString::number(d.piezas()) + ";" + fmt(d.peso());
    l << " " << u("ESTADÍSTICA") << u("Número de equipos:;") + QString::number(d.equipos);
    // Without teams the averages have no value: a dash.
    l << "Piezas por equipo:;" + (d.equipos > 0 ? formatNumber("0.00", double(d.piezas()) / double(d.equipos)) : QString("-"));
    l << "Peso por equipo:;" + (d.equipos > 0 ? fmt(divideHalfEven(d.peso(), d.equipos)) + " gr" : QString("-"));
    return l;
}

// --- Writing them ---------------------------------------------------------------

namespace {

Exportado escribir(const QString& fichero, const QByteArray& bytes)
{
    Exportado r;
    r.ok = writeWhole(fichero, bytes, &r.error);
    if (r.ok) r.ficheros << fullName(fichero);
    return r;
}

}  // namespace

Exportado exportarClasificacion(Tdm& dm, const QString& codigo, int jornada, const QString& folder)
{
    const QString pagina = folder + kFicheroClasific;
    Exportado r = escribir(pagina, paginaClasificacion(dm, codigo, jornada));
    if (!r.ok) return r;
    // The stylesheet goes beside the page, never over one the user changed.
    const QString hoja = QFileInfo(pagina).absolutePath() + '/' + kHojaEstilos;
    bool creada = false;
    if (writeIfAbsent(hoja, hojaEstilos(), &creada, &r.error) && creada) r.ficheros << fullName(hoja);
    return r;
}

Exportado exportarPesca(Tdm& dm, const QString& codigo, int jornada, const QString& folder)
{
    return escribir(folder + nombreFicheroPesca(tituloCompeticion(dm, codigo)), ficheroPesca(dm, codigo, jornada));
}

Exportado exportarResumen(Tdm& dm, const QString& codigo, int jornada, const QString& folder)
{
    const std::optional<QStringList> lineas = lineasResumen(dm, codigo, jornada);
    if (!lineas) {
        Exportado r;
        r.vacio = true;
        r.error = textoSinPesaje();
        return r;
    }
    return escribir(folder + kFicheroResumen, utf8WithBom(joinLines(*lineas)));
}

// --- Messages -------------------------------------------------------------------

QString textoExportacionRealizada(const QString& fichero) { return u("Exportación realizada al archivo\r\n") + fichero; }
QString textoExportacionPesca(const QString& fichero) { return u("Exportación realizada al archivo\n\r") + fichero; }
QString textoRecuerdeHojaEstilos()
{
    return u("Recuerde que el archivo tablasPesca.css\r\ndebe estar en la misma carpeta para\r\npoder visualizar "
             "correctamente la página web");
}
QString textoDatosGuardados(const QString& fichero) { return "Datos guardados en \r\n" + fichero; }
QString textoSinPesaje() { return u("No hay pesaje de esta competición"); }
QString textoCompeticionNoEncontrada(const QString& codigo) { return u("No encontrada la competición ") + codigo; }

}  // namespace reports
