#include "setup/PaginaEspeciales.h"

#include "dialogs/Tfselcomp.h"
#include "data/Dialogs.h"
#include "data/Globals.h"
#include "data/Tdm.h"
#include "setup/Copia.h"
#include "setup/TFcompet2.h"
#include "setup/WorkbookControls.h"
#include "widgets/DataControls.h"
#include "widgets/DataEdit.h"
#include "widgets/DataGrid.h"
#include "widgets/DataLookupCombo.h"
#include "widgets/DataNavigator.h"
#include "widgets/Guard.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>

using widgets::DataGrid;
using widgets::DataNavigator;
using widgets::GridColumn;
using widgets::guarded;
using workbook::button;
using workbook::edit;
using workbook::label;

PaginaEspeciales::PaginaEspeciales(Tdm& data, TFcompet2& workbook) : dm_(data), workbook_(workbook)
{
    setObjectName("TSEspeciales");
    engine::DataSource* s = &dm_.Sespecial;

    DBLCBEspPeces = new widgets::DataLookupCombo(this);
    DBLCBEspPeces->setObjectName("DBLCBEspPeces");
    DBLCBEspPeces->setListSource(&dm_.TAespecies, "Nombre", "Codigo");
    DBLCBEspPeces->setDataSource(s, "Cod pez");
    DBLCBEspPeces->setMinimumWidth(DBLCBEspPeces->fontMetrics().averageCharWidth() * 24);
    DBEEspPesoMinimo = edit(s, "Peso minimo", "DBEEspPesoMinimo", this, 8);
    DBEEspPuntosPieza = edit(s, "Puntos pieza", "DBEEspPuntosPieza", this, 8);
    DBEEspPuntosGramo = edit(s, "Puntos gramo", "DBEEspPuntosGramo", this, 8);
    DBEEspPesoPenal = edit(s, "Peso penalizable", "DBEEspPesoPenal", this, 8);
    DBEEspPenalGramo = edit(s, "Penalizacion gramo", "DBEEspPenalGramo", this, 8);
    DBCBPuntua = new widgets::DataCheckBox(QString::fromUtf8("&Válido pieza mayor"), s, "Puntua", this);
    DBCBPuntua->setObjectName("DBCBPuntua");
    DBCBBonifica = new widgets::DataCheckBox("Boni&fica especie", s, "BonificaEspecie", this);
    DBCBBonifica->setObjectName("DBCBBonifica");

    auto* form = new QGridLayout;
    form->addWidget(label("P&EZ", this, DBLCBEspPeces), 0, 0);
    form->addWidget(DBLCBEspPeces, 0, 1);
    form->addWidget(label(QString::fromUtf8("Peso &mínimo"), this, DBEEspPesoMinimo), 0, 2);
    form->addWidget(DBEEspPesoMinimo, 0, 3);
    form->addWidget(label("&Puntos pieza", this, DBEEspPuntosPieza), 1, 0);
    form->addWidget(DBEEspPuntosPieza, 1, 1, Qt::AlignLeft);
    form->addWidget(label("Puntos &gramo", this, DBEEspPuntosGramo), 1, 2);
    form->addWidget(DBEEspPuntosGramo, 1, 3);
    form->addWidget(label("Peso penaliza&ble (menos de)", this, DBEEspPesoPenal), 2, 0);
    form->addWidget(DBEEspPesoPenal, 2, 1, Qt::AlignLeft);
    form->addWidget(label(QString::fromUtf8("Puntos Penali&zación"), this, DBEEspPenalGramo), 2, 2);
    form->addWidget(DBEEspPenalGramo, 2, 3);
    form->addWidget(DBCBPuntua, 3, 0, 1, 2);
    form->addWidget(DBCBBonifica, 3, 2, 1, 2);
    form->setColumnStretch(4, 1);

    DBNEspeciales = new DataNavigator(s, {DataNavigator::Insert, DataNavigator::Delete, DataNavigator::Edit,
                                          DataNavigator::Post, DataNavigator::Cancel},
                                      {"Nuevo", "Borrar", "Modificar", "Guardar", QString::fromUtf8("Cancelar edición")},
                                      this);
    DBNEspeciales->setObjectName("DBNEspeciales");
    // No question of its own: the record rule asks before a rule is deleted.
    DBNEspeciales->setConfirmDelete(false);
    auto postedPez = std::make_shared<QVariant>();
    DBNEspeciales->beforeAction = [this, postedPez](DataNavigator::Button b) {
        if (b == DataNavigator::Post && dm_.TAespecial.isEditing()) {
            dm_.TAespecial.updateRecord();
            *postedPez = dm_.TAespecial.fieldByName("Cod pez").value();
        }
    };
    DBNEspeciales->afterAction = [this, postedPez](DataNavigator::Button b) {
        if (b == DataNavigator::Insert)
            DBLCBEspPeces->setFocus();
        if (b == DataNavigator::Post)
            for (int r = 0; dm_.ABSQueryEspecial.active() && r < dm_.ABSQueryEspecial.recordCount(); ++r)
                if (dm_.ABSQueryEspecial.rowValue(r, dm_.ABSQueryEspecial.fieldIndex("Cod pez")) == *postedPez) {
                    dm_.ABSQueryEspecial.moveTo(r);
                    break;
                }
    };
    BBdeAnteriorespeciales =
        button("&De anterior...", "BBdeAnteriorespeciales", this, "Incorporar de una prueba anterior");
    connect(BBdeAnteriorespeciales, &QPushButton::clicked, this, &PaginaEspeciales::BBdeAnteriorespecialesClick);
    auto* bar = new QHBoxLayout;
    bar->addWidget(DBNEspeciales);
    bar->addStretch();
    bar->addWidget(BBdeAnteriorespeciales);

    DBGEespeciales = new DataGrid(&dm_.DSQEspecial,
                                  {GridColumn("nombre", {}, {}, 0, 20),
                                   GridColumn("Puntua", QString::fromUtf8("Válido"), {}, int(Qt::AlignCenter), 7),
                                   GridColumn("Peso minimo", {}, {}, 0, 12), GridColumn("Puntos pieza", {}, {}, 0, 12),
                                   GridColumn("Puntos gramo", {}, {}, 0, 12), GridColumn("Peso penalizable", {}, {}, 0, 12),
                                   GridColumn("Penalizacion gramo", {}, {}, 0, 12)},
                                  this);
    DBGEespeciales->setObjectName("DBGEespeciales");
    DBGEespeciales->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);

    auto* page = new QVBoxLayout(this);
    page->addLayout(form);
    page->addLayout(bar);
    page->addWidget(DBGEespeciales, 1);
    DBNEspeciales->setKeyScope(this);
}

void PaginaEspeciales::focusFirstField()
{
    DBLCBEspPeces->setFocus();
}

void PaginaEspeciales::BBdeAnteriorespecialesClick()
{
    Tfselcomp chooser(dm_, &workbook_);
    if (chooser.exec() != QDialog::Accepted)
        return;
    if (competicionElegida == workbook_.currentCode()) {
        ShowMsg("No puede seleccionar la misma prueba que la de destino");
        return;
    }
    guarded([this] { copiarEspeciales(dm_, competicionElegida); });
}
