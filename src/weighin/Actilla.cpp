#include "weighin/Actilla.h"

#include "data/Helpers.h"
#include "data/Tdm.h"
#include "engine/Database.h"
#include "engine/ScopeGuard.h"
#include "reports/Pagina.h"
#include "scoring/Pesaje.h"
#include "scoring/Scoring.h"

#include <QColor>

DatosActilla leerActilla(Tdm& dm, const Pesaje& p, int equipo)
{
    DatosActilla d;
    if (!dm.TAcomp.active() || dm.TAcomp.isEmpty() || !dm.TAjornada.active() || dm.TAjornada.isEmpty())
        throw engine::DatabaseError(QString::fromUtf8("No hay competición y jornada elegidas"));
    const QString codigo = dm.TAcomp.fieldByName("Codigo").asString();
    const int jornada = dm.TAjornada.fieldByName("Numero").asInteger();
    d.titulo = dm.TAcomp.fieldByName("Titulo").asString();
    d.fecha = shortDate(dm.TAjornada.fieldByName("Fecha").asDate());
    d.equipo = equipo;
    {
        engine::CachedStatement st = dm.db.prepare(
                             "SELECT Nombre, Licencia, Club FROM PARTICIP WHERE \"Cod comp\" = ? AND Equipo = ? "
                             "ORDER BY DNI");
        st->bind(1, codigo);
        st->bind(2, equipo);
        while (st->step())
            d.miembros << DatosActilla::Miembro{st->column(0).toString(), st->column(1).toString(), st->column(2).toString()};
    }
    const ReglasPrueba r = leerReglas(dm, codigo);
    engine::CachedStatement st = dm.db.prepare(
                         "SELECT \"Pesada num\", \"Numero piezas\", \"Cod pez\", Peso, \"Peso valido\" FROM PESCADA "
                         "WHERE \"Cod comp\" = ? AND Jornada = ? AND Equipo = ? ORDER BY \"Pesada num\"");
    st->bind(1, codigo);
    st->bind(2, jornada);
    st->bind(3, equipo);
    while (st->step()) {
        LineaActilla l;
        l.pesada = clampInt(st->column(0).toLongLong());
        l.piezas = clampInt(st->column(1).toLongLong());
        const qint64 cod = st->column(2).toLongLong();
        l.peso = clampInt(st->column(3).toLongLong());
        l.pesoValido = clampInt(st->column(4).toLongLong());
        l.especie = dm.nombreEspecie(cod);
        const DesgloseLinea v = desgloseLinea(r, cod, l.pesoValido, l.peso, l.piezas);
        l.puntos = v.puntos;
        l.bonifica = v.Bonifica;
        l.penal = v.Penal;
        l.puntua = !r.tieneReglas(cod) || r.de(cod).puntua;
        d.lineas << l;
    }
    d.especies = p.LEspecies();
    d.puntosEspecies = p.lPuntosEspecies();
    d.cupos = p.LCupos();
    d.puntosCupos = p.lPuntosCupos();
    d.total = p.lTotal();
    d.bonificacion = qint64(p.rEquipo.puntosEspecies) + p.rEquipo.puntosCupos;
    return d;
}

namespace {

const QColor kGris(0xEE, 0xEE, 0xEE);

QString n(qint64 v) { return formatNumber(QStringLiteral("#,##0"), v); }

struct Hoja {
    const DatosActilla& d;
    PrintSurface& s;
    int S = 0, x[9] = {}, padX = 0, padY = 0, L = 0, y = 0, T = 0;

    Hoja(const DatosActilla& d, PrintSurface& s) : d(d), s(s) {}

    void centrado(int a, int b, const QString& t) { s.textOut(alinea(a, b - a, s.textWidth(t), true), y, t); }
    void hasta(int a, int e, const QString& t, int ty) { s.textOut(alinea(a, e - a, s.textWidth(t), false), ty, t); }
    void hasta(int a, int e, const QString& t) { hasta(a, e, t, y); }

    void encabezadosTabla()
    {
        s.setBold(true);
        centrado(x[0], x[1], QStringLiteral("Pesada"));
        centrado(x[1], x[2], QStringLiteral("Piezas"));
        s.textOut(x[2], y, QStringLiteral("Especie"));
        hasta(x[3], x[4] - padX, QStringLiteral("Peso"));
        hasta(x[4], x[5] - padX, QStringLiteral("P. válido"));
        hasta(x[5], x[6], QStringLiteral("Bonif."));
        hasta(x[6], x[7], QStringLiteral("Penal."));
        hasta(x[7], x[8] - padX, QStringLiteral("Puntos"));
        y += L;
        T = y - padY;
        y += 5;
        s.line(x[0] - padX, T, x[8], T);
        s.setBold(false);
    }

    void marco()
    {
        s.line(x[0] - padX, y + padY, x[8], y + padY);
        s.line(x[0] - padX, y + padY, x[0] - padX, T);
        s.line(x[8], y + padY, x[8], T);
    }

    void dibujar()
    {
        S = s.fontSize();
        const int anchos[8] = {300, 300, 900, 300, 450, 300, 350, 450};
        x[0] = escalaX(s, 700);
        for (int i = 1; i <= 8; ++i)
            x[i] = x[i - 1] + escalaX(s, anchos[i - 1]);
        padX = escalaX(s, 20);
        padY = escalaY(s, 20);
        L = s.textHeight(QStringLiteral("M")) + padY;
        y = escalaY(s, 200);
        const int W = s.pageWidth();

        // Heading block.
        s.setFontSize(S + 2);
        s.setBold(true);
        for (const QString& t : {d.titulo, d.fecha}) {
            s.textOut(alinea(1, W, s.textWidth(t), true), y, t);
            y += s.textHeight(t) + escalaY(s, 10);
        }
        s.setFontSize(S);
        const QString hoja = QStringLiteral("Actilla de pesaje");
        s.textOut(alinea(1, W, s.textWidth(hoja), true), y, hoja);
        y += 2 * s.textHeight(hoja);
        s.textOut(x[0], y, QStringLiteral("Equipo ") + entero(d.equipo));
        y += L;
        s.textOut(x[0], y, QStringLiteral("Participantes"));
        s.textOut(x[3], y, QStringLiteral("Licencia"));
        s.textOut(x[5], y, QStringLiteral("Club"));
        y += L;
        s.line(x[0] - padX, y - padY, x[8], y - padY);
        // Each text short of the next column.
        for (const DatosActilla::Miembro& m : d.miembros) {
            textoEnColumna(s, x[0], x[3] - padX, y, m.nombre);
            textoEnColumna(s, x[3], x[5] - padX, y, m.licencia);
            textoEnColumna(s, x[5], x[8], y, m.club);
            y += L;
        }
        s.line(x[0] - padX, y - padY, x[8], y - padY);
        y += L;

        // Catch table; a line that would pass the bottom goes on to a new
        // page, inside a frame of its own and under the headings again.
        encabezadosTabla();
        engine::ScopeGuard blanco{[&] { s.setBrushColor(Qt::white); }};
        qint64 puntos = 0, validas = 0, pesoValidas = 0;
        QString nombreMayor;
        int pesoMayor = 0;
        for (int i = 0; i < d.lineas.size(); ++i) {
            if (y - padY / 2 + L > s.pageHeight() - padY) {
                s.setBrushColor(Qt::white);
                marco();
                s.newPage();
                y = escalaY(s, 200);
                encabezadosTabla();
            }
            const LineaActilla& l = d.lineas[i];
            s.setBrushColor(i % 2 == 0 ? kGris : QColor(Qt::white));
            s.fillRect(x[0] - padX, y - padY / 2, x[8], y - padY / 2 + L);
            centrado(x[0], x[1], entero(l.pesada));
            centrado(x[1], x[2], entero(l.piezas));
            textoEnColumna(s, x[2], x[3] - padX, y, l.especie);
            hasta(x[3], x[4] - padX, n(l.peso));
            hasta(x[4], x[5] - padX, n(l.pesoValido));
            hasta(x[5], x[6] - padX, n(l.bonifica));
            hasta(x[6], x[7] - padX, n(l.penal));
            hasta(x[7], x[8] - padX, n(l.puntos));
            puntos += l.puntos;
            if (l.puntos > 0) {
                validas += l.piezas;
                pesoValidas += l.pesoValido;
            }
            if (l.piezas == 1 && l.puntos > 0 && l.peso > pesoMayor && l.puntua) {
                nombreMayor = l.especie;
                pesoMayor = l.peso;
            }
            y += L;
        }
        s.setBrushColor(Qt::white);
        marco();

        // The summary box is drawn whole: on the next page when it does not fit here.
        const int altoResumen = 7 * L + 2 * padY;
        if (y + altoResumen > s.pageHeight()) {
            s.newPage();
            y = escalaY(s, 200) - L;
        }
        y += L;
        s.textOut(x[0], y, QStringLiteral("Pieza Mayor: ") + nombreMayor + QStringLiteral(" (") + n(pesoMayor) +
                               QStringLiteral(" gr.)"));
        const int B = y - padY;
        const int mitad = redondeoPar(L / 2.0);
        hasta(x[0], x[5] - 2 * padX, QStringLiteral("Válidas"), y + mitad);
        s.setBrushColor(kGris);
        s.fillRect(x[5] - padX, B, x[8], B + L);
        centrado(x[5], x[6] - padX, QStringLiteral("Piezas"));
        centrado(x[6], x[7] - padX, QStringLiteral("Peso"));
        hasta(x[7], x[8] - padX, QStringLiteral("Puntos"));
        s.setBrushColor(Qt::white);
        const int K = x[5] - (s.textWidth(QStringLiteral("Bonificaciones  ")) + padX);
        s.line(K, y - padY, x[8], y - padY);
        y += L;
        s.line(x[5] - padX, y - padY, x[8], y - padY);
        centrado(x[5], x[6], entero(validas));
        centrado(x[6], x[7], n(pesoValidas));
        hasta(x[7], x[8] - padX, n(puntos));
        y += L;
        hasta(x[0], x[5] - 2 * padX, QStringLiteral("Bonificaciones"), y + mitad);
        s.setBrushColor(kGris);
        s.fillRect(x[5] - padX, y - padY, x[8], y - padY + L);
        centrado(x[5], x[6] - padX, QStringLiteral("Especies"));
        centrado(x[6], x[7], QStringLiteral("Cupos"));
        hasta(x[7], x[8] - padX, QStringLiteral("Total"));
        s.setBrushColor(Qt::white);
        s.line(K, y - padY, x[8], y - padY);
        y += L;
        s.line(x[5] - padX, y - padY, x[8], y - padY);
        s.textOut(x[5], y, QStringLiteral("(") + d.especies + QStringLiteral(") ") + d.puntosEspecies);
        centrado(x[6], x[7], QStringLiteral("(") + d.cupos + QStringLiteral(") ") + d.puntosCupos);
        hasta(x[7], x[8] - padX, n(d.bonificacion));
        y += L;
        s.line(K, y, x[8], y);
        y += padY;
        s.setBold(true);
        s.textOut(x[5], y, QStringLiteral("TOTAL PUNTOS"));
        hasta(x[7], x[8] - padX, d.total);
        s.setBold(false);
        s.line(K, B, K, y - padY);
        s.line(x[5] - padX, y - padY, x[5] - padX, B);
        s.line(x[8], y - padY, x[8], B);
    }
};

}  // namespace

void dibujarActilla(const DatosActilla& d, PrintSurface& s)
{
    Hoja h(d, s);
    printJob(s, Orientation::Portrait, QStringLiteral("Actilla equipo ") + entero(d.equipo), {},
                     [&] { h.dibujar(); });
}

void imprimirActilla(Tdm& dm, Pesaje& p, PrintSurface& s) { dibujarActilla(leerActilla(dm, p, p.equipoActual), s); }
