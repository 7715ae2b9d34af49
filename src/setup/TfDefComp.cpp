#include "setup/TfDefComp.h"

#include "dialogs/Centre.h"
#include "data/Globals.h"
#include "data/Tdm.h"
#include "widgets/DataControls.h"
#include "widgets/DataEdit.h"
#include "widgets/Guard.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include <limits>

using widgets::guarded;

namespace {

bool definitionMode() { return modoDefinicion == 2 || modoDefinicion == 3; }

// The scoring constants of a new competition.
struct Default {
    const char* field;
    int value;
};
constexpr Default kDefaults[] = {
    {"Peso minimo", 500},      {"Puntos pieza", 500},  {"Puntos gramo", 1},   {"Peso penalizable", 350},
    {"Penalizacion gramo", 350}, {"Peso maximo", 10000}, {"Puntos Especie", 0}, {"Puntos Cupo", 0},
    {"EjemplaresCupo", 0},
};

}  // namespace

TfDefComp::TfDefComp(Tdm& data, QWidget* parent) : QDialog(parent), data_(data)
{
    setObjectName(QStringLiteral("fDefComp"));
    setWindowTitle(QStringLiteral("Definición de competición"));
    // Fixed size: a title and a close button, nothing to maximise.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    build();
}

TfDefComp::~TfDefComp()
{
    // Released without having been closed: nothing half-typed stays behind.
    if (activated_ && definitionMode())
        try {
            discardPending();
        } catch (const engine::DatabaseError&) {
            // Discarding unsaved typing: nothing stored is at stake, and a destructor must not throw.
        }
}

void TfDefComp::build()
{
    engine::DataSource* src = &data_.Scomp;
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(6);
    int row = 0;

    // A label whose underlined letter moves the focus to its control.
    auto label = [this](const QString& text, QWidget* buddy) {
        auto* l = new QLabel(text, this);
        l->setBuddy(buddy);
        return l;
    };
    auto edit = [this, src](const char* name, const char* field) {
        auto* e = new widgets::DataEdit(src, QString::fromLatin1(field), this);
        e->setObjectName(QString::fromLatin1(name));
        return e;
    };
    // Whole numbers from 0 to the top of the field's type.
    auto number = [&](const char* name, const char* field, const QString& caption, const QString& unit, qint64 hi) {
        widgets::DataEdit* e = edit(name, field);
        e->setIntegerRange(0, hi);
        e->setAlignment(Qt::AlignRight);
        e->setFixedWidth(90);
        grid->addWidget(label(caption, e), row, 0);
        grid->addWidget(e, row, 1);
        if (!unit.isEmpty())
            grid->addWidget(new QLabel(unit, this), row, 2);
        ++row;
        return e;
    };

    DBECodigo = edit("DBECodigo", "Codigo");
    DBECodigo->setFixedWidth(90);
    grid->addWidget(label(QStringLiteral("Có&digo:"), DBECodigo), row, 0);
    grid->addWidget(DBECodigo, row, 1);
    ++row;

    DBETitulo = edit("DBETitulo", "Titulo");
    DBETitulo->setMinimumWidth(340);
    grid->addWidget(label(QStringLiteral("&Nombre:"), DBETitulo), row, 0);
    grid->addWidget(DBETitulo, row, 1, 1, 3);
    ++row;

    DBRGTipo = new widgets::DataRadioGroup(QStringLiteral(" Tipo de Prueba "), this);
    DBRGTipo->setObjectName(QStringLiteral("DBRGTipo"));
    DBRGTipo->setItems({QStringLiteral("Individual"), QStringLiteral("Equipos")}, {QStringLiteral("I"), QStringLiteral("E")});
    DBRGTipo->setColumns(2);
    DBRGTipo->setDataSource(src, QStringLiteral("Tipo"));
    grid->addWidget(DBRGTipo, row, 0, 1, 3);
    ++row;

    constexpr qint64 kInt = std::numeric_limits<qint32>::max();
    constexpr qint64 kSmall = std::numeric_limits<qint16>::max();
    const QString gr = QStringLiteral("gr.");
    const QString ptos = QStringLiteral("Ptos.");
    DBEpMinimo = number("DBEpMinimo", "Peso minimo", QStringLiteral("Peso &mínimo:"), gr, kInt);
    DBEPunPieza = number("DBEPunPieza", "Puntos pieza", QStringLiteral("Puntos por pie&za:"), ptos, kInt);
    DBEPunGramo = number("DBEPunGramo", "Puntos gramo", QStringLiteral("Puntos por g&ramo:"), ptos, kInt);
    DBEPesoMax = number("DBEPesoMax", "Peso maximo", QStringLiteral("Peso má&ximo puntuable:"), gr, kInt);
    DBEPesoMax->setToolTip(QStringLiteral("Dejar a 0 si no hay máximo"));
    DBEPesoPenal = number("DBEPesoPenal", "Peso penalizable", QStringLiteral("Mínimo &sin penalizar:"), gr, kInt);
    DBEPenalGramo = number("DBEPenalGramo", "Penalizacion gramo", QStringLiteral("&Penalización:"), ptos, kInt);
    DBEPuntosCupo = number("DBEPuntosCupo", "Puntos Cupo", QStringLiteral("Puntos Cupo:"), {}, kInt);
    DBEjeCupo = number("DBEjeCupo", "EjemplaresCupo", QStringLiteral("Ejemplares Cupo:"), {}, kSmall);
    DBEPuntosEsp = number("DBEPuntosEsp", "Puntos Especie", QStringLiteral("Puntos Especie:"), {}, kInt);
    grid->setColumnStretch(3, 1);

    BBOK = new QPushButton(QStringLiteral("&Guardar"), this);
    BBOK->setObjectName(QStringLiteral("BBOK"));
    BBOK->setDefault(true);
    BBCancel = new QPushButton(QStringLiteral("&Cancelar"), this);
    BBCancel->setObjectName(QStringLiteral("BBCancel"));
    BBCancel->setAutoDefault(false);
    connect(BBOK, &QPushButton::clicked, this, &TfDefComp::BBOKClick);
    connect(BBCancel, &QPushButton::clicked, this, &TfDefComp::BBCancelClick);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BBOK);
    buttons->addWidget(BBCancel);

    auto* lay = new QVBoxLayout(this);
    lay->addLayout(grid);
    lay->addSpacing(10);
    lay->addLayout(buttons);
    // Fixed size: the layout decides it and the user cannot change it.
    lay->setSizeConstraint(QLayout::SetFixedSize);
    setSizeGripEnabled(false);
}

void TfDefComp::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (e->spontaneous())
        return;
    if (!activated_) {
        activated_ = true;
        activate();
    }
    centreOnScreen(this);
    DBECodigo->setFocus();
}

void TfDefComp::activate()
{
    engine::Table& comp = data_.TAcomp;
    if (modoDefinicion == 3) {
        guarded([&comp] {
            comp.insert();
            comp.fieldByName("Tipo").setAsString(QStringLiteral("E"));
            for (const Default& d : kDefaults)
                comp.fieldByName(QString::fromLatin1(d.field)).setAsInteger(d.value);
        });
    } else if (modoDefinicion == 2) {
        // Already being edited: it stays so, with its pending changes.
        if (!comp.isEditing())
            guarded([&comp] { comp.edit(); });
    }
}

void TfDefComp::BBOKClick()
{
    if (!definitionMode()) {
        accept();
        return;
    }
    engine::Table& comp = data_.TAcomp;
    guarded([&comp] { comp.post(); });
    // A refused post leaves the record in editing with what was typed: the
    // dialog stays open for a correction or Cancelar. Once the row is stored
    // (even when a later step reported a failure) the dialog closes with OK.
    if (comp.active() && comp.isEditing())
        return;
    accept();
}

void TfDefComp::BBCancelClick()
{
    if (definitionMode())
        guarded([this] { discardPending(); });
    reject();
}

void TfDefComp::discardPending()
{
    engine::Table& comp = data_.TAcomp;
    if (comp.active() && comp.isEditing())
        comp.cancel();
}

void TfDefComp::done(int r)
{
    // However the dialog closes, nothing stays pending (after a successful
    // save there is nothing left to cancel).
    if (definitionMode())
        guarded([this] { discardPending(); });
    QDialog::done(r);
}
