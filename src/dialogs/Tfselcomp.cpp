#include "dialogs/Tfselcomp.h"

#include "dialogs/Centre.h"
#include "data/Globals.h"
#include "data/Helpers.h"
#include "data/Tdm.h"
#include "widgets/DataLookupCombo.h"
#include "widgets/Guard.h"

#include <QHBoxLayout>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {
const QStringList kListSql = {"Select DISTINCT codigo, titulo from competic",
                              "left join jornadas on (competic.codigo = jornadas.[cod comp])",
                              "order by jornadas.fecha desc"};
}

Tfselcomp::Tfselcomp(Tdm& data, QWidget* parent, widgets::Build build) : LazyDialog(parent), ABSQComp(data.db)
{
    setWindowTitle(QString::fromUtf8("Seleccione la competición"));
    buildSql();
    buildIf(build);
}

void Tfselcomp::buildControls()
{
    auto* lay = new QVBoxLayout(this);
    DBLCBCompeticion = new widgets::DataLookupCombo(this);
    DBLCBCompeticion->setObjectName("DBLCBCompeticion");
    DBLCBCompeticion->setListSource(&ABSQComp, "titulo", "codigo");
    DBLCBCompeticion->setMinimumWidth(360);
    lay->addWidget(DBLCBCompeticion);

    BBOK = new QPushButton("OK", this);
    BBOK->setObjectName("BBOK");
    BBOK->setDefault(true);
    BBOK->setAutoDefault(true);
    BBCancelar = new QPushButton("Cancelar", this);
    BBCancelar->setObjectName("BBCancelar");
    BBCancelar->setAutoDefault(false);
    connect(BBOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(BBCancelar, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BBOK);
    buttons->addWidget(BBCancelar);
    lay->addSpacing(12);
    lay->addLayout(buttons);
    lay->setSizeConstraint(QLayout::SetFixedSize);
}

Tfselcomp::~Tfselcomp()
{
    try {
        ABSQComp.close();
    } catch (const engine::DatabaseError&) {
        // Closing a read-only list: nothing to lose, and a destructor must not throw.
    }
}

QString Tfselcomp::excludeFilter(const QString& codigo) { return "codigo <> " + quotedCode(codigo); }

void Tfselcomp::setFilter(const QString& condition)
{
    filter_ = condition;
    buildSql();
}

void Tfselcomp::setFiltered(bool on)
{
    filtered_ = on;
    buildSql();
}

void Tfselcomp::buildSql()
{
    // The condition goes between the join and the order; it takes effect the
    // next time the list is opened.
    QStringList sql = kListSql;
    if (filtered_ && !filter_.trimmed().isEmpty())
        sql.insert(2, "where " + filter_);
    ABSQComp.setSql(sql);
}

void Tfselcomp::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (e->spontaneous())
        return;
    widgets::guarded([this] {
        ABSQComp.close();
        buildSql();
        ABSQComp.open();
    });
    DBLCBCompeticion->setFocus();
    centreOnScreen(this);
}

void Tfselcomp::done(int r)
{
    competicionElegida.clear();
    if (ABSQComp.active() && !ABSQComp.isEmpty())
        widgets::guarded([this] { competicionElegida = ABSQComp.fieldByName("codigo").asString(); });
    try {
        ABSQComp.close();
    } catch (const engine::DatabaseError&) {
        // Closing a read-only list: the choice is made, nothing to lose.
    }
    QDialog::done(r);
}
