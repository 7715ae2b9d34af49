#include "dialogs/TSeleccion.h"

#include "dialogs/Centre.h"
#include "data/Seleccion.h"
#include "data/Tdm.h"
#include "widgets/DataGrid.h"
#include "widgets/Guard.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QShowEvent>
#include <QVBoxLayout>

TSeleccion* Seleccion = nullptr;

TSeleccion::TSeleccion(Tdm& data, QWidget* parent, widgets::Build build)
    : LazyDialog(parent), Selec(data.db), taJornada(data.db, "JORNADAS"), dm_(data)
{
    setWindowTitle(QString::fromUtf8("Selección de Prueba"));
    Selec.setSql({"Select DISTINCT codigo, titulo from competic",
                  "left join jornadas on (competic.codigo = jornadas.[cod comp])", "order by jornadas.fecha desc"});
    taJornada.setIndexFieldNames("Cod comp;Numero");
    taJornada.setMaster(&DSSelec, "codigo");
    taJornada.setReadOnly(true);
    buildIf(build);
}

void TSeleccion::buildControls()
{
    auto* lay = new QVBoxLayout(this);
    LCompeticion = new QLabel(QString::fromUtf8("Competición"), this);
    DBGComp = new widgets::DataGrid(this);
    DBGComp->setObjectName("DBGComp");
    DBGComp->setColumns({widgets::GridColumn("titulo", QString::fromUtf8("Competición"), {}, 0, 50)});
    DBGComp->setDataSource(&DSSelec);
    DBGComp->horizontalHeader()->setStretchLastSection(true);
    DBGComp->setMinimumSize(420, 180);
    LCompeticion->setBuddy(DBGComp);

    stJornada = new QLabel("Jornada", this);
    stJornada->setObjectName("stJornada");
    DBGJor = new widgets::DataGrid(this);
    DBGJor->setObjectName("DBGJor");
    DBGJor->setColumns({widgets::GridColumn("Numero", {}, {}, 0, 8), widgets::GridColumn("Fecha", {}, {}, 0, 12),
                        widgets::GridColumn("Lugar", {}, {}, 0, 30)});
    DBGJor->setDataSource(&DSJornada);
    DBGJor->horizontalHeader()->setStretchLastSection(true);
    DBGJor->setMinimumSize(420, 120);
    stJornada->setBuddy(DBGJor);

    BBOK = new QPushButton("OK", this);
    BBOK->setObjectName("BBOK");
    BBOK->setDefault(true);
    BBOK->setAutoDefault(true);
    BBCancel = new QPushButton("Cancelar", this);
    BBCancel->setObjectName("BBCancel");
    BBCancel->setAutoDefault(false);
    connect(BBOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(BBCancel, &QPushButton::clicked, this, &QDialog::reject);

    lay->addWidget(LCompeticion);
    lay->addWidget(DBGComp);
    lay->addWidget(stJornada);
    lay->addWidget(DBGJor);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BBOK);
    buttons->addWidget(BBCancel);
    lay->addLayout(buttons);
    // Fixed size: the dialog takes the size its contents ask for, smaller
    // when the day grid is hidden.
    lay->setSizeConstraint(QLayout::SetFixedSize);
}

TSeleccion::~TSeleccion() { closeLists(); }

void TSeleccion::setDayListVisible(bool visible)
{
    ensureBuilt();
    DBGJor->setVisible(visible);
    stJornada->setVisible(visible);
}

void TSeleccion::openLists()
{
    widgets::guarded([this] {
        taJornada.close();
        Selec.close();
        Selec.open();
        taJornada.open();
    });
}

void TSeleccion::closeLists()
{
    try {
        taJornada.close();
        Selec.close();
    } catch (const engine::DatabaseError&) {
        // Read-only lists: closing them cannot lose data; called from the destructor too.
    }
}

void TSeleccion::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (e->spontaneous())
        return;
    openLists();
    DBGComp->setFocus();
    centreOnScreen(this);
}

bool TSeleccion::aceptar()
{
    return widgets::guarded([this] {
        // No competition in the list: nothing can be chosen, nothing changes.
        if (!Selec.active() || Selec.isEmpty())
            return;
        const QString codigo = Selec.fieldByName("codigo").asString();
        const int jornada =
            taJornada.active() && !taJornada.isEmpty() ? taJornada.fieldByName("Numero").asInteger() : 0;
        elegirCompeticion(dm_, codigo, jornada);
    });
}

void TSeleccion::done(int r)
{
    // A failure while choosing leaves the dialog with the result Cancel.
    if (r == QDialog::Accepted && !aceptar())
        r = QDialog::Rejected;
    closeLists();
    QDialog::done(r);
}
