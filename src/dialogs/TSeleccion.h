#pragma once

#include "engine/DataSource.h"
#include "engine/Query.h"
#include "engine/Table.h"
#include "widgets/LazyDialog.h"

#include <QLabel>
#include <QPushButton>

class Tdm;
namespace widgets {
class DataGrid;
}

// The competition and day chooser "Selección de Prueba". Each showing opens
// the competition list (most recent days first) and the days of the chosen
// competition; OK makes that competition and day current and records the
// team range; Cancelar, Escape and the window's close button change nothing.
// The long-lived instance made at start builds its controls when it is first
// shown or its day list first hidden.
class TSeleccion : public widgets::LazyDialog {
    Q_OBJECT
public:
    explicit TSeleccion(Tdm& data, QWidget* parent = nullptr, widgets::Build build = widgets::Build::Now);
    ~TSeleccion() override;

    // The competition list and the days of its current competition.
    engine::Query Selec;
    engine::DataSource DSSelec{&Selec};
    engine::Table taJornada;
    engine::DataSource DSJornada{&taJornada};

    // The controls, once built (see ensureBuilt).
    QLabel* LCompeticion = nullptr;
    widgets::DataGrid* DBGComp = nullptr;
    QLabel* stJornada = nullptr;
    widgets::DataGrid* DBGJor = nullptr;
    QPushButton* BBOK = nullptr;
    QPushButton* BBCancel = nullptr;

    // A caller that needs only a competition hides the day list ("Jornada"
    // and its grid) before showing the chooser and shows it again afterwards.
    void setDayListVisible(bool visible);

    void done(int r) override;

protected:
    void showEvent(QShowEvent* e) override;
    void buildControls() override;

private:
    void openLists();
    void closeLists();
    bool aceptar();

    Tdm& dm_;
};

// The long-lived chooser created at start, shown by most commands.
extern TSeleccion* Seleccion;
