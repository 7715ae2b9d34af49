#pragma once

#include <QWidget>

class QLabel;
class Tdm;

namespace widgets {
class DataEdit;
class DataGrid;
class DataNavigator;
}  // namespace widgets

// The workbook's Jornadas page: the current competition's days, in a grid
// with a navigator that adds, deletes, edits and saves them, and the edits of
// the current day.
class PaginaJornadas : public QWidget {
    Q_OBJECT
public:
    explicit PaginaJornadas(Tdm& data);

private:
    QLabel* LAyudaJornada = nullptr;
    widgets::DataGrid* DBGJornadas = nullptr;
    widgets::DataNavigator* DBNavJornadas = nullptr;
    widgets::DataEdit* DBENumero = nullptr;
    widgets::DataEdit* DBEFecha = nullptr;
    widgets::DataEdit* DBEHorario = nullptr;
    widgets::DataEdit* DBELugar = nullptr;

    Tdm& dm_;
};
