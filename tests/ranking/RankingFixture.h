#pragma once

// The screens of rankings and penalties on a small competition, driven from
// the keyboard (QTest sends keys the way the window system does, so the
// underlined letters work).
//   P1 "Copa <b>&"Ñ"</b> Ω" (teams), days 1 and 2
//     team 1: Ana <b>&"Ñ" (1A), Beatriz (1B); day 1: 12.000 + 345 = 12.345
//     team 2: Luis; day 1: 300; day 2: 50
//     team 3: Marta; no classification record
#include "setup/ScreenFixture.h"

#include "data/Seleccion.h"

#include <QAbstractButton>
#include <QDialog>
#include <QTest>

#include <functional>

class RankingTest : public ScreenTest {
protected:
    static QString titulo() { return QString::fromUtf8("Copa <b>&\"Ñ\"</b> Ω"); }
    void seed() override
    {
        file.exec("INSERT INTO COMPETIC (Codigo, Titulo, Tipo) VALUES ('P1', '" + QString(titulo()).replace('\'', "''") +
                  "', 'E')");
        file.exec("INSERT INTO JORNADAS (\"Cod comp\", Numero, Fecha) VALUES ('P1', 1, '2026-06-01'), ('P1', 2, '2026-06-02')");
        file.exec(QString::fromUtf8("INSERT INTO PARTICIP (\"Cod comp\", Equipo, DNI, Nombre) VALUES "
                                    "('P1', 1, '1B', 'Beatriz'), ('P1', 1, '1A', 'Ana <b>&\"Ñ\"'), ('P1', 2, '2A', 'Luis'), "
                                    "('P1', 3, '3A', 'Marta')"));
        file.exec("INSERT INTO CLASIFIC (Competicion, Jornada, Equipo, Puntos, Bonifica, Penaliza, TotalPuntos) VALUES "
                  "('P1', 1, 1, 12000, 345, 0, 12345), ('P1', 1, 2, 300, 0, 0, 300), ('P1', 2, 2, 50, 0, 0, 50)");
    }
    void elegir(int jornada = 1) { ASSERT_TRUE(elegirCompeticion(*dm, "P1", jornada)); }
    qint64 clasific(const char* col, int eq, int jornada = 1) const
    {
        return file.scalar(QString("SELECT %1 FROM CLASIFIC WHERE Competicion = 'P1' AND Jornada = %2 AND Equipo = %3")
                               .arg(col)
                               .arg(jornada)
                               .arg(eq));
    }
    // Sends a key as the window system would: to the focused widget of the
    // active window, shortcuts first. A button's letter presses it the way a
    // click looks (down, then up and clicked from the event loop): the key
    // is done when no button is left down.
    static void press(int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QWidget* w = QApplication::focusWidget();
        ASSERT_NE(w, nullptr);
        QWidget* window = w->window();
        QTest::keyClick(w, Qt::Key(key), mods);
        EXPECT_TRUE(QTest::qWaitFor([window] {
            if (!window->isVisible()) return true;
            for (QAbstractButton* b : window->findChildren<QAbstractButton*>())
                if (b->isDown()) return false;
            return true;
        }));
    }
    // Brings dialog d up modally with show(); once it is up and active,
    // steps run on it, and then the letter closeKey with Alt closes it.
    static void whileShown(QDialog& d, const std::function<void()>& show, const std::function<void()>& steps,
                           int closeKey)
    {
        auto seen = ModalAnswer::onNext([&d, steps, closeKey](QWidget* w) {
            EXPECT_EQ(w, &d);
            d.activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(&d));
            steps();
            if (d.isVisible()) {
                d.activateWindow();  // the dialogs the steps opened may have taken it
                EXPECT_TRUE(QTest::qWaitForWindowActive(&d));
                press(closeKey, Qt::AltModifier);
            }
            if (d.isVisible()) d.reject();
        });
        show();
        EXPECT_TRUE(seen->seen);
        EXPECT_FALSE(d.isVisible());
    }
    static void typeText(const QString& text)
    {
        QWidget* w = QApplication::focusWidget();
        ASSERT_NE(w, nullptr);
        QTest::keyClicks(w, text);
    }
};
