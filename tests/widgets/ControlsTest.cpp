#include "widgets/DataControls.h"
#include "widgets/DataEdit.h"
#include "widgets/DataLookupCombo.h"
#include "widgets/DataNavigator.h"
#include "widgets/ErrorText.h"
#include "engine/Query.h"
#include "WidgetFixture.h"

#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <tuple>

using engine::Dataset;
using engine::DatabaseError;
using widgets::DataEdit;
using widgets::DataNavigator;

namespace {

class ControlsTest : public WidgetTest {
protected:
    void SetUp() override
    {
        WidgetTest::SetUp();
        comp.setIndexName("idxPrimaryKey");
        comp.open();
        days.setIndexFieldNames("Cod comp;Numero");
        days.open();
    }
    engine::Table comp{db, "COMPETIC"};
    engine::DataSource src{&comp};
    engine::Table days{db, "JORNADAS"};
    engine::DataSource daysSrc{&days};
};

TEST_F(ControlsTest, EditShowsTheFieldAndFollowsTheRecord)
{
    DataEdit edit(&src, "Titulo");
    EXPECT_EQ(edit.text(), QString("Primera"));
    comp.next();
    EXPECT_EQ(edit.text(), QString("Segunda"));
    comp.close();
    EXPECT_EQ(edit.text(), QString());
    EXPECT_FALSE(edit.isEnabled());
    comp.open();
    EXPECT_TRUE(edit.isEnabled());
    EXPECT_EQ(edit.text(), QString("Primera"));
}

// What typing leaves in an edit bound to each kind of field, and the hint
// shown next to it when a keystroke was refused.
struct TypingCase {
    const char* name;
    const char* field;
    QString typed;
    QString shown;
    QString hint;           // empty: no keystroke refused
    qint64 lo = 1, hi = 0;  // lo > hi: no range of the caller
};

// The hint the window shows next to a field, "" when none shows.
QString hintShown(QWidget* field)
{
    auto* l = field->window()->findChild<QLabel*>("FieldHint");
    return l && !l->isHidden() ? l->text() : QString();
}

TEST_F(ControlsTest, TypingIsLimitedByTheFieldTypeAndEveryRefusalShows)
{
    const QString integer = "Solo números enteros de -2147483648 a 2147483647";
    const std::vector<TypingCase> cases = {
        {"String 6 keeps six characters", "Codigo", "ABCDEFGH", "ABCDEF", "Como máximo 6 caracteres"},
        {"Integer stops at a letter", "Peso maximo", "12a3b", "12", "Solo números enteros"},
        {"a decimal comma never joins the digits", "Peso maximo", "1,5", "1", "Solo números enteros"},
        {"Integer allows a minus", "Peso maximo", "-45", "-45", ""},
        {"Integer refuses a value out of range", "Peso maximo", "99999999999", "999999999", integer},
        {"Smallint stops at 32767", "EjemplaresCupo", "327679", "32767", "Solo números enteros de -32768 a 32767"},
        {"Smallint refuses 40000", "EjemplaresCupo", "40000", "4000", "Solo números enteros de -32768 a 32767"},
        {"a range set by the caller", "EjemplaresCupo", "-1250", "", "Solo números enteros de 0 a 999", 0, 999},
        {"a date takes digits and slashes", "Fecha", "1x", "1", "Solo fechas: día/mes/año"},
    };
    for (const TypingCase& c : cases) {
        SCOPED_TRACE(c.name);
        comp.cancel();
        days.cancel();
        DataEdit edit(c.field == QString("Fecha") ? &daysSrc : &src, c.field);
        if (c.lo <= c.hi)
            edit.setIntegerRange(c.lo, c.hi);
        edit.clear();
        type(&edit, c.typed);
        EXPECT_EQ(edit.text(), c.shown);
        EXPECT_EQ(hintShown(&edit), c.hint);
    }
    // The edit's own limit counts UTF-16 units: room for six characters of
    // two units each, behind the filter that counts characters.
    DataEdit code(&src, "Codigo");
    EXPECT_EQ(code.maxLength(), 12);
}

// Text limits count characters as a person does: a fish emoji is one, in a
// bound edit and in a plain one limited by limitText.
TEST_F(ControlsTest, TextLimitsCountCharactersNotUtf16Units)
{
    const QString pez = QString::fromUtf8("🐟");
    DataEdit code(&src, "Codigo");  // String 6
    QLineEdit plain;
    widgets::limitText(&plain, 6);
    for (QLineEdit* e : {static_cast<QLineEdit*>(&code), &plain}) {
        e->clear();
        for (int i = 0; i < 7; ++i)
            key(e, Qt::Key_unknown, pez);
        EXPECT_EQ(e->text(), pez.repeated(6));
        EXPECT_EQ(hintShown(e), QString("Como máximo 6 caracteres"));
        // A paste of six goes in whole; one of seven is refused whole.
        for (const auto& [pasted, shown] : {std::pair{pez.repeated(6), pez.repeated(6)}, std::pair{pez.repeated(7), QString()}}) {
            e->clear();
            QApplication::clipboard()->setText(pasted);
            key(e, Qt::Key_V, {}, Qt::ControlModifier);
            EXPECT_EQ(e->text(), shown);
        }
    }
    comp.cancel();
}

TEST_F(ControlsTest, AfterARefusedKeyTheNumberTakesNothingUntilCorrected)
{
    DataEdit edit(&src, "Peso maximo");
    edit.clear();
    type(&edit, "1,5");
    EXPECT_EQ(edit.text(), QString("1"));
    // What stands after the refusal is not a value: not written, not posted,
    // and said to be what it is, not a number out of range.
    try {
        edit.updateRecord();
        ADD_FAILURE() << "written";
    } catch (const DatabaseError& e) {
        EXPECT_EQ(e.kind(), DatabaseError::Kind::NotInteger);
        EXPECT_EQ(widgets::userErrorText(e), QString::fromUtf8("«Peso máximo puntuable» solo admite números enteros."));
    }
    EXPECT_THROW(comp.post(), DatabaseError);
    EXPECT_EQ(file.scalar("SELECT \"Peso maximo\" FROM COMPETIC WHERE Codigo = 'A1'"), 1250);
    // Backspace is a correction: typing goes on and the hint goes.
    key(&edit, Qt::Key_Backspace);
    type(&edit, "15");
    EXPECT_EQ(edit.text(), QString("15"));
    EXPECT_EQ(hintShown(&edit), QString());
    comp.post();
    EXPECT_EQ(file.scalar("SELECT \"Peso maximo\" FROM COMPETIC WHERE Codigo = 'A1'"), 15);
}

TEST_F(ControlsTest, APasteThatIsNotAWholeNumberInRangeIsRefusedWholeOnLeaving)
{
    QWidget window;
    auto* lay = new QVBoxLayout(&window);
    auto* edit = new DataEdit(&src, "Peso maximo", &window);
    edit->setIntegerRange(0, 100000);
    auto* next = new QLineEdit(&window);
    lay->addWidget(edit);
    lay->addWidget(next);
    window.show();
    window.activateWindow();
    QApplication::processEvents();
    const QString range = "Solo números enteros de 0 a 100000";
    const struct {
        QString pasted;
        QString hint;  // empty: taken
    } cases[] = {{"1,5", "Solo números enteros"}, {"12 kg", "Solo números enteros"}, {"250000", range},
                 {"-3", range}, {"99999999999999999999999", range}, {"4200", ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pasted.toStdString());
        edit->setFocus();
        QApplication::processEvents();
        ASSERT_TRUE(edit->hasFocus());
        QApplication::clipboard()->setText(c.pasted);
        key(edit, Qt::Key_A, {}, Qt::ControlModifier);
        key(edit, Qt::Key_V, {}, Qt::ControlModifier);
        EXPECT_EQ(edit->text(), c.pasted);
        key(edit, Qt::Key_Tab);
        QApplication::processEvents();
        if (c.hint.isEmpty()) {
            EXPECT_TRUE(next->hasFocus());
            EXPECT_EQ(comp.fieldByName("Peso maximo").asInteger(), 4200);
            EXPECT_EQ(hintShown(edit), QString());
            continue;
        }
        // Refused whole: the focus stays, the text is kept and selected, the field unchanged.
        EXPECT_TRUE(edit->hasFocus());
        EXPECT_EQ(edit->text(), c.pasted);
        EXPECT_EQ(edit->selectedText(), c.pasted);
        EXPECT_EQ(hintShown(edit), c.hint);
        EXPECT_EQ(comp.fieldByName("Peso maximo").asInteger(), 1250);
        key(edit, Qt::Key_Escape);
        EXPECT_EQ(edit->text(), QString("1250"));
    }
    comp.cancel();
}

TEST_F(ControlsTest, APasteThatDoesNotFitATextFieldIsRefusedWhole)
{
    DataEdit code(&src, "Codigo");
    for (const auto& [pasted, shown, hint] :
         {std::tuple{QString("ABCDEFGH"), QString("A1"), QString("Como máximo 6 caracteres")},
          std::tuple{QString("ZZ9"), QString("ZZ9"), QString()}}) {
        SCOPED_TRACE(pasted.toStdString());
        QApplication::clipboard()->setText(pasted);
        key(&code, Qt::Key_A, {}, Qt::ControlModifier);
        key(&code, Qt::Key_V, {}, Qt::ControlModifier);
        EXPECT_EQ(code.text(), shown);
        EXPECT_EQ(hintShown(&code), hint);
    }
    comp.cancel();
}

TEST_F(ControlsTest, AutoEditStartsTheEditOnlyWhenTheSourceSays)
{
    DataEdit edit(&src, "Titulo");
    src.autoEdit = false;
    edit.end(false);
    type(&edit, "x");
    EXPECT_EQ(comp.state(), Dataset::State::Browse);
    EXPECT_EQ(edit.text(), QString("Primera"));
    key(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.text(), QString("Primera"));

    comp.edit();  // a record already being edited takes the typing
    edit.end(false);
    type(&edit, "x");
    EXPECT_EQ(edit.text(), QString("Primerax"));
    comp.cancel();
    EXPECT_EQ(edit.text(), QString("Primera"));

    src.autoEdit = true;
    edit.end(false);
    type(&edit, "s");
    EXPECT_EQ(comp.state(), Dataset::State::Edit);
    EXPECT_EQ(edit.text(), QString("Primeras"));
    // Escape drops the typed text.
    key(&edit, Qt::Key_Escape);
    EXPECT_EQ(edit.text(), QString("Primera"));
}

TEST_F(ControlsTest, EveryEditWritesBackBeforeThePost)
{
    DataEdit title(&src, "Titulo");
    DataEdit weight(&src, "Peso maximo");
    DataEdit quota(&src, "EjemplaresCupo");
    title.selectAll();
    type(&title, "Nueva");
    weight.selectAll();
    type(&weight, "2000");
    quota.clear();
    type(&quota, "3");
    // Nothing has been left or confirmed: the text is still only in the edits.
    EXPECT_TRUE(title.isModified() && weight.isModified() && quota.isModified());
    EXPECT_EQ(comp.fieldByName("Titulo").asString(), QString("Primera"));
    comp.post();
    EXPECT_EQ(file.scalar("SELECT count(*) FROM COMPETIC WHERE Codigo = 'A1' AND Titulo = 'Nueva'"
                          " AND \"Peso maximo\" = 2000 AND EjemplaresCupo = 3"),
              1);
    EXPECT_FALSE(title.isModified());

    // A value set by code while another edit has pending text keeps that text.
    type(&title, "X");
    comp.fieldByName("Peso maximo").setAsInteger(7);
    EXPECT_EQ(title.text(), QString("NuevaX"));
    EXPECT_EQ(weight.text(), QString("7"));
    comp.post();
    EXPECT_EQ(file.scalar("SELECT count(*) FROM COMPETIC WHERE Titulo = 'NuevaX' AND \"Peso maximo\" = 7"), 1);
}

TEST_F(ControlsTest, MovingTheRecordWritesBackToo)
{
    DataEdit title(&src, "Titulo");
    title.selectAll();
    type(&title, "Movida");
    comp.next();
    EXPECT_EQ(file.scalar("SELECT count(*) FROM COMPETIC WHERE Codigo = 'A1' AND Titulo = 'Movida'"), 1);
    EXPECT_EQ(title.text(), QString("Segunda"));
}

TEST_F(ControlsTest, DatesAreTypedDayMonthYearAndRefusalsKeepTheText)
{
    DataEdit date(&daysSrc, "Fecha");
    EXPECT_EQ(date.text(), QString("01/05/2026"));
    date.selectAll();
    type(&date, "15/06/2026");
    key(&date, Qt::Key_Return);
    EXPECT_EQ(days.fieldByName("Fecha").asDate(), QDate(2026, 6, 15));
    EXPECT_TRUE(dialogs.errors.isEmpty());

    date.selectAll();
    type(&date, "32/13/2026");
    key(&date, Qt::Key_Return);
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors[0].contains("Fecha"));
    EXPECT_EQ(date.text(), QString("32/13/2026"));
    // The post meets the same refusal and leaves the record being edited.
    EXPECT_THROW(days.post(), DatabaseError);
    EXPECT_EQ(days.state(), Dataset::State::Edit);
    EXPECT_EQ(date.text(), QString("32/13/2026"));
    date.selectAll();
    type(&date, "16/06/2026");
    days.post();
    EXPECT_EQ(file.scalar("SELECT count(*) FROM JORNADAS WHERE Fecha = '2026-06-16'"), 1);
}

TEST_F(ControlsTest, LookupStoresTheKeyAndShowsTheName)
{
    engine::Table species{db, "ESPECIES"};
    species.setIndexName("isNombre");
    species.open();
    engine::Table rules{db, "ESPECIAL"};
    rules.setIndexFieldNames("Cod comp;Cod pez");
    rules.open();
    engine::DataSource rulesSrc{&rules};
    widgets::DataLookupCombo combo;
    combo.setListSource(&species, "Nombre", "Codigo");
    combo.setDataSource(&rulesSrc, "Cod pez");
    ASSERT_EQ(combo.count(), 3);
    EXPECT_EQ(combo.itemText(0), QString("Dentón"));   // the list's order: by name
    EXPECT_EQ(combo.currentText(), QString("Dentón"));  // code 2
    combo.choose(2);                                     // Sargo, code 3
    EXPECT_EQ(rules.state(), Dataset::State::Edit);
    EXPECT_EQ(rules.fieldByName("Cod pez").asInteger(), 3);
    rules.post();
    EXPECT_EQ(file.scalar("SELECT \"Cod pez\" FROM ESPECIAL"), 3);
    EXPECT_EQ(combo.currentText(), QString("Sargo"));
    // A code that no species has shows nothing.
    rules.edit();
    rules.fieldByName("Cod pez").setAsInteger(99);
    EXPECT_EQ(combo.currentIndex(), -1);
    rules.cancel();

    // With autoEdit off a browsing record keeps its species.
    rulesSrc.autoEdit = false;
    combo.choose(1);
    EXPECT_EQ(rules.state(), Dataset::State::Browse);
    EXPECT_EQ(combo.currentText(), QString("Sargo"));
    key(&combo, Qt::Key_Up);
    EXPECT_EQ(combo.currentText(), QString("Sargo"));
}

TEST_F(ControlsTest, UnboundLookupMovesTheListToTheFirstRowWithTheText)
{
    file.exec("UPDATE COMPETIC SET Titulo = 'Igual' WHERE Codigo IN ('B2', 'C3')");
    engine::Query list{db};
    list.setSql({"select codigo, titulo from competic", "order by codigo"});
    list.open();
    widgets::DataLookupCombo combo;
    combo.setListSource(&list, "titulo", "codigo");
    ASSERT_EQ(combo.count(), 3);
    EXPECT_EQ(combo.currentText(), QString("Primera"));
    combo.choose(2);  // the second "Igual"
    EXPECT_EQ(list.fieldByName("codigo").asString(), QString("B2"));
    EXPECT_EQ(combo.currentIndex(), 1);
    key(&combo, Qt::Key_Up);
    EXPECT_EQ(list.fieldByName("codigo").asString(), QString("A1"));
}

TEST_F(ControlsTest, LabelCheckBoxAndRadioGroup)
{
    widgets::DataLabel label(&src, "Peso maximo");
    comp.meta("Peso maximo").displayFormat = "#,##0";
    comp.refresh();
    EXPECT_EQ(label.text(), QString("1.250"));

    widgets::DataRadioGroup tipo(" Tipo de Prueba ");
    tipo.setItems({"Individual", "Equipos"}, {"I", "E"});
    tipo.setDataSource(&src, "Tipo");
    EXPECT_EQ(tipo.itemIndex(), 0);
    comp.next();
    EXPECT_EQ(tipo.itemIndex(), 1);
    EXPECT_EQ(label.text(), QString("0"));
    tipo.button(0)->click();
    EXPECT_EQ(comp.state(), Dataset::State::Edit);
    EXPECT_EQ(comp.fieldByName("Tipo").asString(), QString("I"));
    comp.post();
    EXPECT_EQ(file.scalar("SELECT count(*) FROM COMPETIC WHERE Codigo = 'B2' AND Tipo = 'I'"), 1);
    src.autoEdit = false;
    tipo.button(1)->click();
    EXPECT_EQ(tipo.itemIndex(), 0);
    EXPECT_EQ(comp.state(), Dataset::State::Browse);
    src.autoEdit = true;

    engine::Table rules{db, "ESPECIAL"};
    rules.open();
    engine::DataSource rulesSrc{&rules};
    widgets::DataCheckBox puntua("&Válido pieza mayor", &rulesSrc, "Puntua");
    EXPECT_TRUE(puntua.isChecked());
    puntua.click();
    EXPECT_FALSE(puntua.isChecked());
    EXPECT_FALSE(rules.fieldByName("Puntua").asBoolean());
    rules.post();
    EXPECT_EQ(file.scalar("SELECT Puntua FROM ESPECIAL"), 0);
    rulesSrc.autoEdit = false;
    puntua.click();
    EXPECT_FALSE(puntua.isChecked());
    EXPECT_EQ(rules.state(), Dataset::State::Browse);

    // An unbound group is a plain choice in columns.
    widgets::DataRadioGroup pen(" &Penalización ");
    pen.setItems({"Puntos", "Porcentaje"});
    pen.setColumns(2);
    pen.setItemIndex(0);
    pen.button(1)->click();
    EXPECT_EQ(pen.itemIndex(), 1);
    EXPECT_EQ(pen.value().toString(), QString("Porcentaje"));
}

QList<bool> states(const DataNavigator& n)
{
    QList<bool> s;
    for (int b = 0; b < DataNavigator::ButtonCount; ++b)
        s << n.button(DataNavigator::Button(b))->isEnabled();
    return s;
}

TEST_F(ControlsTest, NavigatorButtonsFollowTheDataset)
{
    DataNavigator nav(&src,
                      {DataNavigator::First, DataNavigator::Prior, DataNavigator::Next, DataNavigator::Last,
                       DataNavigator::Insert, DataNavigator::Delete, DataNavigator::Edit, DataNavigator::Post,
                       DataNavigator::Cancel},
                      {"Primero", "Anterior", "Siguiente", "Último", "Nuevo", "Borrar", "Modificar", "Guardar",
                       "Cancelar edición"});
    nav.show();
    EXPECT_EQ(nav.button(DataNavigator::Last)->toolTip(), QString("Último"));
    EXPECT_EQ(nav.button(DataNavigator::Cancel)->toolTip(), QString("Cancelar edición"));
    EXPECT_FALSE(nav.button(DataNavigator::Refresh)->isVisible());
    EXPECT_TRUE(nav.button(DataNavigator::Post)->isVisible());
    //                     first  prior  next   last   ins   del   edit  post   cancel refresh
    EXPECT_EQ(states(nav), QList<bool>({false, false, true, true, true, true, true, false, false, true}));
    nav.click(DataNavigator::Next);
    EXPECT_EQ(comp.recNo(), 2);
    EXPECT_EQ(states(nav), QList<bool>({true, true, true, true, true, true, true, false, false, true}));
    nav.click(DataNavigator::Last);
    EXPECT_EQ(states(nav), QList<bool>({true, true, false, false, true, true, true, false, false, true}));
    nav.click(DataNavigator::Edit);
    EXPECT_EQ(comp.state(), Dataset::State::Edit);
    EXPECT_EQ(states(nav), QList<bool>({true, true, false, false, true, true, false, true, true, true}));
    nav.click(DataNavigator::Cancel);
    EXPECT_EQ(comp.state(), Dataset::State::Browse);
    comp.close();
    EXPECT_EQ(states(nav), QList<bool>(DataNavigator::ButtonCount, false));

    // A read-only dataset can only be moved.
    engine::Query q{db};
    q.setSql({"select * from competic"});
    q.open();
    engine::DataSource qs{&q};
    nav.setDataSource(&qs);
    EXPECT_EQ(states(nav), QList<bool>({false, false, true, true, false, false, false, false, false, true}));
}

TEST_F(ControlsTest, NavigatorInsertsAndPostsWithTheEdits)
{
    DataNavigator nav(&src, {DataNavigator::Insert, DataNavigator::Post, DataNavigator::Cancel}, {});
    DataEdit code(&src, "Codigo"), title(&src, "Titulo"), tipo(&src, "Tipo");
    std::vector<DataNavigator::Button> after;
    nav.afterAction = [&](DataNavigator::Button b) { after.push_back(b); };
    nav.click(DataNavigator::Insert);
    EXPECT_EQ(comp.state(), Dataset::State::Insert);
    EXPECT_EQ(code.text(), QString());
    type(&code, "Z9");
    type(&title, "Zeta");
    // A required field left empty: the engine's refusal is shown and the record stays.
    nav.click(DataNavigator::Post);
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors[0].contains("Tipo"));
    EXPECT_EQ(comp.state(), Dataset::State::Insert);
    type(&tipo, "E");
    nav.click(DataNavigator::Post);
    EXPECT_EQ(comp.state(), Dataset::State::Browse);
    EXPECT_EQ(file.scalar("SELECT count(*) FROM COMPETIC WHERE Codigo = 'Z9' AND Titulo = 'Zeta' AND Tipo = 'E'"), 1);
    EXPECT_EQ(comp.fieldByName("Codigo").asString(), QString("Z9"));
    // The failed post ran no after-action.
    EXPECT_EQ(after, std::vector<DataNavigator::Button>({DataNavigator::Insert, DataNavigator::Post}));
}

TEST_F(ControlsTest, NavigatorDeleteConfirmationAndAbort)
{
    DataNavigator nav(&src, {DataNavigator::Delete}, {"Borrar"});
    nav.click(DataNavigator::Delete);  // no confirmation asked
    EXPECT_EQ(comp.recordCount(), 2);
    EXPECT_TRUE(dialogs.notices.isEmpty());

    nav.setConfirmDelete(true);
    dialogs.confirmations = {false, true};
    nav.click(DataNavigator::Delete);
    EXPECT_EQ(comp.recordCount(), 2);
    nav.click(DataNavigator::Delete);
    EXPECT_EQ(comp.recordCount(), 1);
    EXPECT_EQ(dialogs.notices, QStringList({"¿Borrar el registro?", "¿Borrar el registro?"}));

    // A before-delete hook that abandons the deletion: silent, record kept.
    nav.setConfirmDelete(false);
    comp.beforeDelete = [](Dataset&) { throw engine::Abort(); };
    nav.click(DataNavigator::Delete);
    EXPECT_EQ(comp.recordCount(), 1);
    EXPECT_TRUE(dialogs.errors.isEmpty());
    // One that fails: its error is shown.
    comp.beforeDelete = [](Dataset&) { throw DatabaseError("No se puede borrar"); };
    nav.click(DataNavigator::Delete);
    EXPECT_EQ(dialogs.errors, QStringList({"No se puede borrar"}));
    EXPECT_EQ(file.scalar("SELECT count(*) FROM COMPETIC"), 1);
}

TEST_F(ControlsTest, BeforeActionMaySkipTheButton)
{
    DataNavigator nav(&src, {DataNavigator::Next, DataNavigator::Edit}, {});
    nav.beforeAction = [](DataNavigator::Button b) {
        if (b == DataNavigator::Edit) throw engine::Abort();
    };
    nav.click(DataNavigator::Edit);
    EXPECT_EQ(comp.state(), Dataset::State::Browse);
    nav.click(DataNavigator::Next);
    EXPECT_EQ(comp.recNo(), 2);
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

}  // namespace
