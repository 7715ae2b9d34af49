#pragma once

#include "data/Tdm.h"
#include "support/Fixture.h"
#include "support/ModalAnswer.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <memory>

// A fresh database opened by the data module (record rules in force), the
// global dm pointing at it, and the dialogs scripted.
//   COMPETIC  A1 "Primera" (I, Peso minimo 700, Peso maximo 1250) with day 1
//   ESPECIES  1 Mero, 2 Dentón, 3 Sargo
//   PESCADORES 11A Ana Pérez, 22B Beatriz Núñez
class ScreenTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        file.exec("INSERT INTO COMPETIC (Codigo, Titulo, Tipo, \"Peso minimo\", \"Peso maximo\", \"Puntos pieza\")"
                  " VALUES ('A1', 'Primera', 'I', 700, 1250, 300)");
        file.exec("INSERT INTO JORNADAS (\"Cod comp\", Numero, Fecha, Lugar) VALUES ('A1', 1, '2026-05-01', 'Cala')");
        file.exec("INSERT INTO ESPECIES (Codigo, Nombre) VALUES (1, 'Mero'), (2, 'Dentón'), (3, 'Sargo')");
        file.exec("INSERT INTO PESCADORES (DNI, Nombre, Club, Licencia) VALUES"
                  " ('11A', 'Ana Pérez', 'Club Uno', 'L-1'), ('22B', 'Beatriz Núñez', 'Club Dos', 'L-2')");
        seed();
        data = std::make_unique<Tdm>(file.dir());
        dm = data.get();
        ASSERT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join("\n").toStdString();
    }
    void TearDown() override
    {
        dm = nullptr;
        data.reset();
    }
    virtual void seed() {}

    static void key(QWidget* w, int k, const QString& text = {}, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QKeyEvent press(QEvent::KeyPress, k, mods, text);
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, k, mods, text);
        QApplication::sendEvent(w, &release);
    }
    // Types text key by key, as the user does (validators and length limits apply).
    static void type(QWidget* w, const QString& text)
    {
        for (QChar c : text) {
            const char16_t u = c.toUpper().unicode();
            key(w, u < 128 ? int(u) : int(Qt::Key_unknown), QString(c));
        }
    }
    // Selects everything in a line edit and types over it.
    static void retype(QLineEdit* e, const QString& text)
    {
        key(e, Qt::Key_A, {}, Qt::ControlModifier);
        if (text.isEmpty())
            key(e, Qt::Key_Delete);
        else
            type(e, text);
    }
    // Types into a grid cell: the first key opens the cell editor, the rest
    // go to it, Enter writes the cell. Returns the editor's final text.
    static QString typeInCell(QAbstractItemView* grid, int row, int column, const QString& text)
    {
        grid->setCurrentIndex(grid->model()->index(row, column));
        if (text.isEmpty())
            return {};
        type(grid, text.left(1));
        // The open editor; a closed one may linger until deleted.
        QLineEdit* editor = nullptr;
        for (QLineEdit* e : grid->viewport()->findChildren<QLineEdit*>())
            if (e->isVisible())
                editor = e;
        if (!editor)
            return {};
        // The first key may have replaced or been added to the old text.
        key(editor, Qt::Key_A, {}, Qt::ControlModifier);
        type(editor, text);
        const QString shown = editor->text();
        key(editor, Qt::Key_Return);
        QApplication::processEvents();
        return shown;
    }
    TempDatabase file;
    ScriptedDialogs dialogs;
    std::unique_ptr<Tdm> data;
};
