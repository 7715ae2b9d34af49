// penalizar, clasificacion and exportar clasfinal: the penalties dialog's
// save, the rankings and the final ranking page, through the same core code
// as the screens.
#include "cli/Command.h"

#include "data/Seleccion.h"
#include "data/Tdm.h"
#include "engine/Field.h"
#include "reports/ClasFinalHtml.h"
#include "scoring/ClasFinal.h"
#include "scoring/ClasificacionDia.h"
#include "scoring/Penal.h"


namespace cli {

namespace {

int penalizar(const Args& a)
{
    const int jornada = smallNumber(a[2], "La jornada");
    const int equipo = smallNumber(a[3], "El equipo");
    const QString valor = a[4].trimmed();
    const bool enPorcentaje = valor.endsWith('%');
    const qint64 cifra = enPorcentaje ? wholeNumber(valor.chopped(1), "El porcentaje", 0, kPenalPorcentajeMax)
                                      : wholeNumber(valor, "La penalización", 0, kPenalPuntosMax);
    if (a.size() == 6 && engine::characterCount(a[5]) > kMotivoMax)
        throw Refusal{QString::fromUtf8("El motivo no puede tener más de %1 caracteres").arg(kMotivoMax)};

    OpenFile d = openDay(a[0], a[1], jornada);
    if (!d->TAparticipa.locate("Equipo", equipo))
        throw Refusal{"No existe el equipo " + QString::number(equipo)};

    // As the dialog does: choosing the team loads its stored penalty, then
    // the value typed (or worked out with "Calc") replaces the points.
    const TPenalizacion antes = leerPenalizacion(*d, equipo);
    qint64 puntos = cifra;
    int porcentaje = 0;
    if (enPorcentaje) {
        const std::optional<qint64> base = basePenalizacion(*d, equipo);
        if (!base)
            throw Refusal{QString::fromUtf8("El equipo %1 no tiene clasificación en la jornada %2: no hay puntos "
                                            "de los que calcular el porcentaje")
                              .arg(equipo)
                              .arg(jornada)};
        porcentaje = int(cifra);
        puntos = puntosDePorcentaje(porcentaje, *base);
    }
    const QString motivo = a.size() == 6 ? a[5] : antes.motivo;
    const std::optional<qint64> total = guardarPenalizacion(*d, equipo, puntos, porcentaje, motivo);
    if (total)
        out(QString::number(*total));
    else
        err(QString::fromUtf8("El equipo %1 no tiene clasificación en la jornada %2: la penalización queda guardada "
                              "y se aplicará cuando se pese")
                .arg(equipo)
                .arg(jornada));
    return 0;
}

// The final ranking: one line per team, its cells as the window shows them,
// the members' names joined.
void printFinalRanking(Tdm& d, const QString& codigo)
{
    const TClasFinal c = clasificacionFinal(d, codigo);
    for (int k = 0; k < int(c.equipos.size()); ++k) {
        QStringList cells = c.celdasEquipo(k);
        cells[2] = c.equipos[size_t(k)].nombres.join(", ");
        out(cells);
    }
}

// Opens the file and makes the competition current, whatever its days.
OpenFile openCompetition(const QString& file, const QString& codigo)
{
    OpenFile d = openFile(file);
    if (!elegirCompeticion(*d, codigo, 0))
        throw Refusal{QString::fromUtf8("No existe la competición «%1»").arg(codigo)};
    return d;
}

// With a day, the day ranking as the ranking window shows it; without, the
// final ranking over every day.
int clasificacion(const Args& a)
{
    if (a.size() == 3) {
        const int jornada = smallNumber(a[2], "La jornada");
        OpenFile d = openDay(a[0], a[1], jornada, true);
        for (const FilaClasificacion& f : filasClasificacionDia(*d, a[1], jornada))
            out(QStringList{f.pos, f.eq, f.nombres.join(", "), f.puntos, f.bonifica, f.total, f.porcentaje});
        return 0;
    }
    OpenFile d = openCompetition(a[0], a[1]);
    printFinalRanking(*d, a[1]);
    return 0;
}

int exportarClasfinal(const Args& a)
{
    const QString carpeta = targetFolder(a);
    OpenFile d = openCompetition(a[0], a[1]);
    const reports::Exportado r =
        reports::exportarClasFinal(clasificacionFinal(*d, a[1]), reports::tituloCompeticion(*d, a[1]), carpeta);
    if (!r.ok)
        throw Refusal{r.error};
    out(r.ficheros.first());
    return 0;
}

}  // namespace

QList<Command> rankingCommands()
{
    return {
        {"penalizar", "FICHERO CODIGO JORNADA EQUIPO VALOR [MOTIVO]", 5, 6, penalizar},
        {"clasificacion", "FICHERO CODIGO [JORNADA]", 2, 3, clasificacion},
        {"exportar clasfinal", "FICHERO CODIGO [--carpeta CARPETA]", 2, 2, exportarClasfinal, {"--carpeta"}},
    };
}

}  // namespace cli
