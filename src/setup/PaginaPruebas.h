#pragma once

#include <QWidget>

class QPushButton;
class TFcompet2;
class Tdm;

namespace engine {
class DataSource;
class Query;
}  // namespace engine

namespace widgets {
class DataEdit;
class DataGrid;
class DataNavigator;
class DataRadioGroup;
}  // namespace widgets

// The workbook's Pruebas page: the current competition's scoring constants,
// edited in place, and the list of competitions (the workbook's ABSQ), which
// the current competition follows, with the commands that define, edit and
// delete a competition. Every command ends by re-running the list.
class PaginaPruebas : public QWidget {
    Q_OBJECT
public:
    PaginaPruebas(Tdm& data, TFcompet2& workbook);

private Q_SLOTS:
    void BNuevaPruebaClick();
    void bEditarPruebaClick();
    void BBorrarPruebaClick();

private:
    widgets::DataEdit* DBECodigo = nullptr;
    widgets::DataEdit* DBETitulo = nullptr;
    widgets::DataRadioGroup* DBRGTipo = nullptr;
    widgets::DataEdit* DBEpMinimo = nullptr;
    widgets::DataEdit* DBEPunPieza = nullptr;
    widgets::DataEdit* DBEPunGramo = nullptr;
    widgets::DataEdit* DBEPesoMax = nullptr;
    widgets::DataEdit* DBEPesoPenal = nullptr;
    widgets::DataEdit* DBEPenalGramo = nullptr;
    widgets::DataEdit* DBEPuntosEsp = nullptr;
    widgets::DataEdit* DBEPuntosCupo = nullptr;
    widgets::DataEdit* DBEjeCupo = nullptr;
    widgets::DataGrid* DBCompeticiones = nullptr;
    widgets::DataNavigator* DBNPruebas = nullptr;
    QPushButton* BNuevaPrueba = nullptr;
    QPushButton* bEditarPrueba = nullptr;
    QPushButton* BBorrarPrueba = nullptr;

    void refreshList();
    bool moveListTo(const QString& codigo);

    Tdm& dm_;
    TFcompet2& workbook_;
    engine::Query& ABSQ;
    engine::DataSource& DSabsq;
};
