#include "ScreenFixture.h"

#include "app/TfMain.h"
#include "setup/TFPeces.h"
#include "setup/TfPescadores.h"
#include "widgets/DataGrid.h"
#include "widgets/DataNavigator.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QLabel>
#include <QPushButton>

#include <functional>
#include <string>

using engine::Dataset;
using widgets::DataNavigator;

namespace {

class RegistersTest : public ScreenTest {
protected:
    // Rules, quotas and catches that name species 2 (Dentón) in A1.
    void seed() override
    {
        file.exec("INSERT INTO ESPECIAL (\"Cod comp\", \"Cod pez\", Puntua) VALUES ('A1', 2, 1)");
        file.exec("INSERT INTO CUPOS (Cod_comp, Cod_Especie, EjemplaresCupo, Puntos) VALUES ('A1', 2, 3, 100)");
        file.exec("INSERT INTO PESCADA (\"Cod comp\", Jornada, Equipo, \"Pesada num\", \"Numero piezas\", \"Cod pez\","
                  " Peso) VALUES ('A1', 1, 1, 1, 1, 2, 900)");
    }
    template <class Screen>
    int run(Screen& s, const std::function<void()>& steps)
    {
        auto seen = ModalAnswer::onNext([&s, steps](QWidget* w) {
            EXPECT_EQ(w, &s);
            steps();
            if (s.isVisible())
                s.reject();
        });
        const int r = s.exec();
        EXPECT_TRUE(seen->seen);
        return r;
    }
    qint64 fishermen(const QString& where) const
    {
        return file.scalar("SELECT count(*) FROM PESCADORES WHERE " + where);
    }
};

const QList<DataNavigator::Button> kButtons = {DataNavigator::First, DataNavigator::Prior, DataNavigator::Next,
                                               DataNavigator::Last,  DataNavigator::Insert, DataNavigator::Delete,
                                               DataNavigator::Edit,  DataNavigator::Post,   DataNavigator::Cancel};

void expectNavigator(DataNavigator* nav, const QStringList& hints)
{
    for (int i = 0; i < kButtons.size(); ++i) {
        EXPECT_TRUE(nav->isShown(kButtons[i]));
        EXPECT_EQ(nav->button(kButtons[i])->toolTip(), hints[i]);
    }
    EXPECT_FALSE(nav->isShown(DataNavigator::Refresh));
    EXPECT_TRUE(nav->confirmDelete());
}

TEST_F(RegistersTest, SpeciesScreenShowsItsRegisterByNameAndClosesItsTable)
{
    TFPeces f(*data);
    EXPECT_EQ(f.windowTitle(), QString("Peces"));
    EXPECT_EQ(f.minimumSize(), f.maximumSize());  // fixed size
    EXPECT_FALSE(f.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(f.Speces.autoEdit);
    EXPECT_EQ(f.BBTerminar->text(), QString("Terminar"));
    // The hints name the keys of the commands; Esc leaves the register
    // (asking first about a row being edited), so it names no cancel.
    expectNavigator(f.DBNPeces, {"Primero", "Anterior", "Siguiente", QString::fromUtf8("Último"), "Nuevo (Ins)",
                                 "Borrar (Ctrl+Supr)", "Modificar (F2)", "Guardar (Intro)",
                                 QString::fromUtf8("Cancelar edición")});
    EXPECT_FALSE(f.TApeces.active());
    const int r = run(f, [&] {
        ASSERT_TRUE(f.TApeces.active());
        auto* m = f.DBGPeces->model();
        ASSERT_EQ(m->columnCount(), 2);
        EXPECT_EQ(m->headerData(0, Qt::Horizontal).toString(), QString("Nombre"));
        EXPECT_EQ(m->headerData(1, Qt::Horizontal).toString(), QString("Otros nombres"));
        ASSERT_EQ(m->rowCount(), 3);
        // By name, letter case and accents as a Spanish reader expects.
        EXPECT_EQ(f.DBGPeces->cellText(0, 0), QString::fromUtf8("Dentón"));
        EXPECT_EQ(f.DBGPeces->cellText(1, 0), QString("Mero"));
        EXPECT_EQ(f.DBGPeces->cellText(2, 0), QString("Sargo"));
        f.BBTerminar->click();
    });
    EXPECT_EQ(r, QDialog::Accepted);
    EXPECT_FALSE(f.TApeces.active());
}

TEST_F(RegistersTest, SpeciesAreAddedAndEditedThroughTheNavigatorOnly)
{
    TFPeces f(*data);
    run(f, [&] {
        widgets::DataGrid* g = f.DBGPeces;
        // Typing alone does not start editing.
        typeInCell(g, 1, 0, "Cambio");
        EXPECT_EQ(f.TApeces.state(), Dataset::State::Browse);

        f.DBNPeces->click(DataNavigator::Insert);
        ASSERT_EQ(f.TApeces.state(), Dataset::State::Insert);
        const int row = g->datasetModel()->currentModelRow();
        EXPECT_EQ(typeInCell(g, row, 0, "Pargo"), QString("Pargo"));
        typeInCell(g, row, 1, "Pagrus pagrus");
        f.DBNPeces->click(DataNavigator::Post);
        EXPECT_EQ(f.TApeces.state(), Dataset::State::Browse);

        // Mero (now row 1 of Dentón, Mero, Pargo, Sargo) edited.
        f.TApeces.moveTo(1);
        f.DBNPeces->click(DataNavigator::Edit);
        ASSERT_EQ(f.TApeces.state(), Dataset::State::Edit);
        typeInCell(g, 1, 1, "Epinephelus marginatus");
        f.DBNPeces->click(DataNavigator::Post);
        // A name longer than the field stops at its 20 characters.
        f.DBNPeces->click(DataNavigator::Edit);
        EXPECT_EQ(typeInCell(g, f.TApeces.currentRow(), 0, "Sargo picudo del Mediterráneo"),
                  QString("Sargo picudo del Med"));
        // ... and says so next to the cell.
        auto* hint = f.findChild<QLabel*>("FieldHint");
        ASSERT_NE(hint, nullptr);
        EXPECT_EQ(hint->text(), QString("Como máximo 20 caracteres"));
        f.DBNPeces->click(DataNavigator::Cancel);
        f.BBTerminar->click();
    });
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join("\n").toStdString();
    EXPECT_EQ(file.scalar("SELECT count(*) FROM ESPECIES WHERE Nombre = 'Pargo' AND \"Otros nombres\" = 'Pagrus pagrus'"
                          " AND Codigo > 3"),
              1);
    EXPECT_EQ(file.scalar("SELECT count(*) FROM ESPECIES WHERE Codigo = 1 AND \"Otros nombres\" = 'Epinephelus marginatus'"),
              1);
    EXPECT_EQ(file.scalar("SELECT count(*) FROM ESPECIES"), 4);
}

// After "Nuevo" typing goes into the name, whichever column was current.
TEST_F(RegistersTest, ANewSpeciesIsTypedFromItsName)
{
    TFPeces f(*data);
    run(f, [&] {
        widgets::DataGrid* g = f.DBGPeces;
        g->setFocus();
        g->setCurrentIndex(g->model()->index(1, 1));  // the other names of Mero
        key(g, Qt::Key_Insert);
        ASSERT_EQ(f.TApeces.state(), Dataset::State::Insert);
        EXPECT_EQ(g->currentIndex().column(), 0);
        type(g, "P");
        QLineEdit* editor = nullptr;
        for (QLineEdit* e : g->viewport()->findChildren<QLineEdit*>())
            if (e->isVisible())
                editor = e;
        ASSERT_NE(editor, nullptr);
        type(editor, "ulpo");
        key(editor, Qt::Key_Return);
        f.DBNPeces->click(DataNavigator::Post);
        f.BBTerminar->click();
    });
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join("\n").toStdString();
    EXPECT_EQ(file.scalar("SELECT count(*) FROM ESPECIES WHERE Nombre = 'Pulpo' AND \"Otros nombres\" IS NULL"), 1);
}

// Leaving the register with a row being edited, by "Terminar", Esc or the
// window's close button, asks "¿Guardar los cambios?": Sí saves it and
// leaves, No gives it up and leaves, Cancelar stays with the row as typed.
TEST_F(RegistersTest, LeavingWithARowBeingEditedAsksFirst)
{
    const QString question = QString::fromUtf8("¿Guardar los cambios?");
    const struct {
        const char* how;
        std::function<void(TFPeces&)> leave;
    } ways[] = {
        {"Terminar", [](TFPeces& f) { f.BBTerminar->click(); }},
        {"Esc",
         [](TFPeces& f) {
             f.DBGPeces->setFocus();
             key(f.DBGPeces, Qt::Key_Escape);
         }},
        {"close button", [](TFPeces& f) { f.close(); }},
    };
    for (const auto& w : ways) {
        for (const int answer : {int(mrCancel), int(mrNo), int(mrYes)}) {
            SCOPED_TRACE(std::string(w.how) + " " + std::to_string(answer));
            file.exec("DELETE FROM ESPECIES WHERE Nombre = 'Pulpo'");
            dialogs.messages.clear();
            dialogs.buttons.clear();
            TFPeces f(*data);
            bool visibleAfter = false;
            Dataset::State stateAfter = Dataset::State::Inactive;
            run(f, [&] {
                f.DBNPeces->click(DataNavigator::Insert);
                const int row = f.DBGPeces->datasetModel()->currentModelRow();
                typeInCell(f.DBGPeces, row, 0, "Pulpo");
                ASSERT_EQ(f.TApeces.state(), Dataset::State::Insert);
                dialogs.answers = {answer};
                w.leave(f);
                QApplication::processEvents();
                visibleAfter = f.isVisible();
                stateAfter = f.TApeces.state();
                if (f.isVisible()) {
                    f.DBNPeces->click(DataNavigator::Cancel);
                    f.BBTerminar->click();
                }
            });
            EXPECT_EQ(dialogs.messages.value(0), question);
            EXPECT_EQ(dialogs.buttons.value(0), unsigned(mbYes | mbNo | mbCancel));
            EXPECT_EQ(visibleAfter, answer == mrCancel);
            if (answer == mrCancel) {
                EXPECT_EQ(stateAfter, Dataset::State::Insert) << "the row as typed";
            }
            EXPECT_EQ(file.scalar("SELECT count(*) FROM ESPECIES WHERE Nombre = 'Pulpo'"), answer == mrYes ? 1 : 0);
        }
    }
    // With nothing being edited it leaves without a question.
    dialogs.messages.clear();
    TFPeces f(*data);
    run(f, [&] { f.BBTerminar->click(); });
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('|').toStdString();
}

TEST_F(RegistersTest, ARenamedSpeciesShowsItsNewNameInRulesCatchesAndQuotas)
{
    dm->TApescada.open();
    dm->TACupos.open();
    ASSERT_EQ(dm->TAespecial.fieldByName("npez").asString(), QString::fromUtf8("Dentón"));
    ASSERT_EQ(dm->TApescada.fieldByName("pez").asString(), QString::fromUtf8("Dentón"));
    ASSERT_EQ(dm->TACupos.fieldByName("nPez").asString(), QString::fromUtf8("Dentón"));
    TFPeces f(*data);
    run(f, [&] {
        f.TApeces.moveTo(0);  // Dentón
        f.DBNPeces->click(DataNavigator::Edit);
        typeInCell(f.DBGPeces, 0, 0, "Dentón común");
        f.DBNPeces->click(DataNavigator::Post);
        f.BBTerminar->click();
    });
    EXPECT_EQ(file.scalar("SELECT count(*) FROM ESPECIES WHERE Codigo = 2 AND Nombre = 'Dentón común'"), 1);
    EXPECT_EQ(dm->TAespecial.fieldByName("npez").asString(), QString::fromUtf8("Dentón común"));
    EXPECT_EQ(dm->TApescada.fieldByName("pez").asString(), QString::fromUtf8("Dentón común"));
    EXPECT_EQ(dm->TACupos.fieldByName("nPez").asString(), QString::fromUtf8("Dentón común"));
    EXPECT_EQ(dm->nombreEspecie(2), QString::fromUtf8("Dentón común"));
    // The species pickers' list reads the new name too.
    ASSERT_TRUE(dm->TAespecies.locate("Codigo", QVariantList{2}));
    EXPECT_EQ(dm->TAespecies.fieldByName("Nombre").asString(), QString::fromUtf8("Dentón común"));
}

TEST_F(RegistersTest, DeletingASpeciesAsksAndOneStillInUseIsKept)
{
    // Dentón: two catch lines in A1 and B9, a rule and a quota in A1. Sargo: a quota in Z1.
    file.exec("INSERT INTO PESCADA (\"Cod comp\", Jornada, Equipo, \"Pesada num\", \"Cod pez\", Peso)"
              " VALUES ('B9', 1, 4, 1, 2, 1500)");
    file.exec("INSERT INTO CUPOS (Cod_comp, Cod_Especie, EjemplaresCupo, Puntos) VALUES ('Z1', 3, 1, 50)");
    dialogs.confirmations = {false, true, true, true};
    TFPeces f(*data);
    run(f, [&] {
        f.TApeces.moveTo(0);  // Dentón
        f.DBNPeces->click(DataNavigator::Delete);  // No
        EXPECT_TRUE(dialogs.errors.isEmpty());
        f.DBNPeces->click(DataNavigator::Delete);  // Yes, refused
        f.TApeces.moveTo(2);  // Sargo
        f.DBNPeces->click(DataNavigator::Delete);  // Yes, refused
        EXPECT_EQ(f.TApeces.recordCount(), 3);
        f.TApeces.moveTo(1);  // Mero: nothing uses it
        f.DBNPeces->click(DataNavigator::Delete);  // Yes
        EXPECT_EQ(f.TApeces.recordCount(), 2);
        f.BBTerminar->click();
    });
    EXPECT_EQ(dialogs.notices.size(), 4);
    EXPECT_EQ(dialogs.errors,
              QStringList({"No se puede borrar la especie «Dentón»: la usan 2 líneas de pesca y 2 competiciones.",
                           "No se puede borrar la especie «Sargo»: la usan 0 líneas de pesca y 1 competición."}));
    EXPECT_EQ(file.scalar("SELECT count(*) FROM ESPECIES WHERE Codigo IN (2, 3)"), 2);
    EXPECT_EQ(file.scalar("SELECT count(*) FROM ESPECIES WHERE Codigo = 1"), 0);
    EXPECT_EQ(dm->TAespecial.fieldByName("npez").asString(), QString::fromUtf8("Dentón"));
}

TEST_F(RegistersTest, ASpeciesWithoutANameIsRefusedAndStaysInEditing)
{
    TFPeces f(*data);
    run(f, [&] {
        f.DBNPeces->click(DataNavigator::Insert);
        const int row = f.DBGPeces->datasetModel()->currentModelRow();
        typeInCell(f.DBGPeces, row, 1, "Sin nombre");
        f.DBNPeces->click(DataNavigator::Post);
        EXPECT_EQ(f.TApeces.state(), Dataset::State::Insert);
        f.DBNPeces->click(DataNavigator::Cancel);
        f.BBTerminar->click();
    });
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_EQ(dialogs.errors[0], QString("Falta el dato obligatorio «Nombre»."));
    EXPECT_EQ(file.scalar("SELECT count(*) FROM ESPECIES"), 3);
}

TEST_F(RegistersTest, FishermenScreenShowsItsColumnsAndClosesItsTable)
{
    TfPescadores f(*data);
    EXPECT_EQ(f.windowTitle(), QString("Pescadores registrados"));
    EXPECT_EQ(f.minimumSize(), f.maximumSize());
    EXPECT_FALSE(f.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(f.dsPescadores.autoEdit);
    EXPECT_EQ(f.bbCerrar->text(), QString("&Cerrar"));
    expectNavigator(f.DBNPescadores, {"Primero", "Anterior", "Siguiente", "Ultimo", "Insertar (Ins)",
                                      "Borrar (Ctrl+Supr)", "Editar (F2)", "Guardar (Intro)", "Cancelar (Esc)"});
    const int r = run(f, [&] {
        ASSERT_TRUE(f.pescadores.active());
        auto* m = f.DBGPescadores->datasetModel();
        ASSERT_EQ(m->columnCount(), 4);
        const QStringList titles = {"ID", "Nombre", "Licencia", "Club"};
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(m->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(), titles[c]);
        EXPECT_EQ(m->data(m->index(0, 2), Qt::TextAlignmentRole).toInt() & Qt::AlignHorizontal_Mask,
                  int(Qt::AlignHCenter));
        ASSERT_EQ(m->rowCount(), 2);
        EXPECT_EQ(f.DBGPescadores->cellText(0, 0), QString("11A"));
        EXPECT_EQ(f.DBGPescadores->cellText(1, 1), QString::fromUtf8("Beatriz Núñez"));
        EXPECT_EQ(f.DBGPescadores->cellText(1, 3), QString("Club Dos"));
        f.bbCerrar->click();
    });
    EXPECT_EQ(r, QDialog::Accepted);
    EXPECT_FALSE(f.pescadores.active());
}

// An empty or repeated DNI is refused in plain words followed by the
// engine's; the row stays in editing with what was typed.
TEST_F(RegistersTest, AFishermanWithoutDniOrWithARepeatedOneIsRefusedAndStaysInEditing)
{
    TfPescadores f(*data);
    run(f, [&] {
        widgets::DataGrid* g = f.DBGPescadores;
        f.DBNPescadores->click(DataNavigator::Insert);
        ASSERT_EQ(f.pescadores.state(), Dataset::State::Insert);
        const int row = g->datasetModel()->currentModelRow();
        typeInCell(g, row, 1, "Carlos Gil");
        typeInCell(g, row, 3, "Club Tres");
        f.DBNPescadores->click(DataNavigator::Post);
        ASSERT_EQ(dialogs.errors.size(), 1);
        // Only the sentence, naming the field as its column does.
        EXPECT_EQ(dialogs.errors[0], QString::fromUtf8("Falta el dato obligatorio «ID»."));
        EXPECT_EQ(f.pescadores.state(), Dataset::State::Insert);
        EXPECT_EQ(f.pescadores.fieldByName("Nombre").asString(), QString("Carlos Gil"));

        typeInCell(g, row, 0, "22B");
        f.DBNPescadores->click(DataNavigator::Post);
        ASSERT_EQ(dialogs.errors.size(), 2);
        EXPECT_EQ(dialogs.errors[1], QString::fromUtf8("Ya hay un pescador registrado con ese DNI."));
        EXPECT_EQ(f.pescadores.state(), Dataset::State::Insert);
        EXPECT_EQ(f.pescadores.fieldByName("Club").asString(), QString("Club Tres"));
        EXPECT_EQ(fishermen("DNI = '22B' AND Nombre = 'Beatriz Núñez'"), 1);

        // A DNI longer than the field stops at its 10 characters.
        EXPECT_EQ(typeInCell(g, row, 0, "33C-123456789"), QString("33C-123456"));
        f.DBNPescadores->click(DataNavigator::Post);
        EXPECT_EQ(f.pescadores.state(), Dataset::State::Browse);
        f.bbCerrar->click();
    });
    EXPECT_EQ(dialogs.errors.size(), 2);
    EXPECT_EQ(fishermen("DNI = '33C-123456' AND Nombre = 'Carlos Gil' AND Club = 'Club Tres'"), 1);
    EXPECT_EQ(fishermen("1"), 3);
}

TEST_F(RegistersTest, TypingStartsEditingMovingPostsAndClosingLeavesAnEditUnsaved)
{
    TfPescadores f(*data);
    run(f, [&] {
        widgets::DataGrid* g = f.DBGPescadores;
        typeInCell(g, 0, 2, "L-9");  // Ana Pérez's licence
        EXPECT_EQ(f.pescadores.state(), Dataset::State::Edit);
        g->setCurrentIndex(g->model()->index(1, 2));  // moving to another row posts
        EXPECT_EQ(f.pescadores.state(), Dataset::State::Browse);
        EXPECT_EQ(fishermen("DNI = '11A' AND Licencia = 'L-9'"), 1);

        typeInCell(g, 1, 3, "Club Cambiado");
        EXPECT_EQ(f.pescadores.state(), Dataset::State::Edit);
        f.close();  // the window's close button
    });
    EXPECT_EQ(fishermen("DNI = '22B' AND Club = 'Club Dos'"), 1);
    EXPECT_FALSE(f.pescadores.active());
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join("\n").toStdString();
}

TEST_F(RegistersTest, DeletingAFishermanAsksTheStandardQuestion)
{
    dialogs.confirmations = {true};
    TfPescadores f(*data);
    run(f, [&] {
        f.DBNPescadores->click(DataNavigator::Delete);  // Ana Pérez, the first by name
        f.bbCerrar->click();
    });
    EXPECT_EQ(dialogs.notices, QStringList({"¿Borrar el registro?"}));
    EXPECT_EQ(fishermen("DNI = '11A'"), 0);
    EXPECT_EQ(fishermen("1"), 1);
}

TEST_F(RegistersTest, TheMainWindowOpensBothRegistersModally)
{
    TfMain main;
    const struct {
        void (TfMain::*command)();
        const char* className;
        const char* title;
    } cases[] = {{&TfMain::Especies2Click, "TFPeces", "Peces"},
                 {&TfMain::Pescadores1Click, "TfPescadores", "Pescadores registrados"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.className);
        auto seen = ModalAnswer::closeWindow();
        (main.*c.command)();
        EXPECT_TRUE(seen->seen);
        EXPECT_EQ(seen->className, QString(c.className));
        EXPECT_EQ(seen->title, QString(c.title));
        // Released when closed: no such window is left.
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(main.findChildren<QDialog*>().isEmpty());
    }
}

}  // namespace
