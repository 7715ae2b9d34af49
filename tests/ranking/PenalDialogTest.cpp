// The penalties dialog driven from the keyboard.
#include "RankingFixture.h"

#include "app/TfMain.h"
#include "dialogs/TSeleccion.h"
#include "ranking/TtfPenal.h"
#include "widgets/NumberBox.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <functional>

namespace {

class PenalDialogTest : public RankingTest {
protected:
    // Opens the dialog as the menu does after the chooser; steps run on it
    // once it is up, then it is closed with "&Terminar" from the keyboard.
    void open(TtfPenal& d, const std::function<void()>& steps)
    {
        whileShown(d, [&d] { d.abrir(); }, steps, Qt::Key_T);
    }
    // Chooses the n-th item of the participant list from the keyboard: up
    // to the first item, then down (each move chooses the item it reaches).
    static void choose(TtfPenal& d, int n)
    {
        // "&Participante" and " &Penalización " share their letter: each
        // press moves to the next of the two.
        press(Qt::Key_P, Qt::AltModifier);
        if (QApplication::focusWidget() != d.CBParticipa) press(Qt::Key_P, Qt::AltModifier);
        ASSERT_EQ(QApplication::focusWidget(), d.CBParticipa);
        if (d.CBParticipa->currentIndex() < 0) press(Qt::Key_Down);
        while (d.CBParticipa->currentIndex() > 0) press(Qt::Key_Up);
        for (int i = 0; i < n; ++i) press(Qt::Key_Down);
        ASSERT_EQ(d.CBParticipa->currentIndex(), n);
    }
    qint64 penal(const char* col, int eq) const
    {
        return file.scalar(QString("SELECT %1 FROM PENAL WHERE Cod_comp = 'P1' AND Jornada = 1 AND Equipo = %2").arg(col).arg(eq));
    }
};

TEST_F(PenalDialogTest, ControlsCaptionsInitialStateAndTabOrder)
{
    elegir();
    TtfPenal d(*dm);
    open(d, [&] {
        EXPECT_EQ(d.windowTitle(), QString("Penalizaciones"));
        EXPECT_EQ(d.LPrueba->text(), titulo());
        EXPECT_EQ(d.LPrueba->textFormat(), Qt::PlainText);
        EXPECT_EQ(d.RGPenal->title(), QString::fromUtf8(" &Penalización "));
        const QStringList items{QString::fromUtf8("1 - Ana <b>&\"Ñ\""), "1 - Beatriz", "2 - Luis", "3 - Marta"};
        QStringList shown;
        for (int i = 0; i < d.CBParticipa->count(); ++i) shown << d.CBParticipa->itemText(i);
        EXPECT_EQ(shown, items);
        EXPECT_TRUE(d.CBParticipa->isEditable());
        EXPECT_TRUE(d.CBParticipa->currentText().isEmpty());
        EXPECT_TRUE(d.RBPuntos->isChecked());
        EXPECT_TRUE(d.NBPenal->isEnabled());
        EXPECT_FALSE(d.NBPorcentaje->isEnabled());
        EXPECT_FALSE(d.BCal->isEnabled());
        EXPECT_EQ(d.BCal->text(), QString("Calc"));
        EXPECT_EQ(d.BGuardar->text(), QString("&Guardar"));
        EXPECT_EQ(d.BTerminar->text(), QString("&Terminar"));
        EXPECT_EQ(d.focusWidget(), d.CBParticipa);
        // Tab order, the disabled boxes skipped.
        const std::vector<QWidget*> order{d.RBPuntos, d.NBPenal, d.EMotivo, d.BGuardar, d.BTerminar};
        for (QWidget* w : order) {
            press(Qt::Key_Tab);
            EXPECT_EQ(QApplication::focusWidget(), w) << w->objectName().toStdString();
        }
        // Labels lead to their controls.
        press(Qt::Key_M, Qt::AltModifier);
        EXPECT_EQ(QApplication::focusWidget(), d.EMotivo);
        press(Qt::Key_U, Qt::AltModifier);
        EXPECT_EQ(QApplication::focusWidget(), d.NBPenal);
    });
    // A fixed size.
    EXPECT_EQ(d.minimumSize(), d.maximumSize());
    // Opening again lists each participant once.
    open(d, [&] { EXPECT_EQ(d.CBParticipa->count(), 4); });
}

TEST_F(PenalDialogTest, ChooseCalcAndSaveTwiceKeepOneRow)
{
    elegir();
    TtfPenal d(*dm);
    open(d, [&] {
        choose(d, 1);  // "1 - Beatriz": team 1
        EXPECT_EQ(d.equipo(), 1);
        EXPECT_EQ(d.NBPenal->text(), QString("0"));
        // Percentage mode from the keyboard, 10 % of 12.345.
        press(Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), d.RBPuntos);
        press(Qt::Key_Right);
        EXPECT_TRUE(d.RBPorcentaje->isChecked());
        EXPECT_FALSE(d.NBPenal->isEnabled());
        EXPECT_TRUE(d.NBPorcentaje->isEnabled());
        EXPECT_TRUE(d.BCal->isEnabled());
        press(Qt::Key_O, Qt::AltModifier);
        EXPECT_EQ(QApplication::focusWidget(), d.NBPorcentaje);
        typeText("10");
        press(Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), d.BCal);
        press(Qt::Key_Space);
        EXPECT_EQ(d.NBPenal->text(), QString("1.234"));
        press(Qt::Key_M, Qt::AltModifier);
        typeText("Fuera de zona");
        press(Qt::Key_G, Qt::AltModifier);
        EXPECT_TRUE(d.isVisible());  // stays open, no message
        EXPECT_EQ(penal("Puntos", 1), 1234);
        EXPECT_EQ(penal("Porcentaje", 1), 10);
        EXPECT_EQ(clasific("Penaliza", 1), 1234);
        EXPECT_EQ(clasific("TotalPuntos", 1), 12345 - 1234);

        // Back to points: a second save edits the same row.
        press(Qt::Key_O, Qt::AltModifier);
        press(Qt::Key_Backtab, Qt::ShiftModifier);
        EXPECT_EQ(QApplication::focusWidget(), d.RBPorcentaje);
        press(Qt::Key_Left);
        EXPECT_TRUE(d.RBPuntos->isChecked());
        press(Qt::Key_U, Qt::AltModifier);
        press(Qt::Key_A, Qt::ControlModifier);
        typeText("500");
        press(Qt::Key_M, Qt::AltModifier);
        press(Qt::Key_A, Qt::ControlModifier);
        typeText("Tarde");
        press(Qt::Key_G, Qt::AltModifier);
    });
    EXPECT_EQ(file.scalar("SELECT count(*) FROM PENAL"), 1);
    EXPECT_EQ(penal("Puntos", 1), 500);
    EXPECT_EQ(penal("Porcentaje", 1), 10);  // the (disabled) percentage box as it stood
    EXPECT_EQ(file.scalar("SELECT count(*) FROM PENAL WHERE Motivo = 'Tarde'"), 1);
    EXPECT_EQ(clasific("TotalPuntos", 1), 12345 - 500);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('\n').toStdString();
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join('\n').toStdString();
}

TEST_F(PenalDialogTest, ZeroRestoresALargePenaltyGoesNegativeAndAChoiceShowsTheStoredOne)
{
    file.exec("INSERT INTO PENAL (Cod_comp, Jornada, Equipo, Puntos, Motivo, Porcentaje) VALUES ('P1', 1, 1, 75, 'Antes', 3)");
    elegir();
    TtfPenal d(*dm);
    open(d, [&] {
        choose(d, 2);  // "2 - Luis": no penalty stored
        EXPECT_EQ(d.NBPenal->text(), QString("0"));
        EXPECT_EQ(d.NBPorcentaje->text(), QString("0"));
        EXPECT_TRUE(d.EMotivo->text().isEmpty());
        press(Qt::Key_U, Qt::AltModifier);
        typeText("1000");
        press(Qt::Key_G, Qt::AltModifier);
        EXPECT_EQ(clasific("TotalPuntos", 2), -700);
        press(Qt::Key_U, Qt::AltModifier);
        press(Qt::Key_A, Qt::ControlModifier);
        typeText("0");
        press(Qt::Key_G, Qt::AltModifier);
        EXPECT_EQ(clasific("TotalPuntos", 2), 300);
        EXPECT_EQ(clasific("Penaliza", 2), 0);
        EXPECT_EQ(clasific("TotalPuntos", 2, 2), 50);  // another day

        choose(d, 0);  // team 1 shows its stored penalty
        EXPECT_EQ(d.NBPenal->text(), QString("75"));
        EXPECT_EQ(d.NBPorcentaje->text(), QString("3"));
        EXPECT_EQ(d.EMotivo->text(), QString("Antes"));
        // The motive box takes 256 characters at most.
        press(Qt::Key_M, Qt::AltModifier);
        typeText(QString(300, 'x'));
        EXPECT_EQ(d.EMotivo->text(), QString(256, 'x'));
    });
}

// The motive's 256 are characters as a person counts them: 256 fish emoji
// fit, in the box and in the file.
TEST_F(PenalDialogTest, TheMotiveCountsCharactersNotUtf16Units)
{
    const QString pez = QString::fromUtf8("🐟");
    elegir();
    TtfPenal d(*dm);
    open(d, [&] {
        choose(d, 0);
        press(Qt::Key_M, Qt::AltModifier);
        for (int i = 0; i < 300; ++i)
            QTest::sendKeyEvent(QTest::Click, d.EMotivo, Qt::Key_unknown, pez, Qt::NoModifier);
        EXPECT_EQ(d.EMotivo->text(), pez.repeated(256));
        press(Qt::Key_G, Qt::AltModifier);
    });
    EXPECT_EQ(file.scalar("SELECT length(Motivo) FROM PENAL WHERE Cod_comp = 'P1' AND Equipo = 1"), 256);
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join('\n').toStdString();
}

TEST_F(PenalDialogTest, SavingWithoutAChoiceInThisOpeningIsRefused)
{
    elegir();
    TtfPenal d(*dm);
    open(d, [&] {
        press(Qt::Key_U, Qt::AltModifier);
        typeText("40");
        press(Qt::Key_G, Qt::AltModifier);
        choose(d, 2);  // team 2, then the dialog closes
    });
    EXPECT_EQ(dialogs.messages, QStringList{"Elija primero el participante al que penalizar"});
    EXPECT_EQ(file.scalar("SELECT count(*) FROM PENAL"), 0);
    // The chosen team and the boxes survive; the list is refilled and the
    // choice must be made again before saving.
    open(d, [&] {
        EXPECT_EQ(d.equipo(), 2);
        EXPECT_TRUE(d.CBParticipa->currentText().isEmpty());
        press(Qt::Key_G, Qt::AltModifier);
    });
    EXPECT_EQ(dialogs.messages.size(), 2);
    EXPECT_EQ(file.scalar("SELECT count(*) FROM PENAL"), 0);
    EXPECT_EQ(clasific("TotalPuntos", 2), 300);
}

TEST_F(PenalDialogTest, CalcForATeamWithoutARecordKeepsThePoints)
{
    elegir();
    TtfPenal d(*dm);
    open(d, [&] {
        choose(d, 3);  // "3 - Marta"
        d.RBPorcentaje->setChecked(true);
        press(Qt::Key_U, Qt::AltModifier);  // disabled: nothing
        d.NBPorcentaje->setFocus();
        typeText("50");
        press(Qt::Key_Tab);
        press(Qt::Key_Space);
        EXPECT_EQ(d.NBPenal->text(), QString("0"));
        press(Qt::Key_G, Qt::AltModifier);
    });
    EXPECT_EQ(penal("Porcentaje", 3), 50);
    EXPECT_EQ(penal("Puntos", 3), 0);
    EXPECT_EQ(file.scalar("SELECT count(*) FROM CLASIFIC WHERE Equipo = 3"), 0);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(PenalDialogTest, BothMenuItemsOpenItAfterTheChooser)
{
    TfMain main;
    Seleccion = new TSeleccion(*dm, &main);
    tfPenal = new TtfPenal(*dm, &main);
    for (const char* name : {"Penalizaciones", "Penalizaciones1"}) {
        SCOPED_TRACE(name);
        QAction* a = main.findChild<QAction*>(QString::fromLatin1(name));
        ASSERT_NE(a, nullptr);
        std::shared_ptr<ModalSeen> penalties;
        auto chooser = ModalAnswer::onNext([&](QWidget* w) {
            penalties = ModalAnswer::onNext([](QWidget* p) { static_cast<QDialog*>(p)->reject(); });
            ModalAnswer::click(w, "OK");
        });
        a->trigger();
        EXPECT_EQ(chooser->className, QString("TSeleccion"));
        ASSERT_TRUE(penalties);
        EXPECT_EQ(penalties->className, QString("TtfPenal"));
        EXPECT_TRUE(penalties->texts.contains(titulo()));
        // Cancel on the chooser opens nothing.
        auto cancelled = ModalAnswer::pressButton("Cancelar");
        a->trigger();
        EXPECT_EQ(cancelled->className, QString("TSeleccion"));
        EXPECT_FALSE(tfPenal->isVisible());
    }
    tfPenal = nullptr;
    Seleccion = nullptr;
}

// The dialog start-up makes builds its controls on its first opening from the
// menu; from then on it keeps them, with their contents, between openings.
TEST_F(PenalDialogTest, TheDialogMadeAtStartBuildsOnItsFirstOpeningAndKeepsItsContents)
{
    TfMain main;
    Seleccion = new TSeleccion(*dm, &main, widgets::Build::OnFirstUse);
    tfPenal = new TtfPenal(*dm, &main, widgets::Build::OnFirstUse);
    TtfPenal& d = *tfPenal;
    EXPECT_EQ(d.CBParticipa, nullptr);
    QAction* menu = main.findChild<QAction*>("Penalizaciones");
    ASSERT_NE(menu, nullptr);
    // The chooser's OK, then the steps on the dialog, which "&Terminar" closes.
    // Keys go to the controls themselves: the window that has just closed may
    // still be the active one on the test platform.
    auto openFromMenu = [&](const std::function<void()>& steps) {
        std::shared_ptr<ModalSeen> penalties;
        auto chooser = ModalAnswer::onNext([&](QWidget* w) {
            penalties = ModalAnswer::onNext([&](QWidget* p) {
                EXPECT_EQ(p, &d);
                steps();
                d.BTerminar->click();
            });
            ModalAnswer::click(w, "OK");
        });
        menu->trigger();
        EXPECT_TRUE(chooser->seen);
        ASSERT_TRUE(penalties && penalties->seen);
        EXPECT_EQ(penalties->title, QString("Penalizaciones"));
        EXPECT_FALSE(d.isVisible());
    };

    const QStringList items{QString::fromUtf8("1 - Ana <b>&\"Ñ\""), "1 - Beatriz", "2 - Luis", "3 - Marta"};
    auto listed = [&] {
        QStringList shown;
        for (int i = 0; i < d.CBParticipa->count(); ++i)
            shown << d.CBParticipa->itemText(i);
        return shown;
    };
    openFromMenu([&] {
        EXPECT_EQ(d.LPrueba->text(), titulo());
        EXPECT_EQ(listed(), items);
        EXPECT_TRUE(d.CBParticipa->currentText().isEmpty());
        EXPECT_TRUE(d.RBPuntos->isChecked());
        EXPECT_TRUE(d.NBPenal->isEnabled());
        EXPECT_FALSE(d.NBPorcentaje->isEnabled());
        EXPECT_FALSE(d.BCal->isEnabled());
        EXPECT_EQ(d.focusWidget(), d.CBParticipa);
        EXPECT_EQ(d.minimumSize(), d.maximumSize());
        // "2 - Luis", chosen with the arrow keys; then a motive, saved.
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(d.CBParticipa, Qt::Key_Down);
        EXPECT_EQ(d.CBParticipa->currentText(), QString("2 - Luis"));
        EXPECT_EQ(d.equipo(), 2);
        QTest::keyClicks(d.EMotivo, "Aviso");
        d.BGuardar->click();
    });
    EXPECT_EQ(penal("Puntos", 2), 0);
    EXPECT_EQ(file.scalar("SELECT count(*) FROM PENAL WHERE Equipo = 2 AND Motivo = 'Aviso'"), 1);

    // The second opening: the list refilled, not added to; the rest as it was left.
    openFromMenu([&] {
        EXPECT_EQ(listed(), items);
        EXPECT_TRUE(d.CBParticipa->currentText().isEmpty());
        EXPECT_EQ(d.equipo(), 2);
        EXPECT_EQ(d.EMotivo->text(), QString("Aviso"));
        EXPECT_EQ(d.LPrueba->text(), titulo());
    });
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('\n').toStdString();
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join('\n').toStdString();
    tfPenal = nullptr;
    Seleccion = nullptr;
}

}  // namespace
