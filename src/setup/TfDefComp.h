#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class Tdm;

namespace widgets {
class DataEdit;
class DataRadioGroup;
}  // namespace widgets

// "Definición de competición": creates a competition (modoDefinicion 3) or
// edits the current one (modoDefinicion 2) through controls bound to the data
// module's TAcomp. Created for one use, shown modally, released afterwards.
//
// "&Guardar" posts the competition and closes with OK only when the post
// succeeded; a refusal (an empty code or name, a code already used) is shown
// and the dialog stays open with everything typed, so the user can correct
// it or cancel. "&Cancelar", Escape and the window's close button discard
// whatever is pending.
class TfDefComp : public QDialog {
    Q_OBJECT
public:
    explicit TfDefComp(Tdm& data, QWidget* parent = nullptr);
    ~TfDefComp() override;

    widgets::DataEdit* DBECodigo = nullptr;
    widgets::DataEdit* DBETitulo = nullptr;
    widgets::DataRadioGroup* DBRGTipo = nullptr;
    widgets::DataEdit* DBEpMinimo = nullptr;
    widgets::DataEdit* DBEPunPieza = nullptr;
    widgets::DataEdit* DBEPunGramo = nullptr;
    widgets::DataEdit* DBEPesoMax = nullptr;
    widgets::DataEdit* DBEPesoPenal = nullptr;
    widgets::DataEdit* DBEPenalGramo = nullptr;
    widgets::DataEdit* DBEPuntosCupo = nullptr;
    widgets::DataEdit* DBEjeCupo = nullptr;
    widgets::DataEdit* DBEPuntosEsp = nullptr;
    QPushButton* BBOK = nullptr;
    QPushButton* BBCancel = nullptr;

    void done(int r) override;

protected:
    void showEvent(QShowEvent* e) override;

private:
    void build();
    void activate();
    void BBOKClick();
    void BBCancelClick();
    void discardPending();

    Tdm& data_;
    bool activated_ = false;
};
