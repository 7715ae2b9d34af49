#pragma once

#include "widgets/LazyDialog.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class Tdm;

namespace widgets {
class NumberBox;
}

// "Penalizaciones": records a team's penalty on the current day of the
// current competition, in points or as a percentage of the team's day
// points ("Calc"), with a motive; "&Guardar" stores it in PENAL and applies
// it to the team's classification record. Created once at start and shown
// again and again: the chosen team and every control keep their contents
// between openings, except the participant list, refilled on each. The
// instance made at start builds its controls on its first opening.
class TtfPenal : public widgets::LazyDialog {
    Q_OBJECT
public:
    explicit TtfPenal(Tdm& data, QWidget* parent = nullptr, widgets::Build build = widgets::Build::Now);

    // The controls, once built (see ensureBuilt).
    QLabel* LPrueba = nullptr;
    QComboBox* CBParticipa = nullptr;
    QGroupBox* RGPenal = nullptr;
    QRadioButton* RBPuntos = nullptr;
    QRadioButton* RBPorcentaje = nullptr;
    widgets::NumberBox* NBPenal = nullptr;
    widgets::NumberBox* NBPorcentaje = nullptr;
    QPushButton* BCal = nullptr;
    QLineEdit* EMotivo = nullptr;
    QPushButton* BGuardar = nullptr;
    QPushButton* BTerminar = nullptr;

    // Refills the participant list from the current competition, sets the
    // title and shows the dialog modally (after the chooser's OK).
    void abrir();

    // The team the dialog works on: set whenever a participant is chosen,
    // 0 until the first choice.
    int equipo() const { return equipo_; }

protected:
    void showEvent(QShowEvent* e) override;
    void buildControls() override;

private:
    void CBParticipaChange(int index);
    void RGPenalClick();
    void BCalClick();
    void BGuardarClick();

    Tdm& dm_;
    int equipo_ = 0;
    bool elegido_ = false;  // a participant was chosen in this opening
};

// The long-lived penalties dialog created at start.
extern TtfPenal* tfPenal;
