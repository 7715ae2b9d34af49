#include "setup/PaginaCupos.h"

#include "dialogs/Tfselcomp.h"
#include "data/Dialogs.h"
#include "data/Globals.h"
#include "data/Tdm.h"
#include "setup/Copia.h"
#include "setup/TFcompet2.h"
#include "setup/WorkbookControls.h"
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

PaginaCupos::PaginaCupos(Tdm& data, TFcompet2& workbook) : dm_(data), workbook_(workbook)
{
    setObjectName("TSCupos");
    engine::DataSource* s = &dm_.SCupos;

    DBEspecie = new widgets::DataLookupCombo(this);
    DBEspecie->setObjectName("DBEspecie");
    DBEspecie->setListSource(&dm_.TAespecies, "Nombre", "Codigo");
    DBEspecie->setDataSource(s, "Cod_Especie");
    DBEspecie->setMinimumWidth(DBEspecie->fontMetrics().averageCharWidth() * 24);
    DBECupoEjemplares = edit(s, "EjemplaresCupo", "DBECupoEjemplares", this, 8);
    DBECupoPuntos = edit(s, "Puntos", "DBECupoPuntos", this, 8);

    auto* form = new QGridLayout;
    form->addWidget(label("Especie", this, DBEspecie), 0, 0);
    form->addWidget(DBEspecie, 0, 1, Qt::AlignLeft);
    form->addWidget(label("Ejemplares para cupo", this, DBECupoEjemplares), 1, 0);
    form->addWidget(DBECupoEjemplares, 1, 1, Qt::AlignLeft);
    form->addWidget(label("Puntos", this, DBECupoPuntos), 2, 0);
    form->addWidget(DBECupoPuntos, 2, 1, Qt::AlignLeft);
    form->setColumnStretch(2, 1);

    DBNCupos = new DataNavigator(s, {DataNavigator::Insert, DataNavigator::Delete, DataNavigator::Edit,
                                     DataNavigator::Post, DataNavigator::Cancel},
                                 {"Nuevo", "Borrar", "Editar", "Guardar", "Cancelar"}, this);
    DBNCupos->setObjectName("DBNCupos");
    DBNCupos->setConfirmDelete(true);
    auto postedEspecie = std::make_shared<QVariant>();
    DBNCupos->beforeAction = [this, postedEspecie](DataNavigator::Button b) {
        if (b == DataNavigator::Post && dm_.TACupos.isEditing()) {
            dm_.TACupos.updateRecord();
            *postedEspecie = dm_.TACupos.fieldByName("Cod_Especie").value();
        }
    };
    DBNCupos->afterAction = [this, postedEspecie](DataNavigator::Button b) {
        if (b == DataNavigator::Insert)
            DBEspecie->setFocus();
        if (b == DataNavigator::Post)
            for (int r = 0; dm_.ABSQueryCupos.active() && r < dm_.ABSQueryCupos.recordCount(); ++r)
                if (dm_.ABSQueryCupos.rowValue(r, dm_.ABSQueryCupos.fieldIndex("Cod_Especie")) == *postedEspecie) {
                    dm_.ABSQueryCupos.moveTo(r);
                    break;
                }
    };
    BBDeAnteriorCupos = button("De anterior...", "BBDeAnteriorCupos", this, "Incorporar de una prueba anterior");
    connect(BBDeAnteriorCupos, &QPushButton::clicked, this, &PaginaCupos::BBDeAnteriorCuposClick);
    auto* bar = new QHBoxLayout;
    bar->addWidget(DBNCupos);
    bar->addStretch();
    bar->addWidget(BBDeAnteriorCupos);

    DBGCupos = new DataGrid(&dm_.DSQCupos, {GridColumn("nombre", {}, {}, 0, 24), GridColumn("EjemplaresCupo", {}, {}, 0, 12),
                                            GridColumn("Puntos", {}, ",##0", 0, 12)},
                            this);
    DBGCupos->setObjectName("DBGCupos");
    DBGCupos->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);

    // Quota points are awarded only while the competition's own "Puntos
    // Cupo" is above 0, whatever this page holds.
    LCuposApagados = new QLabel(QString::fromUtf8("Las bonificaciones por cupo no se aplican mientras "
                                                  "«Puntos Cupo» de la prueba sea 0"),
                                this);
    LCuposApagados->setObjectName("LCuposApagados");
    LCuposApagados->setStyleSheet("color: #a00000; font-weight: bold");
    LCuposApagados->setWordWrap(true);
    LCuposApagados->hide();
    connect(&dm_.Scomp, &engine::DataSource::recordChanged, this, &PaginaCupos::showCuposApagados);
    connect(&dm_.Scomp, &engine::DataSource::dataChanged, this, &PaginaCupos::showCuposApagados);

    auto* page = new QVBoxLayout(this);
    page->addWidget(LCuposApagados);
    page->addLayout(form);
    page->addLayout(bar);
    page->addWidget(DBGCupos, 1);
    DBNCupos->setKeyScope(this);
}

void PaginaCupos::showCuposApagados()
{
    if (!LCuposApagados)
        return;
    const bool on = dm_.TAcomp.active() && !dm_.TAcomp.isEmpty() &&
                    dm_.TAcomp.fieldByName("Puntos Cupo").asInteger() > 0;
    LCuposApagados->setVisible(!on && dm_.TAcomp.active() && !dm_.TAcomp.isEmpty());
}

void PaginaCupos::BBDeAnteriorCuposClick()
{
    Tfselcomp chooser(dm_, &workbook_);
    if (chooser.exec() != QDialog::Accepted) {
        guarded([this] { dm_.QCupos.close(); });
        return;
    }
    if (competicionElegida == workbook_.currentCode()) {
        ShowMsg("No puede seleccionar la misma prueba que la de destino");
        guarded([this] { dm_.QCupos.close(); });
        return;
    }
    guarded([this] { copiarCupos(dm_, competicionElegida); });
}
