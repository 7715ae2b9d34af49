#include "setup/PaginaPruebas.h"

#include "data/Dialogs.h"
#include "data/Globals.h"
#include "data/Tdm.h"
#include "setup/TFcompet2.h"
#include "setup/TfDefComp.h"
#include "setup/WorkbookControls.h"
#include "widgets/DataControls.h"
#include "widgets/DataEdit.h"
#include "widgets/DataGrid.h"
#include "widgets/DataNavigator.h"
#include "widgets/Guard.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using widgets::DataEdit;
using widgets::DataGrid;
using widgets::DataNavigator;
using widgets::GridColumn;
using widgets::guarded;
using workbook::button;
using workbook::edit;
using workbook::label;

namespace {

// A number edit with its unit after it, in one cell.
QWidget* withUnit(QWidget* field, const QString& unit, QWidget* parent)
{
    auto* box = new QWidget(parent);
    auto* h = new QHBoxLayout(box);
    h->setContentsMargins(0, 0, 0, 0);
    h->addWidget(field);
    if (!unit.isEmpty())
        h->addWidget(new QLabel(unit, box));
    h->addStretch();
    return box;
}

}  // namespace

PaginaPruebas::PaginaPruebas(Tdm& data, TFcompet2& workbook)
    : dm_(data), workbook_(workbook), ABSQ(workbook.ABSQ), DSabsq(workbook.DSabsq)
{
    setObjectName("TSPruebas");
    engine::DataSource* s = &dm_.Scomp;

    DBECodigo = edit(s, "Codigo", "DBECodigo", this, 8);
    DBETitulo = edit(s, "Titulo", "DBETitulo", this);
    DBETitulo->setMinimumWidth(DBETitulo->fontMetrics().averageCharWidth() * 34);
    DBRGTipo = new widgets::DataRadioGroup(" Tipo de Prueba ", this);
    DBRGTipo->setObjectName("DBRGTipo");
    DBRGTipo->setItems({"Individual", "Equipos"}, {"I", "E"});
    DBRGTipo->setColumns(2);
    DBRGTipo->setDataSource(s, "Tipo");
    DBEpMinimo = edit(s, "Peso minimo", "DBEpMinimo", this, 8);
    DBEPunPieza = edit(s, "Puntos pieza", "DBEPunPieza", this, 8);
    DBEPunGramo = edit(s, "Puntos gramo", "DBEPunGramo", this, 8);
    DBEPesoMax = edit(s, "Peso maximo", "DBEPesoMax", this, 8);
    DBEPesoMax->setToolTip(QString::fromUtf8("Dejar a 0 si no hay máximo"));
    DBEPesoPenal = edit(s, "Peso penalizable", "DBEPesoPenal", this, 8);
    DBEPenalGramo = edit(s, "Penalizacion gramo", "DBEPenalGramo", this, 8);
    DBEPuntosEsp = edit(s, "Puntos Especie", "DBEPuntosEsp", this, 8);
    DBEPuntosCupo = edit(s, "Puntos Cupo", "DBEPuntosCupo", this, 8);
    DBEjeCupo = edit(s, "EjemplaresCupo", "DBEjeCupo", this, 8);

    auto* form = new QGridLayout;
    int r = 0;
    form->addWidget(label(QString::fromUtf8("Código:"), this, DBECodigo), r, 0);
    form->addWidget(DBECodigo, r++, 1, Qt::AlignLeft);
    form->addWidget(label("Nombre:", this, DBETitulo), r, 0);
    form->addWidget(DBETitulo, r++, 1);
    form->addWidget(DBRGTipo, r++, 0, 1, 2);
    struct Row {
        const char* caption;
        DataEdit* field;
        const char* unit;
    };
    for (const Row& row : {Row{"Peso mínimo:", DBEpMinimo, "gr."}, Row{"Puntos por pieza:", DBEPunPieza, ""},
                           Row{"Puntos por gramo:", DBEPunGramo, ""}, Row{"Peso máximo puntuable:", DBEPesoMax, "gr."},
                           Row{"Mínimo sin penalizar:", DBEPesoPenal, "gr."},
                           Row{"Penalización:", DBEPenalGramo, "Ptos."}, Row{"Puntos Especie:", DBEPuntosEsp, ""},
                           Row{"Puntos Cupo:", DBEPuntosCupo, ""}, Row{"Ejemplares Cupo", DBEjeCupo, ""}}) {
        form->addWidget(label(QString::fromUtf8(row.caption), this, row.field), r, 0);
        form->addWidget(withUnit(row.field, QString::fromUtf8(row.unit), this), r++, 1);
    }
    form->setRowStretch(r, 1);
    // Twelve rows in the height of the main window.
    form->setVerticalSpacing(2);

    DBCompeticiones = new DataGrid(&DSabsq, {GridColumn("codigo", QString::fromUtf8("Código"), {}, 0, 8),
                                             GridColumn("titulo", "Prueba", {}, 0, 36)},
                                   this);
    DBCompeticiones->setObjectName("DBCompeticiones");
    DBCompeticiones->horizontalHeader()->setStretchLastSection(true);
    DBCompeticiones->setMinimumWidth(DBCompeticiones->fontMetrics().averageCharWidth() * 40 + 40);

    DBNPruebas = new DataNavigator(&DSabsq, {DataNavigator::First, DataNavigator::Prior, DataNavigator::Next,
                                             DataNavigator::Last},
                                   {"Primero", "Anterior", "Siguiente", QString::fromUtf8("Último")}, this);
    DBNPruebas->setObjectName("DBNPruebas");
    DBNPruebas->afterAction = [this](DataNavigator::Button) { refreshList(); };

    BNuevaPrueba = button("&Nueva", "BNuevaPrueba", this, "Definir una prueba nueva");
    // Both open the definition dialog and carry the same hint.
    bEditarPrueba = button("&Editar", "bEditarPrueba", this, "Definir una prueba nueva");
    BBorrarPrueba = button("Borrar", "BBorrarPrueba", this, "Borrar una prueba");
    connect(BNuevaPrueba, &QPushButton::clicked, this, &PaginaPruebas::BNuevaPruebaClick);
    connect(bEditarPrueba, &QPushButton::clicked, this, &PaginaPruebas::bEditarPruebaClick);
    connect(BBorrarPrueba, &QPushButton::clicked, this, &PaginaPruebas::BBorrarPruebaClick);

    auto* list = new QVBoxLayout;
    list->addWidget(DBCompeticiones, 1);
    list->addWidget(DBNPruebas);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BNuevaPrueba);
    buttons->addWidget(bEditarPrueba);
    buttons->addWidget(BBorrarPrueba);
    list->addLayout(buttons);

    auto* page = new QHBoxLayout(this);
    page->addLayout(form);
    page->addSpacing(12);
    page->addLayout(list, 1);
}

void PaginaPruebas::refreshList()
{
    guarded([this] {
        if (ABSQ.active())
            ABSQ.refresh();
        else
            ABSQ.open();
    });
}

bool PaginaPruebas::moveListTo(const QString& codigo)
{
    if (!ABSQ.active())
        return false;
    const int fi = ABSQ.fieldIndex("codigo");
    for (int r = 0; r < ABSQ.recordCount(); ++r)
        if (ABSQ.rowValue(r, fi).toString() == codigo) {
            guarded([this, r] { ABSQ.moveTo(r); });
            return true;
        }
    return false;
}

void PaginaPruebas::BNuevaPruebaClick()
{
    modoDefinicion = 3;
    {
        TfDefComp dlg(dm_, &workbook_);
        if (dlg.exec() == QDialog::Accepted) {
            refreshList();
            guarded([this] { ABSQ.first(); });
        }
    }
    refreshList();
}

void PaginaPruebas::bEditarPruebaClick()
{
    modoDefinicion = 2;
    {
        TfDefComp dlg(dm_, &workbook_);
        dlg.exec();
    }
    refreshList();
}

void PaginaPruebas::BBorrarPruebaClick()
{
    if (!ABSQ.active() || ABSQ.isEmpty()) {
        refreshList();
        return;
    }
    const int fc = ABSQ.fieldIndex("codigo");
    const QString selected = ABSQ.fieldByName("codigo").asString();
    const QString titulo = ABSQ.fieldByName("titulo").asString();
    const int row = ABSQ.currentRow();
    const QString following = row + 1 < ABSQ.recordCount() ? ABSQ.rowValue(row + 1, fc).toString() : QString();

    bool deleted = false;
    if (MsgDlg(QString::fromUtf8("¿Quiere borrar la prueba") + "\n\r" + titulo + "?", mtWarning,
               mbYes | mbNo | mbKeepDefault, 0) ==
        mrYes) {
        deleted = guarded([&] {
            // Only the competition the list shows selected is deleted.
            engine::Table& comp = dm_.TAcomp;
            if (comp.isEditing())
                comp.post();
            if (comp.fieldByName("Codigo").asString() != selected && !comp.locate("Codigo", selected))
                throw engine::Abort();
            comp.remove();  // the record rule asks once more
        });
    }
    refreshList();
    if (deleted && !following.isEmpty())
        moveListTo(following);
}
