#pragma once

// The weigh-in session: the team tally, the day's best marks and the day
// classification records, with the table objects the weigh-in screen owns.
// Widget-free: the screen binds its controls to the objects here and shows
// the label texts these functions return.

#include "engine/Query.h"
#include "engine/Table.h"
#include "scoring/Scoring.h"

#include <QString>

#include <optional>
#include <vector>

class Tdm;

// The tally of the team last tallied. Points, bonuses and counts are
// 32-bit (clamped); the total is 64-bit, as its classification column, so
// that TotalPuntos = puntos + bonuses always holds exactly. The team's
// stored penalty is not part of the tally: penal holds the one the last
// classification write applied, and the record's TotalPuntos is this
// total less it.
struct tRequipo {
    int equipo = 0;             // team being worked on (not set by the tally)
    int puntos = 0;
    int puntosEspecies = 0;
    int puntosCupos = 0;
    int penal = 0;              // the penalty the last classification write applied
    qint64 TotalPuntos = 0;
    int piezasPresentadas = 0;
    int piezasValidas = 0;
    int CodpezMayor = 0;
    QString NombrePMayor;
    int PesoPMayor = 0;
};

// The day's best marks.
struct tRMejores {
    qint64 Puntos = 0;
    int EquipoPuntos = 0;
    int PesoPMayor = 0;
    int EquipoPM = 0;
    int CodpezMayor = 0;
    QString NombrePMayor;
};

class Pesaje {
public:
    explicit Pesaje(Tdm& dm);
    ~Pesaje();
    Pesaje(const Pesaje&) = delete;
    Pesaje& operator=(const Pesaje&) = delete;

    Tdm& dm;

    // The screen's own table objects.
    engine::Table TApes2;    // PESCADA: the entry line, over the lines of the team being weighed
    engine::Table TApart2;   // PARTICIP: members of a team, follows the competition
    engine::Query Qgeneral;  // the tally query

    tRequipo rEquipo;
    tRMejores rMejores;
    int equipoActual = 0;      // the team being weighed
    qint64 ultimaEspecie = 0;  // species of the last saved line

    // Team tally of team eq on day jor of competition cc into rEquipo; sets
    // the tally labels and returns the total.
    qint64 sumapuntos(const QString& cc, int jor, int eq);
    // The same with the competition's rules already read.
    qint64 sumapuntos(const ReglasPrueba& r, const QString& cc, int jor, int eq);
    // The text of Qgeneral for a team.
    static QStringList textoConsultaTally(const QString& cc, int jor, int eq);

    // Tallies every team of the competition on the current day, rewrites
    // their classification records in one transaction (rolled back on
    // failure), sets rMejores and its labels, and tallies the current team
    // again.
    void mejores();
    // Raises the best marks after a save; total is the saved team's tally.
    void mejoresTrasGuardar(qint64 total);

    // Every classification write sets Penaliza from the team's PENAL row of
    // the day and TotalPuntos = Puntos + Bonifica - Penaliza (scoring/Penal.h).
    // The write after a save: the record of (current competition, current
    // day, rEquipo.equipo), inserted when the team has none.
    void escribeClasificacionGuardada();
    // The closing rewrite of rEquipo.equipo's record (the same write).
    void actualizaClasificacion();

    // What a team's classification record holds after a tally r with the
    // team's stored penalty of the day, by column (every write sets these).
    struct ValorRegistro {
        const char* campo;
        qint64 valor;
    };
    static std::vector<ValorRegistro> valoresRegistro(const tRequipo& r, int penaliza);

    // Puts TApes2 (opened when closed, nothing pending) over the lines of
    // team eq on the current day.
    void entradaDeEquipo(int eq);

    // The next weighing number of a team on a day (1 when it has none).
    qint64 siguientePesada(const QString& cc, int jor, int eq);

    // A catch line as a view of PESCADA read it: its row in the file and
    // the value of each column, to tell at a write whether the file still
    // holds that line.
    struct LineaLeida {
        engine::Dataset::Bookmark fila;  // its key as read
        QStringList campos;
        QVariantList valores;
    };
    // The current record of a view over PESCADA as it was read, before
    // anything typed into it.
    static LineaLeida lineaLeida(const engine::Dataset& ds);
    static bool mismaLinea(const LineaLeida& a, const LineaLeida& b);
    // The file still holds the line as it was read (same row, same values).
    bool lineaIntacta(const LineaLeida& l);
    // The refusal of a correction or deletion whose line changed since it
    // was read.
    static QString textoPesadaCambiada();
    // The last save or deletion was refused because its line had changed
    // in the file since it was read: nothing was stored, and the caller
    // says so (textoPesadaCambiada) once it shows the lines the file holds.
    bool lineaCambiada() const { return lineaCambiada_; }

    // The question a line's weight raises before it is saved ("" when none):
    // textoDudaPeso when pesoSospechoso (scoring/Scoring.h) holds against
    // the current competition's "Peso maximo" and the heaviest single piece
    // of the species weighed in it so far, leaving out the line whose key is
    // `propia` (the line being corrected).
    QString dudaPeso(qint64 codPez, int piezas, int peso, const engine::Dataset::Bookmark& propia = {});

    // Saves the entry line TApes2 (being inserted or edited) as "&Guardar"
    // does: numbers a new line, posts it, re-tallies the current team and
    // writes the team's record, all in one transaction; then raises the best
    // marks. A line of fewer than 1 piece is refused first, with
    // rechazoLinea's reason, the entry left being edited. On any failure
    // nothing of it is stored, "Al guardar." is shown with the cause on its
    // next line, the entry is left as it was (still being edited) and the
    // result is false. A correction whose line is no longer in the file as
    // the entry read it is refused: nothing is stored, the entry is dropped,
    // the team is tallied again from the file and lineaCambiada() is true.
    bool guardarEntrada();

    struct LineaGuardada {
        bool ok = false;
        int pesada = 0;
        qint64 total = 0;
    };
    // Saves a new line of team `equipo` (which becomes the current team):
    // the valid weight by the rule unless given, then as guardarEntrada.
    LineaGuardada guardarLinea(int equipo, int piezas, qint64 codPez, int peso, std::optional<int> pesoValidoDado = {});

    // Deletes line `pesada` of team `equipo` on the current day, numbers the
    // team's remaining lines 1..n in their present order, then runs mejores
    // and actualizaClasificacion for that team (which becomes the current
    // one): all in one transaction, nothing of it kept on failure. False,
    // with nothing changed, when the line does not exist. Given the line as
    // a view showed it (`leida`), a line no longer in the file as it was
    // read is refused as guardarEntrada refuses a correction.
    bool borrarPesada(int equipo, int pesada, const LineaLeida* leida = nullptr);

    // The first participant's Nombre of a team of the current competition
    // (lowest DNI); exists says whether the team has any participant.
    QString nombrePrimerParticipante(int eq, bool* exists = nullptr);

    // Label texts, as the screen shows them ("0" until first set).
    const QString& lnpuntos() const { return lnpuntos_; }
    const QString& lPValidas() const { return lPValidas_; }
    const QString& Lppmayor() const { return Lppmayor_; }
    const QString& lPuntosCupos() const { return lPuntosCupos_; }
    const QString& lPuntosEspecies() const { return lPuntosEspecies_; }
    const QString& lTotal() const { return lTotal_; }
    const QString& LCupos() const { return LCupos_; }
    const QString& LEspecies() const { return LEspecies_; }
    const QString& lempuntos() const { return lempuntos_; }
    const QString& lpmayorCamp() const { return lpmayorCamp_; }

    // The two forms of the best-mark labels: as the whole-day recomputation
    // writes them, and as the raise after a save writes them.
    static QString textoMejorPuntuacion(int equipo, const QString& nombre, qint64 puntos);
    static QString textoMejorPuntuacionGuardada(int equipo, const QString& nombre, qint64 puntos);
    static QString textoPiezaMayor(int equipo, const QString& nombre, const QString& especie, int peso);
    static QString textoPiezaMayorGuardada(int equipo, const QString& especie, int peso);
    static QString textoPiezaMayorEquipo(const QString& especie, int peso);  // Lppmayor

private:
    // Rolls back the transaction of a failed save or deletion; the datasets
    // read the tables again.
    void deshacer();
    // After a failed save: TApes2 back in insert or edit with what was typed.
    void devolverEntrada(bool nueva, const std::vector<QVariant>& tecleado, const QVariantList& clave);
    // The tally of lines already read (rules r) into rEquipo and the labels.
    qint64 recuento(const ReglasPrueba& r, const std::vector<LineaPesca>& lineas);
    // Sets every column of a team's record from rEquipo, one statement.
    // penaliza: the team's stored penalty of the day (see scoring/Penal.h).
    void escribirRegistro(const QString& cc, int jor, int eq, int penaliza);

    // Refuses a write whose line changed: the team tallied again.
    void rechazarCambiada();

    QVariantList claveEntrada_;
    bool lineaCambiada_ = false;
    QString lnpuntos_ = "0", lPValidas_ = "0", Lppmayor_ = "0", lPuntosCupos_ = "0", lPuntosEspecies_ = "0",
            lTotal_ = "0", LCupos_ = "0", LEspecies_ = "0", lempuntos_ = "0", lpmayorCamp_ = "0";
};
