#include "reports/Resumen.h"

#include "data/Helpers.h"
#include "data/Tdm.h"
#include "engine/Database.h"
#include "reports/DayExports.h"
#include "reports/Pagina.h"
#include "scoring/Scoring.h"

#include <QColor>

namespace {

void diaActual(Tdm& dm, QString& titulo, QString& lugar, QString& fecha, QString& codigo)
{
    if (!dm.TAcomp.active() || dm.TAcomp.isEmpty())
        throw engine::DatabaseError(QString::fromUtf8("No hay competición elegida"));
    codigo = dm.TAcomp.fieldByName("Codigo").asString();
    titulo = dm.TAcomp.fieldByName("Titulo").asString();
    if (dm.TAjornada.active() && !dm.TAjornada.isEmpty()) {
        lugar = dm.TAjornada.fieldByName("Lugar").asString();
        fecha = shortDate(dm.TAjornada.fieldByName("Fecha").asDate());
    }
}

const QColor kGris(238, 238, 238);

}  // namespace

qint64 DatosResumen::piezas() const
{
    qint64 n = 0;
    for (const EspecieResumen& e : especies)
        n += e.piezas;
    return n;
}

qint64 DatosResumen::peso() const
{
    qint64 n = 0;
    for (const EspecieResumen& e : especies)
        n += e.peso;
    return n;
}

DatosResumen leerResumen(Tdm& dm)
{
    if (!dm.TAcomp.active() || dm.TAcomp.isEmpty())
        throw engine::DatabaseError(QString::fromUtf8("No hay competición elegida"));
    return reports::datosResumen(dm, codigoActual(dm), jornadaActual(dm));
}

void dibujarResumen(const DatosResumen& d, PrintSurface& s)
{
    int y = 0, bl = 0, R = 0, x1 = 0, x2 = 0, x3 = 0, lh = 0, fin = 0;
    auto preparar = [&] {
        y = escalaY(s, 200);
        bl = escalaX(s, 1000);
        R = s.pageWidth() - escalaX(s, 1000);
        x1 = escalaX(s, 1300);
        x2 = x1 + escalaX(s, 1000);
        x3 = x2 + escalaX(s, 500);
        fin = R - escalaX(s, 500);
        lh = s.textHeight(QStringLiteral("M")) + escalaY(s, 30);
    };
    auto hasta = [&](int e, int ty, const QString& t) { s.textOut(e - s.textWidth(t), ty, t); };
    auto encabezados = [&] {
        s.textOut(x1, y, QStringLiteral("Especie"));
        s.textOut(x2 - escalaX(s, 100), y, QStringLiteral("Ejemplares"));
        s.textOut(x3, y, QStringLiteral("Peso (gr)"));
        y += escalaY(s, 20) + lh;
        s.line(x1, y, fin, y);
        y += escalaY(s, 20);
    };
    auto dibujar = [&] {
        s.setFontSize(s.fontSize() + 2);
        const QStringList cabecera{QStringLiteral("Resumen de capturas y peso"), d.titulo,
                                   d.lugar + QStringLiteral(" - ") + d.fecha};
        // Centred on the sheet between its margins; a long title or place is
        // shortened rather than run off the page.
        const int margen = escalaX(s, 300);
        for (int i = 0; i < 3; ++i) {
            if (s.textWidth(cabecera[i]) <= R - bl)
                s.textOut(alinea(bl, R - bl, s.textWidth(cabecera[i]), true), y + i * lh, cabecera[i]);
            else
                textoEnColumna(s, margen, s.pageWidth() - margen, y + i * lh, cabecera[i], Alineado::Centro);
        }
        y += 4 * lh;
        encabezados();
        // Rows that would pass the bottom go on to a new page, headings repeated.
        auto paginaNueva = [&] {
            s.setBrushColor(Qt::white);
            s.newPage();
            y = escalaY(s, 200);
            encabezados();
        };
        qint64 piezas = 0, peso = 0;
        const int ancho88 = s.textWidth(QStringLiteral("88")), anchoPeso = s.textWidth(QStringLiteral("##,##0"));
        for (int i = 0; i < d.especies.size(); ++i) {
            if (y + lh > s.pageHeight())
                paginaNueva();
            const EspecieResumen& e = d.especies[i];
            if (i % 2 == 0) {
                s.setBrushColor(kGris);
                s.fillRect(x1, y, fin, y + lh);
            } else {
                s.setBrushColor(Qt::white);
            }
            textoEnColumna(s, x1, x2 - escalaX(s, 100), y, e.nombre);
            hasta(x2 + ancho88, y, entero(e.piezas));
            hasta(x3 + anchoPeso, y, formatNumber(QStringLiteral("##,##0"), e.peso));
            piezas += e.piezas;
            peso += e.peso;
            y += lh;
        }
        s.setBrushColor(Qt::white);
        // The totals and the statistics stay together.
        if (y + 20 + 6 * lh > s.pageHeight())
            paginaNueva();
        s.line(x1, y, fin, y);
        y += 20;
        s.textOut(x1, y, QStringLiteral("TOTALES"));
        s.textOut(x2, y, entero(piezas));
        hasta(x3 + anchoPeso, y, formatNumber(QStringLiteral("##,##0"), peso));
        y += 2 * lh;
        s.textOut(x1, y, QStringLiteral("ESTADÍSTICA"));
        const QString numero = QStringLiteral("Número de equipos: ");
        const int w = s.textWidth(numero);
        y += lh;
        s.textOut(x1, y, numero);
        s.textOut(x1 + w, y, entero(d.equipos));
        // Without teams there is no average: a dash.
        const bool hay = d.equipos > 0;
        y += lh;
        hasta(x1 + w, y, QStringLiteral("Piezas por equipo: "));
        s.textOut(x1 + w, y, hay ? formatNumber(QStringLiteral("0.00"), double(piezas) / d.equipos) : QStringLiteral("-"));
        y += lh;
        hasta(x1 + w, y, QStringLiteral("Peso por equipo: "));
        s.textOut(x1 + w, y,
                  hay ? formatNumber(QStringLiteral("##,##0"), qint64(redondeoPar(double(peso) / d.equipos))) +
                            QStringLiteral(" gr")
                      : QStringLiteral("-"));
    };
    printJob(s, Orientation::Portrait, QStringLiteral("Capturas por especie"), preparar, dibujar);
}

bool imprimirResumen(Tdm& dm, PrintSurface& s)
{
    const DatosResumen d = leerResumen(dm);
    if (d.especies.isEmpty())
        return false;
    dibujarResumen(d, s);
    return true;
}

DatosParticipantes leerParticipantes(Tdm& dm)
{
    DatosParticipantes d;
    QString codigo;
    diaActual(dm, d.titulo, d.lugar, d.fecha, codigo);
    engine::CachedStatement st = dm.db.prepare(
                         "SELECT Equipo, Licencia, Nombre, Club FROM PARTICIP WHERE \"Cod comp\" = ? ORDER BY Equipo, DNI");
    st->bind(1, codigo);
    while (st->step())
        d.filas << ParticipanteListado{int(st->column(0).toLongLong()), st->column(1).toString(), st->column(2).toString(),
                                       st->column(3).toString()};
    return d;
}

void dibujarParticipantes(const DatosParticipantes& d, PrintSurface& s)
{
    // Laid out on the virtual page like every report, so that the list
    // keeps its columns at any printer resolution.
    int y = 0, lh = 0, izq = 0, xEq = 0, xLic = 0, xNom = 0, xClub = 0, fin = 0, hueco = 0, arriba = 0, sep = 0;
    auto regla = [&] {
        s.line(izq, y, fin, y);
        y += sep;
    };
    auto encabezados = [&] {
        s.textOut(xEq, y, QStringLiteral("Eq."));
        textoEnColumna(s, xLic, xNom - hueco, y, QStringLiteral("Licencia"));
        s.textOut(xNom, y, QStringLiteral("Pescador"));
        s.textOut(xClub, y, QStringLiteral("Club"));
        y += lh;
        regla();
    };
    auto preparar = [&] {
        izq = escalaX(s, 200);
        xEq = escalaX(s, 400);
        xLic = escalaX(s, 600);
        xNom = escalaX(s, 1100);
        xClub = escalaX(s, 2600);
        fin = s.pageWidth() - escalaX(s, 500);
        hueco = escalaX(s, 30);
        arriba = escalaY(s, 200);
        sep = escalaY(s, 30);
        y = arriba;
        lh = s.textHeight(QStringLiteral("M")) + sep;
    };
    auto dibujar = [&] {
        const int tamano = s.fontSize();
        s.setFontSize(tamano + 2);
        textoEnColumna(s, izq, fin, y, d.titulo);
        y += lh;
        textoEnColumna(s, izq, fin, y, d.lugar + QStringLiteral(" - ") + d.fecha);
        y += 2 * lh;
        s.setFontSize(tamano + 1);
        regla();
        encabezados();
        int equipo = 0;
        for (int i = 0; i < d.filas.size(); ++i) {
            // A row that would pass the bottom goes on to a new page, headings repeated.
            if (y + lh > s.pageHeight()) {
                s.newPage();
                y = arriba;
                regla();
                encabezados();
            }
            const ParticipanteListado& p = d.filas[i];
            if (p.equipo != equipo) {
                equipo = p.equipo;
                s.textOut(xEq, y, entero(equipo));
            }
            s.textOut(izq, y, entero(i + 1));
            // Each text within its column, short of the next one.
            textoEnColumna(s, xLic, xNom - hueco, y, p.licencia);
            textoEnColumna(s, xNom, xClub - hueco, y, p.nombre);
            textoEnColumna(s, xClub, fin, y, p.club);
            y += lh;
            regla();
        }
    };
    printJob(s, Orientation::Portrait, QStringLiteral("Participantes"), preparar, dibujar);
}

void imprimirParticipantes(Tdm& dm, PrintSurface& s) { dibujarParticipantes(leerParticipantes(dm), s); }
