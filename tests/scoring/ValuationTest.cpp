// The value of one catch line, the valid weight, the minimum-weight check and
// the line breakdown of the weigh-in grid.
#include "scoring/Scoring.h"
#include "scoring/ScoringFixture.h"

#include <gtest/gtest.h>

#include <optional>

using namespace scoringtest;

namespace {

constexpr qint64 kOtra = 1;  // a species without rules of its own
constexpr qint64 kS = 2;     // minimum 1000, per piece 500, per gram 2, penalisable 0, penalty 0

class ValuationTest : public ::testing::Test {
protected:
    ScoringDb db;
    Tdm* dm = nullptr;
    void SetUp() override
    {
        db.competicion(ejemplo());
        db.jornada("C1", 1);
        db.especie(kOtra, "Dorada");
        db.especie(kS, "Sargo");
        db.especial("C1", kS, 1, 1000, 500, 2, 0, 0, 1);
        dm = &db.open("C1", 1);
    }
};

struct LineCase {
    qint64 pez;
    int piezas, peso;
    std::optional<int> valido;  // overwritten by hand
    int esperadoValido, esperadoPuntos;
};

TEST_F(ValuationTest, WorkedExampleOfEightLines)
{
    const LineCase cases[] = {
        {kOtra, 1, 1250, {}, 1250, 1350}, {kOtra, 1, 7000, {}, 5000, 5100}, {kOtra, 3, 700, {}, 700, 1000},
        {kOtra, 1, 250, {}, 250, 0},      {kOtra, 1, 150, {}, 150, -50},    {kOtra, 1, 1250, 0, 0, 100},
        {kS, 1, 2500, {}, 2500, 5500},    {kS, 1, 800, {}, 800, 0},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "pez " << c.pez << " piezas " << c.piezas << " peso " << c.peso);
        const int pv = c.valido ? *c.valido : pesoValido(*dm, c.peso, c.piezas);
        EXPECT_EQ(pv, c.esperadoValido);
        EXPECT_EQ(calculoPuntos(*dm, c.pez, pv, c.peso, c.piezas), c.esperadoPuntos);
    }
}

TEST_F(ValuationTest, ThresholdsAreInclusive)
{
    struct Case {
        int pv, peso, puntos;
    } cases[] = {
        {300, 300, 400},  // exactly the minimum scores
        {299, 299, 0},    // between penalisable and minimum
        {200, 200, 0},    // exactly the penalisable weight is not penalised
        {199, 199, -50},
        {100, 300, 200},  // the weighed weight reaches the minimum: scores on the lower valid weight
        {300, 100, 400},  // the valid weight reaches it
        {199, 200, 0},    // either weight at the penalisable weight avoids the penalty
    };
    for (const Case& c : cases)
        EXPECT_EQ(calculoPuntos(*dm, kOtra, c.pv, c.peso, 1), c.puntos) << c.pv << " " << c.peso;
}

TEST(ValuationRules, ConstantsComeFromTheWholeRow)
{
    ScoringDb db;
    Competicion c = ejemplo();
    c.pesoPenalizable = QVariant();  // empty: never penalised
    db.competicion(c);
    db.jornada("C1", 1);
    // Empty per gram in the species' row: only the pieces score, even though
    // the competition pays per gram.
    db.especial("C1", 7, 1, 100, 40, QVariant(), QVariant(), 30, 1);
    Tdm& dm = db.open("C1", 1);
    EXPECT_EQ(calculoPuntos(dm, 7, 5000, 5000, 3), 120);
    // Its penalisable weight is empty (0): nothing below the minimum is penalised.
    EXPECT_EQ(calculoPuntos(dm, 7, 10, 10, 1), 0);
    // Empty penalisable weight in the competition: weights are never negative.
    EXPECT_EQ(calculoPuntos(dm, 1, 0, 0, 1), 0);
}

TEST(ValuationRules, ValidWeightCap)
{
    struct Case {
        int peso, piezas, maximo, esperado;
    } cases[] = {
        {7000, 1, 5000, 5000}, {7000, 2, 5000, 7000}, {5000, 1, 5000, 5000},
        {5001, 1, 5000, 5000}, {7000, 1, 0, 7000},    {7000, 1, -5, 7000},
    };
    for (const Case& c : cases)
        EXPECT_EQ(pesoValido(c.peso, c.piezas, c.maximo), c.esperado) << c.peso << " " << c.piezas << " " << c.maximo;
}

TEST(ValuationRules, ExtremeValuesAreClampedNotWrapped)
{
    ScoringDb db;
    Competicion c = ejemplo();
    c.puntosGramo = 2147483647;
    c.puntosPieza = 2147483647;
    c.penalizacion = -2147483648LL;  // a negative penalty would become a bonus past the range
    db.competicion(c);
    db.jornada("C1", 1);
    Tdm& dm = db.open("C1", 1);
    EXPECT_EQ(calculoPuntos(dm, 1, 2000000000, 2000000000, 32767), 2147483647);
    EXPECT_EQ(calculoPuntos(dm, 1, 1, 1, 1), 2147483647);  // -(-2^31) clamps to 2^31 - 1
    EXPECT_EQ(clampInt(-5000000000LL), -2147483647 - 1);
}

TEST_F(ValuationTest, MinimumWeightCheckAndItsWarnings)
{
    ScriptedDialogs dialogs;
    struct Case {
        qint64 pez;
        int piezas, peso;
        bool ok;
        QString aviso;
    } cases[] = {
        {kOtra, 0, 1000, false, QString::fromUtf8("El número de piezas debe ser al menos 1")},
        {kOtra, -2, 1000, false, QString::fromUtf8("El número de piezas debe ser al menos 1")},
        {kOtra, 1, 299, false, {}},
        {kOtra, 1, 300, true, {}},
        {kOtra, 4, 1200, true, {}},
        {kOtra, 3, 700, false,
         QString::fromUtf8("El peso mínimo de este pez es de 300gr\rpor lo que 3 piezas deberían pesar al menos 900gr")},
        {kS, 2, 1999, false,
         QString::fromUtf8("El peso mínimo de este pez es de 1000gr\rpor lo que 2 piezas deberían pesar al menos 2000gr")},
        {kS, 2, 2000, true, {}},
    };
    for (const Case& c : cases) {
        dialogs.messages.clear();
        EXPECT_EQ(comprobarPeso(*dm, "C1", c.pez, c.piezas, c.peso), c.ok) << c.piezas << " " << c.peso;
        if (c.aviso.isEmpty()) {
            EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join("|").toStdString();
        } else {
            ASSERT_EQ(dialogs.messages.size(), 1);
            EXPECT_EQ(dialogs.messages[0], c.aviso);
        }
    }
}

// The warnings come as the program's message box: warning type, one OK.
class RecordingDialogs : public ScriptedDialogs {
public:
    std::vector<std::pair<int, unsigned>> kinds;
    int msgDlgPos(const QString& text, int type, unsigned buttons, int helpContext, int x, int y) override
    {
        kinds.emplace_back(type, buttons);
        return ScriptedDialogs::msgDlgPos(text, type, buttons, helpContext, x, y);
    }
};

TEST_F(ValuationTest, WarningsAreWarningsWithOneOk)
{
    RecordingDialogs dialogs;
    comprobarPeso(*dm, "C1", kOtra, 0, 0);
    comprobarPeso(*dm, "C1", kOtra, 2, 10);
    ASSERT_EQ(dialogs.kinds.size(), 2u);
    for (auto [type, buttons] : dialogs.kinds) {
        EXPECT_EQ(type, mtWarning);
        EXPECT_EQ(buttons, unsigned(mbOK));
    }
}

TEST_F(ValuationTest, CheckLooksAtTheWeighedWeightOnly)
{
    ScriptedDialogs dialogs;
    // A line of several small pieces scores in full once its weight reaches
    // one piece's minimum, yet it fails the check.
    EXPECT_EQ(calculoPuntos(*dm, kOtra, 500, 500, 3), 800);
    EXPECT_FALSE(comprobarPeso(*dm, "C1", kOtra, 3, 500));
    // The large product of the warning is written exactly.
    dialogs.messages.clear();
    db.exec("UPDATE COMPETIC SET \"Peso minimo\" = 2000000000");
    EXPECT_FALSE(comprobarPeso(*dm, "C1", kOtra, 32767, 1));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].endsWith("al menos 65534000000000gr")) << dialogs.messages[0].toStdString();
}

TEST_F(ValuationTest, LineBreakdown)
{
    struct Case {
        qint64 pez;
        int piezas, peso, pv;
        int puntos, bonifica, penal;
    } cases[] = {
        {kOtra, 3, 700, 700, 1000, 100, 0},  // per-piece constant once, not three times
        {kOtra, 1, 250, 250, 0, 0, 0},
        {kOtra, 1, 150, 150, -50, 0, -50},
        {kS, 1, 2500, 2500, 5500, 500, 0},
        {kS, 1, 800, 800, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const DesgloseLinea d = desgloseLinea(*dm, c.pez, c.pv, c.peso, c.piezas);
        EXPECT_EQ(d.puntos, c.puntos);
        EXPECT_EQ(d.Bonifica, c.bonifica);
        EXPECT_EQ(d.Penal, c.penal);
    }
}

TEST_F(ValuationTest, SpeciesOutsideTheRegisterIsValuedLikeAnyOther)
{
    EXPECT_EQ(calculoPuntos(*dm, 999, 1250, 1250, 1), 1350);
    bool found = true;
    EXPECT_EQ(nombreEspecie(*dm, 999, &found), QString());
    EXPECT_FALSE(found);
    EXPECT_EQ(nombreEspecie(*dm, kS, &found), QString("Sargo"));
    EXPECT_TRUE(found);
}

}  // namespace
