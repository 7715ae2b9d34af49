#include "scoring/Scoring.h"

#include "data/Dialogs.h"
#include "data/Helpers.h"
#include "data/Tdm.h"
#include "engine/Database.h"
#include "engine/ScopeGuard.h"

#include <QSet>

#include <cmath>
#include <optional>

namespace {

// A stored value as a 32-bit whole number: empty or unreadable is 0, a value
// beyond the range is clamped to it.
int intOf(const QVariant& v)
{
    if (!v.isValid() || v.isNull())
        return 0;
    switch (v.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::Bool:
        return clampInt(v.toLongLong());
    case QMetaType::Double: {
        const double d = v.toDouble();
        if (!std::isfinite(d)) return 0;
        if (d >= 2147483647.0) return std::numeric_limits<int>::max();
        if (d <= -2147483648.0) return std::numeric_limits<int>::min();
        return int(d);
    }
    default: {
        bool ok = false;
        const qint64 n = v.toString().trimmed().toLongLong(&ok);
        return ok ? clampInt(n) : 0;
    }
    }
}

bool boolOf(const QVariant& v)
{
    if (!v.isValid() || v.isNull())
        return false;
    if (v.typeId() == QMetaType::QString) {
        const QString s = v.toString().trimmed().toLower();
        return s == "1" || s == "true" || s == "si" || s == QString::fromUtf8("sí");
    }
    return intOf(v) != 0;
}

int fieldInt(engine::Dataset& ds, const char* name) { return clampInt(ds.fieldByName(name).asLargeInt()); }

}  // namespace

const ConstantesPesca& ReglasPrueba::de(qint64 codPez) const
{
    auto it = especial.constFind(codPez);
    return it == especial.constEnd() ? prueba : it.value();
}

ReglasPrueba::Cupo ReglasPrueba::cupoDe(qint64 codPez) const
{
    auto it = cupos.constFind(codPez);
    return it == cupos.constEnd() ? Cupo{ejemplaresCupo, puntosCupo} : it.value();
}

ReglasPrueba leerReglas(Tdm& dm, const QString& codigo)
{
    ReglasPrueba r;
    r.codigo = codigo;
    if (!dm.db.isOpen())
        return r;
    {
        engine::CachedStatement lease =
            dm.db.prepare("SELECT \"Peso maximo\", \"Peso minimo\", \"Peso penalizable\", \"Puntos pieza\", "
                          "\"Puntos gramo\", \"Penalizacion gramo\", \"Puntos Cupo\", \"EjemplaresCupo\", "
                          "\"Puntos Especie\" FROM COMPETIC WHERE Codigo = ?");
        engine::Statement& st = *lease;
        st.bind(1, codigo);
        if (st.step()) {
            r.existe = true;
            r.pesoMaximo = intOf(st.column(0));
            r.prueba.pesoMinimo = intOf(st.column(1));
            r.prueba.pesoPenalizable = intOf(st.column(2));
            r.prueba.puntosPieza = intOf(st.column(3));
            r.prueba.puntosGramo = intOf(st.column(4));
            r.prueba.penalizacion = intOf(st.column(5));
            r.puntosCupo = intOf(st.column(6));
            r.ejemplaresCupo = intOf(st.column(7));
            r.puntosEspecie = intOf(st.column(8));
        }
    }
    {
        // One row per species: (Cod_comp, Cod_Especie) is the table's key.
        engine::CachedStatement st = dm.db.prepare(
            "SELECT Cod_Especie, EjemplaresCupo, Puntos FROM CUPOS WHERE Cod_comp = ?");
        st->bind(1, codigo);
        while (st->step()) {
            const qint64 cod = st->column(0).toLongLong();
            if (!r.cupos.contains(cod))
                r.cupos.insert(cod, {intOf(st->column(1)), intOf(st->column(2))});
        }
    }
    engine::CachedStatement lease = dm.db.prepare(
        "SELECT \"Cod pez\", Puntua, \"Peso minimo\", \"Puntos pieza\", \"Puntos gramo\", "
        "\"Peso penalizable\", \"Penalizacion gramo\", BonificaEspecie FROM ESPECIAL "
        "WHERE \"Cod comp\" = ?");
    engine::Statement& st = *lease;
    st.bind(1, codigo);
    while (st.step()) {
        ConstantesPesca c;
        c.puntua = boolOf(st.column(1));
        c.pesoMinimo = intOf(st.column(2));
        c.puntosPieza = intOf(st.column(3));
        c.puntosGramo = intOf(st.column(4));
        c.pesoPenalizable = intOf(st.column(5));
        c.penalizacion = intOf(st.column(6));
        c.bonificaEspecie = boolOf(st.column(7));
        const qint64 cod = intOf(st.column(0));
        if (!r.especial.contains(cod))
            r.especial.insert(cod, c);
    }
    return r;
}

QString codigoActual(Tdm& dm)
{
    if (!dm.TAcomp.active() || dm.TAcomp.currentRow() < 0)
        return {};
    return dm.TAcomp.fieldByName("Codigo").asString();
}

int jornadaActual(Tdm& dm)
{
    if (!dm.TAjornada.active() || dm.TAjornada.currentRow() < 0)
        return 0;
    return fieldInt(dm.TAjornada, "Numero");
}

ReglasPrueba reglasActuales(Tdm& dm) { return leerReglas(dm, codigoActual(dm)); }

int pesoValido(int peso, int piezas, int pesoMaximo)
{
    if (pesoMaximo > 0 && piezas == 1 && peso > pesoMaximo)
        return pesoMaximo;
    return peso;
}

int pesoValido(Tdm& dm, int peso, int piezas) { return pesoValido(peso, piezas, reglasActuales(dm).pesoMaximo); }

int calculoPuntos(const ReglasPrueba& r, qint64 cod, int pesoValido, int pesoReal, int piezas)
{
    const ConstantesPesca& c = r.de(cod);
    if (pesoValido >= c.pesoMinimo || pesoReal >= c.pesoMinimo)
        return clampInt(qint64(pesoValido) * c.puntosGramo + qint64(piezas) * c.puntosPieza);
    if (pesoValido >= c.pesoPenalizable || pesoReal >= c.pesoPenalizable)
        return 0;
    return clampInt(-qint64(c.penalizacion));
}

int calculoPuntos(Tdm& dm, qint64 cod, int pesoValido, int pesoReal, int piezas)
{
    return calculoPuntos(reglasActuales(dm), cod, pesoValido, pesoReal, piezas);
}

bool lineaValida(const ReglasPrueba& r, qint64 codPez, int piezas, int peso)
{
    return qint64(peso) >= qint64(piezas) * r.de(codPez).pesoMinimo;
}

QString textoPiezasMinimas() { return QString::fromUtf8("El número de piezas debe ser al menos 1"); }

QString textoPesoMinimo(int minimo, int piezas)
{
    return QString::fromUtf8("El peso mínimo de este pez es de ") + QString::number(minimo) + "gr" + "\r" +
           "por lo que " + QString::number(piezas) + QString::fromUtf8(" piezas deberían pesar al menos ") +
           QString::number(qint64(piezas) * minimo) + "gr";
}

QString rechazoLinea(int piezas) { return piezas < 1 ? textoPiezasMinimas() : QString(); }

bool pesoSospechoso(int peso, int piezas, int pesoMaximo, qint64 mayorDeEspecie)
{
    if (piezas < 1 || peso <= 0)
        return false;
    // A limit read from a file is at most 32-bit, so the product stays in 64 bits.
    auto encima = [&](qint64 limite) { return limite > 0 && qint64(peso) > 3 * qint64(clampInt(limite)) * piezas; };
    return encima(pesoMaximo) || encima(mayorDeEspecie);
}

QString textoDudaPeso(int peso, int piezas, const QString& especie)
{
    const QString de = piezas == 1 ? especie : QString::number(piezas) + " piezas de " + especie;
    return QString::fromUtf8("¿Es correcto un peso de ") + formatNumber("#,##0", qint64(peso)) + " g para " + de + "?";
}

namespace {
int silencios = 0;

void aviso(const QString& texto)
{
    if (silencios == 0)
        MsgDlg(texto, mtWarning, mbOK, 0);
}
}  // namespace

SilencioAvisos::SilencioAvisos() { ++silencios; }
SilencioAvisos::~SilencioAvisos() { --silencios; }

bool comprobarPeso(const ReglasPrueba& r, qint64 codPez, int piezas, int peso)
{
    if (piezas < 1) {
        aviso(textoPiezasMinimas());
        return false;
    }
    const int minimo = r.de(codPez).pesoMinimo;
    if (qint64(peso) >= qint64(piezas) * minimo)
        return true;
    if (piezas == 1)
        return false;
    aviso(textoPesoMinimo(minimo, piezas));
    return false;
}

bool comprobarPeso(Tdm& dm, const QString& codComp, qint64 codPez, int piezas, int peso)
{
    ReglasPrueba r = reglasActuales(dm);
    if (codComp != r.codigo)
        r.especial = leerReglas(dm, codComp).especial;
    return comprobarPeso(r, codPez, piezas, peso);
}

QList<AvisoLinea> avisosDia(Tdm& dm, const QString& codigo, int jornada)
{
    const ReglasPrueba r = leerReglas(dm, codigo);
    QList<AvisoLinea> avisos;
    engine::CachedStatement st =
        dm.db.prepare("SELECT Equipo, \"Pesada num\", \"Cod pez\", \"Numero piezas\", Peso FROM PESCADA "
                      "WHERE \"Cod comp\" = ? AND Jornada = ? ORDER BY Equipo, \"Pesada num\"");
    st->bind(1, codigo);
    st->bind(2, jornada);
    while (st->step()) {
        const int piezas = clampInt(st->columnInt(3));
        const int peso = clampInt(st->columnInt(4));
        const int minimo = r.de(st->columnInt(2)).pesoMinimo;
        QString texto;
        if (piezas < 1)
            texto = textoPiezasMinimas();
        else if (piezas > 1 && qint64(peso) < qint64(piezas) * minimo)
            texto = textoPesoMinimo(minimo, piezas);
        else
            continue;
        avisos << AvisoLinea{clampInt(st->columnInt(0)), clampInt(st->columnInt(1)), texto};
    }
    return avisos;
}

DesgloseLinea desgloseLinea(const ReglasPrueba& r, qint64 codPez, int pesoValido, int peso, int piezas)
{
    DesgloseLinea d;
    d.puntos = calculoPuntos(r, codPez, pesoValido, peso, piezas);
    if (d.puntos > 0)
        d.Bonifica = r.de(codPez).puntosPieza;
    else if (d.puntos < 0)
        d.Penal = d.puntos;
    return d;
}

DesgloseLinea desgloseLinea(Tdm& dm, qint64 codPez, int pesoValido, int peso, int piezas)
{
    return desgloseLinea(reglasActuales(dm), codPez, pesoValido, peso, piezas);
}

bool bonificaEspecie(Tdm& dm, const QString& codComp, qint64 codPez)
{
    engine::CachedStatement st = dm.db.prepare("SELECT BonificaEspecie FROM ESPECIAL WHERE \"Cod comp\" = ? AND \"Cod pez\" = ?");
    st->bind(1, codComp);
    st->bind(2, codPez);
    if (st->step())
        return boolOf(st->column(0));
    return true;
}

QStringList textoConsultaCupos(const QString& codComp, int jornada, int equipo, bool leadingBlank)
{
    return {"Select [cod pez] as cp, [Numero piezas] as np, peso from pescada as p",
            QString(leadingBlank ? " " : "") + "where p.[cod comp] = " + quotedCode(codComp),
            " and jornada = " + QString::number(jornada), " and equipo = " + QString::number(equipo), " order by cp"};
}

Bonificacion calculaEspecies(Tdm& dm, int veq) { return calculaEspecies(dm, reglasActuales(dm), veq); }

namespace {

// The lines of team veq on the current day as the bonus query gives them.
std::vector<LineaPesca> lineasCupos(Tdm& dm, const ReglasPrueba& r, int veq, bool leadingBlank)
{
    std::vector<LineaPesca> lineas;
    engine::Query& q = dm.QCupos;
    q.close();
    q.setSql(textoConsultaCupos(r.codigo, jornadaActual(dm), veq, leadingBlank));
    engine::ScopeGuard closer{[&] { q.close(); }};
    q.open();
    for (q.first(); !q.eof(); q.next())
        lineas.push_back({q.fieldByName("cp").asLargeInt(), fieldInt(q, "np"), fieldInt(q, "peso"), 0});
    return lineas;
}

}  // namespace

Bonificacion calculaEspecies(Tdm& dm, const ReglasPrueba& r, int veq)
{
    return bonoEspecies(r, lineasCupos(dm, r, veq, true));
}

Bonificacion calculaCupos(Tdm& dm, int veq) { return calculaCupos(dm, reglasActuales(dm), veq); }

Bonificacion calculaCupos(Tdm& dm, const ReglasPrueba& r, int veq)
{
    return bonoCupos(r, lineasCupos(dm, r, veq, false));
}

Bonificacion bonoEspecies(const ReglasPrueba& r, const std::vector<LineaPesca>& lineas)
{
    // A species counts once, with its first line that passes the check;
    // the species' later lines are not checked again.
    qint64 cuenta = 0;
    QSet<qint64> vistas;
    for (const LineaPesca& l : lineas) {
        if (vistas.contains(l.cod))
            continue;
        if (!comprobarPeso(r, l.cod, l.piezas, l.peso))
            continue;
        if (r.de(l.cod).bonificaEspecie)
            ++cuenta;
        vistas.insert(l.cod);
    }
    return {clampInt(cuenta * r.puntosEspecie), clampInt(cuenta)};
}

Bonificacion bonoCupos(const ReglasPrueba& r, const std::vector<LineaPesca>& lineas)
{
    // The valid pieces of each species, then each species' quota.
    std::vector<std::pair<qint64, qint64>> validas;  // species, pieces, in first-seen order
    QHash<qint64, size_t> donde;
    for (const LineaPesca& l : lineas) {
        auto it = donde.constFind(l.cod);
        size_t k;
        if (it == donde.constEnd()) {
            k = validas.size();
            donde.insert(l.cod, k);
            validas.push_back({l.cod, 0});
        } else {
            k = it.value();
        }
        if (comprobarPeso(r, l.cod, l.piezas, l.peso))
            validas[k].second += l.piezas;
    }
    qint64 completados = 0;
    qint64 puntos = 0;
    for (const auto& [cod, piezas] : validas) {
        // A quota of 0 pieces is no quota: a species presented only under
        // its minimum weight completes nothing.
        const ReglasPrueba::Cupo c = r.cupoDe(cod);
        if (c.ejemplares > 0 && piezas == c.ejemplares) {
            ++completados;
            puntos += c.puntos;
        }
    }
    return {clampInt(puntos), clampInt(completados)};
}

QString nombreEspecie(Tdm& dm, qint64 code, bool* found) { return dm.nombreEspecie(code, found); }

namespace {

// One team's record built line by line, in weighing order.
class RecuentoPesca {
public:
    RecuentoPesca(const ReglasPrueba& r, TDatosPescaEquipo& Dpe) : r_(r), Dpe_(Dpe) { Dpe_ = TDatosPescaEquipo{}; }
    // nombre gives the species name of the line (asked only for a new biggest piece).
    template <class Nombre>
    void linea(int np, int peso, int pesoValido, qint64 cod, Nombre nombre)
    {
        if (np == 1 && peso > Dpe_.pesoPMayor) {
            const ConstantesPesca& c = r_.de(cod);
            if (c.puntua && peso >= c.pesoMinimo) {
                Dpe_.idPMayor = clampInt(cod);
                Dpe_.pesoPMayor = peso;
                Dpe_.NombrePMayor = engine::leftCharacters(nombre(), 50);
            }
        }
        const int pts = calculoPuntos(r_, cod, pesoValido, peso, np);
        if (np > 1 || pts > 0) {
            validas_ += np;
            pesoTotal_ += peso;
            puntos_ += pts;
        }
        presentadas_ += np;
        Dpe_.numPresentadas = clampInt(presentadas_);
        Dpe_.numValidas = clampInt(validas_);
        Dpe_.pesoTotal = clampInt(pesoTotal_);
        Dpe_.puntos = clampInt(puntos_);
    }

private:
    const ReglasPrueba& r_;
    TDatosPescaEquipo& Dpe_;
    qint64 presentadas_ = 0, validas_ = 0, pesoTotal_ = 0, puntos_ = 0;
};

}  // namespace

void datosPescaEquipo(Tdm& dm, int equipo, TDatosPescaEquipo& Dpe)
{
    engine::Table& t = dm.TApescada;
    t.close();
    t.setFilter("equipo =" + QString::number(equipo));
    t.setFiltered(true);
    engine::ScopeGuard restore{[&] {
        t.close();
        t.setFiltered(false);
        t.setFilter(QString());
        t.open();
    }};
    t.open();

    const ReglasPrueba r = reglasActuales(dm);
    RecuentoPesca recuento(r, Dpe);
    for (t.first(); !t.eof(); t.next())
        recuento.linea(fieldInt(t, "Numero piezas"), fieldInt(t, "Peso"), fieldInt(t, "Peso valido"),
                       t.fieldByName("Cod pez").asLargeInt(), [&] { return t.fieldByName("pez").asString(); });
}

QHash<int, TDatosPescaEquipo> datosPescaDia(Tdm& dm, const QString& codigo, int jornada)
{
    const ReglasPrueba r = leerReglas(dm, codigo);
    QHash<int, TDatosPescaEquipo> equipos;
    engine::CachedStatement st = dm.db.prepare(
                         "SELECT Equipo, \"Numero piezas\", Peso, \"Peso valido\", \"Cod pez\" FROM PESCADA "
                         "WHERE \"Cod comp\" = ? AND Jornada = ? ORDER BY Equipo, \"Pesada num\"");
    st->bind(1, codigo);
    st->bind(2, jornada);
    TDatosPescaEquipo dpe;
    std::optional<RecuentoPesca> recuento;
    int actual = 0;
    while (st->step()) {
        const int eq = clampInt(st->column(0).toLongLong());
        if (!recuento || eq != actual) {
            if (recuento)
                equipos.insert(actual, dpe);
            actual = eq;
            recuento.emplace(r, dpe);
        }
        const qint64 cod = st->column(4).toLongLong();
        recuento->linea(clampInt(st->column(1).toLongLong()), clampInt(st->column(2).toLongLong()),
                        clampInt(st->column(3).toLongLong()), cod, [&] { return dm.nombreEspecie(cod); });
    }
    if (recuento)
        equipos.insert(actual, dpe);
    return equipos;
}
