#include "setup/TfPescadores.h"

#include "dialogs/Centre.h"
#include "data/Tdm.h"
#include "widgets/DataGrid.h"
#include "widgets/DataNavigator.h"
#include "widgets/Guard.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

using widgets::DataNavigator;
using widgets::GridColumn;
using widgets::guarded;

TfPescadores::TfPescadores(Tdm& data, QWidget* parent)
    : QDialog(parent), pescadores(data.db, QStringLiteral("PESCADORES")), data_(data)
{
    setObjectName(QStringLiteral("fPescadores"));
    setWindowTitle(QStringLiteral("Pescadores registrados"));
    // Fixed size: a title and a close button, nothing to maximise.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    pescadores.setIndexName(QStringLiteral("iNombre"));
    dsPescadores.autoEdit = true;

    DBGPescadores = new widgets::DataGrid(this);
    DBGPescadores->setObjectName(QStringLiteral("DBGPescadores"));
    DBGPescadores->setColumns({GridColumn(QStringLiteral("DNI"), QStringLiteral("ID"), {}, 0, 12),
                               GridColumn(QStringLiteral("Nombre"), {}, {}, 0, 44),
                               GridColumn(QStringLiteral("Licencia"), {}, {}, int(Qt::AlignCenter), 12),
                               GridColumn(QStringLiteral("Club"), {}, {}, 0, 27)});
    DBGPescadores->setReadOnly(false);
    DBGPescadores->setDataSource(&dsPescadores);
    DBGPescadores->horizontalHeader()->setStretchLastSection(true);

    DBNPescadores = new DataNavigator(this);
    DBNPescadores->setObjectName(QStringLiteral("DBNPescadores"));
    DBNPescadores->setButtons({DataNavigator::First, DataNavigator::Prior, DataNavigator::Next, DataNavigator::Last,
                               DataNavigator::Insert, DataNavigator::Delete, DataNavigator::Edit, DataNavigator::Post,
                               DataNavigator::Cancel},
                              {QStringLiteral("Primero"), QStringLiteral("Anterior"), QStringLiteral("Siguiente"),
                               QStringLiteral("Ultimo"), QStringLiteral("Insertar"), QStringLiteral("Borrar"),
                               QStringLiteral("Editar"), QStringLiteral("Guardar"), QStringLiteral("Cancelar")});
    DBNPescadores->setConfirmDelete(true);
    DBNPescadores->setDataSource(&dsPescadores);
    connect(DBNPescadores, &DataNavigator::clicked, DBGPescadores, [this] { DBGPescadores->setFocus(); });

    bbCerrar = new QPushButton(QStringLiteral("&Cerrar"), this);
    bbCerrar->setObjectName(QStringLiteral("bbCerrar"));
    // Enter belongs to the grid: it must not close the window.
    bbCerrar->setAutoDefault(false);
    connect(bbCerrar, &QPushButton::clicked, this, &QDialog::accept);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(DBNPescadores, 1);
    bottom->addSpacing(24);
    bottom->addWidget(bbCerrar);

    auto* lay = new QVBoxLayout(this);
    lay->addWidget(DBGPescadores);
    lay->addLayout(bottom);
    // Ins, Ctrl+Supr, F2, Intro and Esc anywhere in the window.
    DBNPescadores->setKeyScope(this);
    // Inside the main window's default size.
    setFixedSize(740, 460);
}

TfPescadores::~TfPescadores()
{
    try {
        closeTable();
    } catch (const engine::DatabaseError&) {
        // A destructor must not throw; closing the register's own view loses nothing saved.
    }
}

void TfPescadores::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (e->spontaneous())
        return;
    if (!activated_) {
        activated_ = true;
        guarded([this] { pescadores.open(); });
    }
    centreOnScreen(this);
    DBGPescadores->setFocus();
}

void TfPescadores::closeTable()
{
    // A row still being edited stays unsaved.
    if (pescadores.active() && pescadores.isEditing())
        pescadores.cancel();
    pescadores.close();
}

void TfPescadores::done(int r)
{
    guarded([this] { closeTable(); });
    // The data module's register view reads the changes made here.
    if (data_.TaPescadores.active() && !data_.TaPescadores.isEditing())
        guarded([this] { data_.TaPescadores.refresh(); });
    QDialog::done(r);
}
