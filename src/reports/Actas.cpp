#include "reports/Actas.h"

#include "data/Helpers.h"
#include "data/Tdm.h"
#include "engine/Database.h"
#include "engine/ScopeGuard.h"
#include "scoring/ClasificacionDia.h"
#include "scoring/Scoring.h"

#include <QHash>

#include <algorithm>

QHash<int, QList<MiembroActa>> miembrosPorEquipo(Tdm& dm, const QString& codigo)
{
    QHash<int, QList<MiembroActa>> r;
    engine::CachedStatement st = dm.db.prepare(
                         "SELECT Equipo, Nombre, Licencia, Club FROM PARTICIP WHERE \"Cod comp\" = ? "
                         "ORDER BY Equipo, DNI");
    st->bind(1, codigo);
    while (st->step())
        r[int(st->column(0).toLongLong())] << MiembroActa{st->column(1).toString(), st->column(2).toString(),
                                                          st->column(3).toString()};
    return r;
}

namespace {

QString textoCampo(engine::Dataset& ds, const char* name) { return ds.fieldByName(name).asString(); }

void datosComunes(Tdm& dm, DatosActa& d, QString& codigo)
{
    if (!dm.TAcomp.active() || dm.TAcomp.isEmpty())
        throw engine::DatabaseError(QString::fromUtf8("No hay competición elegida"));
    codigo = textoCampo(dm.TAcomp, "Codigo");
    d.titulo = textoCampo(dm.TAcomp, "Titulo");
}

}  // namespace

DatosActa leerActaJornada(Tdm& dm)
{
    DatosActa d;
    QString codigo;
    datosComunes(dm, d, codigo);
    if (!dm.TAjornada.active() || dm.TAjornada.isEmpty())
        throw engine::DatabaseError(QString::fromUtf8("No hay jornada elegida"));
    const int jornada = dm.TAjornada.fieldByName("Numero").asInteger();
    d.fecha = shortDate(dm.TAjornada.fieldByName("Fecha").asDate());
    d.lugar = textoCampo(dm.TAjornada, "Lugar");
    d.cabecera = leerCabecera(true);
    const QHash<int, QList<MiembroActa>> miembros = miembrosPorEquipo(dm, codigo);

    for (const RegistroClasificacion& r : registrosClasificacionDia(dm, codigo, jornada)) {
        FilaActa f;
        f.equipo = r.equipo;
        f.puntos1 = r.puntos;
        f.puntos2 = r.bonifica;
        f.penal = r.penaliza;
        f.total = r.totalPuntos;
        d.filas << f;
    }
    const QHash<int, TDatosPescaEquipo> pesca = datosPescaDia(dm, codigo, jornada);
    for (FilaActa& f : d.filas) {
        const TDatosPescaEquipo dpe = pesca.value(f.equipo);
        f.presentadas = dpe.numPresentadas;
        f.validas = dpe.numValidas;
        f.pesoValidas = dpe.pesoTotal;
        f.clase = dpe.NombrePMayor;
        f.pesoClase = dpe.pesoPMayor;
        f.miembros = miembros.value(f.equipo);
        // Strict tests: among equal marks the better classified team keeps it.
        if (dpe.pesoPMayor > d.pesoPieza) {
            d.pesoPieza = dpe.pesoPMayor;
            d.equipoPieza = f.equipo;
            d.especiePieza = dpe.NombrePMayor;
        }
        if (dpe.numValidas > d.numPiezas) {
            d.numPiezas = dpe.numValidas;
            d.equipoPiezas = f.equipo;
        }
    }
    d.miembrosPieza = miembros.value(d.equipoPieza);
    d.miembrosPiezas = miembros.value(d.equipoPiezas);
    return d;
}

DatosActa leerActaFinal(Tdm& dm)
{
    DatosActa d;
    d.final = true;
    QString codigo;
    datosComunes(dm, d, codigo);
    d.cabecera = leerCabecera(false);
    const QHash<int, QList<MiembroActa>> miembros = miembrosPorEquipo(dm, codigo);

    {
        engine::CachedStatement st = dm.db.prepare(
                             "SELECT Numero, Fecha FROM JORNADAS WHERE \"Cod comp\" = ? ORDER BY Numero");
        st->bind(1, codigo);
        d.fechas = QStringLiteral("Fechas: ");
        while (st->step()) {
            const qint64 n = st->column(0).toLongLong();
            if (n > 1)
                d.fechas += QStringLiteral(" - ");
            d.fechas += entero(n) + QStringLiteral(". ") + shortDate(QDate::fromString(st->column(1).toString(), Qt::ISODate));
        }
    }

    // The ranking's total and the penalties in it, over every day.
    struct Total {
        int equipo;
        qint64 total;
        qint64 penal;
    };
    QList<Total> orden;
    {
        engine::CachedStatement st = dm.db.prepare(
                             "SELECT Equipo, sum(TotalPuntos) AS total, sum(Penaliza) FROM CLASIFIC "
                             "WHERE Competicion = ? "
                             "GROUP BY Equipo ORDER BY coalesce(total, 0) DESC, coalesce(Equipo, 0) ASC");
        st->bind(1, codigo);
        while (st->step())
            orden << Total{int(st->column(0).toLongLong()), st->column(1).toLongLong(), st->column(2).toLongLong()};
    }
    // Each team's points of one day before its penalty (the day's total with
    // the penalty added back), so that a row reads Puntos 1 + Puntos 2 -
    // Penal = Total.
    auto puntosDia = [&](int jornada, int equipo) {
        engine::CachedStatement st = dm.db.prepare("SELECT TotalPuntos, Penaliza FROM CLASIFIC "
                                             "WHERE Competicion = ? AND Jornada = ? AND Equipo = ?");
        st->bind(1, codigo);
        st->bind(2, jornada);
        st->bind(3, equipo);
        return st->step() ? qint64(clampInt(st->column(0).toLongLong())) + clampInt(st->column(1).toLongLong())
                         : qint64(0);
    };

    // The two days' catch records of every team, one day current at a time.
    QHash<int, TDatosPescaEquipo> dia[2];
    bool existe[2] = {false, false};
    for (int j = 0; j < 2; ++j) {
        existe[j] = dm.TAjornada.locate("Numero", j + 1);
        if (existe[j])
            dia[j] = datosPescaDia(dm, codigo, j + 1);
    }

    for (const Total& t : orden) {
        FilaActa f;
        f.equipo = t.equipo;
        f.total = t.total;
        f.penal = t.penal;
        const TDatosPescaEquipo d1 = dia[0].value(t.equipo), d2 = dia[1].value(t.equipo);
        f.puntos1 = existe[0] ? puntosDia(1, t.equipo) : 0;
        f.puntos2 = existe[1] ? puntosDia(2, t.equipo) : 0;
        for (const TDatosPescaEquipo* x : {&d1, &d2})
            if (x->pesoPMayor > d.pesoPieza) {
                d.pesoPieza = x->pesoPMayor;
                d.equipoPieza = t.equipo;
                d.especiePieza = x->NombrePMayor;
            }
        const qint64 validas = qint64(d1.numValidas) + d2.numValidas;
        if (validas > d.numPiezas) {
            d.numPiezas = clampInt(validas);
            d.equipoPiezas = t.equipo;
        }
        f.presentadas = clampInt(qint64(d1.numPresentadas) + d2.numPresentadas);
        f.validas = clampInt(validas);
        f.pesoValidas = clampInt(qint64(d1.pesoTotal) + d2.pesoTotal);
        const TDatosPescaEquipo& mayor = d2.pesoPMayor >= d1.pesoPMayor ? d2 : d1;
        f.clase = mayor.NombrePMayor;
        f.pesoClase = mayor.pesoPMayor;
        f.miembros = miembros.value(t.equipo);
        d.filas << f;
    }
    d.miembrosPieza = miembros.value(d.equipoPieza);
    d.miembrosPiezas = miembros.value(d.equipoPiezas);
    return d;
}

namespace {

QString n0(qint64 v) { return formatNumber(QStringLiteral("##,##0"), v); }
QString n00(qint64 v) { return formatNumber(QStringLiteral("00"), v); }

// The layout of one job, in device units.
struct Acta {
    const DatosActa& d;
    PrintSurface& s;
    int L = 0, pad = 0, R = 0, x[13] = {}, lh = 0, M = 0, numW = 0;
    int y = 0, tableTop = 0;

    Acta(const DatosActa& d, PrintSurface& s) : d(d), s(s) {}

    void columnas()
    {
        L = escalaX(s, 250);
        pad = escalaX(s, 10);
        const int anchos[12] = {150, 1550, 500, 1000, 200, 200, d.final ? 400 : 500, 550, 400, 400, 400, 300};
        x[0] = L;
        for (int i = 1; i <= 12; ++i)
            x[i] = x[i - 1] + escalaX(s, anchos[i - 1]);
    }

    void texto(int tx, int ty, const QString& t) { s.textOut(tx, ty, t); }
    void centrado(int a, int b, int ty, const QString& t) { s.textOut(alinea(a, b - a, s.textWidth(t), true), ty, t); }
    void hasta(int e, int ty, const QString& t) { s.textOut(e - s.textWidth(t), ty, t); }

    void titulosActa()
    {
        s.setBold(true);
        engine::ScopeGuard normal{[&] { s.setBold(false); }};
        const int W = s.pageWidth();
        const int fin = W - escalaX(s, 200);
        // A long title or place is shortened before it reaches the next item.
        if (d.final) {
            const int fechas = fin - s.textWidth(d.fechas);
            textoEnColumna(s, x[1], fechas - M, y, QStringLiteral("Competición: ") + d.titulo);
            texto(fechas, y, d.fechas);
        } else {
            const QString fecha = QStringLiteral("Fecha: ") + d.fecha;
            const int xFecha = redondeoPar(W / 2.0);
            textoEnColumna(s, x[1], xFecha - M, y, QStringLiteral("Competición: ") + d.titulo);
            texto(xFecha, y, fecha);
            textoEnColumna(s, xFecha + s.textWidth(fecha) + M, fin, y, QStringLiteral("Lugar: ") + d.lugar,
                           Alineado::Derecha);
        }
        y += lh;
        s.line(L, y, R, y);
        tableTop = y;
        y += lh;
        const int banda = y - lh + escalaY(s, 10);
        texto(x[1] + pad, y, QStringLiteral("Nombre y Apellidos"));
        centrado(x[2], x[3], y, QStringLiteral("Licencia"));
        texto(x[3] + pad, y, QStringLiteral("Club"));
        centrado(x[4], x[5], y, QStringLiteral("Pzs"));
        centrado(x[5], x[6], y, QStringLiteral("Val"));
        if (d.final) {
            centrado(x[6], x[7], y, QStringLiteral("Válidas"));
            centrado(x[6], x[7], banda, QStringLiteral("Peso"));
        } else {
            centrado(x[6], x[7], y, QStringLiteral("Peso Válidas"));
        }
        centrado(x[7], x[9], banda, QStringLiteral("Pieza Mayor"));
        texto(x[7] + M, y, QStringLiteral("Clase"));
        hasta(x[9] - M, y, QStringLiteral("Peso"));
        centrado(x[9], x[10], y, d.final ? QStringLiteral("Puntos 1") : QStringLiteral("Puntos"));
        centrado(x[10], x[11], y, d.final ? QStringLiteral("Puntos 2") : QStringLiteral("Bonifica."));
        centrado(x[11], x[12], y, QStringLiteral("Penal"));
        hasta(x[12] + escalaX(s, 100) + numW, y, QStringLiteral("Total"));
        y += lh;
        s.line(L, y, R, y);
        y += escalaY(s, 10);
    }

    void rejillaActa()
    {
        y -= escalaY(s, 20);
        for (int i : {0, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12})
            s.line(x[i] - pad, tableTop, x[i] - pad, y);
        s.line(R, tableTop, R, y);
    }

    void paginaNueva()
    {
        rejillaActa();
        s.newPage();
        y = L;  // the left margin is the top of continuation pages
        titulosActa();
    }

    void fila(const FilaActa& f, int posicion)
    {
        texto(L, y, entero(posicion) + QStringLiteral("º"));
        QString clubAnterior;
        bool hayClub = false;
        for (int k = 0; k < f.miembros.size(); ++k) {
            const MiembroActa& m = f.miembros[k];
            const int ty = y + k * lh;
            // Each text within its cell, short of the rule that closes it.
            textoEnColumna(s, x[1] + pad, x[2] - pad, ty, m.nombre);
            textoEnColumna(s, x[2] + pad, x[3] - pad, ty, m.licencia, Alineado::Centro);
            if (d.final || !hayClub || m.club != clubAnterior)
                textoEnColumna(s, x[3] + pad, x[4] - pad, ty, m.club);
            clubAnterior = m.club;
            hayClub = true;
        }
        centrado(x[4], x[5], y, n00(f.presentadas));
        centrado(x[5], x[6], y, n00(f.validas));
        hasta(x[7] - M, y, n0(f.pesoValidas));
        // The species and the weight of the biggest piece share a cell: the
        // species up to the weight, one "M" short of it.
        const QString peso = n0(f.pesoClase);
        textoEnColumna(s, x[7] + M, x[9] - 2 * M - s.textWidth(peso), y, f.clase);
        hasta(x[9] - M, y, peso);
        hasta(x[10] - M, y, n0(f.puntos1));
        hasta(x[11] - M, y, n0(f.puntos2));
        centrado(x[11], x[12], y, n0(f.penal));
        hasta(R - M, y, n0(f.total));
        // A team without participant records still takes one line.
        y += int(std::max<qsizetype>(1, f.miembros.size())) * lh;
        s.line(L, y, R, y);
        y += escalaY(s, 20);
    }

    // Two statements on one line, the left one from x, the right one ending
    // at R: the right one keeps up to half the line, the left one what is left.
    void dosLados(int izqX, int ty, const QString& izq, const QString& der)
    {
        const int wDer = std::min(s.textWidth(der), (R - izqX) / 2);
        if (!izq.isEmpty())
            textoEnColumna(s, izqX, R - wDer - M, ty, izq);
        if (!der.isEmpty())
            textoEnColumna(s, R - wDer, R, ty, der, Alineado::Derecha);
    }

    void pieActa()
    {
        if (d.final) {
            QString izq, der;
            if (d.pesoPieza > 0) {
                const QString nombre = d.miembrosPieza.isEmpty() ? QString() : d.miembrosPieza[0].nombre + ' ';
                izq = QStringLiteral("Pieza mayor. Equipo ") + entero(d.equipoPieza) + QStringLiteral(". ") + nombre +
                      QStringLiteral(". ") + d.especiePieza + ' ' + n0(d.pesoPieza) + QStringLiteral(" gr");
            }
            if (d.numPiezas > 0) {
                const QString nombre = d.miembrosPiezas.isEmpty() ? QString() : d.miembrosPiezas[0].nombre + ": ";
                der = QStringLiteral("Mayor número de piezas. Equipo ") + entero(d.equipoPiezas) + QStringLiteral(". ") +
                      nombre + entero(d.numPiezas) + QStringLiteral(" piezas");
            }
            dosLados(x[1], y, izq, der);
            return;
        }
        QString izq[2], der[2];
        if (d.pesoPieza > 0) {
            const QString club = d.miembrosPieza.isEmpty() ? QString() : d.miembrosPieza[0].club;
            izq[0] = QStringLiteral("Pieza mayor. Equipo ") + entero(d.equipoPieza) + QStringLiteral(". ") + club +
                     QStringLiteral(". ") + d.especiePieza + ' ' + n0(d.pesoPieza) + QStringLiteral(" gr");
            for (int i = 0; i < d.miembrosPieza.size(); ++i)
                izq[1] += i == 0 ? d.miembrosPieza[i].nombre + ' ' : QStringLiteral(", ") + d.miembrosPieza[i].nombre;
        }
        if (d.numPiezas > 0) {
            const QString club = d.miembrosPiezas.isEmpty() ? QString() : d.miembrosPiezas[0].club;
            der[0] = QStringLiteral("Mayor número de piezas. Equipo ") + entero(d.equipoPiezas) + ' ' + club +
                     QStringLiteral(". ") + entero(d.numPiezas) + QStringLiteral(" piezas");
            QStringList nombres;
            for (const MiembroActa& m : d.miembrosPiezas)
                nombres << m.nombre;
            der[1] = nombres.join(QStringLiteral(", "));
        }
        for (int i = 0; i < 2; ++i)
            dosLados(L, y + i * lh, izq[i], der[i]);
    }

    void dibujar()
    {
        lh = s.textHeight(QStringLiteral("M")) + escalaY(s, 20);
        M = s.textWidth(QStringLiteral("M"));
        R = s.pageWidth() - escalaX(s, 200);
        s.setFontSize(9);
        numW = s.textWidth(QStringLiteral("##,##0"));
        cabeceraActa(s, d.cabecera, L, R, lh, y);
        titulosActa();
        const int limite = s.pageHeight() - escalaY(s, d.final ? 200 : 400);
        bool filasEnPagina = false;
        int posicion = 1;
        for (const FilaActa& f : d.filas) {
            // A block that would run past the bottom starts the next page.
            const int alto = int(std::max<qsizetype>(1, f.miembros.size())) * lh;
            if (filasEnPagina && y + alto > s.pageHeight())
                paginaNueva();
            fila(f, posicion++);
            filasEnPagina = true;
            if (y > limite) {
                paginaNueva();
                filasEnPagina = false;
            }
        }
        rejillaActa();
        y += lh;
        pieActa();
    }
};

}  // namespace

void dibujarActa(const DatosActa& d, PrintSurface& s)
{
    Acta a(d, s);
    printJob(
        s, Orientation::Landscape, d.final ? QStringLiteral("Clasificación Final") : QStringLiteral("Clasificación"),
        [&] { a.columnas(); }, [&] { a.dibujar(); });
}

void imprimirActaJornada(Tdm& dm, PrintSurface& s) { dibujarActa(leerActaJornada(dm), s); }

void imprimirActaFinal(Tdm& dm, PrintSurface& s) { dibujarActa(leerActaFinal(dm), s); }
