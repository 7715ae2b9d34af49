#include "setup/PaginaJornadas.h"

#include "data/Tdm.h"
#include "setup/WorkbookControls.h"
#include "widgets/DataEdit.h"
#include "widgets/DataGrid.h"
#include "widgets/DataNavigator.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QVBoxLayout>

using widgets::DataGrid;
using widgets::DataNavigator;
using widgets::GridColumn;
using workbook::button;
using workbook::edit;
using workbook::label;

PaginaJornadas::PaginaJornadas(Tdm& data) : dm_(data)
{
    setObjectName("TSJornadas");
    engine::DataSource* s = &dm_.Sjornada;

    LAyudaJornada = new QLabel(QString::fromUtf8("Pulse nuevo (+) para añadir una nueva jornada"), this);
    LAyudaJornada->setObjectName("LAyudaJornada");
    DBGJornadas = new DataGrid(s, {GridColumn("Cod comp", QString::fromUtf8("Código"), {}, 0, 8),
                                   GridColumn("Numero", "Jornada", {}, 0, 8), GridColumn("Fecha", {}, {}, 0, 13),
                                   GridColumn("Horario", {}, {}, 0, 16), GridColumn("Lugar", {}, {}, 0, 30)},
                               this);
    DBGJornadas->setObjectName("DBGJornadas");
    DBGJornadas->horizontalHeader()->setStretchLastSection(true);

    DBNavJornadas = new DataNavigator(s, {DataNavigator::Insert, DataNavigator::Delete, DataNavigator::Edit,
                                          DataNavigator::Post, DataNavigator::Cancel},
                                      {"Nuevo", "Borrar", "Editar", "Guardar", QString::fromUtf8("Cancelar edición")},
                                      this);
    DBNavJornadas->setObjectName("DBNavJornadas");
    DBNavJornadas->setConfirmDelete(true);
    DBNavJornadas->afterAction = [this](DataNavigator::Button b) {
        if (b == DataNavigator::Insert)
            DBENumero->setFocus();
    };

    DBENumero = edit(s, "Numero", "DBENumero", this, 6);
    // Day 0 would read as "no day" to the choosers.
    DBENumero->setIntegerRange(1, 32767);
    DBEFecha = edit(s, "Fecha", "DBEFecha", this, 11);
    DBEHorario = edit(s, "Horario", "DBEHorario", this, 30);
    DBELugar = edit(s, "Lugar", "DBELugar", this);

    auto* form = new QGridLayout;
    form->addWidget(label("Jornada Num:", this, DBENumero), 0, 0);
    form->addWidget(DBENumero, 0, 1, Qt::AlignLeft);
    form->addWidget(label("Fecha:", this, DBEFecha), 0, 2);
    form->addWidget(DBEFecha, 0, 3, Qt::AlignLeft);
    form->addWidget(label("Horario:", this, DBEHorario), 1, 0);
    form->addWidget(DBEHorario, 1, 1, 1, 3, Qt::AlignLeft);
    form->addWidget(label("Lugar: ", this, DBELugar), 2, 0);
    form->addWidget(DBELugar, 2, 1, 1, 3);
    form->setColumnStretch(3, 1);

    auto* page = new QVBoxLayout(this);
    page->addWidget(LAyudaJornada);
    page->addWidget(DBGJornadas, 1);
    page->addWidget(DBNavJornadas);
    page->addSpacing(8);
    page->addLayout(form);
    DBNavJornadas->setKeyScope(this);
}
