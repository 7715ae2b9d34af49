// The setup screens as a keyboard user meets them: the real dialogs answer,
// every question that deletes keeps the data on Enter, and no English word
// reaches the screen.
#include "FindControl.h"

#include "app/TfMain.h"
#include "data/Dialogs.h"
#include "data/Globals.h"
#include "data/Tdm.h"
#include "dialogs/GuiDialogs.h"
#include "dialogs/MsgDlg.h"
#include "dialogs/TSeleccion.h"
#include "dialogs/Tfselcomp.h"
#include "setup/TFPeces.h"
#include "setup/TFcompet2.h"
#include "setup/TfDefComp.h"
#include "setup/TfPescadores.h"
#include "support/Fixture.h"
#include "support/Shown.h"
#include "support/ModalAnswer.h"
#include "widgets/DataNavigator.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

using widgets::DataNavigator;

namespace {

// The real dialogs for the questions a case expects; any further box is
// not shown but recorded and answered Sí/OK, so a question that let Enter
// delete cannot leave the test waiting on a box nobody answers.
class LimitedGuiDialogs : public GuiDialogs {
public:
    int shown = 0;  // real boxes still to show
    QStringList extra;
    std::deque<int> answers;  // for the boxes not shown, before Sí/OK
    int msgDlgPos(const QString& text, int type, unsigned buttons, int helpContext, int x, int y) override
    {
        if (shown-- > 0)
            return GuiDialogs::msgDlgPos(text, type, buttons, helpContext, x, y);
        extra << text;
        if (!answers.empty()) {
            const int a = answers.front();
            answers.pop_front();
            return a;
        }
        return (buttons & mbYes) ? mrYes : mrOk;
    }
    bool confirm(const QString& text) override
    {
        if (shown-- > 0)
            return GuiDialogs::confirm(text);
        extra << text;
        return true;
    }
    void showMessage(const QString& text) override { extra << text; }
    void showError(const QString& text) override { extra << text; }
};

// B2 "Segunda" (teams) with day 1 and team 1 (11A, 22B); A1 "Primera" with
// day 1, team 3 alone (55E), a rule for Mero and a quota for Sargo. Dentón
// is used by nothing. The register has 11A and 22B.
class SetupKeyboardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        file.exec("INSERT INTO COMPETIC (Codigo, Titulo, Tipo) VALUES ('A1', 'Primera', 'E'), ('B2', 'Segunda', 'E')");
        file.exec("INSERT INTO JORNADAS (\"Cod comp\", Numero, Fecha) VALUES ('A1', 1, '2026-05-01'), ('B2', 1, '2026-06-01')");
        file.exec("INSERT INTO ESPECIES (Nombre) VALUES ('Mero'), ('Dentón'), ('Sargo')");
        file.exec("INSERT INTO PARTICIP (\"Cod comp\", Equipo, DNI, Nombre) VALUES ('B2', 1, '11A', 'Ana'),"
                  " ('B2', 1, '22B', 'Luis'), ('A1', 3, '55E', 'Marta')");
        file.exec("INSERT INTO PESCADORES (DNI, Nombre) VALUES ('11A', 'Ana'), ('22B', 'Luis')");
        file.exec("INSERT INTO ESPECIAL (\"Cod comp\", \"Cod pez\", Puntua) VALUES ('A1', 1, 1)");
        file.exec("INSERT INTO CUPOS (Cod_comp, Cod_Especie, EjemplaresCupo, Puntos) VALUES ('A1', 3, 5, 100)");
        {
            ScriptedDialogs quiet;
            data = std::make_unique<Tdm>(file.dir());
        }
        dm = data.get();
        previous = &userDialogs();
        setUserDialogs(&gui);
    }
    void TearDown() override
    {
        setUserDialogs(previous);
        dm = nullptr;
        data.reset();
    }
    qint64 count(const QString& sql) const { return file.scalar(sql); }

    TempDatabase file;
    LimitedGuiDialogs gui;
    UserDialogs* previous = nullptr;
    std::unique_ptr<Tdm> data;
};

TEST_F(SetupKeyboardTest, EnterOnEveryQuestionThatDeletesKeepsTheData)
{
    TFcompet2 wb(*data);
    wb.show();
    QApplication::processEvents();
    auto* pages = ctl<QTabWidget>(wb, "PC");
    auto toA1 = [&] { wb.ABSQ.moveTo(1); };
    struct Case {
        const char* what;
        std::function<void()> before;  // puts the screen on the record
        std::function<void()> ask;     // the command that asks
        QString question;              // the text the question shows
        QString kept;                  // counts 1 while the data is kept
        bool secondQuestion = false;   // Sí to the first, Enter on the second
    };
    const std::vector<Case> cases = {
        {"a competition", toA1, [&] { ctl<QPushButton>(wb, "BBorrarPrueba")->click(); },
         "¿Quiere borrar la prueba\nPrimera?", "SELECT count(*) FROM COMPETIC WHERE Codigo = 'A1'"},
        {"a competition, the record rule's question", toA1, [&] { ctl<QPushButton>(wb, "BBorrarPrueba")->click(); },
         "Borrar competición Primera", "SELECT count(*) FROM COMPETIC WHERE Codigo = 'A1'", true},
        {"a day", [&] { toA1(); pages->setCurrentIndex(TFcompet2::PagJornadas); },
         [&] { ctl<DataNavigator>(wb, "DBNavJornadas")->click(DataNavigator::Delete); }, "¿Borrar el registro?",
         "SELECT count(*) FROM JORNADAS WHERE \"Cod comp\" = 'A1'"},
        {"a team's last participant", [&] { toA1(); pages->setCurrentIndex(TFcompet2::PagParticipantes); },
         [&] { ctl<QPushButton>(wb, "BPartBorrar")->click(); },
         "Si borra al participante se borrarán todos los datos del equipo",
         "SELECT count(*) FROM PARTICIP WHERE DNI = '55E'"},
        {"a species rule", [&] { toA1(); pages->setCurrentIndex(TFcompet2::PagEspeciales); },
         [&] { ctl<DataNavigator>(wb, "DBNEspeciales")->click(DataNavigator::Delete); }, "¿Borrar Mero?",
         "SELECT count(*) FROM ESPECIAL WHERE \"Cod comp\" = 'A1'"},
        {"a quota", [&] { toA1(); pages->setCurrentIndex(TFcompet2::PagCupos); },
         [&] { ctl<DataNavigator>(wb, "DBNCupos")->click(DataNavigator::Delete); }, "¿Borrar el registro?",
         "SELECT count(*) FROM CUPOS WHERE Cod_comp = 'A1'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        pages->setCurrentIndex(TFcompet2::PagPruebas);
        c.before();
        gui.shown = c.secondQuestion ? 2 : 1;
        gui.extra.clear();
        std::shared_ptr<ModalSeen> seen, second;
        if (c.secondQuestion)
            seen = ModalAnswer::onNext([&second](QWidget* w) {
                second = ModalAnswer::pressKey(Qt::Key_Return);
                ModalAnswer::click(w, "Sí");
            });
        else
            seen = ModalAnswer::pressKey(Qt::Key_Return);
        c.ask();
        ASSERT_TRUE(seen->seen);
        const std::shared_ptr<ModalSeen>& asked = c.secondQuestion ? second : seen;
        ASSERT_TRUE(asked && asked->seen);
        EXPECT_TRUE(asked->texts.contains(c.question)) << asked->texts.join(" | ").toStdString();
        EXPECT_EQ(count(c.kept), 1);
        EXPECT_TRUE(gui.extra.isEmpty()) << gui.extra.join(" | ").toStdString();
    }
    wb.reject();
}

TEST_F(SetupKeyboardTest, EnterInTheRegistersDeleteQuestionKeepsTheRow)
{
    auto answerDelete = [](QDialog& screen, DataNavigator* nav, std::shared_ptr<ModalSeen>& asked) {
        return ModalAnswer::onNext([&screen, nav, &asked](QWidget*) {
            asked = ModalAnswer::pressKey(Qt::Key_Return);
            nav->click(DataNavigator::Delete);
            screen.reject();
        });
    };
    std::shared_ptr<ModalSeen> asked;
    {
        gui.shown = 1;
        TFPeces f(*data);
        auto seen = answerDelete(f, ctl<DataNavigator>(f, "DBNPeces"), asked);  // Dentón, first by name
        f.exec();
        ASSERT_TRUE(seen->seen && asked && asked->seen);
        EXPECT_TRUE(asked->texts.contains("¿Borrar el registro?"));
        EXPECT_EQ(count("SELECT count(*) FROM ESPECIES"), 3);
    }
    {
        gui.shown = 1;
        TfPescadores f(*data);
        auto seen = answerDelete(f, ctl<DataNavigator>(f, "DBNPescadores"), asked);
        f.exec();
        ASSERT_TRUE(seen->seen && asked && asked->seen);
        EXPECT_EQ(count("SELECT count(*) FROM PESCADORES"), 2);
    }
    EXPECT_TRUE(gui.extra.isEmpty()) << gui.extra.join(" | ").toStdString();
}

// Every text a window shows: title, labels, buttons, group titles, tabs,
// column titles, hints and menu entries.
QStringList shownTexts(QWidget* w)
{
    QStringList out{w->windowTitle(), w->toolTip()};
    for (QWidget* c : w->findChildren<QWidget*>()) {
        out << c->toolTip();
        if (auto* l = qobject_cast<QLabel*>(c))
            out << l->text();
        if (auto* b = qobject_cast<QAbstractButton*>(c))
            out << b->text();
        if (auto* g = qobject_cast<QGroupBox*>(c))
            out << g->title();
        if (auto* t = qobject_cast<QTabWidget*>(c))
            for (int i = 0; i < t->count(); ++i)
                out << t->tabText(i);
        if (auto* v = qobject_cast<QAbstractItemView*>(c); v && v->model())
            for (int i = 0; i < v->model()->columnCount(); ++i)
                out << v->model()->headerData(i, Qt::Horizontal).toString();
    }
    for (QAction* a : w->findChildren<QAction*>())
        out << a->text() << a->toolTip();
    return out;
}

TEST_F(SetupKeyboardTest, NoWindowShowsAnEnglishWord)
{
    static const QRegularExpression english(
        "\\b(Delete|Record|Cancel|Yes|Save|Close|Search|Find|First|Prior|Previous|Next|Last|Insert|Edit|Post|"
        "Refresh|Apply|Browse|Help|Abort|Retry|Ignore|Warning|Confirm)\\b",
        QRegularExpression::CaseInsensitiveOption);
    TfMain main;
    auto* wb = new TFcompet2(*data, nullptr, &main);
    std::vector<QWidget*> windows{&main, wb, new TfDefComp(*data, &main), new TFPeces(*data, &main),
                                  new TfPescadores(*data, &main), new TSeleccion(*data, &main), new Tfselcomp(*data, &main)};
    for (int type : {mtWarning, mtError, mtInformation, mtConfirmation, mtCustom})
        windows.push_back(new TMsgDlgBox("Texto", type, 0x1FF, 0, -1, -1, &main));
    wb->show();
    for (int page = 0; page < 5; ++page) {
        wb->ABSQ.moveTo(1);
        ctl<QTabWidget>(*wb, "PC")->setCurrentIndex(page);
    }
    for (QWidget* w : windows) {
        SCOPED_TRACE(w->metaObject()->className());
        for (const QString& text : shownTexts(w))
            EXPECT_FALSE(english.match(text).hasMatch()) << text.toStdString();
    }
    wb->reject();
}

// Sends a key to the control that has the focus, as the keyboard does.
void press(int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = {})
{
    QWidget* target = QApplication::focusWidget();
    ASSERT_NE(target, nullptr);
    QKeyEvent down(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(target, &down);
    QKeyEvent up(QEvent::KeyRelease, key, mods, text);
    QApplication::sendEvent(target, &up);
    QApplication::processEvents();
}

void typeKeys(const QString& text)
{
    for (QChar c : text)
        press(c.toUpper().unicode() < 128 ? int(c.toUpper().unicode()) : int(Qt::Key_unknown), Qt::NoModifier, QString(c));
}

TEST_F(SetupKeyboardTest, TheWorkbookFromTheKeyboard)
{
    TFcompet2 wb(*data);
    ASSERT_TRUE(showActive(&wb));
    auto* pages = ctl<QTabWidget>(wb, "PC");
    auto code = [&] { return data->TAcomp.fieldByName("Codigo").asString(); };
    auto* list = ctl<QWidget>(wb, "DBCompeticiones");
    list->setFocus();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), list);
    ASSERT_EQ(code(), QString("B2"));
    // Tab and Shift+Tab leave the list and come back; the competition stays.
    press(Qt::Key_Tab);
    EXPECT_NE(QApplication::focusWidget(), list);
    EXPECT_EQ(code(), QString("B2"));
    press(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), list);
    EXPECT_EQ(code(), QString("B2"));
    // The arrows move inside it.
    press(Qt::Key_Down);
    EXPECT_EQ(code(), QString("A1"));
    press(Qt::Key_Up);
    ASSERT_EQ(code(), QString("B2"));

    // The pages, both ways and with both keys; the focus goes into the page shown.
    const struct {
        int key;
        Qt::KeyboardModifiers mods;
        int page;
    } steps[] = {{Qt::Key_Tab, Qt::ControlModifier, 1},
                 {Qt::Key_Tab, Qt::ControlModifier, 2},
                 {Qt::Key_PageDown, Qt::ControlModifier, 3},
                 {Qt::Key_PageDown, Qt::ControlModifier, 4},
                 {Qt::Key_PageUp, Qt::ControlModifier, 3},
                 {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, 2},
                 {Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier, 1}};
    for (const auto& s : steps) {
        press(s.key, s.mods);
        EXPECT_EQ(pages->currentIndex(), s.page);
        EXPECT_TRUE(pages->currentWidget()->isAncestorOf(QApplication::focusWidget()));
    }
    ASSERT_EQ(pages->currentIndex(), int(TFcompet2::PagJornadas));

    // The day navigator's keys: Ins new, Intro save, F2 edit, Esc cancel, Ctrl+Supr delete (asking).
    ctl<QWidget>(wb, "DBGJornadas")->setFocus();
    QApplication::processEvents();
    press(Qt::Key_Insert);
    ASSERT_EQ(data->TAjornada.state(), engine::Dataset::State::Insert);
    EXPECT_EQ(QApplication::focusWidget(), ctl<QWidget>(wb, "DBENumero"));
    typeKeys("2");
    // Ctrl+Tab with the day being edited is refused, and the page stays.
    press(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(gui.extra, QStringList({"Debe guardar la jornada antes de continuar"}));
    EXPECT_EQ(pages->currentIndex(), int(TFcompet2::PagJornadas));
    ctl<QWidget>(wb, "DBENumero")->setFocus();
    QApplication::processEvents();
    press(Qt::Key_Return);
    EXPECT_EQ(data->TAjornada.state(), engine::Dataset::State::Browse);
    EXPECT_EQ(count("SELECT count(*) FROM JORNADAS WHERE \"Cod comp\" = 'B2'"), 2);
    press(Qt::Key_F2);
    EXPECT_EQ(data->TAjornada.state(), engine::Dataset::State::Edit);
    press(Qt::Key_Escape);
    EXPECT_EQ(data->TAjornada.state(), engine::Dataset::State::Browse);
    EXPECT_TRUE(wb.isVisible());
    gui.extra.clear();
    press(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(gui.extra, QStringList({"¿Borrar el registro?"}));
    EXPECT_EQ(count("SELECT count(*) FROM JORNADAS WHERE \"Cod comp\" = 'B2'"), 1);

    // "Buscar" follows the DNI in the tab order.
    press(Qt::Key_Tab, Qt::ControlModifier);
    ASSERT_EQ(pages->currentIndex(), int(TFcompet2::PagParticipantes));
    ctl<QWidget>(wb, "DBEDNI")->setFocus();
    QApplication::processEvents();
    press(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), ctl<QWidget>(wb, "SBpescadores"));

    // Escape with nothing being edited closes the workbook.
    press(Qt::Key_Escape);
    EXPECT_FALSE(wb.isVisible());
}

TEST_F(SetupKeyboardTest, TheRegistersFromTheKeyboard)
{
    TFPeces peces(*data);
    TfPescadores pescadores(*data);
    // Esc with a row being edited: the fishermen's register gives the row
    // up; the species register asks whether to save it before it leaves
    // (answered Cancelar here: it stays, and the navigator gives it up).
    const struct {
        QDialog* screen;
        const char* grid;
        engine::Table* table;
        QString table_;
        DataNavigator* escapeAsks;
    } screens[] = {{&peces, "DBGPeces", &peces.TApeces, "ESPECIES", peces.DBNPeces},
                   {&pescadores, "DBGPescadores", &pescadores.pescadores, "PESCADORES", nullptr}};
    for (const auto& s : screens) {
        SCOPED_TRACE(s.grid);
        ASSERT_TRUE(showActive(s.screen));
        auto* grid = ctl<QWidget>(*s.screen, s.grid);
        ASSERT_EQ(QApplication::focusWidget(), grid);
        const qint64 rows = count("SELECT count(*) FROM " + s.table_);
        auto escape = [&] {
            if (!s.escapeAsks) {
                press(Qt::Key_Escape);
                return;
            }
            gui.extra.clear();
            gui.answers = {mrCancel};
            const engine::Dataset::State before = s.table->state();
            press(Qt::Key_Escape);
            EXPECT_EQ(gui.extra, QStringList{QString::fromUtf8("¿Guardar los cambios?")});
            EXPECT_EQ(s.table->state(), before);
            EXPECT_TRUE(s.screen->isVisible());
            s.escapeAsks->click(DataNavigator::Cancel);
            grid->setFocus();
            QApplication::processEvents();
        };
        press(Qt::Key_Insert);
        EXPECT_EQ(s.table->state(), engine::Dataset::State::Insert);
        escape();
        EXPECT_EQ(s.table->state(), engine::Dataset::State::Browse);
        press(Qt::Key_F2);
        EXPECT_EQ(s.table->state(), engine::Dataset::State::Edit);
        escape();
        EXPECT_EQ(s.table->state(), engine::Dataset::State::Browse);
        EXPECT_TRUE(s.screen->isVisible());
        // Tab leaves the grid; the record stays.
        const int row = s.table->currentRow();
        press(Qt::Key_Tab);
        EXPECT_NE(QApplication::focusWidget(), grid);
        EXPECT_EQ(s.table->currentRow(), row);
        // Ctrl+Supr asks and deletes the first row (Dentón, used by nothing; Ana).
        gui.extra.clear();
        grid->setFocus();
        QApplication::processEvents();
        press(Qt::Key_Delete, Qt::ControlModifier);
        EXPECT_EQ(gui.extra, QStringList({"¿Borrar el registro?"}));
        EXPECT_EQ(count("SELECT count(*) FROM " + s.table_), rows - 1);
        // Escape with nothing being edited closes the window.
        press(Qt::Key_Escape);
        EXPECT_FALSE(s.screen->isVisible());
    }
}

TEST_F(SetupKeyboardTest, AfterARefusalTheFocusIsOnTheFieldAtFaultWithItsTextSelected)
{
    TFcompet2 wb(*data);
    ASSERT_TRUE(showActive(&wb));
    auto* pages = ctl<QTabWidget>(wb, "PC");
    auto typeInto = [&](const char* field, const QString& text) {
        auto* e = ctl<QLineEdit>(wb, field);
        e->setFocus();
        QApplication::processEvents();
        typeKeys(text);
    };
    const struct {
        const char* what;
        int page;
        std::vector<std::pair<const char*, QString>> typed;
        const char* atFault;
        QString refusal;
    } cases[] = {
        {"a day number already used", TFcompet2::PagJornadas, {{"DBENumero", "1"}}, "DBENumero",
         "Ya existe una jornada con ese número en esta competición."},
        {"a participant without team", TFcompet2::PagParticipantes, {{"DBEDNI", "77G"}, {"DBENombre", "Sin equipo"}},
         "DBEEquipo", "Falta el dato obligatorio «Equipo»."},
        {"the same person in another team", TFcompet2::PagParticipantes, {{"DBEEquipo", "4"}, {"DBEDNI", "11A"}},
         "DBEDNI", "Ya participa en el equipo 1 de esta prueba"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        pages->setCurrentIndex(c.page);
        if (c.page == TFcompet2::PagJornadas)
            ctl<DataNavigator>(wb, "DBNavJornadas")->click(DataNavigator::Insert);
        else
            ctl<QPushButton>(wb, "BPartNuevo")->click();
        for (const auto& [field, text] : c.typed)
            typeInto(field, text);
        gui.extra.clear();
        if (c.page == TFcompet2::PagJornadas)
            press(Qt::Key_Return);
        else
            ctl<QPushButton>(wb, "BPartGuardar")->click();
        QApplication::processEvents();
        EXPECT_EQ(gui.extra, QStringList{c.refusal});
        auto* atFault = ctl<QLineEdit>(wb, c.atFault);
        EXPECT_EQ(QApplication::focusWidget(), atFault);
        EXPECT_EQ(atFault->selectedText(), atFault->text());
        // The refused text is in the record: one Escape cancels the record.
        press(Qt::Key_Escape);
        EXPECT_FALSE(data->TAparticipa.isEditing() || data->TAjornada.isEditing());
        EXPECT_TRUE(wb.isVisible());
    }
    EXPECT_EQ(count("SELECT count(*) FROM PARTICIP WHERE \"Cod comp\" = 'B2'"), 2);
    EXPECT_EQ(count("SELECT count(*) FROM JORNADAS WHERE \"Cod comp\" = 'B2'"), 1);
    wb.reject();
}

TEST_F(SetupKeyboardTest, EveryWindowFitsOnA1024By768Screen)
{
    // A competition with a long name and a long day place.
    file.exec("UPDATE COMPETIC SET Titulo = '" + QString(50, QChar('W')) + "' WHERE Codigo = 'B2'");
    file.exec("UPDATE JORNADAS SET Lugar = '" + QString(100, QChar('W')) + "' WHERE \"Cod comp\" = 'B2'");
    data->TAcomp.refresh();
    data->TAjornada.refresh();
    TfMain main;
    const QSize mainSize = main.size();
    auto* wb = new TFcompet2(*data, nullptr, &main);
    modoDefinicion = 2;
    const std::vector<QWidget*> windows{wb, new TfDefComp(*data, &main), new TFPeces(*data, &main),
                                        new TfPescadores(*data, &main), new TSeleccion(*data, &main),
                                        new Tfselcomp(*data, &main)};
    for (QWidget* w : windows) {
        SCOPED_TRACE(w->metaObject()->className());
        w->show();
        if (w == wb)
            for (int page = 4; page >= 0; --page)
                ctl<QTabWidget>(*wb, "PC")->setCurrentIndex(page);
        QApplication::processEvents();
        EXPECT_LE(w->frameGeometry().width(), 1024);
        EXPECT_LE(w->frameGeometry().height(), 768);
        // The workbook and the registers fit inside the main window as it first shows.
        if (w == windows[0] || w == windows[2] || w == windows[3]) {
            EXPECT_LE(w->width(), mainSize.width());
            EXPECT_LE(w->height(), mainSize.height());
        }
        if (w == wb) {
            auto* name = ctl<QLineEdit>(*wb, "DBETitulo");
            EXPECT_EQ(name->text(), QString(50, QChar('W')));
            EXPECT_EQ(name->cursorPosition(), 0);  // shown from its start
        }
        static_cast<QDialog*>(w)->reject();
    }
    modoDefinicion = 0;
}

}  // namespace
