// tarsela-cli recalcular and pesar, checked against a plain recomputation of
// the scoring rules written here from scratch.
#include "scoring/ScoringFixture.h"
#include "support/Cli.h"

#include <QFile>
#include <QProcess>

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <set>

using namespace scoringtest;

namespace {


// ---- The rules, recomputed plainly --------------------------------------

struct Consts {
    qint64 min = 0, pieza = 0, gramo = 0, penalizable = 0, penal = 0;
    bool puntua = true, bonifica = true;
};

struct Line {
    int pesada, piezas;
    qint64 pez;
    qint64 peso, pv;
};

struct Model {
    QString cc = "R1";
    int jor = 1;
    qint64 pesoMaximo = 0, puntosCupo = 0, ejemplaresCupo = 0, puntosEspecie = 0;
    Consts comp;
    std::map<qint64, Consts> especial;
    std::map<qint64, std::pair<qint64, qint64>> cupos;
    std::set<int> teams;                 // teams with participants
    std::map<int, std::vector<Line>> lines;
    std::map<int, double> penal;         // the PENAL points of a team that day

    // A stored penalty as applied: the nearest whole number, halves to even.
    qint64 penaliza(int eq) const
    {
        auto it = penal.find(eq);
        if (it == penal.end()) return 0;
        const double lo = std::floor(it->second), frac = it->second - lo;
        const qint64 n = qint64(lo);
        if (frac != 0.5) return frac < 0.5 ? n : n + 1;
        return n % 2 == 0 ? n : n + 1;
    }

    const Consts& of(qint64 pez) const
    {
        auto it = especial.find(pez);
        return it == especial.end() ? comp : it->second;
    }
    qint64 value(const Line& l) const
    {
        const Consts& c = of(l.pez);
        if (l.pv >= c.min || l.peso >= c.min) return l.pv * c.gramo + l.piezas * c.pieza;
        if (l.pv >= c.penalizable || l.peso >= c.penalizable) return 0;
        return -c.penal;
    }
    bool passes(const Line& l) const { return l.piezas >= 1 && l.peso >= l.piezas * of(l.pez).min; }

    struct Record {
        qint64 puntos = 0, bonifica = 0, total = 0, presentadas = 0, validas = 0, codMayor = 0, pesoMayor = 0;
    };
    Record tally(int eq) const
    {
        Record r;
        std::vector<Line> ls;
        if (auto it = lines.find(eq); it != lines.end()) ls = it->second;
        std::sort(ls.begin(), ls.end(), [](const Line& a, const Line& b) { return a.pesada < b.pesada; });
        std::map<qint64, qint64> validPieces;
        std::set<qint64> present, bonusSpecies;
        for (const Line& l : ls) {
            const Consts& c = of(l.pez);
            r.puntos += value(l);
            r.presentadas += l.piezas;
            if (l.peso >= l.piezas * c.min) {
                r.validas += l.piezas;
                if (c.puntua && l.piezas == 1 && l.peso > r.pesoMayor) {
                    r.pesoMayor = l.peso;
                    r.codMayor = l.pez;
                }
            }
            present.insert(l.pez);
            if (passes(l)) {
                validPieces[l.pez] += l.piezas;
                if (c.bonifica) bonusSpecies.insert(l.pez);
            }
        }
        if (puntosCupo > 0) {
            for (qint64 s : present) {
                qint64 quota = ejemplaresCupo, pts = puntosCupo;
                if (auto it = cupos.find(s); it != cupos.end()) std::tie(quota, pts) = it->second;
                if (quota > 0 && validPieces[s] == quota) r.bonifica += pts;
            }
        }
        if (puntosEspecie > 0)
            r.bonifica += qint64(bonusSpecies.size()) * puntosEspecie;
        r.total = r.puntos + r.bonifica;
        return r;
    }
};

QString expectedRecord(const Model& m, int eq)
{
    const Model::Record r = m.tally(eq);
    const qint64 pen = m.penaliza(eq);
    return QStringList{m.cc, num(m.jor), num(eq), num(r.puntos), num(r.bonifica), num(pen), num(r.total - pen),
                       num(r.presentadas), num(r.validas), num(r.codMayor), num(r.pesoMayor)}
        .join('|');
}

std::map<int, QString> storedRecords(const QString& path, const QString& cc, int jor)
{
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    sqlite3_stmt* st = nullptr;
    std::map<int, QString> out;
    const QString sql = QString("SELECT Competicion, Jornada, Equipo, Puntos, Bonifica, Penaliza, TotalPuntos, Presentadas, "
                                "Validas, codPiezaMayor, PesoPiezaMayor FROM CLASIFIC WHERE Competicion = '%1' AND "
                                "Jornada = %2")
                            .arg(cc)
                            .arg(jor);
    sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW) {
        QStringList cols;
        for (int i = 0; i < 11; ++i)
            cols << (sqlite3_column_type(st, i) == SQLITE_NULL
                         ? QString("NULL")
                         : QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, i))));
        out[sqlite3_column_int(st, 2)] = cols.join('|');
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return out;
}

QString ranking(const Model& m, const std::map<int, QString>& extra = {})
{
    struct Row {
        int eq;
        qint64 puntos, bonifica, penaliza, total;
    };
    std::vector<Row> rows;
    for (int eq : m.teams) {
        const Model::Record r = m.tally(eq);
        rows.push_back({eq, r.puntos, r.bonifica, m.penaliza(eq), r.total - m.penaliza(eq)});
    }
    for (const auto& [eq, rec] : extra) {
        const QStringList c = rec.split('|');
        rows.push_back({eq, c[3].toLongLong(), c[4].toLongLong(), c[5].toLongLong(), c[6].toLongLong()});
    }
    std::sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
        return a.total != b.total ? a.total > b.total : a.eq < b.eq;
    });
    QString out;
    int pos = 0;
    for (const Row& r : rows)
        out += QStringList{num(++pos), num(r.eq), num(r.puntos), num(r.bonifica), num(r.penaliza), num(r.total)}.join('\t') +
               '\n';
    return out;
}

// ---- Fixed cases --------------------------------------------------------

class ScoringCliTest : public ::testing::Test {
protected:
    ScoringDb db;
    void SetUp() override
    {
        Competicion c = ejemplo();
        c.puntosEspecie = 200;
        c.puntosCupo = 300;
        c.ejemplaresCupo = 5;
        db.competicion(c);
        db.jornada("C1", 1);
        db.especie(10, "Xerna");
        db.especie(20, "Yubarta");
        db.participante("C1", 1, "111", "Ana");
        db.participante("C1", 2, "222", "Luis");
        db.participante("C1", 3, "333", "Marta");
        db.participante("C1", 4, "444", "Pilar");       // no lines: 0, above the negative total
        db.linea("C1", 1, 1, 1, 1, 10, 1000, 1000);   // 1100 + 200
        db.linea("C1", 1, 2, 1, 1, 20, 1000, 1000);   // 1100 + 200: tie with team 1
        db.linea("C1", 1, 3, 1, 1, 10, 150, 150);     // -50
        db.linea("C1", 1, 3, 2, 2, 20, 100, 100);     // -50, too light: warned twice
        db.clasific("C1", 1, 3, 0, 0, 12, -12);
    }
};

TEST_F(ScoringCliTest, RecalcularNamesEachLightLineOnce)
{
    const CliRun r = cli({"recalcular", db.file.path(), "C1", "1"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QString("1\t1\t1100\t200\t0\t1300\n"
                             "2\t2\t1100\t200\t0\t1300\n"
                             "3\t4\t0\t0\t0\t0\n"
                             "4\t3\t-100\t0\t0\t-100\n"));
    // The too-light line of team 3, once, on one line with its team and
    // weighing number.
    const QString aviso = QString::fromUtf8("El peso mínimo de este pez es de 300gr por lo que 2 piezas deberían pesar al "
                                            "menos 600gr");
    EXPECT_EQ(r.err, "Equipo 3, pesada 2: " + aviso + "\n");
    // Weighing another too-light line warns about it once, in the message's
    // two lines; the next recompute names both.
    const CliRun w = cli({"pesar", db.file.path(), "C1", "1", "3", "2", "20", "100"});
    ASSERT_EQ(w.code, 0) << w.err.toStdString();
    EXPECT_EQ(w.err, QString::fromUtf8("El peso mínimo de este pez es de 300gr\npor lo que 2 piezas deberían pesar al "
                                       "menos 600gr\n"));
    const CliRun again = cli({"recalcular", db.file.path(), "C1", "1"});
    ASSERT_EQ(again.code, 0) << again.err.toStdString();
    EXPECT_EQ(again.err, "Equipo 3, pesada 2: " + aviso + "\nEquipo 3, pesada 3: " + aviso + "\n");
}

TEST_F(ScoringCliTest, PesarSavesOneLine)
{
    CliRun r = cli({"pesar", db.file.path(), "C1", "1", "2", "1", "10", "7000"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QString("2\t%1\n").arg(1100 + 5100 + 400));
    EXPECT_EQ(db.scalar("SELECT \"Peso valido\" FROM PESCADA WHERE Equipo = 2 AND \"Pesada num\" = 2"), 5000);
    EXPECT_EQ(db.scalar("SELECT TotalPuntos FROM CLASIFIC WHERE Equipo = 2"), 6600);
    // Only the saved team's record is written; the penalty of team 3 stays.
    EXPECT_EQ(db.scalar("SELECT Penaliza FROM CLASIFIC WHERE Equipo = 3"), 12);
    EXPECT_EQ(db.scalar("SELECT count(*) FROM CLASIFIC"), 2);
    r = cli({"pesar", db.file.path(), "C1", "1", "2", "1", "10", "7000", "6000"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QString("3\t%1\n").arg(1100 + 5100 + 6100 + 400));
    EXPECT_EQ(db.scalar("SELECT \"Peso valido\" FROM PESCADA WHERE Equipo = 2 AND \"Pesada num\" = 3"), 6000);
}

// A weight the weigh-in would ask about is saved, as a script asked, with
// the same question on stderr; a plausible one says nothing.
TEST_F(ScoringCliTest, PesarSavesALikelySlipAndSaysTheQuestion)
{
    // 18.500 g of Xerna: above 3 x 5000, the competition's maximum.
    CliRun r = cli({"pesar", db.file.path(), "C1", "1", "4", "1", "10", "18500"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.err, QString::fromUtf8("¿Es correcto un peso de 18.500 g para Xerna?\n"));
    EXPECT_EQ(r.out, QString("1\t%1\n").arg(5000 + 100 + 200));
    EXPECT_EQ(db.scalar("SELECT Peso FROM PESCADA WHERE Equipo = 4"), 18500);
    // 2.900 g of Yubarta, the heaviest single one so far 1.000 g.
    r = cli({"pesar", db.file.path(), "C1", "1", "4", "1", "20", "2900"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    r = cli({"pesar", db.file.path(), "C1", "1", "4", "1", "20", "9100"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.err, QString::fromUtf8("¿Es correcto un peso de 9.100 g para Yubarta?\n"));
    EXPECT_EQ(db.scalar("SELECT count(*) FROM PESCADA WHERE Equipo = 4"), 3);
}

TEST_F(ScoringCliTest, BorrarPesadaAndTheDayRanking)
{
    // The ranking reads what is stored, in the window's cells.
    CliRun r = cli({"clasificacion", db.file.path(), "C1", "1"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QString::fromUtf8("1º\t3\tMarta\t0\t0\t-12\t100,00\n"));
    ASSERT_EQ(cli({"recalcular", db.file.path(), "C1", "1"}).code, 0);
    r = cli({"clasificacion", db.file.path(), "C1", "1"});
    EXPECT_EQ(r.out, QString::fromUtf8("1º\t1\tAna\t1.100\t200\t1.300\t100,00\n"
                                       "2º\t2\tLuis\t1.100\t200\t1.300\t100,00\n"
                                       "3º\t4\tPilar\t0\t0\t0\t0,00\n"
                                       "4º\t3\tMarta\t-100\t0\t-100\t-7,69\n"));
    // Deleting team 3's first line renumbers the second to 1.
    r = cli({"borrar-pesada", db.file.path(), "C1", "1", "3", "1"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QString("-50\n"));
    EXPECT_EQ(db.scalar("SELECT \"Pesada num\" FROM PESCADA WHERE Equipo = 3"), 1);
    EXPECT_EQ(db.scalar("SELECT Peso FROM PESCADA WHERE Equipo = 3"), 100);
    EXPECT_EQ(db.scalar("SELECT TotalPuntos FROM CLASIFIC WHERE Equipo = 3"), -50);
}

TEST_F(ScoringCliTest, RefusalsChangeNothing)
{
    const QString f = db.file.path();
    const QByteArray before = bytesOf(f);
    const QString text = db.file.dir() + "/texto.abs";
    {
        QFile t(text);
        t.open(QIODevice::WriteOnly);
        t.write("no es una base de datos\n");
    }
    const struct {
        QStringList args;
        const char* message;
    } cases[] = {
        {{"recalcular", f + ".no", "C1", "1"}, "No existe el fichero"},
        {{"recalcular", f, "C9", "1"}, "No existe la competición"},
        {{"recalcular", text, "C1", "1"}, "no es una base de datos"},
        {{"pesar", text, "C1", "1", "1", "1", "10", "500"}, "no es una base de datos"},
        {{"recalcular", f, "C1", "2"}, "no tiene la jornada"},
        {{"recalcular", f, "C1", "uno"}, "número entero"},
        {{"recalcular", f, "C1", "40000"}, "número entero"},
        {{"pesar", f, "C1", "1", "7", "1", "10", "500"}, "No existe el equipo 7"},
        {{"pesar", f, "C1", "1", "1", "1.5", "10", "500"}, "número entero"},
        {{"pesar", f, "C1", "1", "1", "40000", "10", "500"}, "número entero"},
        {{"pesar", f, "C1", "1", "1", "1", "diez", "500"}, "número entero"},
        {{"pesar", f, "C1", "1", "1", "1", "10", "2147483648"}, "número entero"},
        {{"pesar", f, "C1", "1", "1", "1", "10", "500", ""}, "número entero"},
        {{"pesar", f, "C1", "1", "1", "1", "10", "500", "1e3"}, "número entero"},
        {{"pesar", f, "C1", "1", "1", "-2", "10", "500"}, "número entero entre 0"},
        {{"pesar", f, "C1", "1", "1", "1", "10", "-500"}, "número entero entre 0"},
        {{"pesar", f, "C1", "1", "1", "1", "10", "500", "-1"}, "número entero entre 0"},
        {{"pesar", f, "C1", "1", "1", "1", "30", "500"}, "No existe la especie de código 30"},
        {{"pesar", f, "C1'--", "1", "1", "1", "10", "500"}, "No existe la competición"},
        {{"pesar", f, "C1", "1", "1", "1", "10"}, "Uso"},
        {{"pesar", f, "C1", "1", "1", "0", "10", "500"}, "El número de piezas debe ser al menos 1"},
        {{"borrar-pesada", f, "C1", "1", "1", "9"}, "no tiene la pesada"},
        {{"borrar-pesada", f, "C1", "1", "7", "1"}, "No existe el equipo 7"},
        {{"borrar-pesada", f, "C1", "2", "1", "1"}, "no tiene la jornada"},
        {{"borrar-pesada", f, "C9", "1", "1", "1"}, "No existe la competición"},
        {{"borrar-pesada", f, "C1", "1", "1", "uno"}, "número entero"},
        {{"clasificacion", f, "C9", "1"}, "No existe la competición"},
        {{"clasificacion", f, "C1", "2"}, "no tiene la jornada"},
    };
    for (const auto& c : cases) {
        const CliRun r = cli(c.args);
        EXPECT_EQ(r.code, 1) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.message))) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
    EXPECT_EQ(bytesOf(f), before);
    EXPECT_EQ(bytesOf(text), QByteArray("no es una base de datos\n"));
}

TEST(ScoringCliRules, CompetitionWithoutParticipantsIsRefused)
{
    ScoringDb db;
    db.competicion(ejemplo());
    db.jornada("C1", 1);
    const CliRun r = cli({"recalcular", db.file.path(), "C1", "1"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("No hay participantes en esta prueba")) << r.err.toStdString();
}

// ---- Random competitions ------------------------------------------------

QVariant maybe(std::mt19937& rng, qint64 v)
{
    return rng() % 6 == 0 ? QVariant() : QVariant(v);
}
qint64 valueOf(const QVariant& v) { return v.isNull() ? 0 : v.toLongLong(); }

TEST(ScoringCliRandom, RecalcularAndPesarAgreeWithTheRules)
{
    for (unsigned seed : {11u, 23u, 58u, 91u}) {
        SCOPED_TRACE(seed);
        std::mt19937 rng(seed);
        auto pick = [&](int lo, int hi) { return lo + int(rng() % unsigned(hi - lo + 1)); };
        ScoringDb db;
        Model m;
        Competicion c;
        c.codigo = m.cc;
        c.pesoMaximo = maybe(rng, pick(0, 1) ? pick(1500, 4000) : 0);
        c.pesoMinimo = maybe(rng, pick(100, 600));
        c.pesoPenalizable = maybe(rng, pick(0, 300));
        c.puntosPieza = maybe(rng, pick(0, 200));
        c.puntosGramo = maybe(rng, pick(0, 3));
        c.penalizacion = maybe(rng, pick(0, 100));
        c.puntosCupo = maybe(rng, pick(0, 2) ? pick(1, 500) : 0);
        c.ejemplaresCupo = maybe(rng, pick(0, 4));
        c.puntosEspecie = maybe(rng, pick(0, 2) ? pick(1, 300) : 0);
        db.competicion(c);
        m.pesoMaximo = valueOf(c.pesoMaximo);
        m.comp = {valueOf(c.pesoMinimo), valueOf(c.puntosPieza), valueOf(c.puntosGramo), valueOf(c.pesoPenalizable),
                  valueOf(c.penalizacion), true, true};
        m.puntosCupo = valueOf(c.puntosCupo);
        m.ejemplaresCupo = valueOf(c.ejemplaresCupo);
        m.puntosEspecie = valueOf(c.puntosEspecie);
        db.jornada(m.cc, 1);
        db.jornada(m.cc, 2);
        const std::vector<qint64> species{1, 2, 3, 4, 5, 6};  // 6 is not in the register
        for (qint64 s : species)
            if (s != 6) db.especie(s, QString("Pez%1").arg(s));
        for (qint64 s : species) {
            if (pick(0, 2) == 0) {
                const QVariant puntua = maybe(rng, pick(0, 1)), minimo = maybe(rng, pick(100, 800)),
                               pieza = maybe(rng, pick(0, 300)), gramo = maybe(rng, pick(0, 2)),
                               penalizable = maybe(rng, pick(0, 200)), penal = maybe(rng, pick(0, 80)),
                               bonifica = maybe(rng, pick(0, 1));
                db.especial(m.cc, s, puntua, minimo, pieza, gramo, penalizable, penal, bonifica);
                m.especial[s] = {valueOf(minimo), valueOf(pieza), valueOf(gramo), valueOf(penalizable),
                                 valueOf(penal),  valueOf(puntua) != 0, valueOf(bonifica) != 0};
            }
            if (pick(0, 2) == 0) {
                const QVariant ej = maybe(rng, pick(0, 4)), pts = maybe(rng, pick(0, 1000));
                db.cupo(m.cc, s, ej, pts);
                m.cupos[s] = {valueOf(ej), valueOf(pts)};
            }
        }
        const int nTeams = pick(3, 7);
        for (int t = 1; t <= nTeams; ++t) {
            const int eq = t * 2 - pick(0, 1);
            if (m.teams.count(eq)) continue;
            m.teams.insert(eq);
            for (int k = 0, n = pick(1, 2); k < n; ++k)
                db.participante(m.cc, eq, QString("%1-%2").arg(eq).arg(k), QString("Nombre %1").arg(eq));
            if (pick(0, 3) == 0) db.clasific(m.cc, 1, eq, 1, 2, pick(1, 40), 3);  // a record holding an old penalty
            if (pick(0, 2) == 0) {
                // A stored penalty, whole or with a half (rounded to even).
                m.penal[eq] = pick(0, 300) + (pick(0, 1) ? 0.5 : 0.0);
                db.penal(m.cc, 1, eq, m.penal[eq], 0, "motivo");
            }
            if (pick(0, 3) == 0) db.penal(m.cc, 2, eq, 999);  // another day, never applied
            for (int k = 1, n = pick(0, 8); k <= n; ++k) {
                const int piezas = pick(0, 9) == 0 ? 0 : pick(1, 4);
                const qint64 peso = pick(0, 3000), pv = pick(0, 4) == 0 ? pick(0, 3000) : peso;
                const qint64 pez = species[size_t(pick(0, int(species.size()) - 1))];
                db.linea(m.cc, 1, eq, k, piezas, pez, int(peso), pv);
                m.lines[eq].push_back({k, piezas, pez, peso, pv});
            }
            db.linea(m.cc, 2, eq, 1, 1, 1, 5000, 5000);  // another day, never read
        }
        db.clasific("R2", 1, 1, 9, 9, 9, 9);  // another competition, never touched
        db.penal("R2", 1, 1, 77);

        CliRun r = cli({"recalcular", db.file.path(), m.cc, "1"});
        ASSERT_EQ(r.code, 0) << r.err.toStdString();
        EXPECT_EQ(r.out, ranking(m));
        std::map<int, QString> stored = storedRecords(db.file.path(), m.cc, 1);
        ASSERT_EQ(stored.size(), m.teams.size());
        for (int eq : m.teams)
            EXPECT_EQ(stored[eq], expectedRecord(m, eq)) << "equipo " << eq;

        const std::vector<int> teams(m.teams.begin(), m.teams.end());
        for (int k = 0; k < 12; ++k) {
            const int eq = teams[size_t(pick(0, int(teams.size()) - 1))];
            const int piezas = pick(0, 12) == 0 ? 0 : pick(1, 3);
            // pesar takes species of the register only (6, the last, is not).
            const qint64 pez = species[size_t(pick(0, int(species.size()) - 2))];
            const qint64 peso = pick(50, 6000);
            QStringList args{"pesar", db.file.path(), m.cc, "1", num(eq), num(piezas), num(pez), num(peso)};
            qint64 pv = (m.pesoMaximo > 0 && piezas == 1 && peso > m.pesoMaximo) ? m.pesoMaximo : peso;
            if (pick(0, 3) == 0) {
                pv = pick(0, 6000);
                args << num(pv);
            }
            if (piezas == 0) {
                // A line of no piece is refused, and nothing is stored.
                const QStringList before = rowsOf(db.file.path(), "SELECT * FROM PESCADA ORDER BY rowid");
                const QStringList records = rowsOf(db.file.path(), "SELECT * FROM CLASIFIC ORDER BY rowid");
                r = cli(args);
                EXPECT_EQ(r.code, 1) << args.join(' ').toStdString();
                EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
                EXPECT_TRUE(r.err.contains(QString::fromUtf8("El número de piezas debe ser al menos 1"))) << r.err.toStdString();
                EXPECT_EQ(rowsOf(db.file.path(), "SELECT * FROM PESCADA ORDER BY rowid"), before);
                EXPECT_EQ(rowsOf(db.file.path(), "SELECT * FROM CLASIFIC ORDER BY rowid"), records);
                continue;
            }
            int pesada = 1;
            for (const Line& l : m.lines[eq]) pesada = std::max(pesada, l.pesada + 1);
            m.lines[eq].push_back({pesada, piezas, pez, peso, pv});
            r = cli(args);
            ASSERT_EQ(r.code, 0) << r.err.toStdString();
            EXPECT_EQ(r.out, QString("%1\t%2\n").arg(pesada).arg(m.tally(eq).total)) << args.join(' ').toStdString();
        }
        stored = storedRecords(db.file.path(), m.cc, 1);
        ASSERT_EQ(stored.size(), m.teams.size());
        for (int eq : m.teams)
            EXPECT_EQ(stored[eq], expectedRecord(m, eq)) << "equipo " << eq;
        EXPECT_EQ(storedRecords(db.file.path(), "R2", 1).at(1), QString("R2|1|1|9|9|9|9|NULL|NULL|NULL|NULL"));
        EXPECT_EQ(storedRecords(db.file.path(), m.cc, 2).size(), 0u);
        // A second recomputation changes nothing and prints the same ranking.
        r = cli({"recalcular", db.file.path(), m.cc, "1"});
        EXPECT_EQ(r.out, ranking(m));
        EXPECT_EQ(storedRecords(db.file.path(), m.cc, 1), stored);
    }
}

}  // namespace
