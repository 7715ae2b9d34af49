// tarsela-cli: the command-line front of the program.
#include "data/Demo.h"
#include "data/Globals.h"
#include "data/Schema.h"
#include "data/Seleccion.h"
#include "data/Tdm.h"
#include "engine/Database.h"
#include "engine/DatabaseError.h"
#include "scoring/Pesaje.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>
#include <memory>
#include <optional>

namespace {

void err(const QString& s) { std::fprintf(stderr, "%s\n", s.toUtf8().constData()); }

int usage()
{
    err(QString::fromUtf8("Uso:\n"
                          "  tarsela-cli crear-base FICHERO\n"
                          "  tarsela-cli demo FICHERO\n"
                          "  tarsela-cli recalcular FICHERO CODIGO JORNADA\n"
                          "  tarsela-cli pesar FICHERO CODIGO JORNADA EQUIPO PIEZAS COD_PEZ PESO [PESO_VALIDO]"));
    return 1;
}

void out(const QString& s)
{
    std::fprintf(stdout, "%s\n", s.toUtf8().constData());
    std::fflush(stdout);
}

// A refusal: the message on stderr and exit code 1.
struct Refusal {
    QString message;
};

// A whole number in plain decimal within [lo, hi], or a refusal naming the field.
qint64 wholeNumber(const QString& text, const char* what, qint64 lo, qint64 hi)
{
    const QString t = text.trimmed();
    bool ok = !t.isEmpty();
    for (int i = 0; ok && i < t.size(); ++i) {
        const QChar c = t[i];
        const bool digit = c >= QLatin1Char('0') && c <= QLatin1Char('9');
        const bool sign = i == 0 && t.size() > 1 && (c == QLatin1Char('-') || c == QLatin1Char('+'));
        ok = digit || sign;
    }
    qint64 v = 0;
    if (ok)
        v = t.toLongLong(&ok);
    if (!ok || v < lo || v > hi)
        throw Refusal{QString::fromUtf8("%1 debe ser un número entero entre %2 y %3: «%4»")
                          .arg(QString::fromUtf8(what))
                          .arg(lo)
                          .arg(hi)
                          .arg(text)};
    return v;
}

constexpr qint64 kSmallMin = -32768, kSmallMax = 32767;
constexpr qint64 kIntMin = -2147483648LL, kIntMax = 2147483647LL;

// Opens the file and makes the competition and day current, as the
// chooser's OK does.
std::unique_ptr<Tdm> openDay(const QString& file, const QString& codigo, int jornada)
{
    if (!QFileInfo(file).isFile())
        throw Refusal{QString::fromUtf8("No existe el fichero «%1»").arg(file)};
    std::unique_ptr<Tdm> d = Tdm::abrirFichero(file);
    if (!d->db.isOpen() || !d->TAcomp.active() || !d->TAjornada.active() || !d->TAparticipa.active())
        throw Refusal{QString::fromUtf8("El fichero «%1» no es una base de datos de competiciones").arg(file)};
    dm = d.get();
    bool dayFound = false;
    if (!elegirCompeticion(*d, codigo, jornada, &dayFound))
        throw Refusal{QString::fromUtf8("No existe la competición «%1»").arg(codigo)};
    if (!dayFound)
        throw Refusal{QString::fromUtf8("La competición «%1» no tiene la jornada %2").arg(codigo).arg(jornada)};
    if (d->TAparticipa.isEmpty())
        throw Refusal{QString::fromUtf8("No hay participantes en esta prueba")};
    return d;
}

// The day's classification, best total first, equal totals by team number.
void printClassification(Tdm& d, const QString& codigo, int jornada)
{
    engine::Statement st(d.db.handle(),
                         "SELECT Equipo, Puntos, Bonifica, Penaliza, TotalPuntos FROM CLASIFIC "
                         "WHERE Competicion = ? AND Jornada = ? "
                         "ORDER BY coalesce(TotalPuntos, 0) DESC, coalesce(Equipo, 0) ASC");
    st.bind(1, codigo);
    st.bind(2, jornada);
    int pos = 0;
    while (st.step()) {
        QStringList cols{QString::number(++pos)};
        for (int i = 0; i < 5; ++i)
            cols << QString::number(st.column(i).toLongLong());
        out(cols.join('\t'));
    }
}

int recalcular(const QStringList& args)
{
    const QString file = args[1], codigo = args[2];
    const int jornada = int(wholeNumber(args[3], "La jornada", kSmallMin, kSmallMax));
    std::unique_ptr<Tdm> d = openDay(file, codigo, jornada);
    {
        // What the weigh-in's first activation does to the file.
        Pesaje p(*d);
        p.equipoActual = equipoInicial;
        p.mejores();
    }
    printClassification(*d, codigo, jornada);
    dm = nullptr;
    return 0;
}

int pesar(const QStringList& args)
{
    const QString file = args[1], codigo = args[2];
    const int jornada = int(wholeNumber(args[3], "La jornada", kSmallMin, kSmallMax));
    const int equipo = int(wholeNumber(args[4], "El equipo", kSmallMin, kSmallMax));
    const int piezas = int(wholeNumber(args[5], "El número de piezas", kSmallMin, kSmallMax));
    const qint64 codPez = wholeNumber(args[6], "El código de pez", kIntMin, kIntMax);
    const int peso = int(wholeNumber(args[7], "El peso", kIntMin, kIntMax));
    std::optional<int> valido;
    if (args.size() == 9)
        valido = int(wholeNumber(args[8], "El peso válido", kIntMin, kIntMax));
    std::unique_ptr<Tdm> d = openDay(file, codigo, jornada);
    Pesaje p(*d);
    bool exists = false;
    p.nombrePrimerParticipante(equipo, &exists);
    if (!exists)
        throw Refusal{"No existe el equipo " + QString::number(equipo)};
    const Pesaje::LineaGuardada r = p.guardarLinea(equipo, piezas, codPez, peso, valido);
    if (!r.ok)
        return 1;
    out(QString::number(r.pesada) + '\t' + QString::number(r.total));
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return usage();
    const QString cmd = args[0];
    try {
        if (cmd == "crear-base") {
            if (args.size() != 2) return usage();
            schema::createDatabase(args[1]);
            return 0;
        }
        if (cmd == "demo") {
            if (args.size() != 2) return usage();
            createDemo(args[1]);
            return 0;
        }
        if (cmd == "recalcular") {
            if (args.size() != 4) return usage();
            return recalcular(args);
        }
        if (cmd == "pesar") {
            if (args.size() != 8 && args.size() != 9) return usage();
            return pesar(args);
        }
    } catch (const Refusal& r) {
        err(r.message);
        return 1;
    } catch (const engine::DatabaseError& e) {
        err(e.message());
        return 1;
    }
    err(QString::fromUtf8("Orden desconocida: «%1»").arg(cmd));
    return usage();
}
