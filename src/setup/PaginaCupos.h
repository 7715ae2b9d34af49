#pragma once

#include <QWidget>

class QLabel;
class QPushButton;
class TFcompet2;
class Tdm;

namespace widgets {
class DataEdit;
class DataGrid;
class DataLookupCombo;
class DataNavigator;
}  // namespace widgets

// The workbook's Cupos page: the current competition's quotas, the current
// quota's edits over the data module's TACupos, their list (ABSQueryCupos),
// their copy from another competition, and a warning while the
// competition's own "Puntos Cupo" keeps them from being awarded.
class PaginaCupos : public QWidget {
    Q_OBJECT
public:
    PaginaCupos(Tdm& data, TFcompet2& workbook);

    // Shows or hides the warning for the current competition.
    void showCuposApagados();

private Q_SLOTS:
    void BBDeAnteriorCuposClick();

private:
    widgets::DataLookupCombo* DBEspecie = nullptr;
    widgets::DataEdit* DBECupoEjemplares = nullptr;
    widgets::DataEdit* DBECupoPuntos = nullptr;
    widgets::DataNavigator* DBNCupos = nullptr;
    QPushButton* BBDeAnteriorCupos = nullptr;
    widgets::DataGrid* DBGCupos = nullptr;
    QLabel* LCuposApagados = nullptr;

    Tdm& dm_;
    TFcompet2& workbook_;
};
