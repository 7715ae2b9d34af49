#pragma once

#include <QFrame>

class QLineEdit;
class QPushButton;

namespace engine {
class DataSource;
class Table;
}  // namespace engine

namespace widgets {
class DataGrid;
}  // namespace widgets

// The fishermen pick panel of the workbook's Participantes page: a filter
// edit, "OK" (the default button while the panel shows), "Cancelar" and a
// grid without titles of the register's names. It floats over the page; the
// page places it and decides what a choice copies.
//
// Typing in the filter lists the names that contain the text, in any letter
// case; Down and Up in the filter move the list; Escape there shows every
// name again and, with the filter empty, gives up the panel. Enter in the
// list chooses, Escape in it cancels. The panel hides itself when the focus
// goes to a control outside it.
class TPanelPescadores : public QFrame {
    Q_OBJECT
public:
    // fishermen: the screen's own view of the register, ordered by name;
    // source: the data source over it that the grid shows.
    TPanelPescadores(engine::Table& fishermen, engine::DataSource* source, QWidget* parent);

    // Shows the panel where its parent placed it, with the filter empty and
    // every name listed, the focus in the filter.
    void open();
    // Hides it without choosing.
    void dismiss();

Q_SIGNALS:
    // "OK" or Enter in the list: the panel has hidden; the register's
    // current row is the one chosen.
    void chosen();
    // "Cancelar" or Escape in the list: the panel has hidden.
    void cancelled();
    // Escape in the empty filter: the panel has hidden.
    void abandoned();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void filterChanged(const QString& text);
    void focusChanged(QWidget* old, QWidget* now);
    void finish(void (TPanelPescadores::*signal)());

    engine::Table& fishermen_;
    QLineEdit* EditFiltro = nullptr;
    QPushButton* bAceptar = nullptr;
    QPushButton* bCancelar = nullptr;
    widgets::DataGrid* DBGridPescadores = nullptr;
};
