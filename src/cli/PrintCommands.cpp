// imprimir: every printed report drawn onto a PDF file, as its menu command
// draws it onto the printer, with no dialog.
#include "cli/Command.h"

#include "data/Globals.h"
#include "data/Seleccion.h"
#include "data/Tdm.h"
#include "reports/Actas.h"
#include "reports/DayExports.h"
#include "reports/PainterSurface.h"
#include "reports/PdfDevice.h"
#include "reports/Resumen.h"
#include "scoring/Pesaje.h"
#include "weighin/Actilla.h"

#include <functional>

namespace cli {

namespace {

// Draws one report into the file: written whole on success, the file that
// was there left as it was on any failure (a full disk included).
void alPdf(const QString& salida, const std::function<void(PrintSurface&)>& informe)
{
    PdfDevice pdf(salida);
    {
        PainterSurface surface(pdf);
        try {
            informe(surface);
        } catch (const PrintError& e) {
            throw Refusal{e.message()};
        }
    }
    QString error;
    if (!pdf.finish(&error))
        throw Refusal{error};
}

// The competition current, and its day when one is given (else its first day).
OpenFile abrir(const Args& a, bool conJornada, int jornada)
{
    if (conJornada)
        return openDay(a[1], a[2], jornada, true);
    OpenFile d = openFile(a[1]);
    if (!elegirCompeticion(*d, a[2], 0))
        throw Refusal{QString::fromUtf8("No existe la competición «%1»").arg(a[2])};
    d->TAjornada.first();
    return d;
}

void necesita(const Args& a, int n, const QString& informe, const char* que)
{
    if (a.size() != n)
        throw Refusal{QString::fromUtf8("El informe «%1» necesita %2").arg(informe, QString::fromUtf8(que))};
}

int imprimir(const Args& a)
{
    const QString informe = a[0];
    const QString salida = a.option("--pdf");
    if (informe == "actilla") {
        necesita(a, 5, informe, "JORNADA y EQUIPO");
        const int jornada = smallNumber(a[3], "La jornada");
        const int equipo = smallNumber(a[4], "El equipo");
        OpenFile d = abrir(a, true, jornada);
        Pesaje p(*d);
        bool existe = false;
        p.nombrePrimerParticipante(equipo, &existe);
        if (!existe)
            throw Refusal{"No existe el equipo " + QString::number(equipo)};
        p.equipoActual = equipo;
        p.rEquipo.equipo = equipo;
        p.sumapuntos(a[2], jornada, equipo);
        alPdf(salida, [&](PrintSurface& s) { imprimirActilla(*d, p, s); });
    } else if (informe == "acta" || informe == "resumen") {
        necesita(a, 4, informe, "JORNADA");
        OpenFile d = abrir(a, true, smallNumber(a[3], "La jornada"));
        if (informe == "acta") {
            alPdf(salida, [&](PrintSurface& s) { imprimirActaJornada(*d, s); });
        } else {
            const DatosResumen r = leerResumen(*d);
            if (r.especies.isEmpty())
                throw Refusal{reports::textoSinPesaje()};
            alPdf(salida, [&](PrintSurface& s) { dibujarResumen(r, s); });
        }
    } else if (informe == "acta-final") {
        necesita(a, 3, informe, "solo FICHERO y CODIGO");
        OpenFile d = abrir(a, false, 0);
        alPdf(salida, [&](PrintSurface& s) { imprimirActaFinal(*d, s); });
    } else if (informe == "participantes") {
        if (a.size() > 4)
            throw Refusal{QString::fromUtf8("El informe «participantes» admite solo JORNADA tras el código")};
        OpenFile d = a.size() == 4 ? abrir(a, true, smallNumber(a[3], "La jornada")) : abrir(a, false, 0);
        alPdf(salida, [&](PrintSurface& s) { imprimirParticipantes(*d, s); });
    } else {
        throw Refusal{QString::fromUtf8("Informe desconocido: «%1» (actilla, acta, acta-final, resumen o "
                                        "participantes)")
                          .arg(informe)};
    }
    return 0;
}

}  // namespace

QList<Command> printCommands()
{
    return {
        {"imprimir", "INFORME FICHERO CODIGO [JORNADA [EQUIPO]] --pdf SALIDA.pdf", 3, 5, imprimir, {"--pdf"}, {"--pdf"},
         true},
    };
}

}  // namespace cli
