#pragma once

#include <QWidget>

class QPushButton;
class QToolButton;
class TFcompet2;
class TPanelPescadores;
class Tdm;
class Tfselcomp;

namespace engine {
class Table;
}  // namespace engine

namespace widgets {
class DataEdit;
class DataGrid;
}  // namespace widgets

// The workbook's Participantes page: the current participant's edits, with
// the fishermen register's help for the DNI (looked up on leaving the field,
// or picked from the floating panel over the workbook's tPescadores), the
// competition's participants, and the buttons that follow the participant's
// state (the workbook's DSTaParticipa) and copy them from another
// competition.
class PaginaParticipantes : public QWidget {
    Q_OBJECT
public:
    // chooser: the competition chooser the copy asks with.
    PaginaParticipantes(Tdm& data, TFcompet2& workbook, Tfselcomp* chooser);

    // The buttons' states for the participant's and the competition's.
    void participantStateChanged();
    // The pick panel under the DNI field; hidden.
    void placePanel();
    void hidePanel();
    // The panel no longer reaches the page: the workbook is going.
    void disconnectPanel();

public Q_SLOTS:
    void BPartCancelarClick();

private Q_SLOTS:
    void BPartNuevoClick();
    void BPartEditarClick();
    void BPartGuardarClick();
    void BPartBorrarClick();
    void SBpescadoresClick();
    void BBdeAnteriorParticipanClick();

private:
    widgets::DataEdit* DBEEquipo = nullptr;
    widgets::DataEdit* DBEDNI = nullptr;
    QToolButton* SBpescadores = nullptr;
    widgets::DataEdit* DBENombre = nullptr;
    widgets::DataEdit* DBEFechaNac = nullptr;
    widgets::DataEdit* DBELicencia = nullptr;
    widgets::DataEdit* DBEClub = nullptr;
    widgets::DataGrid* DBGParticipa = nullptr;
    QPushButton* BPartNuevo = nullptr;
    QPushButton* BPartEditar = nullptr;
    QPushButton* BPartGuardar = nullptr;
    QPushButton* BPartCancelar = nullptr;
    QPushButton* BPartBorrar = nullptr;
    QPushButton* BBdeAnteriorParticipan = nullptr;
    TPanelPescadores* PanelPescadores = nullptr;

    void DBEDNIExit();
    void fishermanChosen();

    Tdm& dm_;
    TFcompet2& workbook_;
    engine::Table& tPescadores;
    Tfselcomp* chooser_ = nullptr;
};
