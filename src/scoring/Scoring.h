#pragma once

// Catch valuation, species and quota bonuses and the team catch record.
// Widget-free: every question or notice goes through data/Dialogs.h.
//
// Arithmetic: weights are whole grams and points whole numbers. Every
// product and sum is worked out in 64 bits, so nothing overflows; a figure
// kept in a 32-bit member or column (the points of a line, the tally's sums,
// a bonus, a count) is clamped to the 32-bit range [-2147483648, 2147483647]
// when it is stored. Day totals (points plus bonuses) are kept in 64 bits, as
// the classification column that holds them.

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <limits>
#include <vector>

class Tdm;

// The 32-bit range every stored figure is clamped to.
inline int clampInt(qint64 v)
{
    if (v > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    if (v < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
    return int(v);
}

// The scoring constants of one species (its ESPECIAL row) or of the
// competition (its COMPETIC row). An empty value reads as 0 / false.
struct ConstantesPesca {
    int pesoMinimo = 0;
    int puntosPieza = 0;
    int puntosGramo = 0;
    int pesoPenalizable = 0;
    int penalizacion = 0;
    bool puntua = true;           // may hold the biggest piece
    bool bonificaEspecie = true;  // earns the species bonus
};

// The rules of one competition as read from the file at one moment: the
// competition's constants and the species with rules of their own.
struct ReglasPrueba {
    QString codigo;
    bool existe = false;          // the competition row was found
    ConstantesPesca prueba;       // from COMPETIC (puntua and bonifica true)
    int pesoMaximo = 0;
    int puntosCupo = 0;
    int ejemplaresCupo = 0;
    int puntosEspecie = 0;
    QHash<qint64, ConstantesPesca> especial;  // ESPECIAL rows by Cod pez
    struct Cupo {
        int ejemplares = 0;
        int puntos = 0;
    };
    QHash<qint64, Cupo> cupos;                // CUPOS rows by species

    // The quota of a species: its own row when it has one, else the
    // competition's.
    Cupo cupoDe(qint64 codPez) const;

    // The constants of a species: its own row when it has one, else the
    // competition's (chosen per row, never per field).
    const ConstantesPesca& de(qint64 codPez) const;
    bool tieneReglas(qint64 codPez) const { return especial.contains(codPez); }
};

// Reads the rules of competition `codigo` straight from the file.
ReglasPrueba leerReglas(Tdm& dm, const QString& codigo);
// The rules of the current competition (the current record of TAcomp).
ReglasPrueba reglasActuales(Tdm& dm);
// The code of the current competition, "" when there is none.
QString codigoActual(Tdm& dm);
// The number of the current day, 0 when there is none.
int jornadaActual(Tdm& dm);

// Valid weight of a line: the weight, capped at the competition's maximum
// for a single piece when that maximum is above 0.
int pesoValido(int peso, int piezas, int pesoMaximo);
int pesoValido(Tdm& dm, int peso, int piezas);

// Points of one line (clamped to 32 bits).
int calculoPuntos(const ReglasPrueba& r, qint64 cod, int pesoValido, int pesoReal, int piezas);
int calculoPuntos(Tdm& dm, qint64 cod, int pesoValido, int pesoReal, int piezas);

// A line reaches its minimum weight: peso >= piezas x minimum (no message).
bool lineaValida(const ReglasPrueba& r, qint64 codPez, int piezas, int peso);

// The minimum-weight check with its warnings (warning type, one OK).
// The minimum comes from the ESPECIAL row of (codComp, codPez) when there is
// one, else from the current competition.
bool comprobarPeso(Tdm& dm, const QString& codComp, qint64 codPez, int piezas, int peso);
// The same on rules already read (those of codComp).
bool comprobarPeso(const ReglasPrueba& r, qint64 codPez, int piezas, int peso);
// While one of these lives, comprobarPeso checks without showing its
// warnings: the whole-day rewrite and the tallies behind a save are silent,
// and a saved line is checked once, by itself, so each of its warnings shows
// once.
class SilencioAvisos {
public:
    SilencioAvisos();
    ~SilencioAvisos();
    SilencioAvisos(const SilencioAvisos&) = delete;
    SilencioAvisos& operator=(const SilencioAvisos&) = delete;
};
// The texts of its two warnings.
QString textoPiezasMinimas();
QString textoPesoMinimo(int minimo, int piezas);

// A line is refused before it is stored when it has fewer than 1 piece:
// the reason (textoPiezasMinimas), or "" when it may be stored.
QString rechazoLinea(int piezas);

// A likely typing slip (an extra zero) in a line's weight, asked about
// before the line is saved. The line is judged per piece: Peso / piezas is
// above three times the competition's "Peso maximo" (when above 0), or above
// three times the heaviest single piece (a line of 1 piece) of that species
// weighed in the competition so far (when there is one above 0). Compared
// in whole numbers, Peso > 3 x limit x piezas, with nothing rounded.
bool pesoSospechoso(int peso, int piezas, int pesoMaximo, qint64 mayorDeEspecie);
// The question: "¿Es correcto un peso de 18.500 g para Sargo?"; for several
// pieces "¿Es correcto un peso de 37.000 g para 2 piezas de Sargo?".
QString textoDudaPeso(int peso, int piezas, const QString& especie);

// The calculated values of a catch line in the weigh-in grid.
struct DesgloseLinea {
    int puntos = 0;
    int Bonifica = 0;
    int Penal = 0;
};
DesgloseLinea desgloseLinea(const ReglasPrueba& r, qint64 codPez, int pesoValido, int peso, int piezas);
DesgloseLinea desgloseLinea(Tdm& dm, qint64 codPez, int pesoValido, int peso, int piezas);

// Whether a species earns the species bonus in a competition.
bool bonificaEspecie(Tdm& dm, const QString& codComp, qint64 codPez);

// A bonus: its points and its count (species, or completed quotas).
struct Bonificacion {
    int puntos = 0;
    int cuenta = 0;
};

// Species and quota bonuses of team veq on the current day of the current
// competition; both run their lines through comprobarPeso (with warnings).
Bonificacion calculaEspecies(Tdm& dm, int veq);
Bonificacion calculaCupos(Tdm& dm, int veq);
// The same with the competition's rules already read (the tally reads them once).
Bonificacion calculaEspecies(Tdm& dm, const ReglasPrueba& r, int veq);
Bonificacion calculaCupos(Tdm& dm, const ReglasPrueba& r, int veq);

// The warning the weight check gives for one stored line of a day.
struct AvisoLinea {
    int equipo = 0;
    int pesada = 0;
    QString texto;  // as comprobarPeso words it
};
// Every warning of the day's lines of a competition, one per line, by team
// and weighing number (a line that passes, or a single light piece, has none).
QList<AvisoLinea> avisosDia(Tdm& dm, const QString& codigo, int jornada);

// One catch line as the tally and the bonuses read it.
struct LineaPesca {
    qint64 cod = 0;
    int piezas = 0;
    int peso = 0;
    int pesoValido = 0;
};
// The two bonuses over a team's lines already read, in the order given
// (lines of a species together give the warnings the queries above give).
Bonificacion bonoEspecies(const ReglasPrueba& r, const std::vector<LineaPesca>& lineas);
Bonificacion bonoCupos(const ReglasPrueba& r, const std::vector<LineaPesca>& lineas);

// The text the bonus computations put on QCupos for a team.
QStringList textoConsultaCupos(const QString& codComp, int jornada, int equipo, bool leadingBlank);

// The team catch record of the printed minutes. The counts and weights are
// 32-bit: 16-bit members would wrap at 65,535 g.
struct TDatosPescaEquipo {
    QString NombrePMayor;  // at most 50 characters
    int idPMayor = 0;
    int pesoPMayor = 0;
    int numPresentadas = 0;
    int numValidas = 0;
    int pesoTotal = 0;
    int puntos = 0;
};

// Fills Dpe for a team on the current day (through dm.TApescada).
void datosPescaEquipo(Tdm& dm, int equipo, TDatosPescaEquipo& Dpe);
// The same records for every team with lines on a day of a competition, read
// in one pass (the printed minutes walk every team); a team without lines is
// not in it and reads as an empty record.
QHash<int, TDatosPescaEquipo> datosPescaDia(Tdm& dm, const QString& codigo, int jornada);

// The species name of a code in the register; found says whether it is there.
QString nombreEspecie(Tdm& dm, qint64 code, bool* found = nullptr);
