#include "data/Demo.h"

#include "data/Schema.h"
#include "engine/Database.h"

#include <QDate>
#include <QFileInfo>

#include <vector>

namespace {

using engine::Statement;

// A fixed sequence, so every demo database is the same.
struct Lcg {
    quint32 s = 20260613u;
    int next(int lo, int hi)
    {
        s = s * 1664525u + 1013904223u;
        return lo + int((s >> 8) % quint32(hi - lo + 1));
    }
};

QString dni(int n)
{
    static const char* letters = "TRWAGMYFPDXBNJZSQVHLCKE";
    return QString::number(n).rightJustified(8, '0') + QChar(letters[n % 23]);
}

void insert(engine::Database& db, const QString& table, const QStringList& cols, const QVariantList& vals)
{
    QStringList q, marks;
    for (const QString& c : cols) {
        q << engine::quoteIdent(c);
        marks << "?";
    }
    engine::CachedStatement st = db.prepare("INSERT INTO " + engine::quoteIdent(table) + " (" + q.join(", ") + ") VALUES (" +
                                  marks.join(", ") + ")");
    for (int i = 0; i < vals.size(); ++i)
        st->bind(i + 1, vals[i]);
    st->step();
}

struct Fisher {
    const char* name;
    const char* club;
    QDate born;
};

}  // namespace

void createDemo(const QString& path)
{
    if (!QFileInfo::exists(path))
        schema::createDatabase(path);
    engine::Database db;
    db.open(path);
    {
        engine::CachedStatement st = db.prepare("SELECT count(*) FROM COMPETIC");
        st->step();
        if (st->column(0).toLongLong() > 0)
            throw engine::DatabaseError(
                QStringLiteral("La base de datos «%1» ya tiene competiciones: no se añade la demostración").arg(path));
    }
    db.startTransaction();
    try {
        // Species register.
        const std::vector<std::pair<const char*, const char*>> species = {
            {"Mero", "Mero moreno, anfós"},       {"Dentón", "Déntol"},
            {"Dorada", "Orada"},                  {"Lubina", "Róbalo, llobarro"},
            {"Sargo", "Sargo común, sard"},       {"Sargo picudo", "Morruda"},
            {"Corvina", "Corball"},               {"Serviola", "Pez limón, círvia"},
            {"Lisa", "Mújol, llisa"},             {"Congrio", "Congre"},
            {"Morena", "Morena mediterránea"},    {"Cabracho", "Escórpora roja, cap-roig"},
            {"Pargo", "Pagre"},                   {"Salmonete de roca", "Moll de roca"},
            {"Gallo de San Pedro", "Pez de San Pedro"}, {"Pulpo", "Pop"},
        };
        for (const auto& [name, other] : species)
            insert(db, "ESPECIES", {"Nombre", "Otros nombres"},
                   {QString::fromUtf8(name), QString::fromUtf8(other)});
        // Codes 1..16 in the order above.
        enum { Mero = 1, Denton, Dorada, Lubina, Sargo, SargoPicudo, Corvina, Serviola, Lisa, Congrio, Morena,
               Cabracho, Pargo, Salmonete, Gallo, Pulpo };

        // Fishermen register.
        const std::vector<Fisher> fishers = {
            {"Antonio Núñez Ferrer", "C.A.S. Cala Rajada", {1978, 3, 14}},
            {"Miguel Ángel Roig Serra", "C.A.S. Cala Rajada", {1985, 7, 2}},
            {"JOSÉ NUÑO GARCÍA", "Club Nàutic Portocolom", {1990, 11, 23}},
            {"Bartolomé Vidal Pons", "Club Nàutic Portocolom", {1972, 1, 30}},
            {"Ángel Martínez Ruiz", "Sub Cartagena", {1982, 5, 9}},
            {"Francisco Jiménez Soler", "Sub Cartagena", {1988, 9, 17}},
            {"Joan Mas Riera", "C.N. l'Estartit", {1979, 12, 5}},
            {"Pere Font Bosch", "C.N. l'Estartit", {1993, 4, 21}},
            {"Rafael Ibáñez Castro", "Club Poseidón Almería", {1976, 8, 11}},
            {"Javier Muñoz Peña", "Club Poseidón Almería", {1991, 2, 3}},
            {"Sergio López Marín", "C.A.S. Menorca", {1984, 6, 28}},
            {"David Orfila Pons", "C.A.S. Menorca", {1987, 10, 15}},
            {"Carlos Sánchez Gil", "Sub Alicante", {1980, 3, 7}},
            {"Pablo Requena Torres", "Sub Alicante", {1995, 7, 19}},
            {"Jordi Puig Vila", "C.N. Cadaqués", {1974, 11, 1}},
            {"Marc Serra Camps", "C.N. Cadaqués", {1989, 1, 12}},
            {"Iván Castillo Romero", "Club Tritón Málaga", {1983, 5, 25}},
            {"Rubén Ortega León", "Club Tritón Málaga", {1992, 9, 8}},
            {"Tomeu Caldentey Mir", "C.A.S. Cala Rajada", {1986, 4, 4}},
            {"Guillermo Pascual Rey", "Sub Cartagena", {1977, 12, 29}},
            {"Óscar Benítez Prieto", "Club Poseidón Almería", {1994, 8, 16}},
            {"Llorenç Bauzà Sureda", "Club Nàutic Portocolom", {1981, 2, 27}},
        };
        for (int i = 0; i < int(fishers.size()); ++i)
            insert(db, "PESCADORES", {"DNI", "Nombre", "Fecha _nac", "Club", "Licencia"},
                   {dni(41203117 + i * 7919), QString::fromUtf8(fishers[size_t(i)].name), fishers[size_t(i)].born,
                    QString::fromUtf8(fishers[size_t(i)].club), QStringLiteral("BAL-%1").arg(1040 + i)});

        // Team competition of two days.
        const QStringList compCols = {"Codigo", "Titulo", "Tipo", "Peso maximo", "Peso minimo", "Peso penalizable",
                                      "Puntos pieza", "Puntos gramo", "Penalizacion gramo", "Puntos Cupo",
                                      "EjemplaresCupo", "Puntos Especie"};
        insert(db, "COMPETIC", compCols,
               {"CAE26", QString::fromUtf8("Campeonato Autonómico por Equipos 2026"), "E", 10000, 500, 350, 500, 1,
                350, 500, 5, 200});
        insert(db, "JORNADAS", {"Cod comp", "Numero", "Fecha", "Lugar", "Horario"},
               {"CAE26", 1, QDate(2026, 6, 13), "Cala Rajada - Cap de Capdepera", "08:00 a 14:00"});
        insert(db, "JORNADAS", {"Cod comp", "Numero", "Fecha", "Lugar", "Horario"},
               {"CAE26", 2, QDate(2026, 6, 14), QString::fromUtf8("Cala Rajada - Son Moll"), "08:00 a 13:00"});
        // Individual competition of one day.
        insert(db, "COMPETIC", compCols,
               {"OPEN26", "Open Individual Costa Brava 2026", "I", 8000, 400, 300, 400, 1, 300, 0, 0, 0});
        insert(db, "JORNADAS", {"Cod comp", "Numero", "Fecha", "Lugar", "Horario"},
               {"OPEN26", 1, QDate(2026, 9, 19), "L'Estartit - Illes Medes (exterior)", "09:00 a 14:30"});

        const QStringList partCols = {"Cod comp", "Equipo", "DNI", "Nombre", "Licencia", "Club", "Permiso",
                                      "Fecha nacimiento"};
        auto addParticipant = [&](const QString& comp, int team, int fisher) {
            const Fisher& f = fishers[size_t(fisher)];
            insert(db, "PARTICIP", partCols,
                   {comp, team, dni(41203117 + fisher * 7919), QString::fromUtf8(f.name),
                    QStringLiteral("BAL-%1").arg(1040 + fisher), QString::fromUtf8(f.club),
                    QStringLiteral("P-%1").arg(300 + fisher), f.born});
        };
        // Eight teams of two, numbered as the clubs registered them.
        const int teamNumbers[] = {1, 2, 3, 4, 5, 6, 7, 9};
        for (int t = 0; t < 8; ++t) {
            addParticipant("CAE26", teamNumbers[t], t * 2);
            addParticipant("CAE26", teamNumbers[t], t * 2 + 1);
        }
        for (int i = 0; i < 10; ++i)
            addParticipant("OPEN26", i + 1, (i * 3 + 4) % int(fishers.size()));

        // Species rules and quotas.
        const QStringList espCols = {"Cod comp", "Cod pez", "Puntua", "Peso minimo", "Puntos pieza", "Puntos gramo",
                                     "Peso penalizable", "Penalizacion gramo", "BonificaEspecie"};
        insert(db, "ESPECIAL", espCols, {"CAE26", Pulpo, false, 1000, 300, 0, 0, 0, false});
        insert(db, "ESPECIAL", espCols, {"CAE26", Mero, true, 2000, 1000, 1, 1500, 1000, true});
        insert(db, "ESPECIAL", espCols, {"CAE26", Morena, false, 800, 500, 1, 0, 0, true});
        insert(db, "ESPECIAL", espCols, {"OPEN26", Mero, true, 2000, 800, 1, 1500, 800, true});
        insert(db, "CUPOS", {"Cod_comp", "Cod_Especie", "EjemplaresCupo", "Puntos"}, {"CAE26", Sargo, 5, 1000});
        insert(db, "CUPOS", {"Cod_comp", "Cod_Especie", "EjemplaresCupo", "Puntos"}, {"CAE26", Dorada, 3, 800});

        // Day 1's catches: every team but the last of each competition.
        Lcg rnd;
        const int common[] = {Sargo, Sargo, Sargo, SargoPicudo, Dorada, Lisa, Corvina, Denton, Cabracho, Pargo,
                              Lubina, Serviola, Congrio, Morena, Pulpo, Mero, Salmonete};
        auto catches = [&](const QString& comp, int team, int lines, int pesoMaximo) {
            for (int n = 1; n <= lines; ++n) {
                const int sp = common[rnd.next(0, int(std::size(common)) - 1)];
                int pieces = rnd.next(0, 3) == 0 ? rnd.next(2, 4) : 1;
                int weight = 0;
                for (int p = 0; p < pieces; ++p)
                    weight += sp == Mero ? rnd.next(1800, 12500) : sp == Serviola ? rnd.next(1500, 9000)
                                                                                   : rnd.next(280, 2600);
                const int valid = (pesoMaximo > 0 && pieces == 1 && weight > pesoMaximo) ? pesoMaximo : weight;
                insert(db, "PESCADA",
                       {"Cod comp", "Jornada", "Equipo", "Pesada num", "Numero piezas", "Cod pez", "Peso", "Peso valido"},
                       {comp, 1, team, n, pieces, sp, weight, valid});
            }
        };
        for (int t = 0; t < 7; ++t)
            catches("CAE26", teamNumbers[t], rnd.next(6, 14), 10000);
        for (int i = 0; i < 9; ++i)
            catches("OPEN26", i + 1, rnd.next(3, 9), 8000);

        // One classification row per team and day, as participant entry leaves them.
        const QStringList claCols = {"Competicion", "Jornada", "Equipo", "Puntos"};
        for (int t : teamNumbers)
            for (int day = 1; day <= 2; ++day)
                insert(db, "CLASIFIC", claCols, {"CAE26", day, t, 0});
        for (int i = 1; i <= 10; ++i)
            insert(db, "CLASIFIC", claCols, {"OPEN26", 1, i, 0});
        db.commit();
    } catch (...) {
        db.rollback();
        throw;
    }
    db.close();
}
