#pragma once

#include "engine/DataSource.h"
#include "engine/Query.h"
#include "engine/Table.h"
#include "widgets/LazyDialog.h"

#include <QPointer>

class QLabel;
class QPushButton;
class QTabWidget;
class QToolButton;
class TPanelPescadores;
class Tdm;
class Tfselcomp;

namespace widgets {
class DataCheckBox;
class DataEdit;
class DataGrid;
class DataLabel;
class DataLookupCombo;
class DataNavigator;
class DataRadioGroup;
}  // namespace widgets

// The competition workbook "Competiciones": the list of competitions with
// their scoring constants, the days, participants, species rules and quotas
// of the current competition. Almost every control is bound to the data
// module's table objects, so the record rules run for every change made here.
// One instance lives as long as the main window and is shown modally again
// and again; each showing starts on the Pruebas page with the list's first
// competition current. The controls are private; tests find them by their
// object names, which are the member names below. The instance made at start
// builds them when it is first shown.
class TFcompet2 : public widgets::LazyDialog {
    Q_OBJECT
public:
    // chooser: the long-lived competition chooser used by the participant
    // copy; without one the workbook keeps a chooser of its own.
    explicit TFcompet2(Tdm& data, Tfselcomp* chooser = nullptr, QWidget* parent = nullptr,
                       widgets::Build build = widgets::Build::Now);
    ~TFcompet2() override;

    enum Page { PagPruebas = 0, PagJornadas = 1, PagParticipantes = 2, PagEspeciales = 3, PagCupos = 4 };

    // The competition list, most recent days first.
    engine::Query ABSQ;
    engine::DataSource DSabsq{&ABSQ};
    // The fishermen pick list, by name.
    engine::Table tPescadores;
    engine::DataSource dsPescadores{&tPescadores};
    // Watches the participant's state for the buttons.
    engine::DataSource DSTaParticipa;

    void done(int r) override;

private Q_SLOTS:
    void BNuevaPruebaClick();
    void bEditarPruebaClick();
    void BBorrarPruebaClick();
    void BPartNuevoClick();
    void BPartEditarClick();
    void BPartGuardarClick();
    void BPartCancelarClick();
    void BPartBorrarClick();
    void SBpescadoresClick();
    void BBdeAnteriorParticipanClick();
    void BBdeAnteriorespecialesClick();
    void BBDeAnteriorCuposClick();

protected:
    void showEvent(QShowEvent* e) override;
    void buildControls() override;
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    // Top and bottom.
    widgets::DataLabel* LTitulo = nullptr;
    widgets::DataLabel* LFecha = nullptr;
    widgets::DataLabel* LLugar = nullptr;
    QPushButton* BTerminar = nullptr;
    QTabWidget* PC = nullptr;
    QWidget* TSPruebas = nullptr;
    QWidget* TSJornadas = nullptr;
    QWidget* TSParticipantes = nullptr;
    QWidget* TSEspeciales = nullptr;
    QWidget* TSCupos = nullptr;

    // Pruebas.
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
    widgets::DataGrid* DBCpompeticiones = nullptr;
    widgets::DataNavigator* DBNPruebas = nullptr;
    QPushButton* BNuevaPrueba = nullptr;
    QPushButton* bEditarPrueba = nullptr;
    QPushButton* BBorrarPrueba = nullptr;

    // Jornadas.
    QLabel* LAyudaJornada = nullptr;
    widgets::DataGrid* DBGJornadas = nullptr;
    widgets::DataNavigator* DBNavJornadas = nullptr;
    widgets::DataEdit* DBENumero = nullptr;
    widgets::DataEdit* DBEFecha = nullptr;
    widgets::DataEdit* DBEHorario = nullptr;
    widgets::DataEdit* DBELugar = nullptr;

    // Participantes.
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

    // Especiales.
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

    // Cupos.
    widgets::DataLookupCombo* DBEspecie = nullptr;
    widgets::DataEdit* DBECupoEjemplares = nullptr;
    widgets::DataEdit* DBECupoPuntos = nullptr;
    widgets::DataNavigator* DBNCupos = nullptr;
    QPushButton* BBDeAnteriorCupos = nullptr;
    widgets::DataGrid* DBGCupos = nullptr;
    QLabel* LCuposApagados = nullptr;

    void buildTop();
    void buildPruebas();
    void buildJornadas();
    void buildParticipantes();
    void buildEspeciales();
    void buildCupos();
    void showCuposApagados();

    void listMoved();
    void refreshList();
    bool moveListTo(const QString& codigo);
    void PCChange(int index);
    void goToPage(int index);
    void participantStateChanged();
    void DBEDNIExit();
    void placePanel();
    void hidePanel();
    void fishermanChosen();
    void reopenRuleList(engine::Query& q, const QString& condition);
    QString currentCode();

    Tdm& dm_;
    Tfselcomp* chooser_ = nullptr;
    Tfselcomp* ownChooser_ = nullptr;
    bool changingPage_ = false;
};

// The long-lived workbook, created at start.
extern TFcompet2* FCompet2;
