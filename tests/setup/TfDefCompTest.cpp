#include "ScreenFixture.h"

#include "data/Globals.h"
#include "setup/TfDefComp.h"
#include "widgets/DataControls.h"
#include "widgets/DataEdit.h"

#include <QDate>
#include <QGridLayout>
#include <QLabel>
#include <QLayout>
#include <QPushButton>

#include <functional>

using engine::Dataset;

namespace {

class DefCompTest : public ScreenTest {
protected:
    // Shows the dialog modally in the given mode; steps run on it once it is
    // up and must close it (or the test closes it for them).
    int run(TfDefComp& d, int mode, const std::function<void()>& steps)
    {
        modoDefinicion = mode;
        auto seen = ModalAnswer::onNext([&d, steps](QWidget* w) {
            EXPECT_EQ(w, &d);
            steps();
            if (d.isVisible())
                d.reject();
        });
        const int r = d.exec();
        EXPECT_TRUE(seen->seen);
        return r;
    }
    qint64 count(const QString& where) const { return file.scalar("SELECT count(*) FROM COMPETIC WHERE " + where); }
    // A1 exactly as it was seeded.
    qint64 a1AsSeeded() const
    {
        return count("Codigo = 'A1' AND Titulo = 'Primera' AND Tipo = 'I' AND \"Peso minimo\" = 700"
                     " AND \"Peso maximo\" = 1250 AND \"Puntos pieza\" = 300");
    }
    QString today() const { return QDate::currentDate().toString(Qt::ISODate); }
};

TEST_F(DefCompTest, ANewCompetitionWithOnlyCodeAndNameStoresTheDefaultsAndGetsDayOneToday)
{
    TfDefComp d(*data);
    const int r = run(d, 3, [&] {
        EXPECT_EQ(d.focusWidget(), d.DBECodigo);
        EXPECT_EQ(dm->TAcomp.state(), Dataset::State::Insert);
        // The defaults are in the controls before anything is typed.
        EXPECT_EQ(d.DBEpMinimo->text(), QString("500"));
        EXPECT_EQ(d.DBEPesoMax->text(), QString("10000"));
        EXPECT_EQ(d.DBRGTipo->itemIndex(), 1);
        EXPECT_TRUE(d.DBECodigo->text().isEmpty());
        EXPECT_TRUE(d.DBETitulo->text().isEmpty());
        type(d.DBECodigo, "N1");
        type(d.DBETitulo, "Nueva prueba");
        d.BBOK->click();
    });
    EXPECT_EQ(r, QDialog::Accepted);
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join("\n").toStdString();

    const struct {
        const char* field;
        qint64 value;
    } defaults[] = {{"Peso minimo", 500},        {"Puntos pieza", 500},  {"Puntos gramo", 1},
                    {"Peso penalizable", 350},   {"Penalizacion gramo", 350}, {"Peso maximo", 10000},
                    {"Puntos Especie", 0},       {"Puntos Cupo", 0},     {"EjemplaresCupo", 0}};
    for (const auto& c : defaults)
        EXPECT_EQ(file.scalar(QString("SELECT \"%1\" FROM COMPETIC WHERE Codigo = 'N1'").arg(c.field)), c.value)
            << c.field;
    EXPECT_EQ(count("Codigo = 'N1' AND Titulo = 'Nueva prueba' AND Tipo = 'E'"), 1);
    EXPECT_EQ(file.scalar("SELECT count(*) FROM JORNADAS WHERE \"Cod comp\" = 'N1' AND Numero = 1 AND Fecha = '" +
                          today() + "'"),
              1);
    // The new competition and its day 1 are current; nothing is left pending.
    EXPECT_EQ(dm->TAcomp.state(), Dataset::State::Browse);
    EXPECT_EQ(dm->TAcomp.fieldByName("Codigo").asString(), QString("N1"));
    EXPECT_EQ(dm->TAjornada.fieldByName("Numero").asInteger(), 1);
    EXPECT_EQ(dm->TAjornada.fieldByName("Cod comp").asString(), QString("N1"));
    EXPECT_EQ(a1AsSeeded(), 1);
}

// The dialog stays open after a refused save with everything typed, stores
// nothing, and a corrected code then saves.
TEST_F(DefCompTest, ADuplicateCodeIsRefusedAndTheDialogKeepsWhatWasTypedForACorrection)
{
    TfDefComp d(*data);
    const int r = run(d, 3, [&] {
        type(d.DBECodigo, "A1");
        type(d.DBETitulo, "Otra prueba");
        retype(d.DBEpMinimo, "650");
        d.DBRGTipo->button(0)->click();
        d.BBOK->click();

        ASSERT_EQ(dialogs.errors.size(), 1);
        // The sentence alone: the engine's own words are not for the user.
        EXPECT_EQ(dialogs.errors[0], QString::fromUtf8("Ya existe una competición con ese código."));
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(dm->TAcomp.state(), Dataset::State::Insert);
        EXPECT_EQ(d.DBECodigo->text(), QString("A1"));
        EXPECT_EQ(d.DBETitulo->text(), QString("Otra prueba"));
        EXPECT_EQ(d.DBEpMinimo->text(), QString("650"));
        EXPECT_EQ(d.DBRGTipo->itemIndex(), 0);
        EXPECT_EQ(a1AsSeeded(), 1);
        EXPECT_EQ(count("1"), 1);

        retype(d.DBECodigo, "A2");
        d.BBOK->click();
        EXPECT_FALSE(d.isVisible());
    });
    EXPECT_EQ(r, QDialog::Accepted);
    EXPECT_EQ(dialogs.errors.size(), 1);
    EXPECT_EQ(count("Codigo = 'A2' AND Titulo = 'Otra prueba' AND Tipo = 'I' AND \"Peso minimo\" = 650"
                    " AND \"Peso maximo\" = 10000"),
              1);
    EXPECT_EQ(a1AsSeeded(), 1);
    EXPECT_EQ(file.scalar("SELECT count(*) FROM JORNADAS WHERE \"Cod comp\" = 'A2' AND Numero = 1"), 1);
    // A1 keeps its own day and gets no other.
    EXPECT_EQ(file.scalar("SELECT count(*) FROM JORNADAS WHERE \"Cod comp\" = 'A1'"), 1);
}

TEST_F(DefCompTest, ARefusedSaveExplainsItInPlainWordsAndCancelStoresNothing)
{
    const struct {
        const char* code;
        const char* name;
        const char* sentence;
    } cases[] = {
        {"", "Sin código", "Falta el dato obligatorio «Código»."},
        {"Z9", "", "Falta el dato obligatorio «Nombre»."},
        {"A1", "Repetida", "Ya existe una competición con ese código."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sentence);
        dialogs.errors.clear();
        TfDefComp d(*data);
        const int r = run(d, 3, [&] {
            type(d.DBECodigo, c.code);
            type(d.DBETitulo, QString::fromUtf8(c.name));
            d.BBOK->click();
            ASSERT_EQ(dialogs.errors.size(), 1);
            // The plain sentence alone, without the engine's words.
            EXPECT_EQ(dialogs.errors[0], QString::fromUtf8(c.sentence));
            EXPECT_TRUE(d.isVisible());
            EXPECT_EQ(d.DBECodigo->text(), QString(c.code));
            EXPECT_EQ(d.DBETitulo->text(), QString::fromUtf8(c.name));
            d.BBCancel->click();
        });
        EXPECT_EQ(r, QDialog::Rejected);
        EXPECT_EQ(count("1"), 1);
        EXPECT_EQ(a1AsSeeded(), 1);
        EXPECT_EQ(file.scalar("SELECT count(*) FROM JORNADAS"), 1);
        EXPECT_EQ(dm->TAcomp.state(), Dataset::State::Browse);
        EXPECT_EQ(dm->TAcomp.fieldByName("Codigo").asString(), QString("A1"));
    }
}

// Cancelar and the window's close button discard, in both modes.
TEST_F(DefCompTest, CancelAndTheCloseButtonDiscardWhatWasTyped)
{
    const struct {
        int mode;
        bool closeButton;
    } cases[] = {{3, false}, {3, true}, {2, false}, {2, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << (c.closeButton ? " close button" : " Cancelar"));
        TfDefComp d(*data);
        const int r = run(d, c.mode, [&] {
            EXPECT_EQ(dm->TAcomp.state(), c.mode == 3 ? Dataset::State::Insert : Dataset::State::Edit);
            if (c.mode == 2) {
                EXPECT_EQ(d.DBETitulo->text(), QString("Primera"));
            }
            retype(d.DBECodigo, "X9");
            retype(d.DBETitulo, "Descartada");
            retype(d.DBEpMinimo, "1");
            d.DBRGTipo->button(1)->click();
            if (c.closeButton)
                d.close();
            else
                d.BBCancel->click();
            EXPECT_FALSE(d.isVisible());
        });
        EXPECT_EQ(r, QDialog::Rejected);
        EXPECT_EQ(count("1"), 1);
        EXPECT_EQ(a1AsSeeded(), 1);
        EXPECT_EQ(dm->TAcomp.state(), Dataset::State::Browse);
        EXPECT_EQ(dm->TAcomp.fieldByName("Titulo").asString(), QString("Primera"));
        EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join("\n").toStdString();
    }
}

TEST_F(DefCompTest, EditingSavesTheCurrentCompetitionAndKeepsItsDays)
{
    TfDefComp d(*data);
    const int r = run(d, 2, [&] {
        EXPECT_EQ(d.DBECodigo->text(), QString("A1"));
        EXPECT_EQ(d.DBEpMinimo->text(), QString("700"));
        EXPECT_EQ(d.DBRGTipo->itemIndex(), 0);
        retype(d.DBETitulo, "Primera editada");
        retype(d.DBEPesoMax, "0");  // no maximum
        d.BBOK->click();
    });
    EXPECT_EQ(r, QDialog::Accepted);
    EXPECT_EQ(count("Codigo = 'A1' AND Titulo = 'Primera editada' AND \"Peso maximo\" = 0 AND \"Peso minimo\" = 700"),
              1);
    EXPECT_EQ(file.scalar("SELECT count(*) FROM JORNADAS WHERE \"Cod comp\" = 'A1'"), 1);
    EXPECT_EQ(dm->TAcomp.state(), Dataset::State::Browse);
}

TEST_F(DefCompTest, ACompetitionAlreadyInEditingKeepsItsPendingChanges)
{
    dm->TAcomp.edit();
    dm->TAcomp.fieldByName("Titulo").setAsString("Pendiente");
    TfDefComp d(*data);
    const int r = run(d, 2, [&] {
        EXPECT_EQ(d.DBETitulo->text(), QString("Pendiente"));
        d.BBOK->click();
    });
    EXPECT_EQ(r, QDialog::Accepted);
    EXPECT_EQ(count("Codigo = 'A1' AND Titulo = 'Pendiente'"), 1);
}

// Numbers take whole digits within range (no sign: none of these is
// negative); texts stop at the field's size.
TEST_F(DefCompTest, NumbersTakeOnlyWholeDigitsInRangeAndTextsStopAtTheFieldSize)
{
    const QString longName = QString(60, QChar('n'));
    const QString integer = "Solo números enteros de 0 a 2147483647";
    TfDefComp d(*data);
    const int r = run(d, 3, [&] {
        // Typed over the defaults; a refused key leaves the rest untyped and
        // says why next to the field.
        const struct {
            widgets::DataEdit* edit;
            QString typed;
            QString shown;
            QString hint;
        } cases[] = {
            {d.DBECodigo, "ABCDEFGH", "ABCDEF", "Como máximo 6 caracteres"},
            {d.DBETitulo, longName, QString(50, QChar('n')), "Como máximo 50 caracteres"},
            {d.DBEpMinimo, "12a.,3", "12", "Solo números enteros"},
            {d.DBEPunPieza, "-5", "500", integer},  // no minus sign: the default stays
            {d.DBEPunGramo, "1,5", "1", "Solo números enteros"},
            {d.DBEPesoMax, "99999999999", "999999999", integer},
            {d.DBEPesoPenal, "2147483647", "2147483647", ""},
            {d.DBEPenalGramo, "2147483648", "214748364", integer},
            {d.DBEjeCupo, "40000", "4000", "Solo números enteros de 0 a 32767"},
            {d.DBEPuntosCupo, " 7 ", "0", "Solo números enteros"},
            {d.DBEPuntosEsp, "32767", "32767", ""},
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(c.edit->objectName().toStdString());
            retype(c.edit, c.typed);
            EXPECT_EQ(c.edit->text(), c.shown);
            auto* hint = d.findChild<QLabel*>("FieldHint");
            EXPECT_EQ(hint && !hint->isHidden() ? hint->text() : QString(), c.hint);
        }
        // A number field stopped by a refused key holds no value: nothing is saved.
        d.BBOK->click();
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(dialogs.errors.size(), 1);
        EXPECT_EQ(count("1"), 1);
        // The user sees the hint and accepts what stands (End is a correction).
        for (widgets::DataEdit* e : {d.DBEpMinimo, d.DBEPunPieza, d.DBEPunGramo, d.DBEPesoMax, d.DBEPenalGramo,
                                     d.DBEjeCupo, d.DBEPuntosCupo})
            key(e, Qt::Key_End);
        dialogs.errors.clear();
        d.BBOK->click();
    });
    EXPECT_EQ(r, QDialog::Accepted);
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join("\n").toStdString();
    EXPECT_EQ(count("Codigo = 'ABCDEF' AND length(Titulo) = 50 AND \"Peso minimo\" = 12 AND \"Puntos pieza\" = 500"
                    " AND \"Puntos gramo\" = 1 AND \"Peso maximo\" = 999999999 AND \"Peso penalizable\" = 2147483647"
                    " AND \"Penalizacion gramo\" = 214748364 AND EjemplaresCupo = 4000 AND \"Puntos Cupo\" = 0"
                    " AND \"Puntos Especie\" = 32767"),
              1);
}

TEST_F(DefCompTest, CaptionsMnemonicsUnitsAndHint)
{
    TfDefComp d(*data);
    EXPECT_EQ(d.windowTitle(), QString::fromUtf8("Definición de competición"));
    const struct {
        const char* label;
        QWidget* buddy;
        const char* unit;
    } rows[] = {
        {"Có&digo:", d.DBECodigo, ""},
        {"&Nombre:", d.DBETitulo, ""},
        {"Peso &mínimo:", d.DBEpMinimo, "gr."},
        {"Puntos por pie&za:", d.DBEPunPieza, "Ptos."},
        {"Puntos por g&ramo:", d.DBEPunGramo, "Ptos."},
        {"Peso má&ximo puntuable:", d.DBEPesoMax, "gr."},
        {"Mínimo &sin penalizar:", d.DBEPesoPenal, "gr."},
        {"&Penalización:", d.DBEPenalGramo, "Ptos."},
        {"Puntos Cupo:", d.DBEPuntosCupo, ""},
        {"Ejemplares Cupo:", d.DBEjeCupo, ""},
        {"Puntos Especie:", d.DBEPuntosEsp, ""},
    };
    const QList<QLabel*> labels = d.findChildren<QLabel*>();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        QLabel* found = nullptr;
        for (QLabel* l : labels)
            if (l->text() == QString::fromUtf8(row.label))
                found = l;
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(found->buddy(), row.buddy);
        // The unit stands in the same row, right of the control.
        QString unit;
        for (QGridLayout* g : d.findChildren<QGridLayout*>()) {
            const int i = g->indexOf(row.buddy);
            if (i < 0)
                continue;
            int r = 0, col = 0, rs = 0, cs = 0;
            g->getItemPosition(i, &r, &col, &rs, &cs);
            if (QLayoutItem* next = g->itemAtPosition(r, col + cs))
                if (auto* l = qobject_cast<QLabel*>(next->widget()))
                    unit = l->text();
        }
        EXPECT_EQ(unit, QString(row.unit));
    }
    EXPECT_EQ(d.DBEPesoMax->toolTip(), QString::fromUtf8("Dejar a 0 si no hay máximo"));
    EXPECT_EQ(d.DBRGTipo->title(), QString(" Tipo de Prueba "));
    ASSERT_EQ(d.DBRGTipo->count(), 2);
    EXPECT_EQ(d.DBRGTipo->button(0)->text(), QString("Individual"));
    EXPECT_EQ(d.DBRGTipo->button(1)->text(), QString("Equipos"));
    EXPECT_EQ(d.BBOK->text(), QString("&Guardar"));
    EXPECT_TRUE(d.BBOK->isDefault());
    EXPECT_EQ(d.BBCancel->text(), QString("&Cancelar"));
    EXPECT_EQ(d.layout()->sizeConstraint(), QLayout::SetFixedSize);
    EXPECT_FALSE(d.windowFlags() & Qt::WindowMaximizeButtonHint);
}

// Enter saves (Guardar is the default button), Escape cancels.
TEST_F(DefCompTest, EnterSavesAndEscapeCancels)
{
    {
        TfDefComp d(*data);
        const int r = run(d, 3, [&] {
            type(d.DBECodigo, "K1");
            type(d.DBETitulo, "Con Enter");
            key(d.DBETitulo, Qt::Key_Return);
        });
        EXPECT_EQ(r, QDialog::Accepted);
        EXPECT_EQ(count("Codigo = 'K1'"), 1);
    }
    {
        TfDefComp d(*data);
        const int r = run(d, 2, [&] {
            retype(d.DBETitulo, "No guardada");
            d.DBETitulo->clearFocus();
            key(&d, Qt::Key_Escape);
        });
        EXPECT_EQ(r, QDialog::Rejected);
        EXPECT_EQ(count("Titulo = 'No guardada'"), 0);
    }
}

}  // namespace
