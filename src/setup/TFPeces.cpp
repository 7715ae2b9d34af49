#include "setup/TFPeces.h"

#include "dialogs/Centre.h"
#include "dialogs/GuardarCambios.h"
#include "data/Rules.h"
#include "data/Tdm.h"
#include "widgets/DataGrid.h"
#include "widgets/DataNavigator.h"
#include "widgets/Guard.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include <initializer_list>

using widgets::DataNavigator;
using widgets::guarded;

TFPeces::TFPeces(Tdm& data, QWidget* parent)
    : QDialog(parent), TApeces(data.db, QStringLiteral("ESPECIES")), data_(data)
{
    setObjectName(QStringLiteral("FPeces"));
    setWindowTitle(QStringLiteral("Peces"));
    // Fixed size: a title and a close button, nothing to maximise.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    TApeces.setIndexName(QStringLiteral("isNombre"));
    // No species without a name; none deleted that catches, rules or quotas use.
    installSpeciesRules(TApeces);
    Speces.autoEdit = false;

    DBGPeces = new widgets::DataGrid(this);
    DBGPeces->setObjectName(QStringLiteral("DBGPeces"));
    DBGPeces->setColumns({widgets::GridColumn(QStringLiteral("Nombre"), {}, {}, 0, 22),
                          widgets::GridColumn(QStringLiteral("Otros nombres"), {}, {}, 0, 50)});
    DBGPeces->setReadOnly(false);
    DBGPeces->setDataSource(&Speces);
    DBGPeces->horizontalHeader()->setStretchLastSection(true);

    DBNPeces = new DataNavigator(this);
    DBNPeces->setObjectName(QStringLiteral("DBNPeces"));
    DBNPeces->setButtons({DataNavigator::First, DataNavigator::Prior, DataNavigator::Next, DataNavigator::Last,
                          DataNavigator::Insert, DataNavigator::Delete, DataNavigator::Edit, DataNavigator::Post,
                          DataNavigator::Cancel},
                         {QStringLiteral("Primero"), QStringLiteral("Anterior"), QStringLiteral("Siguiente"),
                          QStringLiteral("Último"), QStringLiteral("Nuevo"), QStringLiteral("Borrar"),
                          QStringLiteral("Modificar"), QStringLiteral("Guardar"), QStringLiteral("Cancelar edición")});
    DBNPeces->setConfirmDelete(true);
    DBNPeces->setDataSource(&Speces);
    // The grid takes the focus back, so typing goes on in the record; a new
    // row is typed from its name on, whichever column was current before.
    connect(DBNPeces, &DataNavigator::clicked, DBGPeces, [this](DataNavigator::Button b) {
        const QModelIndex at = DBGPeces->currentIndex();
        if (b == DataNavigator::Insert && at.isValid())
            DBGPeces->setCurrentIndex(DBGPeces->model()->index(at.row(), 0));
        DBGPeces->setFocus();
    });

    BBTerminar = new QPushButton(QStringLiteral("Terminar"), this);
    BBTerminar->setObjectName(QStringLiteral("BBTerminar"));
    // Enter belongs to the grid: it must not close the window.
    BBTerminar->setAutoDefault(false);
    connect(BBTerminar, &QPushButton::clicked, this, &QDialog::accept);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(DBNPeces, 1);
    bottom->addSpacing(24);
    bottom->addWidget(BBTerminar);

    auto* lay = new QVBoxLayout(this);
    lay->addWidget(DBGPeces);
    lay->addLayout(bottom);
    // Ins, Ctrl+Supr, F2 and Intro anywhere in the window; Esc leaves it,
    // asking first about a row being edited (the grid's own Esc, which would
    // drop the row, is taken before it).
    DBNPeces->setKeyScope(this);
    DBNPeces->setEscapeCancels(false);
    DBGPeces->installEventFilter(this);
    setFixedSize(620, 420);
}

TFPeces::~TFPeces()
{
    try {
        closeTable();
    } catch (const engine::DatabaseError&) {
        // A destructor must not throw; closing the register's own view loses nothing saved.
    }
}

void TFPeces::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (e->spontaneous())
        return;
    if (!activated_) {
        activated_ = true;
        guarded([this] { TApeces.open(); });
    }
    centreOnScreen(this);
    DBGPeces->setFocus();
}

bool TFPeces::eventFilter(QObject* watched, QEvent* e)
{
    // An open cell editor answers its own Esc (the cell's typing given up).
    if (watched == DBGPeces && e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Escape && k->modifiers() == Qt::NoModifier && !DBGPeces->cellEditorOpen()) {
            reject();
            return true;
        }
    }
    return QDialog::eventFilter(watched, e);
}

void TFPeces::closeTable()
{
    if (TApeces.active() && TApeces.isEditing())
        TApeces.cancel();
    TApeces.close();
}

void TFPeces::done(int r)
{
    // A row still being edited is saved or given up as the user answers;
    // Cancelar, or a save refused, keeps the register open.
    if (!guardarCambiosAlSalir({&TApeces}))
        return;
    guarded([this] { closeTable(); });
    refreshSpeciesViews(data_);
    QDialog::done(r);
}

void refreshSpeciesViews(Tdm& data)
{
    // Views being edited are left alone; they read again when posted.
    for (engine::Dataset* ds :
         std::initializer_list<engine::Dataset*>{&data.TAespecies, &data.TAespeci, &data.taEsp2, &data.TAespecial,
                                                 &data.TApescada, &data.TACupos, &data.ABSQueryEspecial,
                                                 &data.ABSQueryCupos})
        if (ds->active() && !ds->isEditing())
            guarded([ds] { ds->refresh(); });
}
