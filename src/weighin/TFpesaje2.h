#pragma once

#include "engine/DataSource.h"
#include "engine/Table.h"
#include "ranking/Tfclasificacion.h"
#include "scoring/Pesaje.h"

#include <QDialog>
#include <QPointer>

class QComboBox;
class QLabel;
class QLayout;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class Tdm;

namespace widgets {
class DataEdit;
class DataGrid;
class DataLookupCombo;
class DataNavigator;
}  // namespace widgets

// The weigh-in "PESAJE" of the current competition and day: the officials
// enter every catch line team by team, correct and delete lines, and see the
// team's tally, the day's best marks and, in its own window, the live day
// ranking. The arithmetic is the scoring core's (Pesaje); the screen binds
// controls to it and asks the questions.
class TFpesaje2 : public QDialog {
    Q_OBJECT
public:
    explicit TFpesaje2(Tdm& data, QWidget* parent = nullptr);
    ~TFpesaje2() override;

    // The current team (held by the hidden spin box).
    int equipo() const;
    // The lines of the current team shown in the grid, and the tally.
    engine::Table& lineas() { return TApesada; }
    Pesaje& pesaje() { return pesaje_; }
    Tfclasificacion* clasificacion() const { return fclasificacion; }

    void done(int r) override;

protected:
    void showEvent(QShowEvent* e) override;
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void build();
    QLayout* buildTeamBar();
    QLayout* buildEntryBar();
    void buildLines();
    QLayout* buildBottom();
    QLayout* buildTally();
    QWidget* buildBest();
    QLayout* buildButtons();
    void llenarEquipos();
    void activar();
    void primeraActivacion();
    void inicializar();
    void elegirItem(int index);
    void moverEquipo(int paso);
    void cambioEquipo();
    void empezarEquipo();
    void nuevaEntrada();
    void salirPeso();
    void guardar();
    void editarLinea();
    void borrarLinea();
    void verNoVer();
    void rotuloVerNoVer();
    void mostrarTally();
    void mostrarMejores();
    void refrescarClasificacion();
    void mostrarLineasActuales();
    QString primeraLineaMiembros() const;

    Tdm& dm_;
    Pesaje pesaje_;
    ReglasPrueba reglas_;  // the competition's rules, fixed while the weigh-in is open
    engine::Table TApesada;
    engine::DataSource DSpesada{&TApesada};
    engine::DataSource DSpes2;
    engine::Table taEspecies;
    QPointer<Tfclasificacion> fclasificacion;
    bool activo_ = false;  // activated, not deactivated since

    QComboBox* CBEquipos = nullptr;
    QPushButton* BAnterior = nullptr;
    QPushButton* BSiguiente = nullptr;
    QPlainTextEdit* Memo2 = nullptr;
    QSpinBox* SPeq = nullptr;
    QPushButton* BBok = nullptr;
    widgets::DataEdit* DBEPiezas = nullptr;
    widgets::DataLookupCombo* DBLCBPez = nullptr;
    widgets::DataEdit* DBEPeso = nullptr;
    widgets::DataEdit* dbPesoValido = nullptr;
    QPushButton* BBGuardar = nullptr;
    widgets::DataGrid* DBGrid1 = nullptr;
    widgets::DataNavigator* DBNpescada = nullptr;
    QLabel* lnpuntos = nullptr;
    QLabel* lPuntosEspecies = nullptr;
    QLabel* LEspecies = nullptr;
    QLabel* lPuntosCupos = nullptr;
    QLabel* LCupos = nullptr;
    QLabel* lPValidas = nullptr;
    QLabel* Lppmayor = nullptr;
    QLabel* lTotal = nullptr;
    QLabel* lempuntos = nullptr;
    QLabel* lpmayorCamp = nullptr;
    QPushButton* VerNoVer = nullptr;
    QPushButton* bbImprimir = nullptr;
    QPushButton* BBSalir = nullptr;
};
