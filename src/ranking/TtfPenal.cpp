#include "ranking/TtfPenal.h"

#include "data/Dialogs.h"
#include "data/Helpers.h"
#include "data/Tdm.h"
#include "dialogs/Centre.h"
#include "scoring/Penal.h"
#include "scoring/Scoring.h"
#include "widgets/EntryFilter.h"
#include "widgets/Guard.h"
#include "widgets/NumberBox.h"

#include <QComboBox>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

TtfPenal* tfPenal = nullptr;

TtfPenal::TtfPenal(Tdm& data, QWidget* parent, widgets::Build build) : LazyDialog(parent), dm_(data)
{
    setObjectName(QStringLiteral("tfPenal"));
    setWindowTitle(QStringLiteral("Penalizaciones"));
    // Fixed size: a title and a close button, nothing to maximise.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    buildIf(build);
}

void TtfPenal::buildControls()
{
    LPrueba = new QLabel(this);
    LPrueba->setObjectName(QStringLiteral("LPrueba"));
    LPrueba->setAlignment(Qt::AlignCenter);
    LPrueba->setTextFormat(Qt::PlainText);  // a title is never markup
    QFont f = LPrueba->font();
    f.setBold(true);
    f.setPointSize(f.pointSize() + 2);
    LPrueba->setFont(f);

    CBParticipa = new QComboBox(this);
    CBParticipa->setObjectName(QStringLiteral("CBParticipa"));
    CBParticipa->setEditable(true);
    CBParticipa->setInsertPolicy(QComboBox::NoInsert);
    CBParticipa->setMinimumWidth(320);
    // Only a chosen item counts: typing in the text part chooses nothing.
    connect(CBParticipa, &QComboBox::activated, this, &TtfPenal::CBParticipaChange);

    RGPenal = new QGroupBox(QStringLiteral(" &Penalización "), this);
    RGPenal->setObjectName(QStringLiteral("RGPenal"));
    RBPuntos = new QRadioButton(QStringLiteral("Puntos"), RGPenal);
    RBPuntos->setObjectName(QStringLiteral("RBPuntos"));
    RBPorcentaje = new QRadioButton(QStringLiteral("Porcentaje"), RGPenal);
    RBPorcentaje->setObjectName(QStringLiteral("RBPorcentaje"));
    RBPuntos->setChecked(true);
    auto* modes = new QHBoxLayout(RGPenal);
    modes->addWidget(RBPuntos);
    modes->addWidget(RBPorcentaje);
    connect(RBPuntos, &QRadioButton::toggled, this, &TtfPenal::RGPenalClick);

    NBPenal = new widgets::NumberBox(0, kPenalPuntosMax, QStringLiteral("#,##0"), this);
    NBPenal->setObjectName(QStringLiteral("NBPenal"));
    NBPenal->setFixedWidth(110);
    NBPorcentaje = new widgets::NumberBox(0, kPenalPorcentajeMax, {}, this);
    NBPorcentaje->setObjectName(QStringLiteral("NBPorcentaje"));
    NBPorcentaje->setFixedWidth(60);
    NBPorcentaje->setEnabled(false);
    BCal = new QPushButton(QStringLiteral("Calc"), this);
    BCal->setObjectName(QStringLiteral("BCal"));
    BCal->setEnabled(false);
    BCal->setAutoDefault(false);
    connect(BCal, &QPushButton::clicked, this, &TtfPenal::BCalClick);

    EMotivo = new QLineEdit(this);
    EMotivo->setObjectName(QStringLiteral("EMotivo"));
    widgets::limitText(EMotivo, kMotivoMax);

    BGuardar = new QPushButton(QStringLiteral("&Guardar"), this);
    BGuardar->setObjectName(QStringLiteral("BGuardar"));
    BGuardar->setAutoDefault(false);
    connect(BGuardar, &QPushButton::clicked, this, &TtfPenal::BGuardarClick);
    BTerminar = new QPushButton(QStringLiteral("&Terminar"), this);
    BTerminar->setObjectName(QStringLiteral("BTerminar"));
    BTerminar->setAutoDefault(false);
    connect(BTerminar, &QPushButton::clicked, this, &QDialog::accept);

    // A label whose underlined letter moves the focus to its control.
    auto label = [this](const QString& text, QWidget* buddy) {
        auto* l = new QLabel(text, this);
        l->setBuddy(buddy);
        return l;
    };
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(8);
    grid->addWidget(label(QStringLiteral("&Participante"), CBParticipa), 0, 0);
    grid->addWidget(CBParticipa, 0, 1, 1, 4);
    grid->addWidget(RGPenal, 1, 1, 1, 4);
    grid->addWidget(label(QStringLiteral("P&untos"), NBPenal), 2, 0);
    grid->addWidget(NBPenal, 2, 1);
    grid->addWidget(label(QStringLiteral("P&orcentaje"), NBPorcentaje), 2, 2, Qt::AlignRight);
    grid->addWidget(NBPorcentaje, 2, 3);
    grid->addWidget(BCal, 2, 4);
    grid->addWidget(label(QStringLiteral("&Motivo"), EMotivo), 3, 0);
    grid->addWidget(EMotivo, 3, 1, 1, 4);
    grid->setColumnStretch(4, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BGuardar);
    buttons->addWidget(BTerminar);

    auto* lay = new QVBoxLayout(this);
    lay->addWidget(LPrueba);
    lay->addSpacing(6);
    lay->addLayout(grid);
    lay->addSpacing(10);
    lay->addLayout(buttons);
    // Fixed size: the layout decides it and the user cannot change it.
    lay->setSizeConstraint(QLayout::SetFixedSize);
    setSizeGripEnabled(false);

    setTabOrder(CBParticipa, RBPuntos);
    setTabOrder(RBPuntos, RBPorcentaje);
    setTabOrder(RBPorcentaje, NBPenal);
    setTabOrder(NBPenal, NBPorcentaje);
    setTabOrder(NBPorcentaje, BCal);
    setTabOrder(BCal, EMotivo);
    setTabOrder(EMotivo, BGuardar);
    setTabOrder(BGuardar, BTerminar);
}

void TtfPenal::abrir()
{
    ensureBuilt();
    elegido_ = false;
    CBParticipa->clear();
    widgets::guarded([this] {
        engine::Table& part = dm_.TAparticipa;
        if (!part.active())
            part.open();
        // Read by row, so the shared table's current record does not move.
        const int eq = part.fieldIndex(QStringLiteral("Equipo"));
        const int nombre = part.fieldIndex(QStringLiteral("Nombre"));
        for (int r = 0; r < part.recordCount(); ++r)
            CBParticipa->addItem(QString::number(part.rowValue(r, eq).toLongLong()) + " - " +
                                 part.rowValue(r, nombre).toString());
    });
    CBParticipa->setCurrentIndex(-1);
    CBParticipa->clearEditText();
    LPrueba->setText(dm_.TAcomp.active() && !dm_.TAcomp.isEmpty() ? dm_.TAcomp.fieldByName("Titulo").asString()
                                                                    : QString());
    exec();
}

void TtfPenal::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (e->spontaneous())
        return;
    widgets::guarded([this] {
        if (!dm_.TAPenal.active())
            dm_.TAPenal.open();
    });
    centreOnScreen(this);
    CBParticipa->setFocus();
}

void TtfPenal::CBParticipaChange(int index)
{
    if (index < 0)
        return;
    equipo_ = extraeCampo(CBParticipa->itemText(index), "-", 1).trimmed().toInt();
    elegido_ = true;
    NBPenal->setValue(0);
    widgets::guarded([this] {
        const TPenalizacion p = leerPenalizacion(dm_, equipo_);
        EMotivo->setText(p.motivo);
        NBPenal->setValue(penalizaDe(p.puntos));
        NBPorcentaje->setValue(p.porcentaje);
    });
}

void TtfPenal::RGPenalClick()
{
    const bool puntos = RBPuntos->isChecked();
    NBPenal->setEnabled(puntos);
    NBPorcentaje->setEnabled(!puntos);
    BCal->setEnabled(!puntos);
}

void TtfPenal::BCalClick()
{
    widgets::guarded([this] {
        if (const std::optional<qint64> base = basePenalizacion(dm_, equipo_))
            NBPenal->setValue(puntosDePorcentaje(int(NBPorcentaje->value()), *base));
    });
}

void TtfPenal::BGuardarClick()
{
    if (!elegido_) {
        MsgDlg(QStringLiteral("Elija primero el participante al que penalizar"), mtWarning, mbOK, 0);
        CBParticipa->setFocus();
        return;
    }
    widgets::guarded([this] {
        guardarPenalizacion(dm_, equipo_, NBPenal->value(), int(NBPorcentaje->value()), EMotivo->text());
    });
}
