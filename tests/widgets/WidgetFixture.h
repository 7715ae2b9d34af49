#pragma once

#include "engine/DataSource.h"
#include "engine/Database.h"
#include "engine/Table.h"
#include "support/Fixture.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QWidget>

#include <gtest/gtest.h>

// A fresh database with a few competitions, days and species, opened
// through the engine (no record rules), and the dialogs scripted.
class WidgetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        file.exec("INSERT INTO COMPETIC (Codigo, Titulo, Tipo, \"Peso maximo\") VALUES"
                  " ('A1', 'Primera', 'I', 1250), ('B2', 'Segunda', 'E', 0), ('C3', 'Tercera', 'E', 15000)");
        file.exec("INSERT INTO JORNADAS (\"Cod comp\", Numero, Fecha, Lugar) VALUES"
                  " ('A1', 1, '2026-05-01', 'Cala Blanca'), ('A1', 2, '2026-05-02', 'Punta Roja')");
        file.exec("INSERT INTO ESPECIES (Nombre) VALUES ('Mero'), ('Dentón'), ('Sargo')");
        file.exec("INSERT INTO ESPECIAL (\"Cod comp\", \"Cod pez\", Puntua) VALUES ('A1', 2, 1)");
        db.open(file.path());
    }

    // Sends a key press and release to a widget, as typing does.
    static void key(QWidget* w, int k, const QString& text = {}, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QKeyEvent press(QEvent::KeyPress, k, mods, text);
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, k, mods, text);
        QApplication::sendEvent(w, &release);
    }
    static void type(QWidget* w, const QString& text)
    {
        // ASCII keys have the code of their upper-case character.
        for (QChar c : text)
            key(w, c.toUpper().unicode() < 128 ? int(c.toUpper().unicode()) : int(Qt::Key_unknown), QString(c));
    }

    TempDatabase file;
    engine::Database db;
    ScriptedDialogs dialogs;
};
