#include "scoring/Pesaje.h"

#include "data/Dialogs.h"
#include "data/Helpers.h"
#include "data/Tdm.h"
#include "engine/Database.h"
#include "engine/ScopeGuard.h"
#include "scoring/Penal.h"

#include <sqlite3.h>

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
    : dm(d), TApes2(d.db, "PESCADA"), TAcla(d.db, "CLASIFIC"), TApart2(d.db, "PARTICIP"), Qgeneral(d.db)
{
    TApes2.setIndexName("idxPrimaryKey");
    TApes2.setMaster(&dm.Sjornada, "Cod comp;Numero");
    TAcla.setIndexName("idxPrimaryKey");
    TApart2.setIndexName("idxPrimaryKey");
    TApart2.setMaster(&dm.Scomp, "Codigo");
}

Pesaje::~Pesaje()
{
    for (engine::Dataset* ds : std::initializer_list<engine::Dataset*>{&Qgeneral, &TApart2, &TAcla, &TApes2}) {
        // A destructor must not throw; what is still pending here was never
        // confirmed by the user, and every saved line is already on disk.
        try {
            cancelAndClose(*ds);
        } catch (const engine::DatabaseError&) {
        }
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
    const ReglasPrueba r = reglasActuales(dm);

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

    Qgeneral.close();
    Qgeneral.setSql(textoConsultaTally(cc, jor, eq));
    {
        engine::ScopeGuard closer{[&] { cancelAndClose(Qgeneral); }};
        Qgeneral.open();
        for (Qgeneral.first(); !Qgeneral.eof(); Qgeneral.next()) {
            const qint64 cp = Qgeneral.fieldByName("cp").asLargeInt();
            const int np = fieldInt(Qgeneral, "np");
            const int peso = fieldInt(Qgeneral, "peso");
            const int pv = fieldInt(Qgeneral, "pv");
            const ConstantesPesca& c = r.de(cp);
            if (qint64(peso) >= qint64(np) * c.pesoMinimo) {
                if (c.puntua && np == 1 && peso > rEquipo.PesoPMayor) {
                    rEquipo.PesoPMayor = peso;
                    rEquipo.CodpezMayor = clampInt(cp);
                    bool found = false;
                    const QString name = nombreEspecie(dm, cp, &found);
                    rEquipo.NombrePMayor = found ? name : QStringLiteral("?");
                }
                validas += np;
            }
            presentadas += np;
            puntos += calculoPuntos(r, cp, pv, peso, np);
        }
    }
    rEquipo.puntos = clampInt(puntos);
    rEquipo.piezasPresentadas = clampInt(presentadas);
    rEquipo.piezasValidas = clampInt(validas);

    Lppmayor_ = textoPiezaMayorEquipo(rEquipo.NombrePMayor, rEquipo.PesoPMayor);
    lPValidas_ = QString::number(rEquipo.piezasValidas);
    lnpuntos_ = grouped(rEquipo.puntos);

    rEquipo.puntosCupos = 0;
    if (r.puntosCupo > 0) {
        const Bonificacion b = calculaCupos(dm, r, eq);
        rEquipo.puntosCupos = b.puntos;
        LCupos_ = QString::number(b.cuenta);
        lPuntosCupos_ = grouped(rEquipo.puntosCupos);
    }
    rEquipo.puntosEspecies = 0;
    if (r.puntosEspecie > 0) {
        const Bonificacion b = calculaEspecies(dm, r, eq);
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
    const bool wasOpen = TApart2.active();
    engine::ScopeGuard restore{[&] {
        TApart2.cancelRange();
        if (!wasOpen) TApart2.close();
    }};
    const QString cc = codigoActual(dm);
    TApart2.open();
    TApart2.setRange({cc, eq}, {cc, eq});
    if (TApart2.isEmpty())
        return {};
    if (exists) *exists = true;
    TApart2.first();
    return TApart2.fieldByName("Nombre").asString();
}

void Pesaje::prepararTAcla(const QString& cc, int jor, int eq)
{
    // Only the team's record is in view, so that each post re-reads one row.
    if (TAcla.active() && rangoCodigo_ == cc && rangoJornada_ == jor && rangoEquipo_ == eq)
        return;
    TAcla.cancel();
    const bool wasOpen = TAcla.active();
    rangoCodigo_ = cc;
    rangoJornada_ = jor;
    rangoEquipo_ = eq;
    TAcla.setRange({cc, jor, eq}, {cc, jor, eq});
    if (!wasOpen)
        TAcla.open();
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

void Pesaje::ponerValores(int eq, bool todos, int penaliza)
{
    if (todos) {
        TAcla.fieldByName("Competicion").setValue(rangoCodigo_);
        TAcla.fieldByName("Jornada").setAsInteger(rangoJornada_);
    }
    // The team's stored penalty stays applied through every rewrite.
    rEquipo.penal = penaliza;
    TAcla.fieldByName("Equipo").setAsInteger(eq);
    for (const ValorRegistro& v : valoresRegistro(rEquipo, penaliza))
        TAcla.fieldByName(QString::fromLatin1(v.campo)).setAsLargeInt(v.valor);
}

void Pesaje::escribirRegistro(const QString& cc, int jor, int eq, int penaliza)
{
    prepararTAcla(cc, jor, eq);
    if (TAcla.seek(QVariantList{cc, jor, eq}))
        TAcla.edit();
    else
        TAcla.insert();
    try {
        ponerValores(eq, true, penaliza);
        TAcla.post();
    } catch (...) {
        TAcla.cancel();
        throw;
    }
}

void Pesaje::escribeClasificacionGuardada()
{
    engine::ScopeGuard closer{[&] { cancelAndClose(TAcla); }};
    const QString cc = codigoActual(dm);
    const int jor = jornadaActual(dm);
    escribirRegistro(cc, jor, rEquipo.equipo, penalizacionEquipo(dm.db, cc, jor, rEquipo.equipo));
}

void Pesaje::actualizaClasificacion()
{
    const QString cc = codigoActual(dm);
    const int jor = jornadaActual(dm);
    const int penaliza = penalizacionEquipo(dm.db, cc, jor, rEquipo.equipo);
    prepararTAcla(cc, jor, rEquipo.equipo);
    if (!TAcla.seek(QVariantList{cc, jor, rEquipo.equipo})) {
        // Both callers have just written it; should it be gone, write it whole.
        escribirRegistro(cc, jor, rEquipo.equipo, penaliza);
        return;
    }
    TAcla.edit();
    try {
        ponerValores(rEquipo.equipo, false, penaliza);
        TAcla.post();
    } catch (...) {
        TAcla.cancel();
        throw;
    }
    TAcla.refresh();
}

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

    // Every team's record is rewritten in one transaction: all or nothing.
    engine::Database& db = dm.db;
    const QHash<int, int> penalizaciones = penalizacionesDia(db, cc, jor);
    db.startTransaction();
    try {
        for (const Equipo& e : equipos) {
            rEquipo.TotalPuntos = sumapuntos(cc, jor, e.eq);
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
        TAcla.cancel();
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
    engine::Statement st(dm.db.handle(),
                         "SELECT max(\"Pesada num\") FROM PESCADA WHERE \"Cod comp\" = ? AND Jornada = ? AND Equipo = ?");
    st.bind(1, cc);
    st.bind(2, jor);
    st.bind(3, eq);
    qint64 last = 0;
    if (st.step()) {
        const QVariant v = st.column(0);
        if (!v.isNull())
            last = v.toLongLong();
    }
    return last + 1;
}

bool Pesaje::guardarEntrada()
{
    if (!TApes2.isEditing())
        return false;
    const QString cc = codigoActual(dm);
    const int jor = jornadaActual(dm);
    const bool nueva = TApes2.state() == engine::Dataset::State::Insert;

    // What was typed, to give the entry back should the save fail after the
    // line was posted (the transaction takes the line away again).
    TApes2.updateRecord();
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
    try {
        db.startTransaction();
        try {
            if (nueva) {
                const int eq = fieldInt(TApes2, "Equipo");
                TApes2.fieldByName("Pesada num").setAsInteger(siguientePesada(cc, jor, eq));
                rEquipo.equipo = eq;
            }
            TApes2.post();
            SilencioAvisos silencio;
            total = sumapuntos(cc, jor, equipoActual);
            escribeClasificacionGuardada();
            actualizaClasificacion();
            db.commit();
        } catch (...) {
            deshacer();
            throw;
        }
    } catch (const engine::DatabaseError& e) {
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
    comprobarPeso(reglasActuales(dm), ultimaEspecie, fieldInt(TApes2, "Numero piezas"), fieldInt(TApes2, "Peso"));
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
    if (!TApes2.active())
        TApes2.open();
    TApes2.cancel();
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

bool Pesaje::borrarPesada(int equipo, int pesada)
{
    const QString cc = codigoActual(dm);
    const int jor = jornadaActual(dm);
    engine::Database& db = dm.db;
    auto lineas = [&](const char* sql) {
        auto st = std::make_unique<engine::Statement>(db.handle(), QString::fromUtf8(sql));
        st->bind(1, cc);
        st->bind(2, jor);
        st->bind(3, equipo);
        return st;
    };
    TApes2.cancel();
    db.startTransaction();
    try {
        auto del = lineas("DELETE FROM PESCADA WHERE \"Cod comp\" = ? AND Jornada = ? AND Equipo = ? AND \"Pesada num\" = ?");
        del->bind(4, pesada);
        del->step();
        if (sqlite3_changes(db.handle()) == 0) {
            db.rollback();
            return false;
        }
        // The team's remaining lines are numbered 1..n in their present order.
        std::vector<qint64> filas;
        {
            auto sel = lineas("SELECT rowid FROM PESCADA WHERE \"Cod comp\" = ? AND Jornada = ? AND Equipo = ? "
                              "ORDER BY \"Pesada num\", rowid");
            while (sel->step())
                filas.push_back(sel->column(0).toLongLong());
        }
        engine::Statement upd(db.handle(), "UPDATE PESCADA SET \"Pesada num\" = ? WHERE rowid = ?");
        for (size_t i = 0; i < filas.size(); ++i) {
            upd.reset();
            upd.bind(1, qint64(i + 1));
            upd.bind(2, filas[i]);
            upd.step();
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
    TAcla.cancel();
    try {
        dm.db.rollback();
    } catch (const engine::DatabaseError&) {
        // The failed work's own error is the one to report.
    }
    dm.db.touch("PESCADA");
    dm.db.touch("CLASIFIC");
}
