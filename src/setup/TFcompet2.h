#pragma once

#include "engine/DataSource.h"
#include "engine/Query.h"
#include "engine/Table.h"
#include "widgets/LazyDialog.h"

#include <QPointer>

class PaginaCupos;
class PaginaEspeciales;
class PaginaJornadas;
class PaginaParticipantes;
class PaginaPruebas;
class QPushButton;
class QTabWidget;
class Tdm;
class Tfselcomp;

namespace widgets {
class DataLabel;
}  // namespace widgets

// The competition workbook "Competiciones": the list of competitions with
// their scoring constants, the days, participants, species rules and quotas
// of the current competition. Almost every control is bound to the data
// module's table objects, so the record rules run for every change made here.
// One instance lives as long as the main window and is shown modally again
// and again; each showing starts on the Pruebas page with the list's first
// competition current. Each page is a class of its own (PaginaPruebas,
// PaginaJornadas, PaginaParticipantes, PaginaEspeciales, PaginaCupos); the
// workbook keeps the page control, the objects the pages share and what
// crosses pages: the page-change rules, closing, the current competition.
// The controls are private; tests find them by their object names, which are
// the member names of the workbook and its pages. The instance made at start
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

    // The current competition's code, "" when there is none.
    QString currentCode();

    void done(int r) override;

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
    PaginaPruebas* TSPruebas = nullptr;
    PaginaJornadas* TSJornadas = nullptr;
    PaginaParticipantes* TSParticipantes = nullptr;
    PaginaEspeciales* TSEspeciales = nullptr;
    PaginaCupos* TSCupos = nullptr;

    void buildTop();

    void listMoved();
    void PCChange(int index);
    void goToPage(int index);
    void hidePanel();
    void reopenRuleList(engine::Query& q, const QString& condition);

    Tdm& dm_;
    Tfselcomp* chooser_ = nullptr;
    Tfselcomp* ownChooser_ = nullptr;
    bool changingPage_ = false;
};

// The long-lived workbook, created at start.
extern TFcompet2* FCompet2;
