#include "scoring/Pesaje.h"

#include "data/Dialogs.h"
#include "data/Helpers.h"
#include "data/Tdm.h"
#include "engine/Database.h"
#include "engine/ScopeGuard.h"
#include "scoring/Penal.h"


#include <memory>
#include <vector>

namespace {

int fieldInt(engine::Dataset& ds, const char* name) { return clampInt(ds.fieldByName(name).asLargeInt()); }

QString grouped(qint64 v) { return formatNumber("#,##0", v); }

// Leaves a dataset the session opened for one computation closed, with
// nothing pending.
void cancelAndClose(engine::Dataset& ds)
{
    ds.cancel();
    ds.close();
}

}  // namespace

Pesaje::Pesaje(Tdm& d)
    : dm(d), TApes2(d.db, "PESCADA"), TApart2(d.db, "PARTICIP"), Qgeneral(d.db)
{
    TApes2.setIndexName("idxPrimaryKey");
    TApes2.setMaster(&dm.Sjornada, "Cod comp;Numero");
    TApart2.setIndexName("idxPrimaryKey");
    TApart2.setMaster(&dm.Scomp, "Codigo");
}

Pesaje::~Pesaje()
{
    for (engine::Dataset* ds : std::initializer_list<engine::Dataset*>{&Qgeneral, &TApart2, &TApes2}) {
        // A destructor must not throw; what is still pending here was never
        // confirmed by the user, and every saved line is already on disk.
        try {
            cancelAndClose(*ds);
        } catch (const engine::DatabaseError&) {
        }
    }
}

void Pesaje::entradaDeEquipo(int eq)
{
    // Each post reads the view again: it holds the team's lines only.
    const QString cc = codigoActual(dm);
    const int jor = jornadaActual(dm);
    const QVariantList clave{cc, jor, eq};
    TApes2.cancel();
    if (clave != claveEntrada_ || !TApes2.active()) {
        claveEntrada_ = clave;
        TApes2.setRange(clave, clave);
        if (!TApes2.active())
            TApes2.open();
    }
}

QStringList Pesaje::textoConsultaTally(const QString& cc, int jor, int eq)
{
    // The last line keeps the weighing order the biggest piece relies on.
    return {"Select [cod pez] as cp, [Numero piezas] as np, peso, [Peso valido] as pv", "From pescada as p",
            "Where p.[cod comp] = " + quotedCode(cc) + " and p.jornada = " + QString::number(jor) +
                " and p.equipo = " + QString::number(eq),
            "Order by p.[pesada num]"};
}

qint64 Pesaje::sumapuntos(const QString& cc, int jor, int eq)
{
    if (!dm.TAespecial.active())
        dm.TAespecial.open();
    return sumapuntos(reglasActuales(dm), cc, jor, eq);
}

qint64 Pesaje::sumapuntos(const ReglasPrueba& r, const QString& cc, int jor, int eq)
{
    std::vector<LineaPesca> lineas;
    Qgeneral.close();
    Qgeneral.setSql(textoConsultaTally(cc, jor, eq));
    {
        engine::ScopeGuard closer{[&] { cancelAndClose(Qgeneral); }};
        Qgeneral.open();
        for (Qgeneral.first(); !Qgeneral.eof(); Qgeneral.next())
            lineas.push_back({Qgeneral.fieldByName("cp").asLargeInt(), fieldInt(Qgeneral, "np"),
                              fieldInt(Qgeneral, "peso"), fieldInt(Qgeneral, "pv")});
    }
    return recuento(r, lineas);
}

qint64 Pesaje::recuento(const ReglasPrueba& r, const std::vector<LineaPesca>& lineas)
{
    qint64 puntos = 0, presentadas = 0, validas = 0;
    rEquipo.puntos = 0;
    rEquipo.PesoPMayor = 0;
    rEquipo.CodpezMayor = 0;
    rEquipo.piezasValidas = 0;
    rEquipo.piezasPresentadas = 0;
    rEquipo.penal = 0;
    rEquipo.NombrePMayor.clear();
    Lppmayor_.clear();
    lPValidas_ = "0";

    for (const LineaPesca& l : lineas) {
        const ConstantesPesca& c = r.de(l.cod);
        if (qint64(l.peso) >= qint64(l.piezas) * c.pesoMinimo) {
            if (c.puntua && l.piezas == 1 && l.peso > rEquipo.PesoPMayor) {
                rEquipo.PesoPMayor = l.peso;
                rEquipo.CodpezMayor = clampInt(l.cod);
                bool found = false;
                const QString name = nombreEspecie(dm, l.cod, &found);
                rEquipo.NombrePMayor = found ? name : QStringLiteral("?");
            }
            validas += l.piezas;
        }
        presentadas += l.piezas;
        puntos += calculoPuntos(r, l.cod, l.pesoValido, l.peso, l.piezas);
    }
    rEquipo.puntos = clampInt(puntos);
    rEquipo.piezasPresentadas = clampInt(presentadas);
    rEquipo.piezasValidas = clampInt(validas);

    Lppmayor_ = textoPiezaMayorEquipo(rEquipo.NombrePMayor, rEquipo.PesoPMayor);
    lPValidas_ = QString::number(rEquipo.piezasValidas);
    lnpuntos_ = grouped(rEquipo.puntos);

    // The bonuses see the lines species by species, as their queries do.
    std::vector<LineaPesca> porEspecie = lineas;
    std::stable_sort(porEspecie.begin(), porEspecie.end(),
                     [](const LineaPesca& a, const LineaPesca& b) { return a.cod < b.cod; });
    rEquipo.puntosCupos = 0;
    if (r.puntosCupo > 0) {
        const Bonificacion b = bonoCupos(r, porEspecie);
        rEquipo.puntosCupos = b.puntos;
        LCupos_ = QString::number(b.cuenta);
        lPuntosCupos_ = grouped(rEquipo.puntosCupos);
    }
    rEquipo.puntosEspecies = 0;
    if (r.puntosEspecie > 0) {
        const Bonificacion b = bonoEspecies(r, porEspecie);
        rEquipo.puntosEspecies = b.puntos;
        LEspecies_ = QString::number(b.cuenta);
        lPuntosEspecies_ = grouped(rEquipo.puntosEspecies);
    }
    // The bonus column is 32-bit: the total is built from the stored figures.
    const int bonifica = clampInt(qint64(rEquipo.puntosEspecies) + rEquipo.puntosCupos);
    rEquipo.TotalPuntos = qint64(rEquipo.puntos) + bonifica;
    lTotal_ = grouped(rEquipo.TotalPuntos);
    return rEquipo.TotalPuntos;
}

QString Pesaje::textoMejorPuntuacion(int equipo, const QString& nombre, qint64 puntos)
{
    if (puntos < 1)
        return "0";
    return QString::number(equipo) + ": " + nombre + " (" + grouped(puntos) + ")";
}

QString Pesaje::textoMejorPuntuacionGuardada(int equipo, const QString& nombre, qint64 puntos)
{
    return "Equipo " + QString::number(equipo) + ": " + nombre + " (" + grouped(puntos) + ")";
}

QString Pesaje::textoPiezaMayor(int equipo, const QString& nombre, const QString& especie, int peso)
{
    if (peso < 1)
        return "0";
    return QString::number(equipo) + ": " + nombre + ". " + especie + " (" + grouped(peso) + " gr)";
}

QString Pesaje::textoPiezaMayorGuardada(int equipo, const QString& especie, int peso)
{
    return "Equipo " + QString::number(equipo) + ": " + especie + " (" + grouped(peso) + " gr)";
}

QString Pesaje::textoPiezaMayorEquipo(const QString& especie, int peso)
{
    return especie + " (" + grouped(peso) + " gr)";
}

QString Pesaje::nombrePrimerParticipante(int eq, bool* exists)
{
    if (exists) *exists = false;
    // The range is set before opening, so that only the team's rows are
    // read; a view that was closed is closed again before the range goes.
    const bool wasOpen = TApart2.active();
    engine::ScopeGuard restore{[&] {
        if (!wasOpen) TApart2.close();
        TApart2.cancelRange();
    }};
    const QString cc = codigoActual(dm);
    TApart2.setRange({cc, eq}, {cc, eq});
    TApart2.open();
    if (TApart2.isEmpty())
        return {};
    if (exists) *exists = true;
    TApart2.first();
    return TApart2.fieldByName("Nombre").asString();
}

std::vector<Pesaje::ValorRegistro> Pesaje::valoresRegistro(const tRequipo& r, int penaliza)
{
    const int bonifica = clampInt(qint64(r.puntosEspecies) + r.puntosCupos);
    return {{"Puntos", r.puntos},
            {"Bonifica", bonifica},
            {"Penaliza", penaliza},
            {"TotalPuntos", totalPenalizado(r.puntos, bonifica, penaliza)},
            {"Presentadas", r.piezasPresentadas},
            {"Validas", r.piezasValidas},
            {"codPiezaMayor", r.CodpezMayor},
            {"PesoPiezaMayor", r.PesoPMayor}};
}

void Pesaje::escribirRegistro(const QString& cc, int jor, int eq, int penaliza)
{
    // The team's stored penalty stays applied through every rewrite.
    rEquipo.penal = penaliza;
    const std::vector<ValorRegistro> valores = valoresRegistro(rEquipo, penaliza);
    QStringList sets, cols{"Competicion", "Jornada", "Equipo"}, marks{"?", "?", "?"};
    for (const ValorRegistro& v : valores) {
        sets << engine::quoteIdent(QString::fromLatin1(v.campo)) + " = ?";
        cols << engine::quoteIdent(QString::fromLatin1(v.campo));
        marks << "?";
    }
    engine::Database& db = dm.db;
    qint64 cambiados = 0;
    {
        engine::CachedStatement upd = db.prepare("UPDATE CLASIFIC SET " + sets.join(", ") +
                                                 " WHERE Competicion = ? AND Jornada = ? AND Equipo = ?");
        int i = 1;
        for (const ValorRegistro& v : valores)
            upd->bind(i++, v.valor);
        upd->bind(i++, cc);
        upd->bind(i++, jor);
        upd->bind(i++, eq);
        upd->step();
        cambiados = upd->changes();
    }
    if (cambiados == 0) {
        engine::CachedStatement ins =
            db.prepare("INSERT INTO CLASIFIC (" + cols.join(", ") + ") VALUES (" + marks.join(", ") + ")");
        int i = 1;
        ins->bind(i++, cc);
        ins->bind(i++, jor);
        ins->bind(i++, eq);
        for (const ValorRegistro& v : valores)
            ins->bind(i++, v.valor);
        ins->step();
    }
    db.touch("CLASIFIC");
}

void Pesaje::escribeClasificacionGuardada()
{
    const QString cc = codigoActual(dm);
    const int jor = jornadaActual(dm);
    escribirRegistro(cc, jor, rEquipo.equipo, penalizacionEquipo(dm.db, cc, jor, rEquipo.equipo));
}

void Pesaje::actualizaClasificacion() { escribeClasificacionGuardada(); }

void Pesaje::mejores()
{
    // Every team of the day is tallied: its lines were warned about when
    // they were saved, so the rewrite shows no warning.
    SilencioAvisos silencio;
    rMejores.Puntos = 0;
    rMejores.PesoPMayor = 0;
    const QString cc = codigoActual(dm);
    const int jor = jornadaActual(dm);

    struct Equipo {
        int eq;
        QString nombre;
    };
    std::vector<Equipo> equipos;
    {
        engine::ScopeGuard closer{[&] { cancelAndClose(TApart2); }};
        TApart2.cancelRange();
        TApart2.open();
        bool any = false;
        int last = 0;
        for (TApart2.first(); !TApart2.eof(); TApart2.next()) {
            const int eq = fieldInt(TApart2, "Equipo");
            if (any && eq == last)
                continue;
            any = true;
            last = eq;
            equipos.push_back({eq, TApart2.fieldByName("Nombre").asString()});
        }
    }

    auto nombreDe = [&](int eq) {
        for (const Equipo& e : equipos)
            if (e.eq == eq) return e.nombre;
        return QString();
    };

    // The rules once, the day's lines in one pass, by team in weighing order.
    engine::Database& db = dm.db;
    if (!dm.TAespecial.active())
        dm.TAespecial.open();
    const ReglasPrueba r = reglasActuales(dm);
    QHash<int, std::vector<LineaPesca>> lineas;
    {
        engine::CachedStatement st =
            db.prepare("SELECT Equipo, \"Cod pez\", \"Numero piezas\", Peso, \"Peso valido\" FROM PESCADA "
                       "WHERE \"Cod comp\" = ? AND Jornada = ? ORDER BY Equipo, \"Pesada num\"");
        st->bind(1, cc);
        st->bind(2, jor);
        std::vector<LineaPesca>* equipo = nullptr;
        int ultimo = 0;
        while (st->step()) {
            const int eq = clampInt(st->columnInt(0));
            if (!equipo || eq != ultimo) {
                equipo = &lineas[eq];
                ultimo = eq;
            }
            equipo->push_back({st->columnInt(1), clampInt(st->columnInt(2)), clampInt(st->columnInt(3)),
                               clampInt(st->columnInt(4))});
        }
    }
    const std::vector<LineaPesca> ninguna;

    // Every team's record is rewritten in one transaction: all or nothing.
    const QHash<int, int> penalizaciones = penalizacionesDia(db, cc, jor);
    db.startTransaction();
    try {
        for (const Equipo& e : equipos) {
            const auto it = lineas.constFind(e.eq);
            rEquipo.TotalPuntos = recuento(r, it == lineas.constEnd() ? ninguna : it.value());
            escribirRegistro(cc, jor, e.eq, penalizaciones.value(e.eq, 0));
            if (rEquipo.TotalPuntos > rMejores.Puntos) {
                rMejores.Puntos = rEquipo.TotalPuntos;
                rMejores.EquipoPuntos = e.eq;
            }
            if (rEquipo.PesoPMayor > rMejores.PesoPMayor) {
                rMejores.PesoPMayor = rEquipo.PesoPMayor;
                rMejores.EquipoPM = e.eq;
                rMejores.CodpezMayor = rEquipo.CodpezMayor;
            }
        }
        db.commit();
    } catch (...) {
        // The rewrite's own error is the one to report; a failed rollback
        // leaves the transaction to the database, which discards it.
        try {
            db.rollback();
        } catch (const engine::DatabaseError&) {
        }
        throw;
    }

    lempuntos_ = textoMejorPuntuacion(rMejores.EquipoPuntos, nombreDe(rMejores.EquipoPuntos), rMejores.Puntos);
    lpmayorCamp_ = rMejores.PesoPMayor < 1
                       ? QStringLiteral("0")
                       : textoPiezaMayor(rMejores.EquipoPM, nombreDe(rMejores.EquipoPM),
                                         nombreEspecie(dm, rMejores.CodpezMayor), rMejores.PesoPMayor);

    rEquipo.TotalPuntos = sumapuntos(cc, jor, equipoActual);
}

void Pesaje::mejoresTrasGuardar(qint64 total)
{
    if (total > rMejores.Puntos) {
        rMejores.Puntos = total;
        rMejores.EquipoPuntos = rEquipo.equipo;
        bool exists = false;
        const QString nombre = nombrePrimerParticipante(rEquipo.equipo, &exists);
        if (exists)
            lempuntos_ = textoMejorPuntuacionGuardada(rEquipo.equipo, nombre, total);
    }
    if (rEquipo.PesoPMayor > rMejores.PesoPMayor) {
        rMejores.PesoPMayor = rEquipo.PesoPMayor;
        rMejores.EquipoPM = equipoActual;
        rMejores.CodpezMayor = rEquipo.CodpezMayor;
        rMejores.NombrePMayor.clear();
        bool found = false;
        const QString especie = nombreEspecie(dm, rMejores.CodpezMayor, &found);
        if (found) {
            rMejores.NombrePMayor = especie;
            lpmayorCamp_ = textoPiezaMayorGuardada(rMejores.EquipoPM, especie, rMejores.PesoPMayor);
        }
    }
}

qint64 Pesaje::siguientePesada(const QString& cc, int jor, int eq)
{
    engine::CachedStatement st = dm.db.prepare(
                         "SELECT max(\"Pesada num\") FROM PESCADA WHERE \"Cod comp\" = ? AND Jornada = ? AND Equipo = ?");
    st->bind(1, cc);
    st->bind(2, jor);
    st->bind(3, eq);
    qint64 last = 0;
    if (st->step()) {
        const QVariant v = st->column(0);
        if (!v.isNull())
            last = v.toLongLong();
    }
    return last + 1;
}

Pesaje::LineaLeida Pesaje::lineaLeida(const engine::Dataset& ds)
{
    LineaLeida l;
    l.fila = ds.bookmark();
    for (const engine::FieldDef& d : ds.fieldDefs()) {
        if (d.calculated)
            continue;
        l.campos << d.name;
        l.valores << ds.storedValue(d.name);
    }
    return l;
}

bool Pesaje::mismaLinea(const LineaLeida& a, const LineaLeida& b)
{
    return a.fila == b.fila && a.campos == b.campos && a.valores == b.valores;
}

bool Pesaje::lineaIntacta(const LineaLeida& l)
{
    // The row by its key as it was read (Cod comp, Jornada, Equipo, Pesada
    // num), which the write addresses, with every column the line was read with.
    if (l.fila.size() != 4 || l.campos.isEmpty())
        return false;
    const engine::TableInfo& t = dm.db.tableInfo(QStringLiteral("PESCADA"));
    QStringList cols;
    std::vector<engine::FieldType> tipos;
    for (const QString& c : l.campos) {
        const int i = t.fieldIndex(c);
        if (i < 0)
            return false;
        cols << engine::quoteIdent(t.fields[size_t(i)].name);
        tipos.push_back(t.fields[size_t(i)].type);
    }
    engine::CachedStatement st = dm.db.prepare("SELECT " + cols.join(", ") +
                                               " FROM PESCADA WHERE \"Cod comp\" = ? AND Jornada = ? AND Equipo = ? "
                                               "AND \"Pesada num\" = ?");
    for (int i = 0; i < 4; ++i)
        st->bind(i + 1, l.fila[i]);
    if (!st->step())
        return false;
    for (int i = 0; i < l.campos.size(); ++i)
        if (!engine::Table::sameValue(tipos[size_t(i)], st->columnAs(i, tipos[size_t(i)]), l.valores[i]))
            return false;
    return true;
}

QString Pesaje::textoPesadaCambiada()
{
    return QString::fromUtf8("La pesada ha cambiado desde que se abrió: se muestran las pesadas actuales");
}

void Pesaje::rechazarCambiada()
{
    lineaCambiada_ = true;
    try {
        SilencioAvisos silencio;
        sumapuntos(codigoActual(dm), jornadaActual(dm), equipoActual);
    } catch (const engine::DatabaseError&) {
        // The labels keep the last tally; the refusal is what matters.
    }
}

QString Pesaje::dudaPeso(qint64 codPez, int piezas, int peso, const engine::Dataset::Bookmark& propia)
{
    if (piezas < 1 || peso <= 0)
        return {};
    const QString cc = codigoActual(dm);
    qint64 mayor = 0;
    {
        // The line being corrected is left out by its key (none: no line).
        const bool conPropia = propia.size() == 4;
        engine::CachedStatement st =
            dm.db.prepare("SELECT max(Peso) FROM PESCADA WHERE \"Cod comp\" = ? AND \"Cod pez\" = ? AND "
                          "\"Numero piezas\" = 1 AND NOT (Jornada = ? AND Equipo = ? AND \"Pesada num\" = ?)");
        st->bind(1, cc);
        st->bind(2, codPez);
        for (int i = 0; i < 3; ++i)
            st->bind(3 + i, conPropia ? propia[i + 1] : QVariant(-1));
        if (st->step())
            mayor = st->columnInt(0);
    }
    if (!pesoSospechoso(peso, piezas, leerReglas(dm, cc).pesoMaximo, mayor))
        return {};
    return textoDudaPeso(peso, piezas, nombreEspecie(dm, codPez));
}

bool Pesaje::guardarEntrada()
{
    lineaCambiada_ = false;
    if (!TApes2.isEditing())
        return false;
    const QString cc = codigoActual(dm);
    const int jor = jornadaActual(dm);
    const bool nueva = TApes2.state() == engine::Dataset::State::Insert;

    // What was typed, to give the entry back should the save fail after the
    // line was posted (the transaction takes the line away again).
    TApes2.updateRecord();
    // Refused before anything is stored.
    const QString rechazo = rechazoLinea(fieldInt(TApes2, "Numero piezas"));
    if (!rechazo.isEmpty()) {
        ShowMsg(rechazo);
        return false;
    }
    const LineaLeida leida = nueva ? LineaLeida{} : lineaLeida(TApes2);
    std::vector<QVariant> tecleado;
    for (int i = 0; i < TApes2.fieldCount(); ++i)
        tecleado.push_back(TApes2.currentValue(i));
    QVariantList clave;
    if (!nueva && TApes2.currentRow() >= 0)
        clave = {TApes2.rowValue(TApes2.currentRow(), TApes2.fieldIndex("Equipo")),
                 TApes2.rowValue(TApes2.currentRow(), TApes2.fieldIndex("Pesada num"))};

    // The line and the team's record are one transaction: both on disk, or
    // neither.
    engine::Database& db = dm.db;
    qint64 total = 0;
    ReglasPrueba reglas;  // read once, for the tally and the saved line's check
    try {
        db.startTransaction();
        try {
            if (!dm.TAespecial.active())
                dm.TAespecial.open();
            reglas = reglasActuales(dm);
            if (nueva) {
                const int eq = fieldInt(TApes2, "Equipo");
                TApes2.fieldByName("Pesada num").setAsInteger(siguientePesada(cc, jor, eq));
                rEquipo.equipo = eq;
            } else if (!lineaIntacta(leida)) {
                // Another program deleted or renumbered it since it was read.
                throw engine::DatabaseError(textoPesadaCambiada(), engine::DatabaseError::Kind::RowChanged);
            }
            TApes2.post();
            SilencioAvisos silencio;
            total = sumapuntos(reglas, cc, jor, equipoActual);
            escribeClasificacionGuardada();
            db.commit();
        } catch (...) {
            deshacer();
            throw;
        }
    } catch (const engine::DatabaseError& e) {
        if (e.kind() == engine::DatabaseError::Kind::RowChanged) {
            // What was typed corrected a line that is not there any more.
            TApes2.cancel();
            rechazarCambiada();
            return false;
        }
        devolverEntrada(nueva, tecleado, clave);
        try {
            SilencioAvisos silencio;
            sumapuntos(cc, jor, equipoActual);
        } catch (const engine::DatabaseError&) {
            // The labels keep the last tally; the message below says why.
        }
        ShowMsg("Al guardar.\n" + e.message());
        return false;
    }
    ultimaEspecie = TApes2.fieldByName("Cod pez").asLargeInt();
    // The saved line is checked once, by itself, once it is on disk.
    comprobarPeso(reglas, ultimaEspecie, fieldInt(TApes2, "Numero piezas"), fieldInt(TApes2, "Peso"));
    SilencioAvisos silencio;
    mejoresTrasGuardar(total);
    return true;
}

void Pesaje::devolverEntrada(bool nueva, const std::vector<QVariant>& tecleado, const QVariantList& clave)
{
    if (TApes2.isEditing())
        return;  // the post itself failed: the entry is still as it was
    try {
        TApes2.refresh();
        if (nueva)
            TApes2.insert();
        else if (clave.size() == 2 && TApes2.locate(QStringLiteral("Equipo;Pesada num"), clave))
            TApes2.edit();
        else
            return;
        for (int i = 0; i < TApes2.fieldCount() && i < int(tecleado.size()); ++i)
            if (!TApes2.fieldDefs()[size_t(i)].calculated)
                TApes2.setCurrentValue(i, tecleado[size_t(i)]);
    } catch (const engine::DatabaseError&) {
        TApes2.cancel();
    }
}

Pesaje::LineaGuardada Pesaje::guardarLinea(int equipo, int piezas, qint64 codPez, int peso,
                                           std::optional<int> pesoValidoDado)
{
    LineaGuardada res;
    const QString cc = codigoActual(dm);
    const int jor = jornadaActual(dm);
    equipoActual = equipo;
    rEquipo.equipo = equipo;
    TApes2.cancel();
    entradaDeEquipo(equipo);
    TApes2.insert();
    try {
        TApes2.fieldByName("Cod comp").setValue(cc);
        TApes2.fieldByName("Jornada").setAsInteger(jor);
        TApes2.fieldByName("Equipo").setAsInteger(equipo);
        TApes2.fieldByName("Numero piezas").setAsInteger(piezas);
        TApes2.fieldByName("Cod pez").setAsInteger(codPez);
        TApes2.fieldByName("Peso").setAsInteger(peso);
        TApes2.fieldByName("Peso valido")
            .setAsInteger(pesoValidoDado ? *pesoValidoDado : pesoValido(peso, piezas, leerReglas(dm, cc).pesoMaximo));
    } catch (const engine::DatabaseError& e) {
        TApes2.cancel();
        ShowMsg("Al guardar.\n" + e.message());
        return res;
    }
    if (!guardarEntrada()) {
        TApes2.cancel();
        return res;
    }
    res.ok = true;
    res.pesada = fieldInt(TApes2, "Pesada num");
    res.total = rEquipo.TotalPuntos;
    return res;
}

bool Pesaje::borrarPesada(int equipo, int pesada, const LineaLeida* leida)
{
    lineaCambiada_ = false;
    const QString cc = codigoActual(dm);
    const int jor = jornadaActual(dm);
    engine::Database& db = dm.db;
    auto lineas = [&](const char* sql) {
        engine::CachedStatement st = db.prepare(QString::fromUtf8(sql));
        st->bind(1, cc);
        st->bind(2, jor);
        st->bind(3, equipo);
        return st;
    };
    TApes2.cancel();
    db.startTransaction();
    try {
        if (leida && !lineaIntacta(*leida)) {
            db.rollback();
            rechazarCambiada();
            return false;
        }
        auto del = lineas("DELETE FROM PESCADA WHERE \"Cod comp\" = ? AND Jornada = ? AND Equipo = ? AND \"Pesada num\" = ?");
        del->bind(4, pesada);
        del->step();
        if (del->changes() == 0) {
            db.rollback();
            return false;
        }
        // The team's remaining lines are numbered 1..n in their present
        // order; going up, each new number is free when it is given.
        std::vector<qint64> numeros;
        {
            auto sel = lineas("SELECT \"Pesada num\" FROM PESCADA WHERE \"Cod comp\" = ? AND Jornada = ? AND Equipo = ? "
                              "ORDER BY \"Pesada num\"");
            while (sel->step())
                numeros.push_back(sel->columnInt(0));
        }
        auto upd = lineas("UPDATE PESCADA SET \"Pesada num\" = ? WHERE \"Cod comp\" = ? AND Jornada = ? AND Equipo = ? "
                          "AND \"Pesada num\" = ?");
        for (size_t i = 0; i < numeros.size(); ++i) {
            if (numeros[i] == qint64(i + 1))
                continue;
            upd->reset();
            upd->bind(1, qint64(i + 1));
            upd->bind(2, cc);
            upd->bind(3, jor);
            upd->bind(4, equipo);
            upd->bind(5, numeros[i]);
            upd->step();
        }
        db.touch("PESCADA");
        equipoActual = equipo;
        rEquipo.equipo = equipo;
        mejores();
        actualizaClasificacion();
        db.commit();
    } catch (...) {
        // Rethrown: nothing of the deletion stays.
        deshacer();
        throw;
    }
    return true;
}

void Pesaje::deshacer()
{
    try {
        dm.db.rollback();
    } catch (const engine::DatabaseError&) {
        // The failed work's own error is the one to report.
    }
    dm.db.touchAll();
}
