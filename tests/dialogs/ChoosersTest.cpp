#include "dialogs/TSeleccion.h"
#include "dialogs/Tfselcomp.h"
#include "data/Globals.h"
#include "data/Tdm.h"
#include "support/Fixture.h"
#include "support/ModalAnswer.h"
#include "widgets/DataGrid.h"
#include "widgets/DataLookupCombo.h"

#include <QApplication>
#include <QKeyEvent>

#include <gtest/gtest.h>

#include <memory>

namespace {

// Competitions, most recent day first in the list:
//   C3 "Alfa"  (day 1 2026-07-01)            teams 5
//   B2 "Beta"  (day 1 2026-06-01)            no participants
//   A1 "Alfa"  (days 1, 2 in 2026-05)        teams 3, 7, 12 (not consecutive)
//   D4 "Delta" (no days)                     team 2
class ChoosersTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        file.exec("INSERT INTO COMPETIC (Codigo, Titulo, Tipo) VALUES ('A1', 'Alfa', 'E'), ('B2', 'Beta', 'E'),"
                  " ('C3', 'Alfa', 'I'), ('D4', 'Delta', 'I')");
        file.exec("INSERT INTO JORNADAS (\"Cod comp\", Numero, Fecha, Lugar) VALUES"
                  " ('A1', 1, '2026-05-01', 'Cala'), ('A1', 2, '2026-05-02', 'Punta'),"
                  " ('B2', 1, '2026-06-01', 'Faro'), ('C3', 1, '2026-07-01', 'Isla')");
        file.exec("INSERT INTO PARTICIP (\"Cod comp\", Equipo, DNI, Nombre) VALUES"
                  " ('A1', 12, 'X1', 'Uno'), ('A1', 3, 'X2', 'Dos'), ('A1', 7, 'X3', 'Tres'), ('A1', 3, 'X4', 'Cuatro'),"
                  " ('C3', 5, 'X5', 'Cinco'), ('D4', 2, 'X6', 'Seis')");
        dm = std::make_unique<Tdm>(file.dir());
        ASSERT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join("\n").toStdString();
        equipoInicial = 0;
        equipoFinal = 0;
        competicionElegida.clear();
    }
    void TearDown() override { dm.reset(); }

    QString currentComp() { return dm->TAcomp.fieldByName("Codigo").asString(); }
    int currentDay() { return dm->TAjornada.isEmpty() ? 0 : dm->TAjornada.fieldByName("Numero").asInteger(); }

    static void key(QWidget* w, int k)
    {
        QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
        QApplication::sendEvent(w, &press);
    }
    // Moves a grid down n rows with the keyboard, as the user does.
    static void down(widgets::DataGrid* g, int n)
    {
        for (int i = 0; i < n; ++i)
            key(g, Qt::Key_Down);
    }

    // Shows the chooser; on it, moves to competition row compRow and day row
    // dayRow, then leaves with the given button text ("" = key, see below).
    int runSeleccion(TSeleccion& s, int compRow, int dayRow, const QString& button, int leaveKey = 0,
                     std::shared_ptr<ModalSeen>* seen = nullptr)
    {
        auto rec = ModalAnswer::onNext([=, &s](QWidget* w) {
            EXPECT_EQ(w, &s);
            down(s.DBGComp, compRow);
            down(s.DBGJor, dayRow);
            if (!button.isEmpty())
                ModalAnswer::click(w, button);
            else if (leaveKey)
                key(w->focusWidget() ? w->focusWidget() : w, leaveKey);
            else
                w->close();
        });
        if (seen)
            *seen = rec;
        const int r = s.exec();
        EXPECT_TRUE(rec->seen);
        return r;
    }

    TempDatabase file;
    ScriptedDialogs dialogs;
    std::unique_ptr<Tdm> dm;
};

TEST_F(ChoosersTest, SeleccionShowsTheListAndOkOnTheFirstRowChoosesIt)
{
    TSeleccion s(*dm);
    std::vector<QString> titles, days;
    ModalAnswer::onNext([&](QWidget* w) {
        for (int r = 0; r < s.DBGComp->model()->rowCount(); ++r)
            titles.push_back(s.DBGComp->cellText(r, 0));
        for (int r = 0; r < s.DBGJor->model()->rowCount(); ++r)
            days.push_back(s.DBGJor->cellText(r, 0) + " " + s.DBGJor->cellText(r, 1) + " " + s.DBGJor->cellText(r, 2));
        EXPECT_EQ(w->minimumSize(), w->maximumSize());  // fixed size
        ModalAnswer::click(w, "OK");
    });
    EXPECT_EQ(s.exec(), QDialog::Accepted);
    EXPECT_EQ(s.windowTitle(), QString("Selección de Prueba"));
    auto seen = ModalAnswer::pressButton("Cancelar");
    EXPECT_EQ(s.exec(), QDialog::Rejected);
    EXPECT_EQ(seen->title, QString("Selección de Prueba"));
    EXPECT_EQ(seen->texts, QStringList({"Competición", "Jornada"}));
    // Enter takes the default button.
    ModalAnswer::pressKey(Qt::Key_Return);
    EXPECT_EQ(s.exec(), QDialog::Accepted);
    EXPECT_EQ(s.DBGComp->datasetModel()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QString("Competición"));
    // Most recent days first; the competition without days last.
    EXPECT_EQ(titles, std::vector<QString>({"Alfa", "Beta", "Alfa", "Delta"}));
    EXPECT_EQ(days, std::vector<QString>({"1 01/07/2026 Isla"}));
    EXPECT_EQ(currentComp(), QString("C3"));
    EXPECT_EQ(currentDay(), 1);
    EXPECT_EQ(equipoInicial, 5);
    EXPECT_EQ(equipoFinal, 5);
    // Closing closed both lists.
    EXPECT_FALSE(s.Selec.active());
    EXPECT_FALSE(s.taJornada.active());
}

TEST_F(ChoosersTest, OkTakesTheRowAndDayChosenAndTheTeamRange)
{
    TSeleccion s(*dm);
    // A1 is the third row, also titled "Alfa"; its second day.
    EXPECT_EQ(runSeleccion(s, 2, 1, "OK"), QDialog::Accepted);
    EXPECT_EQ(currentComp(), QString("A1"));
    EXPECT_EQ(currentDay(), 2);
    EXPECT_EQ(equipoInicial, 3);   // teams 3, 7, 12: the range spans the gaps
    EXPECT_EQ(equipoFinal, 12);
    EXPECT_EQ(dm->TAparticipa.recordCount(), 4);

    // The same title on the first row is another competition.
    EXPECT_EQ(runSeleccion(s, 0, 0, "OK"), QDialog::Accepted);
    EXPECT_EQ(currentComp(), QString("C3"));
}

TEST_F(ChoosersTest, ACompetitionWithoutParticipantsOrDays)
{
    TSeleccion s(*dm);
    runSeleccion(s, 2, 0, "OK");
    ASSERT_EQ(equipoFinal, 12);
    // B2 has no participants: both bounds 0.
    EXPECT_EQ(runSeleccion(s, 1, 0, "OK"), QDialog::Accepted);
    EXPECT_EQ(currentComp(), QString("B2"));
    EXPECT_EQ(currentDay(), 1);
    EXPECT_EQ(equipoInicial, 0);
    EXPECT_EQ(equipoFinal, 0);
    // D4 has no days: day 0, the current day is none.
    EXPECT_EQ(runSeleccion(s, 3, 0, "OK"), QDialog::Accepted);
    EXPECT_EQ(currentComp(), QString("D4"));
    EXPECT_TRUE(dm->TAjornada.isEmpty());
    EXPECT_EQ(equipoInicial, 2);
    EXPECT_EQ(equipoFinal, 2);
}

TEST_F(ChoosersTest, CancelEscapeAndCloseChangeNothing)
{
    TSeleccion s(*dm);
    runSeleccion(s, 2, 1, "OK");
    ASSERT_EQ(currentComp(), QString("A1"));
    struct Leave {
        const char* name;
        QString button;
        int key;
    };
    for (const Leave& l : {Leave{"Cancelar", "Cancelar", 0}, Leave{"Escape", "", Qt::Key_Escape}, Leave{"close", "", 0}}) {
        SCOPED_TRACE(l.name);
        EXPECT_EQ(runSeleccion(s, 1, 0, l.button, l.key), QDialog::Rejected);
        EXPECT_EQ(currentComp(), QString("A1"));
        EXPECT_EQ(currentDay(), 2);
        EXPECT_EQ(equipoInicial, 3);
        EXPECT_EQ(equipoFinal, 12);
        EXPECT_FALSE(s.Selec.active());
    }
}

TEST_F(ChoosersTest, TheTeamRangeStaysUntilTheNextOk)
{
    TSeleccion s(*dm);
    runSeleccion(s, 2, 0, "OK");
    ASSERT_EQ(equipoInicial, 3);
    // Another screen moves the current competition and adds a team: the range stays.
    ASSERT_TRUE(dm->TAcomp.seek(QVariant("D4")));
    file.exec("INSERT INTO PARTICIP (\"Cod comp\", Equipo, DNI) VALUES ('A1', 40, 'X9')");
    EXPECT_EQ(equipoInicial, 3);
    EXPECT_EQ(equipoFinal, 12);
    runSeleccion(s, 0, 0, "Cancelar");
    EXPECT_EQ(equipoFinal, 12);
    // The next OK recomputes it, with the new team.
    runSeleccion(s, 2, 0, "OK");
    EXPECT_EQ(equipoFinal, 40);
}

TEST_F(ChoosersTest, EveryShowingStartsOnTheFirstCompetitionAndTheDayGridCanBeHidden)
{
    TSeleccion s(*dm);
    runSeleccion(s, 3, 0, "OK");
    ASSERT_EQ(currentComp(), QString("D4"));
    QString first;
    int height = 0;
    ModalAnswer::onNext([&](QWidget* w) {
        first = s.Selec.fieldByName("codigo").asString();
        height = w->height();
        ModalAnswer::click(w, "Cancelar");
    });
    s.exec();
    EXPECT_EQ(first, QString("C3"));

    // A caller that needs only a competition hides the day grid.
    s.DBGJor->hide();
    s.stJornada->hide();
    int hiddenHeight = 0;
    ModalAnswer::onNext([&](QWidget* w) {
        hiddenHeight = w->height();
        down(s.DBGComp, 2);
        ModalAnswer::click(w, "OK");
    });
    EXPECT_EQ(s.exec(), QDialog::Accepted);
    s.DBGJor->show();
    s.stJornada->show();
    EXPECT_LT(hiddenHeight, height);
    EXPECT_EQ(currentComp(), QString("A1"));
    EXPECT_EQ(currentDay(), 1);  // the first day of its table
}

TEST_F(ChoosersTest, OkWithAnEmptyListChangesNothing)
{
    file.exec("DELETE FROM COMPETIC");
    TSeleccion s(*dm);
    equipoInicial = 4;
    equipoFinal = 9;
    EXPECT_EQ(runSeleccion(s, 0, 0, "OK"), QDialog::Accepted);
    EXPECT_EQ(equipoInicial, 4);
    EXPECT_EQ(equipoFinal, 9);
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

// ---- Tfselcomp ----

int runSelcomp(Tfselcomp& f, int item, const QString& button, std::shared_ptr<ModalSeen>* seen = nullptr,
               QStringList* items = nullptr)
{
    auto rec = ModalAnswer::onNext([=, &f](QWidget* w) {
        if (items)
            for (int i = 0; i < f.DBLCBCompeticion->count(); ++i)
                *items << f.DBLCBCompeticion->itemText(i);
        if (item >= 0)
            f.DBLCBCompeticion->choose(item);
        if (button.isEmpty())
            w->close();
        else
            ModalAnswer::click(w, button);
    });
    if (seen)
        *seen = rec;
    return f.exec();
}

TEST_F(ChoosersTest, SelcompOkWithoutChoosingTakesTheFirstRow)
{
    Tfselcomp f(*dm);
    std::shared_ptr<ModalSeen> seen;
    QStringList items;
    EXPECT_EQ(runSelcomp(f, -1, "OK", &seen, &items), QDialog::Accepted);
    EXPECT_EQ(seen->title, QString("Seleccione la competición"));
    EXPECT_EQ(items, QStringList({"Alfa", "Beta", "Alfa", "Delta"}));
    EXPECT_EQ(competicionElegida, QString("C3"));
    EXPECT_FALSE(f.ABSQComp.active());
    // The current competition is not moved.
    EXPECT_EQ(currentComp(), QString("A1"));
}

TEST_F(ChoosersTest, SelcompChoosingATitleTakesTheFirstRowWithIt)
{
    Tfselcomp f(*dm);
    EXPECT_EQ(runSelcomp(f, 1, "OK"), QDialog::Accepted);
    EXPECT_EQ(competicionElegida, QString("B2"));
    // The second "Alfa" (A1) still takes the first one, C3.
    EXPECT_EQ(runSelcomp(f, 2, "OK"), QDialog::Accepted);
    EXPECT_EQ(competicionElegida, QString("C3"));
    EXPECT_EQ(runSelcomp(f, 3, "OK"), QDialog::Accepted);
    EXPECT_EQ(competicionElegida, QString("D4"));
}

TEST_F(ChoosersTest, SelcompSetsTheChoiceWhateverTheButton)
{
    Tfselcomp f(*dm);
    EXPECT_EQ(runSelcomp(f, 1, "Cancelar"), QDialog::Rejected);
    EXPECT_EQ(competicionElegida, QString("B2"));
    EXPECT_EQ(runSelcomp(f, 3, ""), QDialog::Rejected);
    EXPECT_EQ(competicionElegida, QString("D4"));
    EXPECT_FALSE(f.ABSQComp.active());
    // Escape, the window's close button and Enter on the default button.
    auto esc = ModalAnswer::pressKey(Qt::Key_Escape);
    EXPECT_EQ(f.exec(), QDialog::Rejected);
    EXPECT_TRUE(esc->seen);
    EXPECT_EQ(competicionElegida, QString("C3"));
    competicionElegida.clear();
    ModalAnswer::closeWindow();
    EXPECT_EQ(f.exec(), QDialog::Rejected);
    EXPECT_EQ(competicionElegida, QString("C3"));
    ModalAnswer::pressKey(Qt::Key_Return);
    EXPECT_EQ(f.exec(), QDialog::Accepted);
    ModalAnswer::pressButton("OK");
    EXPECT_EQ(f.exec(), QDialog::Accepted);
}

TEST_F(ChoosersTest, SelcompFilterLeavesOutACompetition)
{
    file.exec("INSERT INTO COMPETIC (Codigo, Titulo, Tipo) VALUES ('O''X', 'Comilla', 'I')");
    Tfselcomp f(*dm);
    f.setFilter(Tfselcomp::excludeFilter("C3"));
    f.setFiltered(true);
    QStringList items;
    EXPECT_EQ(runSelcomp(f, -1, "OK", nullptr, &items), QDialog::Accepted);
    EXPECT_FALSE(items.contains("Alfa") && items.count("Alfa") > 1);
    EXPECT_EQ(items.count("Alfa"), 1);
    EXPECT_EQ(competicionElegida, QString("B2"));

    // A code with a quote is quoted, not broken.
    f.setFilter(Tfselcomp::excludeFilter("O'X"));
    items.clear();
    runSelcomp(f, -1, "OK", nullptr, &items);
    EXPECT_FALSE(items.contains("Comilla"));
    EXPECT_EQ(items.size(), 4);
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join("\n").toStdString();

    // Filter off: all of them again.
    f.setFilter({});
    f.setFiltered(false);
    items.clear();
    runSelcomp(f, -1, "OK", nullptr, &items);
    EXPECT_EQ(items.size(), 5);
}

TEST_F(ChoosersTest, SelcompWithAnEmptyListGivesNoCode)
{
    file.exec("DELETE FROM COMPETIC");
    competicionElegida = "A1";
    Tfselcomp f(*dm);
    EXPECT_EQ(runSelcomp(f, -1, "OK"), QDialog::Accepted);
    EXPECT_EQ(competicionElegida, QString());
}

// ---- Made at start ----

// The long-lived choosers are made at start and build their controls on their
// first showing; from then on they show and choose as ones built at once.

TEST_F(ChoosersTest, SeleccionMadeAtStartHidesItsDaysBeforeItsFirstShowingAndChoosesAsOneBuiltAtOnce)
{
    // The heights of one built at once, with and without its day list.
    TSeleccion now(*dm);
    int nowShown = 0, nowHidden = 0;
    ModalAnswer::onNext([&](QWidget* w) {
        nowShown = w->height();
        ModalAnswer::click(w, "Cancelar");
    });
    now.exec();
    now.setDayListVisible(false);
    ModalAnswer::onNext([&](QWidget* w) {
        nowHidden = w->height();
        ModalAnswer::click(w, "Cancelar");
    });
    now.exec();
    ASSERT_LT(nowHidden, nowShown);

    TSeleccion s(*dm, nullptr, widgets::Build::OnFirstUse);
    EXPECT_EQ(s.DBGComp, nullptr);
    EXPECT_EQ(s.DBGJor, nullptr);
    // A caller that needs only a competition, first of all.
    s.setDayListVisible(false);
    int hidden = 0;
    bool daysSeen = true;
    QStringList titles;
    ModalAnswer::onNext([&](QWidget* w) {
        hidden = w->height();
        daysSeen = s.DBGJor->isVisible() || s.stJornada->isVisible();
        for (int r = 0; r < s.DBGComp->model()->rowCount(); ++r)
            titles << s.DBGComp->cellText(r, 0);
        down(s.DBGComp, 2);
        ModalAnswer::click(w, "OK");
    });
    EXPECT_EQ(s.exec(), QDialog::Accepted);
    s.setDayListVisible(true);
    EXPECT_FALSE(daysSeen);
    EXPECT_EQ(hidden, nowHidden);
    EXPECT_EQ(titles, QStringList({"Alfa", "Beta", "Alfa", "Delta"}));
    EXPECT_EQ(currentComp(), QString("A1"));
    EXPECT_EQ(currentDay(), 1);
    EXPECT_EQ(equipoInicial, 3);
    EXPECT_EQ(equipoFinal, 12);

    // The next showing has its day list back and chooses a day.
    int shown = 0;
    ModalAnswer::onNext([&](QWidget* w) {
        shown = w->height();
        EXPECT_TRUE(s.DBGJor->isVisible());
        EXPECT_TRUE(s.stJornada->isVisible());
        down(s.DBGComp, 2);
        down(s.DBGJor, 1);
        ModalAnswer::click(w, "OK");
    });
    EXPECT_EQ(s.exec(), QDialog::Accepted);
    EXPECT_EQ(shown, nowShown);
    EXPECT_EQ(currentComp(), QString("A1"));
    EXPECT_EQ(currentDay(), 2);
    // And Cancel still changes nothing.
    EXPECT_EQ(runSeleccion(s, 0, 0, "Cancelar"), QDialog::Rejected);
    EXPECT_EQ(currentDay(), 2);
}

TEST_F(ChoosersTest, SelcompMadeAtStartTakesAFilterBeforeItsFirstShowing)
{
    Tfselcomp f(*dm, nullptr, widgets::Build::OnFirstUse);
    EXPECT_EQ(f.DBLCBCompeticion, nullptr);
    // As the workbook's participant copy uses it: every competition but its own.
    f.setFilter(Tfselcomp::excludeFilter("C3"));
    f.setFiltered(true);
    QStringList items;
    std::shared_ptr<ModalSeen> seen;
    EXPECT_EQ(runSelcomp(f, -1, "OK", &seen, &items), QDialog::Accepted);
    EXPECT_EQ(seen->title, QString("Seleccione la competición"));
    EXPECT_EQ(items, QStringList({"Beta", "Alfa", "Delta"}));
    EXPECT_EQ(competicionElegida, QString("B2"));
    f.setFilter({});
    f.setFiltered(false);

    items.clear();
    EXPECT_EQ(runSelcomp(f, 3, "Cancelar", nullptr, &items), QDialog::Rejected);
    EXPECT_EQ(items, QStringList({"Alfa", "Beta", "Alfa", "Delta"}));
    EXPECT_EQ(competicionElegida, QString("D4"));
    EXPECT_FALSE(f.ABSQComp.active());
    EXPECT_EQ(currentComp(), QString("A1"));
}

}  // namespace
