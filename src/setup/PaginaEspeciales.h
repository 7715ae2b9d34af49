#pragma once

#include <QWidget>

class QPushButton;
class TFcompet2;
class Tdm;

namespace widgets {
class DataCheckBox;
class DataEdit;
class DataGrid;
class DataLookupCombo;
class DataNavigator;
}  // namespace widgets

// The workbook's Especiales page: the current competition's per-species
// rules, the current rule's edits over the data module's TAespecial, their
// list (ABSQueryEspecial) and their copy from another competition.
class PaginaEspeciales : public QWidget {
    Q_OBJECT
public:
    PaginaEspeciales(Tdm& data, TFcompet2& workbook);

    // The focus to the species drop-down.
    void focusFirstField();

private Q_SLOTS:
    void BBdeAnteriorespecialesClick();

private:
    widgets::DataLookupCombo* DBLCBEspPeces = nullptr;
    widgets::DataEdit* DBEEspPesoMinimo = nullptr;
    widgets::DataEdit* DBEEspPuntosPieza = nullptr;
    widgets::DataEdit* DBEEspPuntosGramo = nullptr;
    widgets::DataEdit* DBEEspPesoPenal = nullptr;
    widgets::DataEdit* DBEEspPenalGramo = nullptr;
    widgets::DataCheckBox* DBCBPuntua = nullptr;
    widgets::DataCheckBox* DBCBBonifica = nullptr;
    widgets::DataNavigator* DBNEspeciales = nullptr;
    QPushButton* BBdeAnteriorespeciales = nullptr;
    widgets::DataGrid* DBGEespeciales = nullptr;

    Tdm& dm_;
    TFcompet2& workbook_;
};
