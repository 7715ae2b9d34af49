#include "FindControl.h"

#include "app/TfMain.h"
#include "dialogs/Tfselcomp.h"
#include "data/Dialogs.h"
#include "data/Globals.h"
#include "data/Tdm.h"
#include "setup/TFcompet2.h"
#include "setup/TfDefComp.h"
#include "support/Fixture.h"
#include "support/Shown.h"
#include "support/ModalAnswer.h"
#include "widgets/DataControls.h"
#include "widgets/DataEdit.h"
#include "widgets/DataGrid.h"
#include "widgets/DataLookupCombo.h"
#include "widgets/DataNavigator.h"

#include <QAction>
#include <QApplication>
#include <QDate>
#include <QFocusEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

using widgets::DataNavigator;

namespace {

// Competitions, most recent day first in the workbook's list:
//   B2 "Segunda"  day 1 2026-06-01 "Faro"      team 1 (11A), team 2 (44D); no rules, no quotas
//   A1 "Primera"  days 1, 2 in 2026-05         team 1 (11A), team 3 (55E); rule Mero (bonus), quota Sargo
//   C3 "Sin días" no days
class WorkbookTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        file.exec("INSERT INTO COMPETIC (Codigo, Titulo, Tipo) VALUES ('A1', 'Primera', 'E'), ('B2', 'Segunda', 'I'),"
                  " ('C3', 'Sin días', 'E')");
        file.exec("INSERT INTO JORNADAS (\"Cod comp\", Numero, Fecha, Lugar) VALUES"
                  " ('A1', 1, '2026-05-01', 'Cala'), ('A1', 2, '2026-05-02', 'Punta'), ('B2', 1, '2026-06-01', 'Faro')");
        file.exec("INSERT INTO ESPECIES (Nombre) VALUES ('Mero'), ('Dentón'), ('Sargo')");
        file.exec("INSERT INTO PARTICIP (\"Cod comp\", Equipo, DNI, Nombre, Club) VALUES"
                  " ('B2', 1, '11A', 'Núñez Pérez, Ana', 'Club Norte'), ('B2', 2, '44D', 'Ruiz, Pablo', 'Club Sur'),"
                  " ('A1', 1, '11A', 'Núñez Pérez, Ana', 'Club Norte'), ('A1', 3, '55E', 'Gil, Marta', 'Club Este')");
        file.exec("INSERT INTO PESCADORES (DNI, Nombre, \"Fecha _nac\", Club, Licencia) VALUES"
                  " ('11A', 'Núñez Pérez, Ana', '1980-02-03', 'Club Norte', 'L-11'),"
                  " ('22B', 'NUÑO GARCÍA, LUIS', '1975-12-24', 'Club Oeste', 'L-22'),"
                  " ('33C', 'Pardo, Eva', '1990-07-15', 'Club Sur', 'L-33')");
        file.exec("INSERT INTO ESPECIAL (\"Cod comp\", \"Cod pez\", Puntua, \"Peso minimo\", \"Puntos pieza\","
                  " \"Puntos gramo\", \"Peso penalizable\", \"Penalizacion gramo\", BonificaEspecie)"
                  " VALUES ('A1', 1, 1, 1200, 300, 2, 900, 100, 1)");
        file.exec("INSERT INTO CUPOS (Cod_comp, Cod_Especie, EjemplaresCupo, Puntos) VALUES ('A1', 3, 5, 1500)");
        data = std::make_unique<Tdm>(file.dir());
        ASSERT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join("\n").toStdString();
        dm = data.get();
        competicionElegida.clear();
    }
    void TearDown() override
    {
        w.reset();
        dm = nullptr;
        data.reset();
    }

    // The workbook shown as the main window shows it, but without a modal loop.
    TFcompet2& open()
    {
        if (!w)
            w = std::make_unique<TFcompet2>(*data);
        EXPECT_TRUE(showActive(w.get()));
        return *w;
    }
    void terminate()
    {
        ctl<QPushButton>(*w, "BTerminar")->click();
        QApplication::processEvents();
    }

    QString currentComp() { return data->TAcomp.fieldByName("Codigo").asString(); }
    // The user picks a page on the tab bar.
    void pick(int page) { ctl<QTabWidget>(*w, "PC")->setCurrentIndex(page); }

    static void key(QWidget* target, int k, const QString& text = {})
    {
        QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier, text);
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, k, Qt::NoModifier, text);
        QApplication::sendEvent(target, &release);
    }
    static void type(QWidget* target, const QString& text)
    {
        for (QChar c : text)
            key(target, c.toUpper().unicode() < 128 ? int(c.toUpper().unicode()) : int(Qt::Key_unknown), QString(c));
    }
    // The focus leaves a field for another control of the window.
    static void leave(QWidget* target)
    {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(target, &out);
    }
    static QStringList column(widgets::DataGrid* g, int col)
    {
        QStringList out;
        for (int r = 0; r < g->model()->rowCount(); ++r)
            out << g->cellText(r, col);
        return out;
    }
    qint64 count(const QString& sql) const { return file.scalar(sql); }
    // The hint the workbook shows next to a field, "" when none shows.
    QString hint() const
    {
        auto* l = w->findChild<QLabel*>("FieldHint");
        return l && !l->isHidden() ? l->text() : QString();
    }

    TempDatabase file;
    ScriptedDialogs dialogs;
    std::unique_ptr<Tdm> data;
    std::unique_ptr<TFcompet2> w;
};

TEST_F(WorkbookTest, OpeningMakesTheListsFirstCompetitionCurrent)
{
    ASSERT_TRUE(data->TAcomp.seek(QVariant("C3")));
    TFcompet2 wb(*data);
    std::vector<QString> tabs;
    QString title, fecha, lugar, listFirst;
    bool fixed = false;
    int page = -1;
    auto seen = ModalAnswer::onNext([&](QWidget* modal) {
        EXPECT_EQ(modal, &wb);
        for (int i = 0; i < ctl<QTabWidget>(wb, "PC")->count(); ++i)
            tabs.push_back(ctl<QTabWidget>(wb, "PC")->tabText(i));
        title = ctl<widgets::DataLabel>(wb, "LTitulo")->text();
        fecha = ctl<widgets::DataLabel>(wb, "LFecha")->text();
        lugar = ctl<widgets::DataLabel>(wb, "LLugar")->text();
        listFirst = ctl<widgets::DataGrid>(wb, "DBCompeticiones")->cellText(0, 1);
        fixed = modal->minimumSize() == modal->maximumSize();
        page = ctl<QTabWidget>(wb, "PC")->currentIndex();
        ModalAnswer::click(modal, "Terminar");
    });
    wb.exec();
    ASSERT_TRUE(seen->seen);
    EXPECT_EQ(seen->title, QString("Competiciones"));
    EXPECT_EQ(tabs, std::vector<QString>({"Pruebas", "Jornadas", "Participantes", "Especiales", "Cupos"}));
    EXPECT_TRUE(fixed);
    EXPECT_FALSE(wb.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(wb.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(page, int(TFcompet2::PagPruebas));
    EXPECT_EQ(listFirst, QString("Segunda"));
    EXPECT_EQ(currentComp(), QString("B2"));
    EXPECT_EQ(title, QString("Segunda"));
    EXPECT_EQ(fecha, QString("01/06/2026"));
    EXPECT_EQ(lugar, QString("Faro"));
    // Closing closes the list, the pick list and the quota objects.
    EXPECT_FALSE(wb.ABSQ.active());
    EXPECT_FALSE(wb.tPescadores.active());
    EXPECT_FALSE(data->TACupos.active());
    EXPECT_FALSE(data->ABSQueryCupos.active());
}

TEST_F(WorkbookTest, TheCurrentCompetitionFollowsTheList)
{
    TFcompet2& wb = open();
    EXPECT_EQ(column(ctl<widgets::DataGrid>(wb, "DBCompeticiones"), 0), QStringList({"B2", "A1", "C3"}));
    key(ctl<widgets::DataGrid>(wb, "DBCompeticiones"), Qt::Key_Down);
    EXPECT_EQ(currentComp(), QString("A1"));
    EXPECT_EQ(data->TAjornada.recordCount(), 2);
    EXPECT_EQ(ctl<widgets::DataEdit>(wb, "DBETitulo")->text(), QString("Primera"));
    EXPECT_EQ(ctl<widgets::DataRadioGroup>(wb, "DBRGTipo")->value().toString(), QString("E"));
    // The navigator moves the list, and the current competition with it.
    ctl<DataNavigator>(wb, "DBNPruebas")->click(DataNavigator::Last);
    EXPECT_EQ(currentComp(), QString("C3"));
    EXPECT_TRUE(data->TAjornada.isEmpty());
    ctl<DataNavigator>(wb, "DBNPruebas")->click(DataNavigator::First);
    EXPECT_EQ(currentComp(), QString("B2"));

    // A new showing starts on the first competition and the Pruebas page again.
    key(ctl<widgets::DataGrid>(wb, "DBCompeticiones"), Qt::Key_Down);
    pick(TFcompet2::PagJornadas);
    terminate();
    open();
    EXPECT_EQ(currentComp(), QString("B2"));
    EXPECT_EQ(ctl<QTabWidget>(wb, "PC")->currentIndex(), int(TFcompet2::PagPruebas));
}

// While the competition's "Puntos Cupo" is 0 the quotas page says that its
// quotas earn nothing; typing points on the first page takes the note away.
TEST_F(WorkbookTest, TheQuotasPageSaysWhenQuotaBonusesAreOff)
{
    TFcompet2& wb = open();
    auto* note = ctl<QLabel>(wb, "LCuposApagados");
    pick(TFcompet2::PagCupos);
    EXPECT_TRUE(note->isVisible());
    EXPECT_EQ(note->text(), QString::fromUtf8("Las bonificaciones por cupo no se aplican mientras «Puntos Cupo» de la "
                                              "prueba sea 0"));
    pick(TFcompet2::PagPruebas);
    auto* points = ctl<widgets::DataEdit>(wb, "DBEPuntosCupo");
    points->setFocus();
    points->selectAll();
    type(points, "300");
    leave(points);
    pick(TFcompet2::PagCupos);
    EXPECT_FALSE(note->isVisible());
    // Another competition without quota points shows it again.
    file.exec("UPDATE COMPETIC SET \"Puntos Cupo\" = 0 WHERE Codigo = 'A1'");
    pick(TFcompet2::PagPruebas);
    ctl<DataNavigator>(wb, "DBNPruebas")->click(DataNavigator::Next);
    EXPECT_EQ(currentComp(), QString("A1"));
    pick(TFcompet2::PagCupos);
    EXPECT_TRUE(note->isVisible());
}

TEST_F(WorkbookTest, TypingOnThePruebasPageIsSavedWhenTheListMoves)
{
    TFcompet2& wb = open();
    ctl<widgets::DataEdit>(wb, "DBETitulo")->selectAll();
    type(ctl<widgets::DataEdit>(wb, "DBETitulo"), "Otra");
    EXPECT_TRUE(data->TAcomp.isEditing());
    ctl<DataNavigator>(wb, "DBNPruebas")->click(DataNavigator::Next);
    EXPECT_FALSE(data->TAcomp.isEditing());
    EXPECT_EQ(currentComp(), QString("A1"));
    EXPECT_EQ(count("SELECT COUNT(*) FROM COMPETIC WHERE Codigo = 'B2' AND Titulo = 'Otra'"), 1);
    // The navigator re-ran the list.
    EXPECT_EQ(column(ctl<widgets::DataGrid>(wb, "DBCompeticiones"), 1), QStringList({"Otra", "Primera", "Sin días"}));
}

TEST_F(WorkbookTest, WithTheDayInEditingEveryPageChangeIsRefused)
{
    TFcompet2& wb = open();
    pick(TFcompet2::PagJornadas);
    ASSERT_EQ(ctl<QTabWidget>(wb, "PC")->currentIndex(), int(TFcompet2::PagJornadas));
    type(ctl<widgets::DataEdit>(wb, "DBELugar"), " Norte");
    ASSERT_TRUE(data->TAjornada.isEditing());
    for (int page : {TFcompet2::PagPruebas, TFcompet2::PagParticipantes, TFcompet2::PagEspeciales, TFcompet2::PagCupos}) {
        SCOPED_TRACE(page);
        dialogs.messages.clear();
        pick(page);
        EXPECT_EQ(dialogs.messages, QStringList({"Debe guardar la jornada antes de continuar"}));
        EXPECT_EQ(ctl<QTabWidget>(wb, "PC")->currentIndex(), int(TFcompet2::PagJornadas));
        EXPECT_TRUE(data->TAjornada.isEditing());
    }
    // Once saved, the pages are reachable again.
    ctl<DataNavigator>(wb, "DBNavJornadas")->click(DataNavigator::Post);
    EXPECT_EQ(count("SELECT COUNT(*) FROM JORNADAS WHERE \"Cod comp\" = 'B2' AND Lugar = 'Faro Norte'"), 1);
    dialogs.messages.clear();
    pick(TFcompet2::PagParticipantes);
    EXPECT_EQ(ctl<QTabWidget>(wb, "PC")->currentIndex(), int(TFcompet2::PagParticipantes));
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(ctl<widgets::DataLabel>(wb, "LLugar")->text(), QString("Faro Norte"));
}

TEST_F(WorkbookTest, ACompetitionWithoutDaysKeepsItsDetailPagesOutOfReach)
{
    TFcompet2& wb = open();
    wb.ABSQ.moveTo(2);
    ASSERT_EQ(currentComp(), QString("C3"));
    for (int page : {TFcompet2::PagParticipantes, TFcompet2::PagEspeciales, TFcompet2::PagCupos}) {
        SCOPED_TRACE(page);
        pick(TFcompet2::PagPruebas);
        dialogs.messages.clear();
        pick(page);
        EXPECT_EQ(dialogs.messages, QStringList({"Debe definir al menos una jornada"}));
        EXPECT_EQ(ctl<QTabWidget>(wb, "PC")->currentIndex(), int(TFcompet2::PagJornadas));
    }
    // Adding a day opens them.
    ctl<DataNavigator>(wb, "DBNavJornadas")->click(DataNavigator::Insert);
    type(ctl<widgets::DataEdit>(wb, "DBENumero"), "1");
    type(ctl<widgets::DataEdit>(wb, "DBEFecha"), "03/03/2026");
    ctl<DataNavigator>(wb, "DBNavJornadas")->click(DataNavigator::Post);
    ASSERT_FALSE(data->TAjornada.isEditing()) << dialogs.errors.join("\n").toStdString();
    EXPECT_EQ(count("SELECT COUNT(*) FROM JORNADAS WHERE \"Cod comp\" = 'C3' AND Numero = 1"), 1);
    dialogs.messages.clear();
    pick(TFcompet2::PagCupos);
    EXPECT_EQ(ctl<QTabWidget>(wb, "PC")->currentIndex(), int(TFcompet2::PagCupos));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(WorkbookTest, TheDayNumberTakesOnlyAWholeNumberInRange)
{
    TFcompet2& wb = open();
    pick(TFcompet2::PagJornadas);
    ctl<DataNavigator>(wb, "DBNavJornadas")->click(DataNavigator::Insert);
    // A refused key stops the number where it stood and says why.
    type(ctl<widgets::DataEdit>(wb, "DBENumero"), "-4x0");
    EXPECT_EQ(ctl<widgets::DataEdit>(wb, "DBENumero")->text(), QString());
    EXPECT_EQ(hint(), QString("Solo números enteros de 1 a 32767"));
    key(ctl<widgets::DataEdit>(wb, "DBENumero"), Qt::Key_Backspace);
    type(ctl<widgets::DataEdit>(wb, "DBENumero"), "99999");
    EXPECT_EQ(ctl<widgets::DataEdit>(wb, "DBENumero")->text(), QString("9999"));
    EXPECT_EQ(hint(), QString("Solo números enteros de 1 a 32767"));
    type(ctl<widgets::DataEdit>(wb, "DBELugar"), QString(120, 'x'));
    EXPECT_EQ(ctl<widgets::DataEdit>(wb, "DBELugar")->text().size(), 100);
    EXPECT_EQ(hint(), QString("Como máximo 100 caracteres"));
    // Day 0 would read as "no day": refused, and the day stays in editing.
    ctl<widgets::DataEdit>(wb, "DBENumero")->clear();
    type(ctl<widgets::DataEdit>(wb, "DBENumero"), "0");
    ctl<DataNavigator>(wb, "DBNavJornadas")->click(DataNavigator::Post);
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_EQ(dialogs.errors[0], QString("El número escrito en «Número de jornada» está fuera del rango permitido."));
    EXPECT_TRUE(data->TAjornada.isEditing());
    ctl<DataNavigator>(wb, "DBNavJornadas")->click(DataNavigator::Cancel);
    EXPECT_EQ(count("SELECT COUNT(*) FROM JORNADAS WHERE \"Cod comp\" = 'B2'"), 1);

    // Weights and points are whole numbers from 0 up.
    pick(TFcompet2::PagPruebas);
    ctl<widgets::DataEdit>(wb, "DBEpMinimo")->clear();
    type(ctl<widgets::DataEdit>(wb, "DBEpMinimo"), "-7.5");
    EXPECT_EQ(ctl<widgets::DataEdit>(wb, "DBEpMinimo")->text(), QString());
    EXPECT_EQ(hint(), QString("Solo números enteros de 0 a 2147483647"));
    ctl<widgets::DataEdit>(wb, "DBEPesoMax")->clear();
    type(ctl<widgets::DataEdit>(wb, "DBEPesoMax"), "99999999999");
    EXPECT_EQ(ctl<widgets::DataEdit>(wb, "DBEPesoMax")->text(), QString("999999999"));
    data->TAcomp.cancel();
}

TEST_F(WorkbookTest, ARefusedDayStaysInEditingWithAPlainExplanation)
{
    TFcompet2& wb = open();
    pick(TFcompet2::PagJornadas);
    // Day 1 of B2 exists already.
    ctl<DataNavigator>(wb, "DBNavJornadas")->click(DataNavigator::Insert);
    type(ctl<widgets::DataEdit>(wb, "DBENumero"), "1");
    ctl<DataNavigator>(wb, "DBNavJornadas")->click(DataNavigator::Post);
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(data->TAjornada.isEditing());
    EXPECT_EQ(ctl<widgets::DataEdit>(wb, "DBENumero")->text(), QString("1"));
    // The sentence for the user alone, not the engine's own text.
    EXPECT_EQ(dialogs.errors[0], QString("Ya existe una jornada con ese número en esta competición."));
    ctl<DataNavigator>(wb, "DBNavJornadas")->click(DataNavigator::Cancel);
    EXPECT_EQ(count("SELECT COUNT(*) FROM JORNADAS WHERE \"Cod comp\" = 'B2'"), 1);
}

TEST_F(WorkbookTest, DeletingADayAsksTheStandardQuestion)
{
    TFcompet2& wb = open();
    pick(TFcompet2::PagJornadas);
    dialogs.confirmations = {false};
    ctl<DataNavigator>(wb, "DBNavJornadas")->click(DataNavigator::Delete);
    EXPECT_EQ(dialogs.notices, QStringList({"¿Borrar el registro?"}));
    EXPECT_EQ(count("SELECT COUNT(*) FROM JORNADAS WHERE \"Cod comp\" = 'B2'"), 1);
    dialogs.confirmations = {true};
    ctl<DataNavigator>(wb, "DBNavJornadas")->click(DataNavigator::Delete);
    EXPECT_EQ(count("SELECT COUNT(*) FROM JORNADAS WHERE \"Cod comp\" = 'B2'"), 0);
    // Its participants and classification rows stay.
    EXPECT_EQ(count("SELECT COUNT(*) FROM PARTICIP WHERE \"Cod comp\" = 'B2'"), 2);
}

TEST_F(WorkbookTest, ParticipantButtonsFollowTheParticipantsState)
{
    TFcompet2& wb = open();
    pick(TFcompet2::PagParticipantes);
    auto states = [&] {
        return std::vector<bool>{ctl<QPushButton>(wb, "BPartNuevo")->isEnabled(), ctl<QPushButton>(wb, "BPartEditar")->isEnabled(), ctl<QPushButton>(wb, "BPartBorrar")->isEnabled(),
                                 ctl<QPushButton>(wb, "BPartGuardar")->isEnabled(), ctl<QPushButton>(wb, "BPartCancelar")->isEnabled()};
    };
    const std::vector<bool> browsing{true, true, true, false, false};
    const std::vector<bool> editing{false, false, false, true, true};
    EXPECT_EQ(states(), browsing);
    EXPECT_EQ(column(ctl<widgets::DataGrid>(wb, "DBGParticipa"), 1), QStringList({"Núñez Pérez, Ana", "Ruiz, Pablo"}));

    // Typing alone does not start editing.
    type(ctl<widgets::DataEdit>(wb, "DBENombre"), "zz");
    EXPECT_FALSE(data->TAparticipa.isEditing());
    EXPECT_EQ(ctl<widgets::DataEdit>(wb, "DBENombre")->text(), QString("Núñez Pérez, Ana"));

    ctl<QPushButton>(wb, "BPartEditar")->click();
    EXPECT_EQ(states(), editing);
    ctl<QPushButton>(wb, "BPartCancelar")->click();
    EXPECT_EQ(states(), browsing);
    ctl<QPushButton>(wb, "BPartNuevo")->click();
    EXPECT_EQ(data->TAparticipa.state(), engine::Dataset::State::Insert);
    EXPECT_EQ(states(), editing);
    ctl<QPushButton>(wb, "BPartCancelar")->click();
    EXPECT_EQ(states(), browsing);

    // While the competition itself is being edited, leaving the participant
    // changes nothing.
    ctl<QPushButton>(wb, "BPartEditar")->click();
    data->TAcomp.edit();
    ctl<QPushButton>(wb, "BPartCancelar")->click();
    EXPECT_EQ(states(), editing);
    data->TAcomp.cancel();
    EXPECT_EQ(states(), browsing);
}

// Participants added one after another, in team order and out of it, past
// the height of the grid, and another competition chosen: the participant
// grid on the screen (on X, what was really repainted) is always the grid
// drawn afresh, never rows drawn over each other.
TEST_F(WorkbookTest, TheParticipantGridOnTheScreenFollowsEveryAddition)
{
    TFcompet2& wb = open();
    pick(TFcompet2::PagParticipantes);
    auto* grid = ctl<widgets::DataGrid>(wb, "DBGParticipa");
    EXPECT_TRUE(showsWhatAFreshPaintShows(grid)) << "al abrir";
    const int teams[] = {3, 9, 4, 12, 5, 15, 6, 20, 7, 8, 30, 10, 11, 13, 14, 16};
    int n = 0;
    for (int team : teams) {
        ++n;
        ctl<QPushButton>(wb, "BPartNuevo")->click();
        type(ctl<widgets::DataEdit>(wb, "DBEEquipo"), QString::number(team));
        type(ctl<widgets::DataEdit>(wb, "DBEDNI"), QString("P%1").arg(n));
        type(ctl<widgets::DataEdit>(wb, "DBENombre"), QString("Persona %1").arg(n));
        ctl<QPushButton>(wb, "BPartGuardar")->click();
        ASSERT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join("\n").toStdString();
        EXPECT_EQ(grid->model()->rowCount(), 2 + n);
        EXPECT_TRUE(showsWhatAFreshPaintShows(grid)) << "equipo " << team;
    }
    ctl<QPushButton>(wb, "BPartEditar")->click();
    type(ctl<widgets::DataEdit>(wb, "DBENombre"), " bis");
    ctl<QPushButton>(wb, "BPartGuardar")->click();
    EXPECT_TRUE(showsWhatAFreshPaintShows(grid)) << "editado";
    pick(TFcompet2::PagPruebas);
    ctl<DataNavigator>(wb, "DBNPruebas")->click(DataNavigator::Next);
    pick(TFcompet2::PagParticipantes);
    EXPECT_EQ(grid->model()->rowCount(), 2);
    EXPECT_TRUE(showsWhatAFreshPaintShows(grid)) << "otra prueba";
}

TEST_F(WorkbookTest, ADniInTheRegisterFillsTheParticipantOnLeavingTheField)
{
    TFcompet2& wb = open();
    pick(TFcompet2::PagParticipantes);
    ctl<QPushButton>(wb, "BPartNuevo")->click();
    type(ctl<widgets::DataEdit>(wb, "DBEEquipo"), "5");
    type(ctl<widgets::DataEdit>(wb, "DBEDNI"), "22B");
    leave(ctl<widgets::DataEdit>(wb, "DBEDNI"));
    EXPECT_EQ(ctl<widgets::DataEdit>(wb, "DBENombre")->text(), QString("NUÑO GARCÍA, LUIS"));
    EXPECT_EQ(ctl<widgets::DataEdit>(wb, "DBEFechaNac")->text(), QString("24/12/1975"));
    EXPECT_EQ(ctl<widgets::DataEdit>(wb, "DBEClub")->text(), QString("Club Oeste"));
    EXPECT_EQ(ctl<widgets::DataEdit>(wb, "DBELicencia")->text(), QString("L-22"));
    EXPECT_TRUE(data->TAparticipa.isEditing());
    ctl<QPushButton>(wb, "BPartGuardar")->click();
    ASSERT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join("\n").toStdString();
    EXPECT_EQ(count("SELECT COUNT(*) FROM PARTICIP WHERE \"Cod comp\" = 'B2' AND Equipo = 5 AND DNI = '22B'"
                    " AND Nombre = 'NUÑO GARCÍA, LUIS' AND \"Fecha nacimiento\" = '1975-12-24'"
                    " AND Club = 'Club Oeste' AND Licencia = 'L-22'"),
              1);

    // One that is not in the register leaves what was typed.
    ctl<QPushButton>(wb, "BPartNuevo")->click();
    type(ctl<widgets::DataEdit>(wb, "DBEEquipo"), "6");
    type(ctl<widgets::DataEdit>(wb, "DBENombre"), "Sanz, Leo");
    leave(ctl<widgets::DataEdit>(wb, "DBENombre"));
    type(ctl<widgets::DataEdit>(wb, "DBEClub"), "Club Propio");
    leave(ctl<widgets::DataEdit>(wb, "DBEClub"));
    type(ctl<widgets::DataEdit>(wb, "DBEDNI"), "99Z");
    leave(ctl<widgets::DataEdit>(wb, "DBEDNI"));
    EXPECT_EQ(ctl<widgets::DataEdit>(wb, "DBENombre")->text(), QString("Sanz, Leo"));
    EXPECT_EQ(ctl<widgets::DataEdit>(wb, "DBEClub")->text(), QString("Club Propio"));
    EXPECT_EQ(ctl<widgets::DataEdit>(wb, "DBELicencia")->text(), QString());
    EXPECT_EQ(data->TAparticipa.fieldByName("Nombre").asString(), QString("Sanz, Leo"));
    ctl<QPushButton>(wb, "BPartCancelar")->click();
}

TEST_F(WorkbookTest, ARefusedParticipantStaysInEditingWithEverythingTyped)
{
    TFcompet2& wb = open();
    pick(TFcompet2::PagParticipantes);
    struct Case {
        const char* name;
        QString team, dni, sentence;
    };
    for (const Case& c : {Case{"same team and DNI", "1", "11A", "Ese DNI ya está inscrito en ese equipo de la competición."},
                          Case{"no team", "", "66F", "Falta el dato obligatorio «Equipo»."},
                          Case{"the same person in another team", "5", "44D", "Ya participa en el equipo 2 de esta prueba"},
                          Case{"a second person in a team of an individual competition", "1", "66F",
                               "En una prueba individual cada equipo tiene un solo participante: el equipo 1 ya tiene el "
                               "suyo"}}) {
        SCOPED_TRACE(c.name);
        dialogs.errors.clear();
        ctl<QPushButton>(wb, "BPartNuevo")->click();
        type(ctl<widgets::DataEdit>(wb, "DBEEquipo"), c.team);
        type(ctl<widgets::DataEdit>(wb, "DBEDNI"), c.dni);
        type(ctl<widgets::DataEdit>(wb, "DBENombre"), "Otro nombre");
        ctl<QPushButton>(wb, "BPartGuardar")->click();
        ASSERT_EQ(dialogs.errors.size(), 1);
        EXPECT_EQ(dialogs.errors[0], c.sentence);
        EXPECT_EQ(data->TAparticipa.state(), engine::Dataset::State::Insert);
        EXPECT_TRUE(ctl<QPushButton>(wb, "BPartGuardar")->isEnabled());
        EXPECT_EQ(ctl<widgets::DataEdit>(wb, "DBENombre")->text(), QString("Otro nombre"));
        EXPECT_EQ(ctl<widgets::DataEdit>(wb, "DBEDNI")->text(), c.dni);
        ctl<QPushButton>(wb, "BPartCancelar")->click();
    }
    EXPECT_EQ(count("SELECT COUNT(*) FROM PARTICIP WHERE \"Cod comp\" = 'B2'"), 2);
    EXPECT_EQ(count("SELECT COUNT(*) FROM PARTICIP WHERE Nombre = 'Otro nombre'"), 0);
}

TEST_F(WorkbookTest, TheFishermenPanelFiltersAndOkCopiesTheChosenOne)
{
    TFcompet2& wb = open();
    pick(TFcompet2::PagParticipantes);
    ctl<QPushButton>(wb, "BPartNuevo")->click();
    type(ctl<widgets::DataEdit>(wb, "DBEEquipo"), "7");
    // Down in the DNI field opens the panel, under that field.
    key(ctl<widgets::DataEdit>(wb, "DBEDNI"), Qt::Key_Down);
    ASSERT_TRUE(ctl<QFrame>(wb, "PanelPescadores")->isVisible());
    EXPECT_EQ(ctl<QFrame>(wb, "PanelPescadores")->pos(), ctl<widgets::DataEdit>(wb, "DBEDNI")->mapTo(ctl<QWidget>(wb, "TSParticipantes"), QPoint(0, ctl<widgets::DataEdit>(wb, "DBEDNI")->height())));
    EXPECT_EQ(ctl<QLineEdit>(wb, "EditFiltro")->text(), QString());
    EXPECT_EQ(column(ctl<widgets::DataGrid>(wb, "DBGridPescadores"), 0).size(), 3);

    type(ctl<QLineEdit>(wb, "EditFiltro"), "ñu");
    EXPECT_EQ(column(ctl<widgets::DataGrid>(wb, "DBGridPescadores"), 0), QStringList({"Núñez Pérez, Ana", "NUÑO GARCÍA, LUIS"}));
    EXPECT_EQ(wb.tPescadores.filter(), QString("Nombre like '%ñu%'"));
    // Down and Up move the pick list; Enter in the list does OK.
    key(ctl<QLineEdit>(wb, "EditFiltro"), Qt::Key_Down);
    EXPECT_EQ(wb.tPescadores.fieldByName("DNI").asString(), QString("22B"));
    key(ctl<QLineEdit>(wb, "EditFiltro"), Qt::Key_Up);
    key(ctl<QLineEdit>(wb, "EditFiltro"), Qt::Key_Down);
    key(ctl<widgets::DataGrid>(wb, "DBGridPescadores"), Qt::Key_Return);
    EXPECT_FALSE(ctl<QFrame>(wb, "PanelPescadores")->isVisible());
    EXPECT_TRUE(data->TAparticipa.isEditing());
    EXPECT_EQ(ctl<widgets::DataEdit>(wb, "DBEDNI")->text(), QString("22B"));
    EXPECT_EQ(ctl<widgets::DataEdit>(wb, "DBENombre")->text(), QString("NUÑO GARCÍA, LUIS"));
    EXPECT_EQ(ctl<widgets::DataEdit>(wb, "DBEFechaNac")->text(), QString("24/12/1975"));
    EXPECT_EQ(ctl<widgets::DataEdit>(wb, "DBELicencia")->text(), QString("L-22"));
    ctl<QPushButton>(wb, "BPartGuardar")->click();
    EXPECT_EQ(count("SELECT COUNT(*) FROM PARTICIP WHERE \"Cod comp\" = 'B2' AND Equipo = 7 AND DNI = '22B'"
                    " AND Club = 'Club Oeste'"),
              1);
}

TEST_F(WorkbookTest, TheFishermenPanelKeysAndCancel)
{
    TFcompet2& wb = open();
    pick(TFcompet2::PagParticipantes);
    // Buscar starts editing the current participant.
    ctl<QToolButton>(wb, "SBpescadores")->click();
    EXPECT_EQ(data->TAparticipa.state(), engine::Dataset::State::Edit);
    ASSERT_TRUE(ctl<QFrame>(wb, "PanelPescadores")->isVisible());
    type(ctl<QLineEdit>(wb, "EditFiltro"), "PARDO");
    EXPECT_EQ(column(ctl<widgets::DataGrid>(wb, "DBGridPescadores"), 0), QStringList({"Pardo, Eva"}));
    // Escape with text: every name again, the panel stays.
    key(ctl<QLineEdit>(wb, "EditFiltro"), Qt::Key_Escape);
    EXPECT_FALSE(wb.tPescadores.filtered());
    EXPECT_EQ(column(ctl<widgets::DataGrid>(wb, "DBGridPescadores"), 0).size(), 3);
    EXPECT_TRUE(ctl<QFrame>(wb, "PanelPescadores")->isVisible());
    EXPECT_TRUE(wb.isVisible());
    // Escape with the filter empty leaves the panel.
    ctl<QLineEdit>(wb, "EditFiltro")->clear();
    key(ctl<QLineEdit>(wb, "EditFiltro"), Qt::Key_Escape);
    EXPECT_FALSE(ctl<QFrame>(wb, "PanelPescadores")->isVisible());
    EXPECT_TRUE(wb.isVisible());

    // Cancel, and Escape in the list, hide it and copy nothing.
    ctl<QToolButton>(wb, "SBpescadores")->click();
    key(ctl<widgets::DataGrid>(wb, "DBGridPescadores"), Qt::Key_Escape);
    EXPECT_FALSE(ctl<QFrame>(wb, "PanelPescadores")->isVisible());
    ctl<QToolButton>(wb, "SBpescadores")->click();
    ctl<QPushButton>(wb, "bCancelar")->click();
    EXPECT_FALSE(ctl<QFrame>(wb, "PanelPescadores")->isVisible());
    EXPECT_EQ(ctl<widgets::DataEdit>(wb, "DBEDNI")->text(), QString("11A"));
    EXPECT_EQ(ctl<widgets::DataEdit>(wb, "DBENombre")->text(), QString("Núñez Pérez, Ana"));
    ctl<QPushButton>(wb, "BPartCancelar")->click();
}

TEST_F(WorkbookTest, CopyingParticipantsTwiceAddsNothingTheSecondTime)
{
    TFcompet2& wb = open();
    pick(TFcompet2::PagParticipantes);
    QStringList offered;
    auto chooseFirst = [&] {
        return ModalAnswer::onNext([&](QWidget* modal) {
            auto* combo = modal->findChild<widgets::DataLookupCombo*>("DBLCBCompeticion");
            offered.clear();
            for (int i = 0; combo && i < combo->count(); ++i)
                offered << combo->itemText(i);
            ModalAnswer::click(modal, "OK");
        });
    };
    auto seen = chooseFirst();
    ctl<QPushButton>(wb, "BBdeAnteriorParticipan")->click();
    ASSERT_TRUE(seen->seen);
    // The competition being filled is not offered; the most recent other one comes first.
    EXPECT_EQ(offered, QStringList({"Primera", "Sin días"}));
    EXPECT_EQ(competicionElegida, QString("A1"));
    EXPECT_EQ(dialogs.messages, QStringList({"Participante con DNI 11A\rya existe"}));
    EXPECT_EQ(count("SELECT COUNT(*) FROM PARTICIP WHERE \"Cod comp\" = 'B2'"), 3);
    EXPECT_EQ(column(ctl<widgets::DataGrid>(wb, "DBGParticipa"), 1), QStringList({"Núñez Pérez, Ana", "Ruiz, Pablo", "Gil, Marta"}));

    dialogs.messages.clear();
    seen = chooseFirst();
    ctl<QPushButton>(wb, "BBdeAnteriorParticipan")->click();
    ASSERT_TRUE(seen->seen);
    EXPECT_EQ(dialogs.messages, QStringList({"Participante con DNI 11A\rya existe", "Participante con DNI 55E\rya existe"}));
    EXPECT_EQ(count("SELECT COUNT(*) FROM PARTICIP WHERE \"Cod comp\" = 'B2'"), 3);

    // Cancel copies nothing, and the chooser offers every competition again afterwards.
    dialogs.messages.clear();
    seen = ModalAnswer::pressButton("Cancelar");
    ctl<QPushButton>(wb, "BBdeAnteriorParticipan")->click();
    ASSERT_TRUE(seen->seen);
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_FALSE(wb.findChild<Tfselcomp*>()->filtered());
}

TEST_F(WorkbookTest, CopyingRulesAndQuotasRefusesTheSameCompetition)
{
    TFcompet2& wb = open();
    pick(TFcompet2::PagEspeciales);
    // OK without choosing takes the list's first row: the current competition.
    auto seen = ModalAnswer::pressButton("OK");
    ctl<QPushButton>(wb, "BBdeAnteriorespeciales")->click();
    ASSERT_TRUE(seen->seen);
    EXPECT_EQ(dialogs.messages, QStringList({"No puede seleccionar la misma prueba que la de destino"}));
    EXPECT_EQ(count("SELECT COUNT(*) FROM ESPECIAL WHERE \"Cod comp\" = 'B2'"), 0);

    pick(TFcompet2::PagCupos);
    dialogs.messages.clear();
    seen = ModalAnswer::pressButton("OK");
    ctl<QPushButton>(wb, "BBDeAnteriorCupos")->click();
    ASSERT_TRUE(seen->seen);
    EXPECT_EQ(dialogs.messages, QStringList({"No puede seleccionar la misma prueba que la de destino"}));
    EXPECT_EQ(count("SELECT COUNT(*) FROM CUPOS WHERE Cod_comp = 'B2'"), 0);
    EXPECT_FALSE(data->QCupos.active());
}

TEST_F(WorkbookTest, CopiedRulesAndQuotasShowAtOnceAndASecondCopyAddsNothing)
{
    TFcompet2& wb = open();
    auto choosePrimera = [] {
        return ModalAnswer::onNext([](QWidget* modal) {
            auto* combo = modal->findChild<widgets::DataLookupCombo*>("DBLCBCompeticion");
            combo->choose(combo->findText("Primera"));
            ModalAnswer::click(modal, "OK");
        });
    };
    pick(TFcompet2::PagEspeciales);
    EXPECT_EQ(data->ABSQueryEspecial.sql()[2], QString("Where [cod comp] = 'B2'"));
    EXPECT_EQ(ctl<widgets::DataGrid>(wb, "DBGEespeciales")->model()->rowCount(), 0);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        auto seen = choosePrimera();
        ctl<QPushButton>(wb, "BBdeAnteriorespeciales")->click();
        ASSERT_TRUE(seen->seen);
        EXPECT_EQ(count("SELECT COUNT(*) FROM ESPECIAL WHERE \"Cod comp\" = 'B2'"), 1);
        EXPECT_EQ(column(ctl<widgets::DataGrid>(wb, "DBGEespeciales"), 0), QStringList({"Mero"}));
    }
    EXPECT_EQ(ctl<widgets::DataGrid>(wb, "DBGEespeciales")->cellText(0, 1), QString("Sí"));
    EXPECT_EQ(ctl<widgets::DataGrid>(wb, "DBGEespeciales")->cellText(0, 2), QString("1.200"));
    // The species bonus is not copied.
    EXPECT_EQ(count("SELECT COUNT(*) FROM ESPECIAL WHERE \"Cod comp\" = 'B2' AND BonificaEspecie IS NULL"), 1);
    EXPECT_FALSE(ctl<widgets::DataCheckBox>(wb, "DBCBBonifica")->isChecked());

    pick(TFcompet2::PagCupos);
    EXPECT_EQ(data->ABSQueryCupos.sql()[2], QString("Where cod_comp = 'B2'"));
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        auto seen = choosePrimera();
        ctl<QPushButton>(wb, "BBDeAnteriorCupos")->click();
        ASSERT_TRUE(seen->seen);
        EXPECT_EQ(count("SELECT COUNT(*) FROM CUPOS WHERE Cod_comp = 'B2'"), 1);
        EXPECT_EQ(column(ctl<widgets::DataGrid>(wb, "DBGCupos"), 0), QStringList({"Sargo"}));
    }
    EXPECT_EQ(ctl<widgets::DataGrid>(wb, "DBGCupos")->cellText(0, 2), QString("1.500"));
    EXPECT_EQ(ctl<widgets::DataLookupCombo>(wb, "DBEspecie")->currentText(), QString("Sargo"));
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join("\n").toStdString();
}

TEST_F(WorkbookTest, ARenamedSpeciesShowsItsNewNameInRulesAndQuotas)
{
    TFcompet2& wb = open();
    wb.ABSQ.moveTo(1);
    ASSERT_EQ(currentComp(), QString("A1"));
    pick(TFcompet2::PagEspeciales);
    EXPECT_EQ(column(ctl<widgets::DataGrid>(wb, "DBGEespeciales"), 0), QStringList({"Mero"}));
    EXPECT_EQ(ctl<widgets::DataLookupCombo>(wb, "DBLCBEspPeces")->currentText(), QString("Mero"));
    terminate();

    // The species register renames it while the workbook is closed.
    engine::Table peces(data->db, "ESPECIES");
    peces.setIndexName("idxPrimaryKey");
    peces.open();
    ASSERT_TRUE(peces.seek(QVariant(1)));
    peces.edit();
    peces.fieldByName("Nombre").setAsString("Mero real");
    peces.post();
    ASSERT_TRUE(peces.seek(QVariant(3)));
    peces.edit();
    peces.fieldByName("Nombre").setAsString("Sargo picudo");
    peces.post();
    peces.close();

    open();
    wb.ABSQ.moveTo(1);
    pick(TFcompet2::PagEspeciales);
    EXPECT_EQ(column(ctl<widgets::DataGrid>(wb, "DBGEespeciales"), 0), QStringList({"Mero real"}));
    EXPECT_EQ(ctl<widgets::DataLookupCombo>(wb, "DBLCBEspPeces")->currentText(), QString("Mero real"));
    EXPECT_EQ(data->TAespecial.fieldByName("npez").asString(), QString("Mero real"));
    pick(TFcompet2::PagCupos);
    EXPECT_EQ(column(ctl<widgets::DataGrid>(wb, "DBGCupos"), 0), QStringList({"Sargo picudo"}));
    EXPECT_EQ(ctl<widgets::DataLookupCombo>(wb, "DBEspecie")->currentText(), QString("Sargo picudo"));
}

TEST_F(WorkbookTest, RuleDeletionAsksOnlyTheRulesQuestionAndQuotaDeletionTheStandardOne)
{
    TFcompet2& wb = open();
    wb.ABSQ.moveTo(1);
    pick(TFcompet2::PagEspeciales);
    dialogs.answers = {mrCancel};
    ctl<DataNavigator>(wb, "DBNEspeciales")->click(DataNavigator::Delete);
    EXPECT_EQ(dialogs.messages, QStringList({"¿Borrar Mero?"}));
    EXPECT_TRUE(dialogs.notices.isEmpty());
    EXPECT_EQ(count("SELECT COUNT(*) FROM ESPECIAL WHERE \"Cod comp\" = 'A1'"), 1);
    dialogs.answers = {mrYes};
    ctl<DataNavigator>(wb, "DBNEspeciales")->click(DataNavigator::Delete);
    EXPECT_EQ(count("SELECT COUNT(*) FROM ESPECIAL WHERE \"Cod comp\" = 'A1'"), 0);
    EXPECT_EQ(ctl<widgets::DataGrid>(wb, "DBGEespeciales")->model()->rowCount(), 0);

    pick(TFcompet2::PagCupos);
    dialogs.messages.clear();
    dialogs.confirmations = {false, true};
    ctl<DataNavigator>(wb, "DBNCupos")->click(DataNavigator::Delete);
    EXPECT_EQ(dialogs.notices, QStringList({"¿Borrar el registro?"}));
    EXPECT_EQ(count("SELECT COUNT(*) FROM CUPOS WHERE Cod_comp = 'A1'"), 1);
    ctl<DataNavigator>(wb, "DBNCupos")->click(DataNavigator::Delete);
    EXPECT_EQ(count("SELECT COUNT(*) FROM CUPOS WHERE Cod_comp = 'A1'"), 0);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(WorkbookTest, ANewRuleIsListedAndASecondRuleForTheSameSpeciesIsRefused)
{
    TFcompet2& wb = open();
    wb.ABSQ.moveTo(1);
    pick(TFcompet2::PagEspeciales);
    ctl<DataNavigator>(wb, "DBNEspeciales")->click(DataNavigator::Insert);
    ASSERT_EQ(data->TAespecial.state(), engine::Dataset::State::Insert);
    ctl<widgets::DataLookupCombo>(wb, "DBLCBEspPeces")->choose(ctl<widgets::DataLookupCombo>(wb, "DBLCBEspPeces")->findText("Sargo"));
    type(ctl<widgets::DataEdit>(wb, "DBEEspPesoMinimo"), "750");
    ctl<DataNavigator>(wb, "DBNEspeciales")->click(DataNavigator::Post);
    ASSERT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join("\n").toStdString();
    EXPECT_EQ(column(ctl<widgets::DataGrid>(wb, "DBGEespeciales"), 0), QStringList({"Mero", "Sargo"}));
    // The list and the panel stand on the rule just saved.
    EXPECT_EQ(ctl<widgets::DataGrid>(wb, "DBGEespeciales")->currentIndex().row(), 1);
    EXPECT_EQ(ctl<widgets::DataEdit>(wb, "DBEEspPesoMinimo")->text(), QString("750"));

    ctl<DataNavigator>(wb, "DBNEspeciales")->click(DataNavigator::Insert);
    ctl<widgets::DataLookupCombo>(wb, "DBLCBEspPeces")->choose(ctl<widgets::DataLookupCombo>(wb, "DBLCBEspPeces")->findText("Mero"));
    ctl<DataNavigator>(wb, "DBNEspeciales")->click(DataNavigator::Post);
    EXPECT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(data->TAespecial.isEditing());
    ctl<DataNavigator>(wb, "DBNEspeciales")->click(DataNavigator::Cancel);
    EXPECT_EQ(count("SELECT COUNT(*) FROM ESPECIAL WHERE \"Cod comp\" = 'A1'"), 2);
}

TEST_F(WorkbookTest, BorrarAsksAndDeletesOnlyWithSi)
{
    TFcompet2& wb = open();
    wb.ABSQ.moveTo(1);
    ASSERT_EQ(currentComp(), QString("A1"));
    dialogs.answers = {mrNo};
    ctl<QPushButton>(wb, "BBorrarPrueba")->click();
    EXPECT_EQ(dialogs.messages, QStringList({"¿Quiere borrar la prueba\n\rPrimera?"}));
    EXPECT_EQ(count("SELECT COUNT(*) FROM COMPETIC WHERE Codigo = 'A1'"), 1);

    // Sí here, No to the record rule's own question: kept.
    dialogs.messages.clear();
    dialogs.answers = {mrYes, mrNo};
    ctl<QPushButton>(wb, "BBorrarPrueba")->click();
    EXPECT_EQ(dialogs.messages, QStringList({"¿Quiere borrar la prueba\n\rPrimera?", "Borrar competición Primera"}));
    EXPECT_EQ(count("SELECT COUNT(*) FROM COMPETIC WHERE Codigo = 'A1'"), 1);
    EXPECT_EQ(currentComp(), QString("A1"));

    dialogs.answers = {mrYes, mrYes};
    ctl<QPushButton>(wb, "BBorrarPrueba")->click();
    EXPECT_EQ(count("SELECT COUNT(*) FROM COMPETIC WHERE Codigo = 'A1'"), 0);
    // Only the competition row goes; the list moves to the row that followed it.
    EXPECT_EQ(count("SELECT COUNT(*) FROM JORNADAS WHERE \"Cod comp\" = 'A1'"), 2);
    EXPECT_EQ(column(ctl<widgets::DataGrid>(wb, "DBCompeticiones"), 0), QStringList({"B2", "C3"}));
    EXPECT_EQ(wb.ABSQ.fieldByName("codigo").asString(), QString("C3"));
    EXPECT_EQ(currentComp(), QString("C3"));

    // The last row: deleted, the list stays where the refresh leaves it.
    dialogs.answers = {mrYes, mrYes};
    ctl<QPushButton>(wb, "BBorrarPrueba")->click();
    EXPECT_EQ(count("SELECT COUNT(*) FROM COMPETIC"), 1);
    EXPECT_EQ(currentComp(), QString("B2"));
}

TEST_F(WorkbookTest, NuevaDefinesACompetitionThatBecomesTheFirstOfTheList)
{
    TFcompet2& wb = open();
    int mode = 0;
    auto seen = ModalAnswer::onNext([&](QWidget* modal) {
        mode = modoDefinicion;
        auto* def = qobject_cast<TfDefComp*>(modal);
        ASSERT_NE(def, nullptr);
        type(def->DBECodigo, "N9");
        type(def->DBETitulo, "Nueva prueba");
        ModalAnswer::click(modal, "Guardar");
    });
    ctl<QPushButton>(wb, "BNuevaPrueba")->click();
    ASSERT_TRUE(seen->seen);
    EXPECT_EQ(mode, 3);
    ASSERT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join("\n").toStdString();
    // Its day 1 is dated today, the most recent: first in the list, and current.
    EXPECT_EQ(column(ctl<widgets::DataGrid>(wb, "DBCompeticiones"), 0).first(), QString("N9"));
    EXPECT_EQ(wb.ABSQ.currentRow(), 0);
    EXPECT_EQ(currentComp(), QString("N9"));
    EXPECT_EQ(ctl<widgets::DataLabel>(wb, "LTitulo")->text(), QString("Nueva prueba"));
    EXPECT_EQ(ctl<widgets::DataLabel>(wb, "LFecha")->text(), QDate::currentDate().toString("dd/MM/yyyy"));
    EXPECT_EQ(ctl<widgets::DataEdit>(wb, "DBEpMinimo")->text(), QString("500"));

    // Cancelled, nothing is added and the list stays on the same competition.
    wb.ABSQ.moveTo(2);
    const QString before = currentComp();
    seen = ModalAnswer::pressButton("Cancelar");
    ctl<QPushButton>(wb, "BNuevaPrueba")->click();
    ASSERT_TRUE(seen->seen);
    EXPECT_EQ(count("SELECT COUNT(*) FROM COMPETIC"), 4);
    EXPECT_EQ(currentComp(), before);
}

TEST_F(WorkbookTest, EditarEditsTheCurrentCompetition)
{
    TFcompet2& wb = open();
    wb.ABSQ.moveTo(1);
    int mode = 0;
    QString shownCode;
    auto seen = ModalAnswer::onNext([&](QWidget* modal) {
        mode = modoDefinicion;
        auto* def = qobject_cast<TfDefComp*>(modal);
        ASSERT_NE(def, nullptr);
        shownCode = def->DBECodigo->text();
        def->DBETitulo->selectAll();
        type(def->DBETitulo, "Primera bis");
        ModalAnswer::click(modal, "Guardar");
    });
    ctl<QPushButton>(wb, "bEditarPrueba")->click();
    ASSERT_TRUE(seen->seen);
    EXPECT_EQ(mode, 2);
    EXPECT_EQ(shownCode, QString("A1"));
    EXPECT_EQ(count("SELECT COUNT(*) FROM COMPETIC WHERE Codigo = 'A1' AND Titulo = 'Primera bis'"), 1);
    // The list was re-run and stays on the competition.
    EXPECT_EQ(wb.ABSQ.fieldByName("titulo").asString(), QString("Primera bis"));
    EXPECT_EQ(currentComp(), QString("A1"));
}

// The competition's code changed in "&Editar" goes with all of its data:
// days, participants, rules, quotas, catches, records and penalties; a code
// another competition has is refused with the dialog still open and
// nothing changed.
TEST_F(WorkbookTest, EditarCarriesANewCodeToAllTheCompetitionsData)
{
    file.exec("INSERT INTO PESCADA (\"Cod comp\", Jornada, Equipo, \"Pesada num\", \"Numero piezas\", \"Cod pez\", Peso,"
              " \"Peso valido\") VALUES ('A1', 1, 1, 1, 1, 1, 1500, 1500), ('A1', 1, 1, 2, 1, 3, 900, 900),"
              " ('B2', 1, 1, 1, 1, 2, 800, 800)");
    file.exec("INSERT INTO CLASIFIC (Competicion, Jornada, Equipo, Puntos, TotalPuntos) VALUES ('A1', 1, 1, 3000, 3000),"
              " ('A1', 1, 3, 0, 0), ('B2', 1, 1, 800, 800)");
    file.exec("INSERT INTO PENAL (Cod_comp, Jornada, Equipo, Puntos, Motivo) VALUES ('A1', 1, 1, 100, 'Tarde')");
    const QString perTable =
        "SELECT 'JORNADAS', \"Cod comp\", Numero, Lugar FROM JORNADAS UNION ALL "
        "SELECT 'PARTICIP', \"Cod comp\", Equipo, DNI FROM PARTICIP UNION ALL "
        "SELECT 'ESPECIAL', \"Cod comp\", \"Cod pez\", \"Peso minimo\" FROM ESPECIAL UNION ALL "
        "SELECT 'CUPOS', Cod_comp, Cod_Especie, Puntos FROM CUPOS UNION ALL "
        "SELECT 'PESCADA', \"Cod comp\", \"Pesada num\", Peso FROM PESCADA UNION ALL "
        "SELECT 'CLASIFIC', Competicion, Equipo, TotalPuntos FROM CLASIFIC UNION ALL "
        "SELECT 'PENAL', Cod_comp, Equipo, Motivo FROM PENAL UNION ALL "
        "SELECT 'COMPETIC', Codigo, Tipo, Titulo FROM COMPETIC ORDER BY 1, 2, 3";
    const QStringList before = rowsOf(file.path(), perTable);
    ASSERT_EQ(before.filter("|A1|").size(), 12);

    TFcompet2& wb = open();
    wb.ABSQ.moveTo(1);
    ASSERT_EQ(currentComp(), QString("A1"));
    QStringList refused;
    auto seen = ModalAnswer::onNext([&](QWidget* modal) {
        auto* def = qobject_cast<TfDefComp*>(modal);
        ASSERT_NE(def, nullptr);
        ASSERT_EQ(def->DBECodigo->text(), QString("A1"));
        // Another competition's code: refused, the dialog stays with it.
        def->DBECodigo->setFocus();
        def->DBECodigo->selectAll();
        type(def->DBECodigo, "B2");
        ModalAnswer::click(modal, "Guardar");
        refused = dialogs.errors;
        EXPECT_TRUE(modal->isVisible());
        EXPECT_EQ(rowsOf(file.path(), perTable), before);
        EXPECT_EQ(def->DBECodigo->text(), QString("B2"));
        // A free one is taken.
        def->DBECodigo->setFocus();
        def->DBECodigo->selectAll();
        type(def->DBECodigo, "Z9");
        ModalAnswer::click(modal, "Guardar");
        EXPECT_FALSE(modal->isVisible());
    });
    ctl<QPushButton>(wb, "bEditarPrueba")->click();
    ASSERT_TRUE(seen->seen);
    EXPECT_EQ(refused, QStringList{QString::fromUtf8("Ya existe una prueba con el código «B2»")});
    EXPECT_EQ(dialogs.errors, refused);

    QStringList expected = before;
    expected.replaceInStrings("|A1|", "|Z9|");
    expected.sort();
    QStringList now = rowsOf(file.path(), perTable);
    now.sort();
    EXPECT_EQ(now, expected);
    EXPECT_EQ(count("SELECT count(*) FROM COMPETIC WHERE Codigo = 'A1'"), 0);
    EXPECT_FALSE(data->db.inTransaction());
    // The list and the pages follow the competition under its new code.
    EXPECT_EQ(currentComp(), QString("Z9"));
    EXPECT_EQ(wb.ABSQ.fieldByName("codigo").asString(), QString("Z9"));
    EXPECT_EQ(data->TAjornada.recordCount(), 2);
    EXPECT_EQ(data->TAjornada.fieldByName("Cod comp").asString(), QString("Z9"));
}

TEST_F(WorkbookTest, TheMainWindowShowsTheLongLivedWorkbookModally)
{
    TfMain main;
    FCompet2 = new TFcompet2(*data, nullptr, &main);
    for (const char* how : {"menu", "button"}) {
        SCOPED_TRACE(how);
        bool modal = false;
        auto seen = ModalAnswer::onNext([&](QWidget* w) {
            modal = w == FCompet2 && w->isModal();
            ModalAnswer::click(w, "Terminar");
        });
        if (QString(how) == "menu")
            main.findChild<QAction*>("Definicin1")->trigger();
        else
            main.findChild<QToolButton*>("SBCompeticiones")->click();
        ASSERT_TRUE(seen->seen);
        EXPECT_EQ(seen->title, QString("Competiciones"));
        EXPECT_TRUE(modal);
        EXPECT_FALSE(FCompet2->isVisible());
    }
    delete FCompet2;
    EXPECT_EQ(FCompet2, nullptr);
}

// Closing the workbook leaves nothing in editing: "¿Guardar los cambios?",
// "Sí" saves what was typed, "No" gives it up, "Cancelar" keeps the workbook
// open with the edit; a save that is refused keeps the workbook open.
TEST_F(WorkbookTest, ClosingSavesOrCancelsWhatIsStillBeingEdited)
{
    const struct {
        int answer;
        const char* titulo;
    } cases[] = {{mrCancel, "Segunda"}, {mrYes, "SegundaX"}, {mrNo, "SegundaX"}};  // the last "X" is given up
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        TFcompet2& wb = open();
        ctl<widgets::DataEdit>(wb, "DBETitulo")->end(false);
        type(ctl<widgets::DataEdit>(wb, "DBETitulo"), "X");
        ASSERT_TRUE(data->TAcomp.isEditing());
        dialogs.messages.clear();
        dialogs.buttons.clear();
        dialogs.answers = {c.answer};
        terminate();
        EXPECT_EQ(dialogs.messages, QStringList{QString::fromUtf8("¿Guardar los cambios?")});
        EXPECT_EQ(dialogs.buttons, QList<unsigned>{unsigned(mbYes | mbNo | mbCancel)});
        EXPECT_EQ(count("SELECT COUNT(*) FROM COMPETIC WHERE Codigo = 'B2' AND Titulo = '" + QString(c.titulo) + "'"), 1);
        if (c.answer == mrCancel) {
            EXPECT_TRUE(data->TAcomp.isEditing());
            EXPECT_TRUE(wb.isVisible());
            data->TAcomp.cancel();
            terminate();
        }
        EXPECT_FALSE(data->TAcomp.isEditing());
        EXPECT_FALSE(wb.isVisible());
    }
    // A day that cannot be saved (an empty number) keeps the workbook open.
    TFcompet2& wb = open();
    pick(TFcompet2::PagJornadas);
    data->TAjornada.edit();
    data->TAjornada.fieldByName("Numero").clear();
    dialogs.answers = {mrYes};
    terminate();
    EXPECT_TRUE(wb.isVisible());
    EXPECT_TRUE(data->TAjornada.isEditing());
    EXPECT_FALSE(dialogs.errors.isEmpty());
    data->TAjornada.cancel();
}

// What a user sees of a screen: the controls on screen in its window, in
// creation order, with their kind, name, text (a grid's cells, a page
// control's page), whether they take input, and their place and size.
std::string seenOf(QWidget& screen)
{
    QStringList out{QString("ventana %1x%2").arg(screen.width()).arg(screen.height())};
    for (QWidget* c : screen.findChildren<QWidget*>()) {
        if (c->window() != &screen || !c->isVisible())
            continue;  // a dialog of its own, such as its chooser, or a page not shown
        QString text;
        if (auto* l = qobject_cast<QLabel*>(c))
            text = l->text();
        else if (auto* b = qobject_cast<QAbstractButton*>(c))
            text = b->text() + (b->toolTip().isEmpty() ? QString() : " [" + b->toolTip() + "]");
        else if (auto* e = qobject_cast<QLineEdit*>(c))
            text = e->text();
        else if (auto* t = qobject_cast<QTabWidget*>(c))
            text = QString::number(t->currentIndex());
        else if (auto* g = qobject_cast<widgets::DataGrid*>(c))
            for (int r = 0; r < g->model()->rowCount(); ++r)
                for (int k = 0; k < g->model()->columnCount(); ++k)
                    text += g->cellText(r, k) + '|';
        const QRect r(c->mapTo(&screen, QPoint(0, 0)), c->size());
        out << QString("%1 %2 %3%4 en %5,%6 %7x%8")
                   .arg(QString::fromLatin1(c->metaObject()->className()), c->objectName(), text,
                        c->isEnabled() ? "" : " (inactivo)")
                   .arg(r.x())
                   .arg(r.y())
                   .arg(r.width())
                   .arg(r.height());
    }
    return out.join('\n').toStdString();
}

// Each page of the workbook in turn, as seenOf shows it, ending on the first.
std::string pagesOf(QWidget& wb)
{
    auto* pages = wb.findChild<QTabWidget*>("PC");
    if (!pages)
        return "sin páginas";
    std::string seen;
    for (int p = 0; p < pages->count(); ++p) {
        pages->setCurrentIndex(p);
        seen += "== " + std::to_string(pages->currentIndex()) + '\n' + seenOf(wb) + '\n';
    }
    pages->setCurrentIndex(0);
    return seen;
}

// The workbook is made at start but builds its pages when it is first shown:
// from the menu it shows the same as one built at once, on its first showing
// and on every later one, and its buttons and keys work as in that one.
TEST_F(WorkbookTest, TheWorkbookMadeAtStartShowsFromTheMenuAsOneBuiltAtOnce)
{
    TfMain main;
    auto fromMenu = [&](const std::function<void(QWidget*)>& more) {
        std::string seen;
        auto answered = ModalAnswer::onNext([&](QWidget* w) {
            seen = pagesOf(*w);
            if (more)
                more(w);
            ModalAnswer::click(w, "Terminar");
        });
        main.findChild<QAction*>("Definicin1")->trigger();
        EXPECT_TRUE(answered->seen);
        EXPECT_EQ(answered->title, QString("Competiciones"));
        return seen;
    };

    FCompet2 = new TFcompet2(*data, new Tfselcomp(*data, &main), &main);
    const std::string builtAtOnce = fromMenu({});
    delete FCompet2;
    // Every page was seen, each with its own controls.
    for (const char* control : {"DBCompeticiones", "DBENumero", "DBGParticipa", "DBGEespeciales", "DBGCupos"})
        ASSERT_NE(builtAtOnce.find(control), std::string::npos) << control;

    FCompet2 = new TFcompet2(*data, new Tfselcomp(*data, &main, widgets::Build::OnFirstUse), &main,
                             widgets::Build::OnFirstUse);
    EXPECT_EQ(FCompet2->findChild<QTabWidget*>(), nullptr);  // nothing built before it is shown
    const std::string first = fromMenu([&](QWidget* w) {
        auto* wb = static_cast<TFcompet2*>(w);
        // The participant buttons follow the participant.
        auto* pages = ctl<QTabWidget>(*wb, "PC");
        pages->setCurrentIndex(TFcompet2::PagParticipantes);
        ASSERT_EQ(pages->currentIndex(), int(TFcompet2::PagParticipantes));
        ctl<QPushButton>(*wb, "BPartEditar")->click();
        EXPECT_TRUE(ctl<QPushButton>(*wb, "BPartGuardar")->isEnabled());
        EXPECT_FALSE(ctl<QPushButton>(*wb, "BPartNuevo")->isEnabled());
        ctl<QPushButton>(*wb, "BPartCancelar")->click();
        EXPECT_FALSE(ctl<QPushButton>(*wb, "BPartGuardar")->isEnabled());
        EXPECT_TRUE(ctl<QPushButton>(*wb, "BPartNuevo")->isEnabled());
        // Ctrl+PgDn from a control moves to the next page.
        QKeyEvent next(QEvent::KeyPress, Qt::Key_PageDown, Qt::ControlModifier);
        QApplication::sendEvent(ctl<widgets::DataEdit>(*wb, "DBENombre"), &next);
        EXPECT_EQ(pages->currentIndex(), int(TFcompet2::PagEspeciales));
        // The list moves to another competition before it closes.
        pages->setCurrentIndex(TFcompet2::PagPruebas);
        wb->ABSQ.moveTo(1);
        EXPECT_EQ(currentComp(), QString("A1"));
    });
    EXPECT_EQ(first, builtAtOnce);
    // Shown again, it starts over just the same.
    EXPECT_EQ(fromMenu({}), builtAtOnce);
    EXPECT_EQ(currentComp(), QString("B2"));
    delete FCompet2;
}

}  // namespace
