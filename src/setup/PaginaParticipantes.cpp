#include "setup/PaginaParticipantes.h"

#include "dialogs/Tfselcomp.h"
#include "data/Dialogs.h"
#include "data/Globals.h"
#include "data/Tdm.h"
#include "setup/Copia.h"
#include "setup/PanelPescadores.h"
#include "setup/TFcompet2.h"
#include "setup/WorkbookControls.h"
#include "widgets/DataEdit.h"
#include "widgets/DataGrid.h"
#include "widgets/Guard.h"

#include <QApplication>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <functional>

using widgets::DataEdit;
using widgets::DataGrid;
using widgets::GridColumn;
using widgets::guarded;
using workbook::button;
using workbook::edit;
using workbook::label;

namespace {

// The DNI field: its owner hears when the user leaves it and when Down asks
// for the fishermen pick list.
class DniEdit : public DataEdit {
public:
    using DataEdit::DataEdit;
    std::function<void()> onExit;
    std::function<void()> onDown;

protected:
    void focusOutEvent(QFocusEvent* e) override
    {
        DataEdit::focusOutEvent(e);  // writes the typed DNI first
        // Leaving the field for another control, not the window losing focus.
        if (onExit && e->reason() != Qt::ActiveWindowFocusReason && e->reason() != Qt::PopupFocusReason)
            onExit();
    }
    void keyPressEvent(QKeyEvent* e) override
    {
        if (e->key() == Qt::Key_Down && !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) && onDown) {
            e->accept();
            onDown();
            return;
        }
        DataEdit::keyPressEvent(e);
    }
};

}  // namespace

PaginaParticipantes::PaginaParticipantes(Tdm& data, TFcompet2& workbook, Tfselcomp* chooser)
    : dm_(data), workbook_(workbook), tPescadores(workbook.tPescadores), chooser_(chooser)
{
    setObjectName("TSParticipantes");
    engine::DataSource* s = &dm_.Sparticipa;

    DBEEquipo = edit(s, "Equipo", "DBEEquipo", this, 6);
    DBEEquipo->setIntegerRange(1, 32767);
    auto* dni = new DniEdit(s, "DNI");
    dni->setParent(this);
    dni->setObjectName("DBEDNI");
    dni->setFixedWidth(dni->fontMetrics().averageCharWidth() * 12 + 16);
    dni->onExit = [this] { DBEDNIExit(); };
    dni->onDown = [this] { SBpescadoresClick(); };
    DBEDNI = dni;
    SBpescadores = new QToolButton(this);
    SBpescadores->setObjectName("SBpescadores");
    SBpescadores->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    SBpescadores->setToolTip("Buscar");
    // In the tab order after the DNI; Space presses it.
    SBpescadores->setFocusPolicy(Qt::StrongFocus);
    connect(SBpescadores, &QToolButton::clicked, this, &PaginaParticipantes::SBpescadoresClick);
    DBENombre = edit(s, "Nombre", "DBENombre", this);
    DBEFechaNac = edit(s, "Fecha nacimiento", "DBEFechaNac", this, 11);
    DBELicencia = edit(s, "Licencia", "DBELicencia", this, 12);
    DBEClub = edit(s, "Club", "DBEClub", this);

    auto* dniBox = new QHBoxLayout;
    dniBox->setSpacing(2);
    dniBox->addWidget(DBEDNI);
    dniBox->addWidget(SBpescadores);
    dniBox->addStretch();

    auto* form = new QGridLayout;
    int r = 0;
    form->addWidget(label("Equipo", this, DBEEquipo), r, 0);
    form->addWidget(DBEEquipo, r++, 1, Qt::AlignLeft);
    form->addWidget(label("ID", this, DBEDNI), r, 0);
    form->addLayout(dniBox, r++, 1);
    form->addWidget(label("Nombre", this, DBENombre), r, 0);
    form->addWidget(DBENombre, r++, 1);
    form->addWidget(label("Fecha nacimiento", this, DBEFechaNac), r, 0);
    form->addWidget(DBEFechaNac, r++, 1, Qt::AlignLeft);
    form->addWidget(label("Licencia", this, DBELicencia), r, 0);
    form->addWidget(DBELicencia, r++, 1, Qt::AlignLeft);
    form->addWidget(label("Club", this, DBEClub), r, 0);
    form->addWidget(DBEClub, r++, 1);
    form->setColumnMinimumWidth(1, DBENombre->fontMetrics().averageCharWidth() * 40);
    form->setVerticalSpacing(2);

    BPartNuevo = button("&Nuevo", "BPartNuevo", this);
    BPartEditar = button("&Editar", "BPartEditar", this);
    BPartGuardar = button("&Guardar", "BPartGuardar", this);
    BPartCancelar = button("&Cancelar", "BPartCancelar", this);
    BPartBorrar = button("Borrar", "BPartBorrar", this);
    BBdeAnteriorParticipan =
        button("De anterior", "BBdeAnteriorParticipan", this, "Incorporar de pruebas anteriores");
    connect(BPartNuevo, &QPushButton::clicked, this, &PaginaParticipantes::BPartNuevoClick);
    connect(BPartEditar, &QPushButton::clicked, this, &PaginaParticipantes::BPartEditarClick);
    connect(BPartGuardar, &QPushButton::clicked, this, &PaginaParticipantes::BPartGuardarClick);
    connect(BPartCancelar, &QPushButton::clicked, this, &PaginaParticipantes::BPartCancelarClick);
    connect(BPartBorrar, &QPushButton::clicked, this, &PaginaParticipantes::BPartBorrarClick);
    connect(BBdeAnteriorParticipan, &QPushButton::clicked, this, &PaginaParticipantes::BBdeAnteriorParticipanClick);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {BPartNuevo, BPartEditar, BPartGuardar, BPartCancelar, BPartBorrar})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(BBdeAnteriorParticipan);

    DBGParticipa = new DataGrid(s, {GridColumn("Equipo", {}, {}, 0, 7), GridColumn("Nombre", {}, {}, 0, 36),
                                    GridColumn("Club", {}, {}, 0, 24)},
                                this);
    DBGParticipa->setObjectName("DBGParticipa");
    DBGParticipa->horizontalHeader()->setStretchLastSection(true);

    auto* page = new QVBoxLayout(this);
    page->setSpacing(4);
    auto* top = new QHBoxLayout;
    top->addLayout(form);
    top->addStretch();
    page->addLayout(top);
    page->addLayout(buttons);
    page->addWidget(DBGParticipa, 1);

    // The fishermen pick panel floats over the page, under the DNI field.
    PanelPescadores = new TPanelPescadores(tPescadores, &workbook_.dsPescadores, this);
    connect(PanelPescadores, &TPanelPescadores::chosen, this, &PaginaParticipantes::fishermanChosen);
    connect(PanelPescadores, &TPanelPescadores::cancelled, this, [this] { DBEDNI->setFocus(); });
    connect(PanelPescadores, &TPanelPescadores::abandoned, this, [this] { DBENombre->setFocus(); });

    // The buttons follow the participant and the competition.
    connect(&workbook_.DSTaParticipa, &engine::DataSource::stateChanged, this,
            &PaginaParticipantes::participantStateChanged);
    connect(&dm_.Scomp, &engine::DataSource::stateChanged, this, &PaginaParticipantes::participantStateChanged);
    BPartGuardar->setEnabled(false);
    BPartCancelar->setEnabled(false);
}

void PaginaParticipantes::participantStateChanged()
{
    const bool editing = dm_.TAparticipa.isEditing();
    if (editing) {
        BPartGuardar->setEnabled(true);
        BPartCancelar->setEnabled(true);
        BPartNuevo->setEnabled(false);
        BPartEditar->setEnabled(false);
        BPartBorrar->setEnabled(false);
    } else if (!dm_.TAcomp.isEditing()) {
        BPartGuardar->setEnabled(false);
        BPartCancelar->setEnabled(false);
        BPartNuevo->setEnabled(true);
        BPartEditar->setEnabled(true);
        BPartBorrar->setEnabled(true);
    }
}

void PaginaParticipantes::BPartNuevoClick()
{
    if (guarded([this] { dm_.TAparticipa.insert(); }))
        DBEEquipo->setFocus();
}

void PaginaParticipantes::BPartEditarClick()
{
    guarded([this] { dm_.TAparticipa.edit(); });
}

void PaginaParticipantes::BPartGuardarClick()
{
    // A refusal leaves the participant in editing, everything typed kept.
    guarded([this] { dm_.TAparticipa.post(); });
}

void PaginaParticipantes::BPartCancelarClick()
{
    hidePanel();
    guarded([this] { dm_.TAparticipa.cancel(); });
}

void PaginaParticipantes::BPartBorrarClick()
{
    guarded([this] {
        if (dm_.TAparticipa.isEmpty())
            return;
        dm_.TAparticipa.remove();  // the record rules ask and cascade
    });
}

void PaginaParticipantes::DBEDNIExit()
{
    engine::Table& part = dm_.TAparticipa;
    if (!part.isEditing() || !dm_.TaPescadores.active())
        return;
    guarded([&] {
        const QString dni = part.fieldByName("DNI").asString();
        if (dni.isEmpty())
            return;
        engine::Table& reg = dm_.TaPescadores;
        if (!reg.seek(QVariant(dni)))
            return;
        part.fieldByName("Nombre").setValue(reg.fieldByName("Nombre").value());
        part.fieldByName("Fecha nacimiento").setValue(reg.fieldByName("Fecha _nac").value());
        part.fieldByName("Club").setValue(reg.fieldByName("Club").value());
        part.fieldByName("Licencia").setValue(reg.fieldByName("Licencia").value());
    });
}

void PaginaParticipantes::placePanel()
{
    const QPoint below = DBEDNI->mapTo(this, QPoint(0, DBEDNI->height()));
    PanelPescadores->move(below);
}

void PaginaParticipantes::SBpescadoresClick()
{
    if (!dm_.TAparticipa.isEditing() && !guarded([this] { dm_.TAparticipa.edit(); }))
        return;
    placePanel();
    PanelPescadores->open();
}

void PaginaParticipantes::hidePanel()
{
    if (PanelPescadores)
        PanelPescadores->dismiss();
}

void PaginaParticipantes::disconnectPanel()
{
    disconnect(qApp, &QApplication::focusChanged, PanelPescadores, nullptr);
    PanelPescadores->disconnect(this);
}

void PaginaParticipantes::fishermanChosen()
{
    engine::Table& part = dm_.TAparticipa;
    if (part.isEditing() && tPescadores.active() && tPescadores.currentRow() >= 0)
        guarded([&] {
            part.fieldByName("DNI").setValue(tPescadores.fieldByName("DNI").value());
            part.fieldByName("Nombre").setValue(tPescadores.fieldByName("Nombre").value());
            part.fieldByName("Fecha nacimiento").setValue(tPescadores.fieldByName("Fecha _nac").value());
            part.fieldByName("Club").setValue(tPescadores.fieldByName("Club").value());
            part.fieldByName("Licencia").setValue(tPescadores.fieldByName("Licencia").value());
        });
    DBENombre->setFocus();
}

void PaginaParticipantes::BBdeAnteriorParticipanClick()
{
    const QString code = workbook_.currentCode();
    // The competition being filled is not offered.
    chooser_->setFilter(Tfselcomp::excludeFilter(code));
    chooser_->setFiltered(true);
    const int r = chooser_->exec();
    chooser_->setFilter({});
    chooser_->setFiltered(false);
    if (r != QDialog::Accepted)
        return;
    if (competicionElegida == code) {
        ShowMsg("No puede seleccionar la misma prueba que la de destino");
        return;
    }
    if (competicionElegida.isEmpty())
        return;  // no other competition to copy from
    hidePanel();
    guarded([this] { copiarParticipantes(dm_, competicionElegida); });
}
