// exportar clasific, pesca and resumen: the day's files, written as the menu
// commands write them, into --carpeta or the current directory.
#include "cli/Command.h"

#include "data/Tdm.h"
#include "reports/DayExports.h"

#include <optional>

namespace cli {

namespace {

// Prints the files written, or refuses with the reason.
int report(const reports::Exportado& r)
{
    if (!r.ok)
        throw Refusal{r.error};
    for (const QString& f : r.ficheros)
        out(f);
    // Only the stylesheet beside a written page can have failed here.
    if (!r.error.isEmpty())
        err(r.error);
    return 0;
}

int exportarClasific(const Args& a)
{
    const int jornada = smallNumber(a[2], "La jornada");
    const QString carpeta = targetFolder(a);
    OpenFile d = openDay(a[0], a[1], jornada, true);
    return report(reports::exportarClasificacion(*d, a[1], jornada, carpeta));
}

int exportarPesca(const Args& a)
{
    const QString codigo = a[1];
    std::optional<int> dada;
    if (a.size() == 3)
        dada = smallNumber(a[2], "La jornada");
    const QString carpeta = targetFolder(a);
    int jornada = 0;
    OpenFile d;
    if (dada) {
        jornada = *dada;
        d = openDay(a[0], codigo, jornada, true);
    } else {
        // The competition's first day, as the menu command takes it.
        d = openFile(a[0]);
        if (!d->TAcomp.seek(QVariant(codigo)))
            throw Refusal{reports::textoCompeticionNoEncontrada(codigo)};
        jornada = reports::primeraJornada(*d, codigo);
        if (jornada == 0)
            throw Refusal{QString::fromUtf8("La competición «%1» no tiene jornadas").arg(codigo)};
    }
    return report(reports::exportarPesca(*d, codigo, jornada, carpeta));
}

int exportarResumen(const Args& a)
{
    const int jornada = smallNumber(a[2], "La jornada");
    const QString carpeta = targetFolder(a);
    OpenFile d = openDay(a[0], a[1], jornada, true);
    return report(reports::exportarResumen(*d, a[1], jornada, carpeta));
}

}  // namespace

QList<Command> exportCommands()
{
    return {
        {"exportar clasific", "FICHERO CODIGO JORNADA", 3, 3, exportarClasific, {"--carpeta"}},
        {"exportar pesca", "FICHERO CODIGO [JORNADA]", 2, 3, exportarPesca, {"--carpeta"}},
        {"exportar resumen", "FICHERO CODIGO JORNADA", 3, 3, exportarResumen, {"--carpeta"}},
    };
}

}  // namespace cli
