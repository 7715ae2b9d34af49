// recalcular, pesar and borrar-pesada: the weigh-in's work on a day.
#include "cli/Command.h"

#include "data/Globals.h"
#include "data/Tdm.h"
#include "engine/Database.h"
#include "scoring/ClasificacionDia.h"
#include "scoring/Pesaje.h"

#include <optional>

namespace cli {

namespace {

// The day's classification, best total first, equal totals by team number.
void printClassification(Tdm& d, const QString& codigo, int jornada)
{
    int pos = 0;
    for (const RegistroClasificacion& r : registrosClasificacionDia(d, codigo, jornada))
        out(QStringList{QString::number(++pos), QString::number(r.equipo), QString::number(r.puntos),
                        QString::number(r.bonifica), QString::number(r.penaliza), QString::number(r.totalPuntos)});
}

// A team of the current competition, or a refusal.
void requireTeam(Pesaje& p, int equipo)
{
    bool exists = false;
    p.nombrePrimerParticipante(equipo, &exists);
    if (!exists)
        throw Refusal{"No existe el equipo " + QString::number(equipo)};
}

int recalcular(const Args& a)
{
    const QString codigo = a[1];
    const int jornada = smallNumber(a[2], "La jornada");
    OpenFile d = openDay(a[0], codigo, jornada);
    {
        // What the weigh-in's first activation does to the file.
        Pesaje p(*d);
        p.equipoActual = equipoInicial;
        p.mejores();
    }
    // The rewrite itself is silent; each light line is named once here.
    for (const AvisoLinea& w : avisosDia(*d, codigo, jornada))
        err(QStringLiteral("Equipo %1, pesada %2: %3").arg(w.equipo).arg(w.pesada).arg(QString(w.texto).replace('\r', ' ')));
    printClassification(*d, codigo, jornada);
    return 0;
}

int pesar(const Args& a)
{
    const int jornada = smallNumber(a[2], "La jornada");
    const int equipo = smallNumber(a[3], "El equipo");
    // Pieces and weights from 0 up, as the weigh-in's edits take them; a
    // line of no piece is refused by the save itself, as on the screen.
    const int piezas = int(wholeNumber(a[4], "El número de piezas", 0, kSmallMax));
    const qint64 codPez = wholeNumber(a[5], "El código de pez", kIntMin, kIntMax);
    const int peso = int(wholeNumber(a[6], "El peso", 0, kIntMax));
    std::optional<int> valido;
    if (a.size() == 8)
        valido = int(wholeNumber(a[7], "El peso válido", 0, kIntMax));
    OpenFile d = openDay(a[0], a[1], jornada);
    Pesaje p(*d);
    requireTeam(p, equipo);
    // Species only from the register, as the weigh-in's list offers them.
    bool registrada = false;
    d->nombreEspecie(codPez, &registrada);
    if (!registrada)
        throw Refusal{QString::fromUtf8("No existe la especie de código %1").arg(codPez)};
    // A weight the weigh-in would ask about is saved here, as a script
    // asked, and the question said on stderr (judged against the lines
    // before this one).
    const QString duda = p.dudaPeso(codPez, piezas, peso);
    const Pesaje::LineaGuardada r = p.guardarLinea(equipo, piezas, codPez, peso, valido);
    if (!r.ok)
        return 1;
    if (!duda.isEmpty())
        err(duda);
    out(QStringList{QString::number(r.pesada), QString::number(r.total)});
    return 0;
}

int borrarPesada(const Args& a)
{
    const int jornada = smallNumber(a[2], "La jornada");
    const int equipo = smallNumber(a[3], "El equipo");
    const int pesada = smallNumber(a[4], "La pesada");
    OpenFile d = openDay(a[0], a[1], jornada);
    Pesaje p(*d);
    requireTeam(p, equipo);
    if (!p.borrarPesada(equipo, pesada))
        throw Refusal{QString::fromUtf8("El equipo %1 no tiene la pesada nº %2 en esta jornada").arg(equipo).arg(pesada)};
    out(QString::number(p.rEquipo.TotalPuntos));
    return 0;
}

}  // namespace

QList<Command> scoringCommands()
{
    return {
        {"recalcular", "FICHERO CODIGO JORNADA", 3, 3, recalcular},
        {"pesar", "FICHERO CODIGO JORNADA EQUIPO PIEZAS COD_PEZ PESO [PESO_VALIDO]", 7, 8, pesar},
        {"borrar-pesada", "FICHERO CODIGO JORNADA EQUIPO PESADA", 5, 5, borrarPesada},
    };
}

}  // namespace cli
