// The weigh-in screen driven from the keyboard, with its ranking window.
#include "data/Globals.h"
#include "data/Seleccion.h"
#include "data/Tdm.h"
#include "engine/Format.h"
#include "ranking/Tfclasificacion.h"
#include "reports/PdfDevice.h"
#include "scoring/ClasificacionDia.h"
#include "support/Cli.h"
#include "support/Fixture.h"
#include "support/Shown.h"
#include "weighin/TFpesaje2.h"
#include "widgets/DataGrid.h"
#include "widgets/DataLookupCombo.h"
#include "widgets/DataNavigator.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

// Readable failures.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& s, std::ostream* os) { *os << '[' << s.join(" ; ").toStdString() << ']'; }

namespace {

using widgets::DataNavigator;

// Competition E1 (teams), day 1: team 1 Ana and Bea, team 3 Luis, team 5
// Marta; minimum 300 g, maximum 5000 g for one piece, 100 a piece, 1 a gram.
// Species 10 Dentón, 20 Mero, 30 Sargo. Competition E2 has a line of its own.
class WeighInTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        engine::setProgramLocale(QLocale(QLocale::Spanish, QLocale::Spain));
        // Each typed letter starts a new search in the species list, as after a pause.
        QApplication::setKeyboardInputInterval(0);
        file.exec(QString("INSERT INTO COMPETIC (Codigo, Titulo, Tipo, \"Peso minimo\", \"Peso maximo\", "
                          "\"Puntos pieza\", \"Puntos gramo\") VALUES ('E1', 'Open de Tarsela', '%1', 300, 5000, 100, 1),"
                          " ('E2', 'Otra', 'E', 300, 5000, 100, 1)").arg(tipo()));
        file.exec("INSERT INTO JORNADAS (\"Cod comp\", Numero, Fecha) VALUES ('E1', 1, '2026-06-01'), ('E1', 2, "
                  "'2026-06-02'), ('E2', 1, '2026-06-01')");
        file.exec("INSERT INTO ESPECIES (Codigo, Nombre) VALUES (10, 'Dentón'), (20, 'Mero'), (30, 'Sargo')");
        seed();
        data = std::make_unique<Tdm>(file.dir());
        dm = data.get();
        bool day = false;
        ASSERT_TRUE(elegirCompeticion(*data, "E1", 1, &day));
        ASSERT_TRUE(day);
    }
    void TearDown() override
    {
        screen.reset();
        dm = nullptr;
        data.reset();
    }
    virtual QString tipo() const { return "E"; }
    virtual void seed()
    {
        file.exec("INSERT INTO PARTICIP (\"Cod comp\", Equipo, DNI, Nombre, Club) VALUES "
                  "('E1', 1, '11', 'Ana', 'Club Uno'), ('E1', 1, '12', 'Bea', 'Club Uno'), "
                  "('E1', 3, '31', 'Luis', 'Náutico'), ('E1', 5, '51', 'Marta', 'Sub Sur'), "
                  "('E2', 1, '91', 'Otro', 'Club')");
        file.exec("INSERT INTO PESCADA (\"Cod comp\", Jornada, Equipo, \"Pesada num\", \"Numero piezas\", \"Cod pez\", "
                  "Peso, \"Peso valido\") VALUES ('E2', 1, 1, 1, 1, 10, 999, 999), ('E1', 2, 1, 1, 1, 10, 888, 888)");
    }

    void open()
    {
        pesajeIniciado = false;
        screen = std::make_unique<TFpesaje2>(*data);
        ASSERT_TRUE(showActive(screen.get()));
    }
    template <class T>
    T* child(const char* name) const
    {
        T* w = screen->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    static void key(QWidget* w, int k, const QString& text = {}, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QKeyEvent press(QEvent::KeyPress, k, mods, text);
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, k, mods, text);
        QApplication::sendEvent(w, &release);
        QApplication::processEvents();
    }
    static void type(QWidget* w, const QString& text)
    {
        for (QChar c : text)
            key(w, c.isDigit() ? int(Qt::Key_0) + c.digitValue() : int(c.toUpper().unicode()), QString(c));
    }
    QWidget* focused() const { return QApplication::focusWidget(); }
    // Types a whole line from the keyboard: pieces, Enter, the species by its
    // first letters in the opened list, Enter, weight, Enter, [valid weight],
    // Enter, and Enter on "&Guardar".
    void weigh(const QString& piezas, const QString& especie, const QString& peso, const QString& valido = {})
    {
        enter(piezas, especie, peso, valido);
        ASSERT_EQ(focused(), child<QWidget>("BBGuardar"));
        key(focused(), Qt::Key_Return);
    }
    // The same line typed up to "&Guardar", which gets the focus, unpressed.
    void enter(const QString& piezas, const QString& especie, const QString& peso, const QString& valido = {})
    {
        auto* p = child<QLineEdit>("DBEPiezas");
        p->setFocus();
        key(p, Qt::Key_A, {}, Qt::ControlModifier);
        type(p, piezas);
        key(p, Qt::Key_Return);
        // Enter went on to the species, whose list opened.
        QWidget* popup = QApplication::activePopupWidget();
        ASSERT_NE(popup, nullptr) << "the species list opens";
        QWidget* owner = popup;
        while (owner && owner != child<QWidget>("DBLCBPez"))
            owner = owner->parentWidget();
        ASSERT_NE(owner, nullptr) << "the list is the species box's";
        QWidget* list = popup->findChild<QAbstractItemView*>();
        ASSERT_NE(list, nullptr);
        type(list, especie);
        key(list, Qt::Key_Return);
        ASSERT_EQ(focused(), child<QWidget>("DBEPeso"));
        type(focused(), peso);
        key(focused(), Qt::Key_Return);
        ASSERT_EQ(focused(), child<QWidget>("dbPesoValido"));
        if (!valido.isEmpty()) {
            key(focused(), Qt::Key_A, {}, Qt::ControlModifier);
            type(focused(), valido);
        }
        key(focused(), Qt::Key_Return);
    }
    QStringList gridRows() const
    {
        auto* g = child<widgets::DataGrid>("DBGrid1");
        QStringList rows;
        for (int r = 0; r < g->model()->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < g->model()->columnCount(); ++c)
                cells << g->cellText(r, c);
            rows << cells.join('|');
        }
        return rows;
    }
    qint64 scalar(const QString& sql) const { return file.scalar(sql); }
    QString label(const char* name) const { return child<QLabel>(name)->text(); }

    TempDatabase file;
    ScriptedDialogs dialogs;
    std::unique_ptr<Tdm> data;
    std::unique_ptr<TFpesaje2> screen;
};

TEST_F(WeighInTest, OpensOnTheFirstTeamReadyToWeigh)
{
    open();
    EXPECT_EQ(screen->windowTitle(), QString("Pesaje de Open de Tarsela"));
    EXPECT_TRUE(pesajeIniciado);
    auto* teams = child<QComboBox>("CBEquipos");
    ASSERT_EQ(teams->count(), 3);
    EXPECT_EQ(teams->itemText(0), QString("1. Club Uno. Ana"));
    EXPECT_EQ(teams->itemText(1), QString::fromUtf8("3. Náutico. Luis"));
    EXPECT_EQ(teams->currentIndex(), 0);
    EXPECT_EQ(screen->equipo(), 1);
    EXPECT_EQ(child<QPlainTextEdit>("Memo2")->toPlainText(), QString("Ana  (Club Uno)\nBea  (Club Uno)"));
    EXPECT_TRUE(gridRows().isEmpty()) << "no line of another day or competition";
    EXPECT_EQ(child<QLineEdit>("DBEPiezas")->text(), QString("1"));
    EXPECT_TRUE(child<QPushButton>("BBGuardar")->isEnabled());
    EXPECT_EQ(focused(), child<QWidget>("DBEPiezas"));
    EXPECT_EQ(child<QPushButton>("VerNoVer")->text(), QString::fromUtf8("Ver clasificación"));
    // Opening rewrote every team's record of the day.
    EXPECT_EQ(scalar("SELECT count(*) FROM CLASIFIC WHERE Competicion = 'E1' AND Jornada = 1"), 3);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('|').toStdString();
}

TEST_F(WeighInTest, WeighsLinesFromTheKeyboard)
{
    open();
    weigh("1", "M", "7000");   // one piece above the maximum: valid 5000
    EXPECT_EQ(gridRows(), QStringList{QString::fromUtf8("01|1|Mero|7.000|5.000|100|0|5.100")});
    EXPECT_EQ(scalar("SELECT \"Peso valido\" FROM PESCADA WHERE \"Cod comp\"='E1' AND Jornada=1 AND Equipo=1 "
                     "AND \"Pesada num\"=1"), 5000);
    // The species just saved is proposed; a new line of one piece is ready.
    EXPECT_EQ(child<widgets::DataLookupCombo>("DBLCBPez")->currentText(), QString("Mero"));
    EXPECT_EQ(child<QLineEdit>("DBEPiezas")->text(), QString("1"));
    EXPECT_EQ(focused(), child<QWidget>("DBEPiezas"));

    // Two pieces: never capped. 3.500 g a piece is more than three times the
    // 888 g Dentón of day 2, so the weight is asked about first.
    dialogs.answers = {mrYes};
    weigh("2", "D", "7000");
    EXPECT_EQ(dialogs.messages, QStringList{QString::fromUtf8("¿Es correcto un peso de 7.000 g para 2 piezas de Dentón?")});
    dialogs.messages.clear();
    weigh("1", "S", "2000", "1500");   // a valid weight typed by hand after the weight
    EXPECT_EQ(gridRows(), (QStringList{QString::fromUtf8("01|1|Mero|7.000|5.000|100|0|5.100"),
                                       QString::fromUtf8("02|2|Dentón|7.000|7.000|100|0|7.200"),
                                       QString::fromUtf8("03|1|Sargo|2.000|1.500|100|0|1.600")}));
    EXPECT_EQ(label("lnpuntos"), QString("13.900"));
    EXPECT_EQ(label("lTotal"), QString("13.900"));
    EXPECT_EQ(label("lPValidas"), QString("4"));
    // The record in the file is the scoring's.
    EXPECT_EQ(scalar("SELECT TotalPuntos FROM CLASIFIC WHERE Competicion='E1' AND Jornada=1 AND Equipo=1"), 13900);
    EXPECT_EQ(scalar("SELECT Presentadas FROM CLASIFIC WHERE Competicion='E1' AND Jornada=1 AND Equipo=1"), 4);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('|').toStdString();
}

TEST_F(WeighInTest, ATooLightLineIsWarnedOnceAndAnEmptySpeciesIsRefused)
{
    open();
    weigh("3", "M", "600");
    EXPECT_EQ(dialogs.messages, QStringList{QString::fromUtf8(
                                    "El peso mínimo de este pez es de 300gr\rpor lo que 3 piezas deberían pesar al menos 900gr")});
    EXPECT_EQ(scalar("SELECT count(*) FROM PESCADA WHERE \"Cod comp\"='E1' AND Jornada=1"), 1);
    dialogs.messages.clear();
    // A new team: no repetition of that line's warning.
    key(child<QPushButton>("BSiguiente"), Qt::Key_Space);
    child<QPushButton>("BSiguiente")->click();
    child<QPushButton>("BAnterior")->click();
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('|').toStdString();

    // The species list emptied: refused, nothing stored, the entry kept.
    screen->pesaje().TApes2.fieldByName("Cod pez").clear();
    child<QLineEdit>("DBEPeso")->setFocus();
    type(focused(), "900");
    child<QPushButton>("BBGuardar")->click();
    EXPECT_EQ(dialogs.messages, QStringList{"Falta la especie"});
    EXPECT_EQ(scalar("SELECT count(*) FROM PESCADA WHERE \"Cod comp\"='E1' AND Jornada=1"), 1);
    EXPECT_TRUE(screen->pesaje().TApes2.isEditing());
    EXPECT_EQ(child<QLineEdit>("DBEPeso")->text(), QString("900"));
}

// Another program holds the file's write lock while "&Guardar" is clicked:
// the reason is said, nothing is stored, the entry keeps what was typed,
// and once the file is free the same click stores the line once.
TEST_F(WeighInTest, ASaveOnAFileHeldElsewhereStoresNothingAndKeepsTheEntry)
{
    open();
    weigh("1", "M", "1000");
    const char* lines = "SELECT * FROM PESCADA ORDER BY \"Cod comp\", Jornada, Equipo, \"Pesada num\"";
    const char* record = "SELECT * FROM CLASIFIC WHERE Competicion = 'E1' AND Jornada = 1 AND Equipo = 1";
    const QStringList linesBefore = rowsOf(file.path(), lines);
    const QStringList recordBefore = rowsOf(file.path(), record);
    ASSERT_EQ(recordBefore.size(), 1);
    const QStringList gridBefore = gridRows();

    // The other program's write lock is waited for, then given up: a
    // fraction of a second here instead of the program's own wait.
    data->db.setBusyTimeout(200);
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(file.path().toUtf8().constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    enter("2", "D", "2400");
    auto* guardar = child<QPushButton>("BBGuardar");
    ASSERT_EQ(focused(), guardar);
    guardar->click();
    QApplication::processEvents();
    EXPECT_EQ(dialogs.messages,
              QStringList{QString::fromUtf8("Al guardar.\nLa base de datos está en uso por otro programa")});
    EXPECT_EQ(rowsOf(file.path(), lines), linesBefore);
    EXPECT_EQ(rowsOf(file.path(), record), recordBefore);
    EXPECT_EQ(gridRows(), gridBefore);
    EXPECT_EQ(label("lnpuntos"), QString("1.100"));
    // The entry is as typed, still being entered.
    EXPECT_EQ(screen->pesaje().TApes2.state(), engine::Dataset::State::Insert);
    EXPECT_EQ(child<QLineEdit>("DBEPiezas")->text(), QString("2"));
    EXPECT_EQ(child<widgets::DataLookupCombo>("DBLCBPez")->currentText(), QString::fromUtf8("Dentón"));
    EXPECT_EQ(child<QLineEdit>("DBEPeso")->text(), QString("2400"));
    EXPECT_EQ(child<QLineEdit>("dbPesoValido")->text(), QString("2400"));

    ASSERT_EQ(sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(other);
    dialogs.messages.clear();
    guardar->click();
    QApplication::processEvents();
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('|').toStdString();
    EXPECT_EQ(rowsOf(file.path(), lines).size(), linesBefore.size() + 1);
    EXPECT_EQ(scalar("SELECT count(*) FROM PESCADA WHERE \"Cod comp\"='E1' AND Jornada=1 AND Equipo=1 AND "
                     "\"Pesada num\"=2 AND \"Numero piezas\"=2 AND \"Cod pez\"=10 AND Peso=2400 AND \"Peso valido\"=2400"),
              1);
    EXPECT_EQ(gridRows(), (QStringList{QString::fromUtf8("01|1|Mero|1.000|1.000|100|0|1.100"),
                                       QString::fromUtf8("02|2|Dentón|2.400|2.400|100|0|2.600")}));
    EXPECT_EQ(scalar("SELECT TotalPuntos FROM CLASIFIC WHERE Competicion='E1' AND Jornada=1 AND Equipo=1"), 3700);
    EXPECT_EQ(scalar("SELECT Presentadas FROM CLASIFIC WHERE Competicion='E1' AND Jornada=1 AND Equipo=1"), 3);
}

// Pieces, weights and valid weights are from 0 up: a minus sign typed is
// refused at the key, a pasted negative number when the line is saved, and
// nothing of either is stored; 0 is a value like any other.
TEST_F(WeighInTest, TheEntryRefusesNegativePiecesAndWeights)
{
    open();
    enter("1", "M", "1000");
    const struct {
        const char* edit;
        const char* shown;
        const char* hint;
        const char* word;
    } cases[] = {
        {"DBEPiezas", "1", "Solo números enteros de 0 a 32767", "Número de piezas"},
        {"DBEPeso", "1000", "Solo números enteros de 0 a 2147483647", "Peso"},
        {"dbPesoValido", "1000", "Solo números enteros de 0 a 2147483647", "Peso válido"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.edit);
        auto* e = child<QLineEdit>(c.edit);
        e->setFocus();
        key(e, Qt::Key_A, {}, Qt::ControlModifier);
        type(e, "-5");
        EXPECT_EQ(e->text(), QString(c.shown));
        auto* hint = screen->findChild<QLabel*>("FieldHint");
        ASSERT_NE(hint, nullptr);
        EXPECT_FALSE(hint->isHidden());
        EXPECT_EQ(hint->text(), QString::fromUtf8(c.hint));
        key(e, Qt::Key_End);  // the user takes what stands
    }
    EXPECT_EQ(scalar("SELECT count(*) FROM PESCADA WHERE \"Cod comp\"='E1' AND Jornada=1"), 0);

    // Pasted whole, then refused on saving; the line is not stored.
    for (const auto& c : cases) {
        SCOPED_TRACE(c.edit);
        auto* e = child<QLineEdit>(c.edit);
        e->setFocus();
        e->selectAll();
        QApplication::clipboard()->setText("-5");
        key(e, Qt::Key_V, {}, Qt::ControlModifier);
        EXPECT_EQ(e->text(), QString("-5"));
        dialogs.errors.clear();
        dialogs.messages.clear();
        child<QPushButton>("BBGuardar")->click();
        QApplication::processEvents();
        EXPECT_EQ(dialogs.errors,
                  QStringList{QString::fromUtf8("El número escrito en «%1» está fuera del rango permitido.").arg(
                      QString::fromUtf8(c.word))});
        EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('|').toStdString();
        EXPECT_EQ(scalar("SELECT count(*) FROM PESCADA WHERE \"Cod comp\"='E1' AND Jornada=1"), 0);
        EXPECT_EQ(scalar("SELECT count(*) FROM PESCADA WHERE \"Numero piezas\" < 0 OR Peso < 0 OR \"Peso valido\" < 0"),
                  0);
        EXPECT_TRUE(screen->pesaje().TApes2.isEditing());
        EXPECT_EQ(e->text(), QString("-5"));
        e->setFocus();
        key(e, Qt::Key_A, {}, Qt::ControlModifier);
        type(e, c.shown);
    }

    // Zero pieces and zero grams are what the boxes take at least.
    dialogs.errors.clear();
    dialogs.messages.clear();
    auto* peso = child<QLineEdit>("DBEPeso");
    peso->setFocus();
    key(peso, Qt::Key_A, {}, Qt::ControlModifier);
    key(peso, Qt::Key_Delete);
    weigh("0", "S", "0");
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join('|').toStdString();
    // A line without pieces is refused before anything is stored, the entry
    // kept and the pieces box ready for the correction.
    EXPECT_EQ(dialogs.messages, QStringList{QString::fromUtf8("El número de piezas debe ser al menos 1")});
    EXPECT_EQ(scalar("SELECT count(*) FROM PESCADA WHERE \"Cod comp\"='E1' AND Jornada=1"), 0);
    EXPECT_EQ(scalar("SELECT count(*) FROM CLASIFIC WHERE Competicion='E1' AND Jornada=1 AND Equipo=1 AND "
                     "Presentadas <> 0"),
              0);
    EXPECT_TRUE(screen->pesaje().TApes2.isEditing());
    EXPECT_EQ(focused(), child<QWidget>("DBEPiezas"));
    dialogs.messages.clear();
    type(focused(), "1");
    child<QPushButton>("BBGuardar")->click();
    QApplication::processEvents();
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('|').toStdString();
    EXPECT_EQ(scalar("SELECT count(*) FROM PESCADA WHERE \"Cod comp\"='E1' AND Jornada=1 AND Equipo=1 AND "
                     "\"Numero piezas\"=1 AND \"Cod pez\"=30 AND Peso=0 AND \"Peso valido\"=0"),
              1);
}

TEST_F(WeighInTest, CorrectingALineKeepsItsNumber)
{
    open();
    weigh("1", "M", "1000");
    weigh("1", "D", "2000");
    auto* nav = child<DataNavigator>("DBNpescada");
    nav->click(DataNavigator::First);
    nav->click(DataNavigator::Edit);
    EXPECT_EQ(child<QLineEdit>("DBEPeso")->text(), QString("1.000").remove('.'));
    EXPECT_EQ(child<widgets::DataLookupCombo>("DBLCBPez")->currentText(), QString("Mero"));
    auto* peso = child<QLineEdit>("DBEPeso");
    peso->setFocus();
    key(peso, Qt::Key_A, {}, Qt::ControlModifier);
    type(peso, "1500");
    key(peso, Qt::Key_Return);
    key(focused(), Qt::Key_Return);
    key(focused(), Qt::Key_Return);
    EXPECT_EQ(gridRows(), (QStringList{QString::fromUtf8("01|1|Mero|1.500|1.500|100|0|1.600"),
                                       QString::fromUtf8("02|1|Dentón|2.000|2.000|100|0|2.100")}));
    EXPECT_EQ(scalar("SELECT count(*) FROM PESCADA WHERE \"Cod comp\"='E1' AND Jornada=1"), 2);
    EXPECT_EQ(scalar("SELECT TotalPuntos FROM CLASIFIC WHERE Competicion='E1' AND Jornada=1 AND Equipo=1"), 3700);
}

TEST_F(WeighInTest, DeletingALineAsksThenRenumbers)
{
    open();
    weigh("1", "M", "1000");
    weigh("1", "D", "2000");
    weigh("1", "S", "3000");
    auto* nav = child<DataNavigator>("DBNpescada");
    nav->click(DataNavigator::First);
    nav->click(DataNavigator::Next);
    dialogs.answers = {mrNo};
    nav->click(DataNavigator::Delete);
    EXPECT_EQ(dialogs.messages.last(), QString::fromUtf8("Borrar pesada nº 2"));
    EXPECT_EQ(gridRows().size(), 3);
    dialogs.answers = {mrYes};
    nav->click(DataNavigator::Delete);
    EXPECT_EQ(gridRows(), (QStringList{QString::fromUtf8("01|1|Mero|1.000|1.000|100|0|1.100"),
                                       QString::fromUtf8("02|1|Sargo|3.000|3.000|100|0|3.100")}));
    EXPECT_EQ(scalar("SELECT TotalPuntos FROM CLASIFIC WHERE Competicion='E1' AND Jornada=1 AND Equipo=1"), 4200);
    // Ctrl+Delete in the grid: the toolkit's question, then the weigh-in's.
    auto* grid = child<widgets::DataGrid>("DBGrid1");
    grid->setFocus();
    screen->lineas().first();
    dialogs.confirmations = {true};
    dialogs.answers = {mrYes};
    key(grid, Qt::Key_Delete, {}, Qt::ControlModifier);
    EXPECT_EQ(gridRows(), QStringList{QString::fromUtf8("01|1|Sargo|3.000|3.000|100|0|3.100")});
    // The next line gets number 2; other days and competitions kept theirs.
    weigh("1", "M", "1000");
    EXPECT_EQ(scalar("SELECT max(\"Pesada num\") FROM PESCADA WHERE \"Cod comp\"='E1' AND Jornada=1"), 2);
    EXPECT_EQ(scalar("SELECT count(*) FROM PESCADA WHERE \"Cod comp\"='E2' OR Jornada=2"), 2);
}

// The grid shows on the screen the lines of the team shown, whatever the
// grid showed before: moved from team to team with more, fewer or as many
// lines, after a save, a correction and a deletion. What is on the screen
// (on X, what was really repainted) is what the grid drawn afresh shows.
TEST_F(WeighInTest, TheGridOnTheScreenIsTheTeamShown)
{
    auto lines = [&](int team, int count) {
        for (int n = 1; n <= count; ++n)
            file.exec(QString("INSERT INTO PESCADA (\"Cod comp\", Jornada, Equipo, \"Pesada num\", \"Numero piezas\","
                              " \"Cod pez\", Peso, \"Peso valido\") VALUES ('E1', 1, %1, %2, 1, %3, %4, %4)")
                          .arg(team)
                          .arg(n)
                          .arg(10 * (1 + (team + n) % 3))
                          .arg(team * 1000 + n * 11));
    };
    lines(1, 7);
    lines(3, 3);
    lines(5, 7);
    open();
    auto* grid = child<widgets::DataGrid>("DBGrid1");
    ASSERT_EQ(gridRows().size(), 7);
    EXPECT_TRUE(showsWhatAFreshPaintShows(grid)) << "al abrir";
    const struct {
        const char* button;
        int team;
        int rows;
    } moves[] = {{"BSiguiente", 3, 3}, {"BSiguiente", 5, 7}, {"BAnterior", 3, 3}, {"BAnterior", 1, 7}, {"BSiguiente", 3, 3}};
    for (const auto& m : moves) {
        child<QPushButton>(m.button)->click();
        ASSERT_EQ(screen->equipo(), m.team);
        EXPECT_EQ(gridRows().size(), m.rows);
        EXPECT_TRUE(showsWhatAFreshPaintShows(grid)) << "equipo " << m.team;
    }
    weigh("1", "M", "1234");
    EXPECT_TRUE(showsWhatAFreshPaintShows(grid)) << "guardada";
    auto* nav = child<DataNavigator>("DBNpescada");
    nav->click(DataNavigator::First);
    nav->click(DataNavigator::Edit);
    auto* peso = child<QLineEdit>("DBEPeso");
    peso->setFocus();
    key(peso, Qt::Key_A, {}, Qt::ControlModifier);
    type(peso, "999");
    key(peso, Qt::Key_Return);
    key(focused(), Qt::Key_Return);
    key(focused(), Qt::Key_Return);
    EXPECT_TRUE(gridRows().first().contains("|999|")) << gridRows().first().toStdString();
    EXPECT_TRUE(showsWhatAFreshPaintShows(grid)) << "corregida";
    nav->click(DataNavigator::First);
    dialogs.answers = {mrYes};
    nav->click(DataNavigator::Delete);
    EXPECT_EQ(gridRows().size(), 3);
    EXPECT_TRUE(showsWhatAFreshPaintShows(grid)) << "borrada";
    child<QPushButton>("BSiguiente")->click();
    EXPECT_TRUE(showsWhatAFreshPaintShows(grid)) << "equipo 5 de nuevo";
}

// Another program (here tarsela-cli, soon another station) deletes or
// renumbers the team's lines while one is open for correction, or while the
// grid shows what it read before: the correction, the deletion and the
// opening for correction are refused with the sentence, nothing is stored,
// and the grid shows what the file holds.
TEST_F(WeighInTest, ALineThatChangedElsewhereIsNeitherCorrectedNorDeleted)
{
    const QString changed = QString::fromUtf8("La pesada ha cambiado desde que se abrió: se muestran las pesadas actuales");
    const char* lines = "SELECT * FROM PESCADA ORDER BY rowid";
    auto otherProgramDeletes = [&](int pesada) {
        const CliRun r = cli({"borrar-pesada", file.path(), "E1", "1", "1", QString::number(pesada)});
        ASSERT_EQ(r.code, 0) << r.err.toStdString();
    };
    open();
    weigh("1", "M", "1000");
    weigh("1", "D", "2000");
    weigh("1", "S", "3000");
    weigh("1", "M", "1200");
    auto* nav = child<DataNavigator>("DBNpescada");

    // 1. Line 3 open for correction; line 1 deleted elsewhere, 3 becomes 2.
    nav->click(DataNavigator::First);
    nav->click(DataNavigator::Next);
    nav->click(DataNavigator::Next);
    nav->click(DataNavigator::Edit);
    ASSERT_EQ(screen->pesaje().TApes2.state(), engine::Dataset::State::Edit);
    auto* peso = child<QLineEdit>("DBEPeso");
    peso->setFocus();
    key(peso, Qt::Key_A, {}, Qt::ControlModifier);
    type(peso, "3500");
    key(peso, Qt::Key_Return);
    otherProgramDeletes(1);
    QStringList before = rowsOf(file.path(), lines);
    dialogs.messages.clear();
    child<QPushButton>("BBGuardar")->click();
    QApplication::processEvents();
    EXPECT_EQ(dialogs.messages, QStringList{changed});
    EXPECT_EQ(rowsOf(file.path(), lines), before) << "nothing stored";
    EXPECT_EQ(scalar("SELECT max(\"Pesada num\") - count(*) FROM PESCADA WHERE \"Cod comp\"='E1' AND Jornada=1"), 0);
    EXPECT_EQ(gridRows(), (QStringList{QString::fromUtf8("01|1|Dentón|2.000|2.000|100|0|2.100"),
                                       QString::fromUtf8("02|1|Sargo|3.000|3.000|100|0|3.100"),
                                       QString::fromUtf8("03|1|Mero|1.200|1.200|100|0|1.300")}));
    EXPECT_EQ(label("lnpuntos"), QString("6.500"));
    EXPECT_EQ(screen->pesaje().TApes2.state(), engine::Dataset::State::Insert) << "a new line is ready";

    // 2. The grid on line 3 (Mero 1.200); line 1 deleted elsewhere, then
    // "Borrar" on what the grid still shows.
    nav->click(DataNavigator::Last);
    otherProgramDeletes(1);
    before = rowsOf(file.path(), lines);
    dialogs.messages.clear();
    dialogs.answers = {mrYes};
    nav->click(DataNavigator::Delete);
    EXPECT_EQ(dialogs.messages, (QStringList{QString::fromUtf8("Borrar pesada nº 3"), changed}));
    EXPECT_EQ(rowsOf(file.path(), lines), before) << "nothing deleted";
    EXPECT_EQ(gridRows(), (QStringList{QString::fromUtf8("01|1|Sargo|3.000|3.000|100|0|3.100"),
                                       QString::fromUtf8("02|1|Mero|1.200|1.200|100|0|1.300")}));

    // 3. The grid on line 2; it changes elsewhere before "Modificar".
    nav->click(DataNavigator::Last);
    execOn(file.path(), "UPDATE PESCADA SET Peso = 1250 WHERE \"Cod comp\"='E1' AND Jornada=1 AND \"Pesada num\"=2");
    dialogs.messages.clear();
    nav->click(DataNavigator::Edit);
    EXPECT_EQ(dialogs.messages, QStringList{changed});
    EXPECT_EQ(screen->pesaje().TApes2.state(), engine::Dataset::State::Insert) << "not opened for correction";
    EXPECT_EQ(gridRows(), (QStringList{QString::fromUtf8("01|1|Sargo|3.000|3.000|100|0|3.100"),
                                       QString::fromUtf8("02|1|Mero|1.250|1.200|100|0|1.300")}));
}

// Typed text that starts no species picks none and says so beside the box;
// Enter then closes the list with nothing picked. Escape closes the open
// list, which stays closed, and the screen stays open.
TEST_F(WeighInTest, TheSpeciesBoxPicksNothingForANameItLacks)
{
    file.exec("INSERT INTO ESPECIES (Codigo, Nombre) VALUES (40, 'Pargo')");
    QApplication::setKeyboardInputInterval(60000);  // the letters of "Pul" add up
    open();
    auto* species = child<widgets::DataLookupCombo>("DBLCBPez");
    auto openList = [&]() -> QAbstractItemView* {
        auto* p = child<QLineEdit>("DBEPiezas");
        p->setFocus();
        key(p, Qt::Key_Return);
        QWidget* popup = QApplication::activePopupWidget();
        EXPECT_NE(popup, nullptr) << "the species list opens";
        return popup ? popup->findChild<QAbstractItemView*>() : nullptr;
    };
    auto hint = [&]() {
        auto* l = screen->findChild<QLabel*>("FieldHint");
        return l && !l->isHidden() ? l->text() : QString();
    };
    // Mero proposed by the last save.
    weigh("1", "M", "1000");
    QAbstractItemView* list = openList();
    ASSERT_NE(list, nullptr);
    type(list, "Pul");
    EXPECT_FALSE(list->currentIndex().isValid()) << "Pargo is not marked";
    EXPECT_TRUE(screen->pesaje().TApes2.fieldByName("Cod pez").isNull()) << "nothing in place of Pulpo";
    EXPECT_EQ(hint(), QString::fromUtf8("Ninguna especie empieza por «Pul»"));
    key(list, Qt::Key_Return);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_EQ(focused(), species);
    EXPECT_EQ(species->currentIndex(), -1);
    EXPECT_TRUE(screen->pesaje().TApes2.fieldByName("Cod pez").isNull());
    // Saving it is refused: no species.
    child<QPushButton>("BBGuardar")->click();
    EXPECT_EQ(dialogs.messages, QStringList{"Falta la especie"});
    EXPECT_EQ(scalar("SELECT count(*) FROM PESCADA WHERE \"Cod comp\"='E1' AND Jornada=1"), 1);

    // A name that is there, typed whole in the open list.
    list = openList();
    ASSERT_NE(list, nullptr);
    type(list, "Par");
    EXPECT_EQ(hint(), QString());
    key(list, Qt::Key_Return);
    EXPECT_EQ(species->currentText(), QString("Pargo"));
    EXPECT_EQ(focused(), child<QWidget>("DBEPeso"));

    // Escape closes the open list; it stays closed, the screen stays open.
    list = openList();
    ASSERT_NE(list, nullptr);
    key(list, Qt::Key_Escape);
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_TRUE(screen->isVisible());
    EXPECT_EQ(focused(), species);
    EXPECT_EQ(species->currentText(), QString("Pargo"));
}

// "1,5" typed into a whole-number box stops at "1" with the hint; saving
// says the box takes whole numbers only (a whole number out of range is
// still "fuera del rango").
TEST_F(WeighInTest, ADecimalInAWholeNumberBoxIsCalledSo)
{
    open();
    enter("1", "M", "1000");
    auto* piezas = child<QLineEdit>("DBEPiezas");
    piezas->setFocus();
    key(piezas, Qt::Key_A, {}, Qt::ControlModifier);
    type(piezas, "1,5");
    EXPECT_EQ(piezas->text(), QString("1"));
    child<QPushButton>("BBGuardar")->click();
    QApplication::processEvents();
    EXPECT_EQ(dialogs.errors, QStringList{QString::fromUtf8("«Número de piezas» solo admite números enteros.")});
    EXPECT_EQ(scalar("SELECT count(*) FROM PESCADA WHERE \"Cod comp\"='E1' AND Jornada=1"), 0);
    EXPECT_TRUE(screen->pesaje().TApes2.isEditing());
}

// An extra zero is asked about before the line is saved, No the default:
// above three times the competition's maximum (5.000 g) or three times the
// heaviest single piece of the species so far.
TEST_F(WeighInTest, ALikelyTypingSlipIsAskedAboutBeforeSaving)
{
    open();
    const char* count = "SELECT count(*) FROM PESCADA WHERE \"Cod comp\"='E1' AND Jornada=1";
    dialogs.answers = {mrNo};
    weigh("1", "S", "18500");
    EXPECT_EQ(dialogs.messages, QStringList{QString::fromUtf8("¿Es correcto un peso de 18.500 g para Sargo?")});
    EXPECT_EQ(scalar(count), 0);
    EXPECT_TRUE(screen->pesaje().TApes2.isEditing());
    EXPECT_EQ(focused(), child<QWidget>("DBEPeso"));
    EXPECT_EQ(child<QLineEdit>("DBEPeso")->text(), QString("18500"));
    // Corrected, it is saved without a question.
    dialogs.messages.clear();
    auto* peso = child<QLineEdit>("DBEPeso");
    key(peso, Qt::Key_A, {}, Qt::ControlModifier);
    type(peso, "1850");
    key(peso, Qt::Key_Return);
    key(focused(), Qt::Key_Return);
    key(focused(), Qt::Key_Return);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('|').toStdString();
    EXPECT_EQ(scalar(count), 1);
    // 5.600 g of Sargo: above three times the 1.850 g Sargo; Sí saves it.
    dialogs.answers = {mrYes};
    weigh("1", "S", "5600");
    EXPECT_EQ(dialogs.messages, QStringList{QString::fromUtf8("¿Es correcto un peso de 5.600 g para Sargo?")});
    EXPECT_EQ(scalar(count), 2);
    // The question's own buttons: Sí and No, No the default.
    dialogs.messages.clear();
    ASSERT_FALSE(dialogs.buttons.isEmpty());
    EXPECT_EQ(dialogs.buttons.last(), unsigned(mbYes | mbNo | mbKeepDefault));
}

TEST_F(WeighInTest, SwitchingTeams)
{
    open();
    auto* next = child<QPushButton>("BSiguiente");
    auto* prev = child<QPushButton>("BAnterior");
    prev->click();   // at the start: nothing
    EXPECT_EQ(screen->equipo(), 1);
    next->click();
    EXPECT_EQ(screen->equipo(), 3);
    EXPECT_EQ(child<QPlainTextEdit>("Memo2")->toPlainText(), QString::fromUtf8("Luis  (Náutico)"));
    weigh("1", "M", "1000");
    EXPECT_EQ(scalar("SELECT count(*) FROM PESCADA WHERE \"Cod comp\"='E1' AND Equipo=3"), 1);
    next->click();
    next->click();   // at the end: nothing
    EXPECT_EQ(screen->equipo(), 5);
    EXPECT_TRUE(gridRows().isEmpty());
    // The list: choosing team 3 again shows its line.
    auto* teams = child<QComboBox>("CBEquipos");
    teams->setFocus();
    key(teams, Qt::Key_Up);
    EXPECT_EQ(screen->equipo(), 3);
    EXPECT_EQ(gridRows().size(), 1);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('|').toStdString();
}

// Each item of the team list carries its team's number; choosing an item
// reads that number, whatever its text says.
TEST_F(WeighInTest, ChoosingATeamReadsTheNumberItsItemCarries)
{
    open();
    auto* teams = child<QComboBox>("CBEquipos");
    ASSERT_EQ(teams->count(), 3);
    for (int i = 0; i < teams->count(); ++i)
        EXPECT_EQ(teams->itemData(i).toInt(), (QList<int>{1, 3, 5}[i])) << i;
    // A text that names no number, or another team's.
    teams->setItemText(1, QString::fromUtf8("Náutico. Luis"));
    teams->setItemText(2, QString::fromUtf8("3. Sub Sur. Marta"));
    teams->setFocus();
    key(teams, Qt::Key_Down);
    EXPECT_EQ(screen->equipo(), 3);
    EXPECT_EQ(child<QPlainTextEdit>("Memo2")->toPlainText(), QString::fromUtf8("Luis  (Náutico)"));
    key(teams, Qt::Key_Down);
    EXPECT_EQ(screen->equipo(), 5);
    EXPECT_EQ(teams->currentIndex(), 2);
    // The arrows move the list and the team with it.
    child<QPushButton>("BAnterior")->click();
    EXPECT_EQ(screen->equipo(), 3);
    EXPECT_EQ(teams->currentIndex(), 1);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('|').toStdString();
}

TEST_F(WeighInTest, TheRankingWindowFollowsEverySave)
{
    open();
    auto* toggle = child<QPushButton>("VerNoVer");
    toggle->click();
    Tfclasificacion* w = screen->clasificacion();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    // The window shows without taking the keyboard; the offscreen platform
    // activates every new window all the same, so give it back here.
    screen->activateWindow();
    QApplication::processEvents();
    EXPECT_EQ(toggle->text(), QString("Ocultar"));
    EXPECT_EQ(w->windowTitle(), QString("Open de Tarsela - Jornada: 01/06/2026"));
    EXPECT_EQ(w->LEquipo->text(), QString("Ana  (Club Uno)   "));
    EXPECT_EQ(w->rowCount(), 5);
    EXPECT_EQ(w->cellText(1, 0), QString::fromUtf8("1º"));
    EXPECT_EQ(w->cellText(1, 1), QString("1"));   // all at 0: the lower team first
    EXPECT_EQ(w->cellText(2, 6), QString());      // no share of a leader at 0

    weigh("1", "M", "1000");
    EXPECT_EQ(w->LPesada->text(), QString("Pesada : Mero  1000gr"));
    EXPECT_EQ(w->cellText(1, 2), QString(" Ana\r\n Bea\r\n"));
    EXPECT_EQ(w->cellText(1, 5), QString("1.100"));
    EXPECT_EQ(w->cellText(1, 6), QString("100,00"));
    EXPECT_EQ(w->cellText(2, 6), QString("0,00"));
    child<QPushButton>("BSiguiente")->click();
    EXPECT_EQ(w->LEquipo->text(), QString::fromUtf8("Luis  (Náutico)"));
    EXPECT_EQ(w->LPesada->text(), QString());
    weigh("1", "M", "2000");
    EXPECT_EQ(w->cellText(1, 1), QString("3"));
    EXPECT_EQ(w->cellText(2, 6), QString("52,38"));

    // "&Salir" hides it; the weigh-in's next activation keeps the caption in step.
    w->findChild<QPushButton*>("BSalir")->click();
    EXPECT_FALSE(w->isVisible());
    QEvent deactivate(QEvent::WindowDeactivate), activate(QEvent::WindowActivate);
    QApplication::sendEvent(screen.get(), &deactivate);
    QApplication::sendEvent(screen.get(), &activate);
    EXPECT_EQ(toggle->text(), QString::fromUtf8("Ver clasificación"));
    toggle->click();
    EXPECT_TRUE(w->isVisible());
    toggle->click();
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(toggle->text(), QString::fromUtf8("Ver clasificación"));
}

TEST_F(WeighInTest, PrintsTheSheetOfTheTeamShown)
{
    open();
    weigh("1", "M", "1000");
    auto* print = child<QPushButton>("bbImprimir");
    print->click();   // Cancel in the print dialog: nothing printed
    EXPECT_EQ(dialogs.printRequests, 1);
    const QString pdf = file.dir() + "/actilla.pdf";
    dialogs.printer = [&] { return std::make_unique<PdfDevice>(pdf); };
    print->click();
    EXPECT_EQ(dialogs.printRequests, 2);
    QFile f(pdf);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.read(5).startsWith("%PDF-"));
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join('|').toStdString();
}

TEST(WeighInEmpty, ACompetitionWithoutParticipantsOffersNothingToDelete)
{
    TempDatabase file;
    file.exec("INSERT INTO COMPETIC (Codigo, Titulo, Tipo) VALUES ('V', 'Vacía', 'E'), ('W', 'Otra', 'E')");
    file.exec("INSERT INTO JORNADAS (\"Cod comp\", Numero, Fecha) VALUES ('V', 1, '2026-06-01'), ('W', 1, '2026-06-01')");
    file.exec("INSERT INTO PARTICIP (\"Cod comp\", Equipo, DNI, Nombre) VALUES ('W', 1, '1', 'Ana')");
    file.exec("INSERT INTO PESCADA (\"Cod comp\", Jornada, Equipo, \"Pesada num\", \"Numero piezas\", \"Cod pez\", "
              "Peso, \"Peso valido\") VALUES ('W', 1, 1, 1, 1, 10, 999, 999)");
    ScriptedDialogs dialogs;
    auto data = std::make_unique<Tdm>(file.dir());
    dm = data.get();
    ASSERT_TRUE(elegirCompeticion(*data, "V", 1));
    pesajeIniciado = false;
    {
        TFpesaje2 screen(*data);
        EXPECT_EQ(dialogs.notices, QStringList{"No hay participantes"});
        screen.show();
        QApplication::processEvents();
        EXPECT_EQ(dialogs.messages, QStringList{"No hay participantes en esta prueba"});
        EXPECT_FALSE(pesajeIniciado);
        auto* nav = screen.findChild<DataNavigator*>("DBNpescada");
        dialogs.answers = {mrYes};
        nav->click(DataNavigator::Delete);
        EXPECT_EQ(screen.findChild<widgets::DataGrid*>("DBGrid1")->model()->rowCount(), 0);
        EXPECT_FALSE(screen.findChild<QPushButton*>("BBGuardar")->isEnabled());
        // Activated again: it tries again.
        QEvent deactivate(QEvent::WindowDeactivate), activate(QEvent::WindowActivate);
        QApplication::sendEvent(&screen, &deactivate);
        QApplication::sendEvent(&screen, &activate);
        EXPECT_EQ(dialogs.messages.size(), 2);
    }
    EXPECT_EQ(file.scalar("SELECT count(*) FROM PESCADA"), 1);
    dm = nullptr;
}

}  // namespace
