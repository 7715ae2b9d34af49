#include "weighin/TFpesaje2.h"

#include "data/Dialogs.h"
#include "data/Globals.h"
#include "data/Helpers.h"
#include "data/Tdm.h"
#include "dialogs/Centre.h"
#include "dialogs/PrintReport.h"
#include "engine/ScopeGuard.h"
#include "ranking/Tfclasificacion.h"
#include "weighin/Actilla.h"
#include "widgets/DataEdit.h"
#include "widgets/DataGrid.h"
#include "widgets/DataLookupCombo.h"
#include "widgets/DataNavigator.h"
#include "widgets/Guard.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

#include <limits>

using engine::Dataset;
using engine::FieldType;
using widgets::DataNavigator;
using widgets::GridColumn;
using widgets::guarded;

namespace {

// A label with a mnemonic that takes the focus to its control.
QLabel* caption(const QString& text, QWidget* buddy, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setBuddy(buddy);
    return l;
}

// A value of the tally: right-aligned in a fixed, sunken box.
QLabel* valueBox(const char* name, QWidget* parent, int width = 90)
{
    auto* l = new QLabel(QStringLiteral("0"), parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    l->setFixedWidth(width);
    return l;
}

bool isEnter(QEvent* e)
{
    if (e->type() != QEvent::KeyPress)
        return false;
    const int k = static_cast<QKeyEvent*>(e)->key();
    return k == Qt::Key_Return || k == Qt::Key_Enter;
}

}  // namespace

TFpesaje2::TFpesaje2(Tdm& data, QWidget* parent)
    : QDialog(parent), dm_(data), pesaje_(data), TApesada(data.db, "PESCADA"), DSpes2(&pesaje_.TApes2),
      taEspecies(data.db, "ESPECIES")
{
    setObjectName(QStringLiteral("FPesaje2"));
    setWindowTitle(QStringLiteral("PESAJE"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    TApesada.setIndexName(QStringLiteral("idxPrimaryKey"));
    TApesada.setReadOnly(false);
    // Lines are deleted only through the weigh-in's own deletion, which
    // renumbers and recomputes.
    TApesada.beforeDelete = [](Dataset&) { throw engine::Abort(); };
    TApesada.addCalculatedField(QStringLiteral("pescado"), FieldType::String, 30);
    TApesada.addCalculatedField(QStringLiteral("puntos"), FieldType::Integer);
    TApesada.addCalculatedField(QStringLiteral("Bonifica"), FieldType::Integer);
    TApesada.addCalculatedField(QStringLiteral("Penal"), FieldType::Integer);
    TApesada.addCalculatedField(QStringLiteral("NombrePez"), FieldType::String, 30);
    TApesada.onCalcFields = [this](Dataset& ds) {
        const qint64 cod = ds.fieldByName("Cod pez").asLargeInt();
        const QString nombre = dm_.nombreEspecie(cod);
        ds.fieldByName("pescado").setValue(nombre);
        ds.fieldByName("NombrePez").setValue(nombre);
        const DesgloseLinea d = desgloseLinea(reglas_, cod, int(ds.fieldByName("Peso valido").asLargeInt()),
                                              int(ds.fieldByName("Peso").asLargeInt()),
                                              int(ds.fieldByName("Numero piezas").asLargeInt()));
        ds.fieldByName("puntos").setAsInteger(d.puntos);
        ds.fieldByName("Bonifica").setAsInteger(d.Bonifica);
        ds.fieldByName("Penal").setAsInteger(d.Penal);
    };
    taEspecies.setIndexName(QStringLiteral("isNombre"));
    taEspecies.setReadOnly(true);

    build();

    // Creating the screen.
    pesaje_.ultimaEspecie = 0;
    fclasificacion = new Tfclasificacion(dm_, this);
    guarded([this] {
        reglas_ = reglasActuales(dm_);
        taEspecies.open();
        DBLCBPez->refreshList();
        pesaje_.entradaDeEquipo(equipoInicial);
        llenarEquipos();
    });
    centreOnScreen(this, true);
}

TFpesaje2::~TFpesaje2()
{
    delete fclasificacion;
    for (Dataset* ds : std::initializer_list<Dataset*>{&TApesada, &taEspecies}) {
        // A destructor must not throw; every saved line is already on disk.
        try {
            ds->cancel();
            ds->close();
        } catch (const engine::DatabaseError&) {
        }
    }
}

// The screen, band by band from the top.
void TFpesaje2::build()
{
    QLayout* teamBar = buildTeamBar();
    QLayout* entry = buildEntryBar();
    buildLines();
    QLayout* bottom = buildBottom();

    auto* lay = new QVBoxLayout(this);
    lay->addLayout(teamBar);
    lay->addLayout(entry);
    lay->addWidget(DBGrid1, 1);
    lay->addLayout(bottom);

    setTabOrder(CBEquipos, DBEPiezas);
    setTabOrder(DBEPiezas, DBLCBPez);
    setTabOrder(DBLCBPez, DBEPeso);
    setTabOrder(DBEPeso, dbPesoValido);
    setTabOrder(dbPesoValido, BBGuardar);
    setTabOrder(BBGuardar, DBGrid1);
    resize(900, 680);
}

// The team bar: the team list, its arrows and the team's members; the hidden
// spin box that holds the current team.
QLayout* TFpesaje2::buildTeamBar()
{
    CBEquipos = new QComboBox(this);
    CBEquipos->setObjectName(QStringLiteral("CBEquipos"));
    CBEquipos->setMinimumWidth(360);
    BAnterior = new QPushButton(QStringLiteral("<"), this);
    BAnterior->setObjectName(QStringLiteral("BAnterior"));
    BSiguiente = new QPushButton(QStringLiteral(">"), this);
    BSiguiente->setObjectName(QStringLiteral("BSiguiente"));
    for (QPushButton* b : {BAnterior, BSiguiente}) {
        b->setAutoDefault(false);
        b->setFixedWidth(32);
    }
    Memo2 = new QPlainTextEdit(this);
    Memo2->setObjectName(QStringLiteral("Memo2"));
    Memo2->setReadOnly(true);
    Memo2->setFocusPolicy(Qt::NoFocus);
    Memo2->setFixedHeight(64);
    {
        QFont f = Memo2->font();
        f.setBold(true);
        Memo2->setFont(f);
        QPalette p = Memo2->palette();
        p.setColor(QPalette::Text, Qt::blue);
        Memo2->setPalette(p);
    }
    SPeq = new QSpinBox(this);
    SPeq->setObjectName(QStringLiteral("SPeq"));
    SPeq->setRange(-32768, 32767);
    SPeq->setValue(0);
    SPeq->hide();
    BBok = new QPushButton(QStringLiteral("OK"), this);
    BBok->setObjectName(QStringLiteral("BBok"));
    BBok->setAutoDefault(false);
    BBok->hide();
    connect(CBEquipos, qOverload<int>(&QComboBox::activated), this, [this](int i) { elegirItem(i); });
    connect(BAnterior, &QPushButton::clicked, this, [this] { moverEquipo(-1); });
    connect(BSiguiente, &QPushButton::clicked, this, [this] { moverEquipo(1); });
    connect(SPeq, qOverload<int>(&QSpinBox::valueChanged), this, [this] { cambioEquipo(); });

    auto* teamBar = new QGridLayout;
    teamBar->addWidget(caption(QStringLiteral("E&quipo:"), CBEquipos, this), 0, 0);
    teamBar->addWidget(CBEquipos, 0, 1);
    teamBar->addWidget(BAnterior, 0, 2);
    teamBar->addWidget(BSiguiente, 0, 3);
    teamBar->addWidget(Memo2, 1, 1, 1, 3);
    teamBar->setColumnStretch(4, 1);
    return teamBar;
}

// The entry bar, bound to the entry line.
QLayout* TFpesaje2::buildEntryBar()
{
    DSpes2.autoEdit = true;
    DBEPiezas = new widgets::DataEdit(&DSpes2, QStringLiteral("Numero piezas"), this);
    DBEPiezas->setObjectName(QStringLiteral("DBEPiezas"));
    DBLCBPez = new widgets::DataLookupCombo(this);
    DBLCBPez->setObjectName(QStringLiteral("DBLCBPez"));
    DBLCBPez->setListSource(&taEspecies, QStringLiteral("Nombre"), QStringLiteral("Codigo"));
    DBLCBPez->setDataSource(&DSpes2, QStringLiteral("Cod pez"));
    DBLCBPez->setMinimumWidth(200);
    DBLCBPez->setNotFoundText(QString::fromUtf8("Ninguna especie empieza por «%1»"));
    DBEPeso = new widgets::DataEdit(&DSpes2, QStringLiteral("Peso"), this);
    DBEPeso->setObjectName(QStringLiteral("DBEPeso"));
    dbPesoValido = new widgets::DataEdit(&DSpes2, QStringLiteral("Peso valido"), this);
    dbPesoValido->setObjectName(QStringLiteral("dbPesoValido"));
    // Pieces and weights are counts and grams: never negative.
    for (widgets::DataEdit* e : {DBEPiezas, DBEPeso, dbPesoValido})
        e->setIntegerRange(0, std::numeric_limits<qint64>::max());
    BBGuardar = new QPushButton(QStringLiteral("&Guardar"), this);
    BBGuardar->setObjectName(QStringLiteral("BBGuardar"));
    BBGuardar->setEnabled(false);
    connect(BBGuardar, &QPushButton::clicked, this, [this] { guarded([this] { guardar(); }); });
    for (QWidget* w : std::initializer_list<QWidget*>{DBEPiezas, DBLCBPez, DBEPeso, dbPesoValido})
        w->installEventFilter(this);
    connect(DBEPeso, &QLineEdit::editingFinished, this, [this] { salirPeso(); });
    // Choosing a species with the keyboard or the mouse goes on to the weight.
    connect(DBLCBPez, &widgets::DataLookupCombo::chosen, this, [this] { DBEPeso->setFocus(); });
    connect(&DSpes2, &engine::DataSource::stateChanged, this,
            [this] { BBGuardar->setEnabled(pesaje_.TApes2.isEditing()); });

    auto* entry = new QHBoxLayout;
    entry->addWidget(caption(QStringLiteral("&Nº Piezas"), DBEPiezas, this));
    entry->addWidget(DBEPiezas);
    entry->addWidget(caption(QStringLiteral("&Especie"), DBLCBPez, this));
    entry->addWidget(DBLCBPez, 1);
    entry->addWidget(caption(QStringLiteral("&Peso (gr.)"), DBEPeso, this));
    entry->addWidget(DBEPeso);
    entry->addWidget(caption(QStringLiteral("Peso &válido"), dbPesoValido, this));
    entry->addWidget(dbPesoValido);
    entry->addWidget(BBGuardar);
    DBEPiezas->setFixedWidth(60);
    DBEPeso->setFixedWidth(90);
    dbPesoValido->setFixedWidth(90);
    return entry;
}

// The team's lines and their navigator.
void TFpesaje2::buildLines()
{
    const int right = int(Qt::AlignRight | Qt::AlignVCenter);
    DBGrid1 = new widgets::DataGrid(&DSpesada,
                                    {GridColumn(QStringLiteral("Pesada num"), QStringLiteral("Pesada"), QStringLiteral("00"), right, 7),
                                     GridColumn(QStringLiteral("Numero piezas"), QStringLiteral("Piezas"), {}, right, 7),
                                     GridColumn(QStringLiteral("pescado"), QStringLiteral("Especie"), {}, 0, 24),
                                     GridColumn(QStringLiteral("Peso"), QStringLiteral("Peso"), QStringLiteral("#,###"), right, 9),
                                     GridColumn(QStringLiteral("Peso valido"), QString::fromUtf8("P. Válido"), QStringLiteral("#,###"), right, 9),
                                     GridColumn(QStringLiteral("Bonifica"), QStringLiteral("Bonific."), {}, right, 8),
                                     GridColumn(QStringLiteral("Penal"), QStringLiteral("Penal."), {}, right, 8),
                                     GridColumn(QStringLiteral("puntos"), QStringLiteral("Puntos"), QStringLiteral("#,##0"), right, 9)},
                                    this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setReadOnly(true);
    // The species column takes the spare width.
    DBGrid1->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    DBGrid1->installEventFilter(this);

    DBNpescada = new DataNavigator(&DSpesada,
                                   {DataNavigator::First, DataNavigator::Prior, DataNavigator::Next, DataNavigator::Last,
                                    DataNavigator::Delete, DataNavigator::Edit},
                                   {QStringLiteral("Primero"), QStringLiteral("Anterior"), QStringLiteral("Siguiente"),
                                    QString::fromUtf8("Último"), QStringLiteral("Borrar"), QStringLiteral("Modificar")},
                                   this);
    DBNpescada->setObjectName(QStringLiteral("DBNpescada"));
    DBNpescada->setConfirmDelete(false);
    // Editing and deleting are the weigh-in's own; the navigator's default
    // action on the grid's table never runs.
    DBNpescada->beforeAction = [this](DataNavigator::Button b) {
        if (b == DataNavigator::Edit) {
            editarLinea();
            throw engine::Abort();
        }
        if (b == DataNavigator::Delete) {
            borrarLinea();
            throw engine::Abort();
        }
    };
}

// The bottom panel: the navigator over the tally, the best marks of the day,
// and the buttons.
QLayout* TFpesaje2::buildBottom()
{
    QLayout* tally = buildTally();
    QWidget* best = buildBest();
    QLayout* buttons = buildButtons();

    auto* bottom = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(DBNpescada);
    left->addLayout(tally);
    left->addStretch(1);
    bottom->addLayout(left);
    bottom->addWidget(best, 1);
    bottom->addLayout(buttons);
    return bottom;
}

// The team's tally.
QLayout* TFpesaje2::buildTally()
{
    lnpuntos = valueBox("lnpuntos", this);
    lPuntosEspecies = valueBox("lPuntosEspecies", this);
    LEspecies = valueBox("LEspecies", this, 50);
    lPuntosCupos = valueBox("lPuntosCupos", this);
    LCupos = valueBox("LCupos", this, 50);
    lPValidas = valueBox("lPValidas", this, 50);
    Lppmayor = new QLabel(QStringLiteral("0"), this);
    Lppmayor->setObjectName(QStringLiteral("Lppmayor"));
    lTotal = valueBox("lTotal", this);
    {
        QFont f = lTotal->font();
        f.setBold(true);
        lTotal->setFont(f);
    }
    auto* penalCaption = new QLabel(QString::fromUtf8("Penalización:"), this);
    auto* penalValue = valueBox("lPenal", this);
    penalCaption->hide();
    penalValue->hide();

    auto* tally = new QGridLayout;
    tally->addWidget(new QLabel(QStringLiteral("Puntos:"), this), 0, 0);
    tally->addWidget(lnpuntos, 0, 1);
    tally->addWidget(new QLabel(QStringLiteral("Puntos Especies:"), this), 1, 0);
    tally->addWidget(lPuntosEspecies, 1, 1);
    tally->addWidget(new QLabel(QStringLiteral("Especies:"), this), 1, 2);
    tally->addWidget(LEspecies, 1, 3);
    tally->addWidget(new QLabel(QStringLiteral("Puntos Cupos:"), this), 2, 0);
    tally->addWidget(lPuntosCupos, 2, 1);
    tally->addWidget(new QLabel(QStringLiteral("Cupos:"), this), 2, 2);
    tally->addWidget(LCupos, 2, 3);
    tally->addWidget(new QLabel(QString::fromUtf8("Piezas válidas: "), this), 0, 2);
    tally->addWidget(lPValidas, 0, 3);
    tally->addWidget(new QLabel(QStringLiteral("Pieza Mayor:"), this), 3, 0);
    tally->addWidget(Lppmayor, 3, 1, 1, 3);
    tally->addWidget(penalCaption, 4, 0);
    tally->addWidget(penalValue, 4, 1);
    tally->addWidget(new QLabel(QStringLiteral("Total Puntos:"), this), 5, 0);
    tally->addWidget(lTotal, 5, 1);
    return tally;
}

// The best marks of the day.
QWidget* TFpesaje2::buildBest()
{
    auto* best = new QGroupBox(QStringLiteral("Mejores en la Jornada"), this);
    best->setObjectName(QStringLiteral("GBMejores"));
    best->setStyleSheet(QStringLiteral("QGroupBox { color: red; font-weight: bold; }"));
    lempuntos = new QLabel(QStringLiteral("0"), best);
    lempuntos->setObjectName(QStringLiteral("lempuntos"));
    lpmayorCamp = new QLabel(QStringLiteral("0"), best);
    lpmayorCamp->setObjectName(QStringLiteral("lpmayorCamp"));
    auto* bestLay = new QGridLayout(best);
    bestLay->addWidget(new QLabel(QString::fromUtf8("Mejor Puntuación:"), best), 0, 0);
    bestLay->addWidget(lempuntos, 0, 1);
    bestLay->addWidget(new QLabel(QStringLiteral("Pieza Mayor:"), best), 1, 0);
    bestLay->addWidget(lpmayorCamp, 1, 1);
    bestLay->setColumnStretch(1, 1);
    for (QLabel* l : {lempuntos, lpmayorCamp}) {
        QPalette p = l->palette();
        p.setColor(QPalette::WindowText, Qt::red);
        l->setPalette(p);
    }
    return best;
}

// The ranking window, the sheet, and leaving.
QLayout* TFpesaje2::buildButtons()
{
    VerNoVer = new QPushButton(QString::fromUtf8("Ver Clasificación"), this);
    VerNoVer->setObjectName(QStringLiteral("VerNoVer"));
    bbImprimir = new QPushButton(QStringLiteral("Imprimir actilla"), this);
    bbImprimir->setObjectName(QStringLiteral("bbImprimir"));
    BBSalir = new QPushButton(QStringLiteral("Terminar"), this);
    BBSalir->setObjectName(QStringLiteral("BBSalir"));
    for (QPushButton* b : {VerNoVer, bbImprimir, BBSalir})
        b->setAutoDefault(false);
    connect(VerNoVer, &QPushButton::clicked, this, [this] { guarded([this] { verNoVer(); }); });
    connect(BBSalir, &QPushButton::clicked, this, &QDialog::accept);
    // The sheet of the team shown, from the tally on screen.
    connect(bbImprimir, &QPushButton::clicked, this, [this] {
        pesaje_.equipoActual = equipo();
        printReport([this](PrintSurface& s) { imprimirActilla(dm_, pesaje_, s); });
    });

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(VerNoVer);
    buttons->addWidget(bbImprimir);
    buttons->addStretch(1);
    buttons->addWidget(BBSalir);
    return buttons;
}

int TFpesaje2::equipo() const { return SPeq->value(); }

void TFpesaje2::llenarEquipos()
{
    CBEquipos->clear();
    engine::Table& part = dm_.TAparticipa;
    if (!part.active() || part.isEmpty()) {
        userDialogs().showMessage(QStringLiteral("No hay participantes"));
        return;
    }
    // One item per team, from its first participant in key order; the item
    // carries the team's number.
    const Dataset::Bookmark here = part.bookmark();
    engine::ScopeGuard back{[&] { part.gotoBookmark(here); }};
    bool any = false;
    qint64 last = 0;
    for (part.first(); !part.eof(); part.next()) {
        const qint64 eq = part.fieldByName("Equipo").asLargeInt();
        if (any && eq == last)
            continue;
        any = true;
        last = eq;
        CBEquipos->addItem(QString::number(eq) + ". " + part.fieldByName("Club").asString() + ". " +
                               part.fieldByName("Nombre").asString(),
                           int(eq));
    }
    CBEquipos->setCurrentIndex(0);
}

// Showing the screen and the window system's activation that follows are
// one activation.
void TFpesaje2::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (!e->spontaneous() && !activo_)
        activar();
}

bool TFpesaje2::event(QEvent* e)
{
    if (e->type() == QEvent::WindowActivate && !activo_)
        activar();
    else if (e->type() == QEvent::WindowDeactivate || e->type() == QEvent::Hide)
        activo_ = false;
    return QDialog::event(e);
}

void TFpesaje2::activar()
{
    activo_ = true;
    if (!pesajeIniciado)
        guarded([this] { primeraActivacion(); });
    rotuloVerNoVer();
}

void TFpesaje2::rotuloVerNoVer()
{
    const bool showing = fclasificacion && fclasificacion->isVisible();
    VerNoVer->setText(showing ? QStringLiteral("Ocultar") : QString::fromUtf8("Ver clasificación"));
}

void TFpesaje2::primeraActivacion()
{
    if (!dm_.TAparticipa.active() || dm_.TAparticipa.isEmpty()) {
        MsgDlg(QStringLiteral("No hay participantes en esta prueba"), mtError, mbOK, 0);
        return;
    }
    // Set first: a box shown below activates the screen again. A failure
    // leaves it to the next activation.
    pesajeIniciado = true;
    try {
        inicializar();
    } catch (...) {
        pesajeIniciado = false;
        throw;
    }
}

void TFpesaje2::inicializar()
{
    setWindowTitle("Pesaje de " + dm_.TAcomp.fieldByName("Titulo").asString());
    if (!dm_.TAjornada.active()) {
        dm_.TAcomp.open();
        dm_.TAjornada.open();
    }
    {
        // The bounds first, then the value: a change of value is a team change.
        const QSignalBlocker block(SPeq);
        SPeq->setRange(equipoInicial, equipoFinal);
    }
    const bool changes = SPeq->value() != equipoInicial;
    SPeq->setValue(equipoInicial);
    pesaje_.equipoActual = equipo();
    pesaje_.mejores();
    mostrarMejores();
    if (!changes)
        cambioEquipo();
    else
        mostrarTally();
}

void TFpesaje2::elegirItem(int index)
{
    if (index < 0)
        return;
    const int eq = CBEquipos->itemData(index).toInt();
    if (eq != equipo())
        SPeq->setValue(eq);
}

void TFpesaje2::moverEquipo(int paso)
{
    const int i = CBEquipos->currentIndex() + paso;
    if (i < 0 || i >= CBEquipos->count())
        return;
    CBEquipos->setCurrentIndex(i);
    elegirItem(i);
}

void TFpesaje2::cambioEquipo()
{
    guarded([this] {
        const int eq = equipo();
        pesaje_.equipoActual = eq;
        BBGuardar->setEnabled(false);
        const QSignalBlocker block(CBEquipos);
        engine::Table& part = pesaje_.TApart2;
        part.open();
        engine::ScopeGuard close{[&] {
            part.cancelRange();
            part.close();
        }};
        part.setRange({codigoActual(dm_), eq}, {codigoActual(dm_), eq});
        if (part.isEmpty()) {
            ShowMsg("No existe el equipo " + QString::number(eq));
            // On in the direction of travel; the spin box's bounds end it.
            SPeq->setValue(eq > pesaje_.rEquipo.equipo ? eq + 1 : eq - 1);
            return;
        }
        QStringList lines;
        for (part.first(); !part.eof(); part.next())
            lines << part.fieldByName("Nombre").asString() + "  (" + part.fieldByName("Club").asString() + ")";
        Memo2->setPlainText(lines.join('\n'));
        const int item = CBEquipos->findData(eq);
        if (item >= 0)
            CBEquipos->setCurrentIndex(item);
        empezarEquipo();
        if (fclasificacion && fclasificacion->isVisible()) {
            fclasificacion->LEquipo->setText(primeraLineaMiembros());
            fclasificacion->LPesada->clear();
        }
    });
}

void TFpesaje2::empezarEquipo()
{
    const QString cc = codigoActual(dm_);
    const int jor = jornadaActual(dm_);
    const int eq = equipo();
    TApesada.setRange({cc, jor, eq}, {cc, jor, eq});
    if (!TApesada.active())
        TApesada.open();
    {
        SilencioAvisos silencio;  // the team's lines were warned about when saved
        pesaje_.sumapuntos(cc, jor, eq);
    }
    mostrarTally();
    pesaje_.rEquipo.equipo = eq;
    nuevaEntrada();
}

void TFpesaje2::nuevaEntrada()
{
    engine::Table& e = pesaje_.TApes2;
    pesaje_.entradaDeEquipo(equipo());
    e.insert();
    e.fieldByName("Cod comp").setValue(codigoActual(dm_));
    e.fieldByName("Jornada").setAsInteger(jornadaActual(dm_));
    e.fieldByName("Equipo").setAsInteger(equipo());
    e.fieldByName("Numero piezas").setAsInteger(1);
    if (pesaje_.ultimaEspecie != 0)
        e.fieldByName("Cod pez").setAsLargeInt(pesaje_.ultimaEspecie);
    BBGuardar->setEnabled(true);
    DBEPiezas->setFocus();
    DBEPiezas->selectAll();
}

bool TFpesaje2::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == DBGrid1 && e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Delete && (k->modifiers() & Qt::ControlModifier)) {
            // After the toolkit's own question, the weigh-in's.
            guarded([this] {
                if (TApesada.active() && !TApesada.isEmpty() && userDialogs().confirm(QString::fromUtf8("¿Borrar el registro?")))
                    borrarLinea();
            });
            return true;
        }
        return false;
    }
    // Entering the box from another control opens its list; the focus coming
    // back from the list itself (closed with Escape) or from another window
    // does not open it again.
    if (watched == DBLCBPez && e->type() == QEvent::FocusIn) {
        const Qt::FocusReason why = static_cast<QFocusEvent*>(e)->reason();
        if (why == Qt::PopupFocusReason || why == Qt::ActiveWindowFocusReason)
            return false;
        QMetaObject::invokeMethod(DBLCBPez, [this] {
            if (DBLCBPez->hasFocus() && DBLCBPez->count() > 0)
                DBLCBPez->showPopup();
        }, Qt::QueuedConnection);
        return false;
    }
    if (isEnter(e) && (watched == DBEPiezas || watched == DBLCBPez || watched == DBEPeso || watched == dbPesoValido)) {
        focusNextChild();
        return true;
    }
    return QDialog::eventFilter(watched, e);
}

void TFpesaje2::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        focusNextChild();
        return;
    }
    // Escape must not close the weigh-in in the middle of a line.
    if (e->key() == Qt::Key_Escape) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

void TFpesaje2::salirPeso()
{
    engine::Table& e = pesaje_.TApes2;
    if (!e.isEditing())
        return;
    try {
        DBEPiezas->updateRecord();
        DBEPeso->updateRecord();
    } catch (const engine::DatabaseError&) {
        // The box itself reports the refused text when it loses the focus.
        return;
    }
    guarded([&] {
        const int peso = int(e.fieldByName("Peso").asLargeInt());
        const int piezas = int(e.fieldByName("Numero piezas").asLargeInt());
        e.fieldByName("Peso valido").setAsInteger(pesoValido(peso, piezas, reglas_.pesoMaximo));
        dbPesoValido->reset();
    });
    BBGuardar->setEnabled(true);
}

void TFpesaje2::guardar()
{
    engine::Table& e = pesaje_.TApes2;
    if (!e.isEditing())
        return;
    e.updateRecord();
    // An empty box would reach the tally as a value nobody typed.
    if (e.fieldByName("Numero piezas").isNull()) {
        ShowMsg(QString::fromUtf8("Falta el número de piezas"));
        DBEPiezas->setFocus();
        return;
    }
    if (e.fieldByName("Cod pez").isNull()) {
        ShowMsg(QStringLiteral("Falta la especie"));
        DBLCBPez->setFocus();
        return;
    }
    if (e.fieldByName("Peso").isNull()) {
        ShowMsg(QStringLiteral("Falta el peso"));
        DBEPeso->setFocus();
        return;
    }
    const bool nueva = e.state() == Dataset::State::Insert;
    const int fila = TApesada.currentRow();
    const int piezas = clampInt(e.fieldByName("Numero piezas").asLargeInt());
    pesaje_.equipoActual = equipo();
    // A weight that looks like a typing slip is asked about first; No, the
    // default, stores nothing and goes back to the weight.
    const QString duda = pesaje_.dudaPeso(e.fieldByName("Cod pez").asLargeInt(), piezas,
                                          clampInt(e.fieldByName("Peso").asLargeInt()),
                                          nueva ? engine::Dataset::Bookmark{} : e.bookmark());
    if (!duda.isEmpty() && MsgDlg(duda, mtConfirmation, mbYes | mbNo | mbKeepDefault, 0) != mrYes) {
        DBEPeso->setFocus();
        DBEPeso->selectAll();
        return;
    }
    // The save, the grid and the ranking window read the file as one piece of work.
    const engine::Database::Operation trabajo(&dm_.db);
    if (!pesaje_.guardarEntrada()) {
        if (pesaje_.lineaCambiada()) {
            mostrarLineasActuales();
        } else if (!rechazoLinea(piezas).isEmpty()) {
            DBEPiezas->setFocus();
            DBEPiezas->selectAll();
        }
        return;
    }
    const qint64 peso = e.fieldByName("Peso").asLargeInt();
    TApesada.refresh();
    if (!nueva && fila >= 0 && fila < TApesada.recordCount())
        TApesada.moveTo(fila);
    mostrarTally();
    mostrarMejores();
    refrescarClasificacion();
    if (fclasificacion && fclasificacion->isVisible())
        fclasificacion->LPesada->setText("Pesada : " + dm_.nombreEspecie(pesaje_.ultimaEspecie) + "  " +
                                         QString::number(peso) + "gr");
    nuevaEntrada();
    TApesada.last();
}

void TFpesaje2::editarLinea()
{
    if (!TApesada.active() || TApesada.isEmpty())
        return;
    const qint64 eq = TApesada.fieldByName("Equipo").asLargeInt();
    const qint64 num = TApesada.fieldByName("Pesada num").asLargeInt();
    const Pesaje::LineaLeida mostrada = Pesaje::lineaLeida(TApesada);
    engine::Table& e = pesaje_.TApes2;
    e.cancel();
    // The line is corrected as the grid shows it, or not at all: one that
    // another program deleted or renumbered since is not opened.
    if (!e.locate(QStringLiteral("Equipo;Pesada num"), QVariantList{eq, num}) ||
        !Pesaje::mismaLinea(mostrada, Pesaje::lineaLeida(e))) {
        mostrarLineasActuales();
        return;
    }
    e.edit();
    DBEPiezas->setFocus();
    DBEPiezas->selectAll();
}

void TFpesaje2::borrarLinea()
{
    if (!TApesada.active() || TApesada.isEmpty())
        return;
    const qint64 num = TApesada.fieldByName("Pesada num").asLargeInt();
    // The line as the grid shows it: deleted only if the file still holds it so.
    const Pesaje::LineaLeida mostrada = Pesaje::lineaLeida(TApesada);
    if (MsgDlg(QString::fromUtf8("Borrar pesada nº ") + QString::number(num), mtConfirmation, mbYes | mbNo | mbKeepDefault, 0) != mrYes)
        return;
    TApesada.disableControls();
    engine::ScopeGuard thaw{[&] { TApesada.enableControls(); }};
    pesaje_.borrarPesada(equipo(), int(num), &mostrada);
    TApesada.refresh();
    mostrarTally();
    mostrarMejores();
    refrescarClasificacion();
    nuevaEntrada();
    if (pesaje_.lineaCambiada())
        ShowMsg(Pesaje::textoPesadaCambiada());
}

void TFpesaje2::mostrarLineasActuales()
{
    // A correction of a line that changed since it was read: the team's
    // lines are read again, its tally with them, a new line is made ready,
    // and then the refusal is said over what the file holds.
    TApesada.refresh();
    {
        SilencioAvisos silencio;
        pesaje_.sumapuntos(codigoActual(dm_), jornadaActual(dm_), equipo());
    }
    mostrarTally();
    nuevaEntrada();
    ShowMsg(Pesaje::textoPesadaCambiada());
}

void TFpesaje2::refrescarClasificacion()
{
    if (!fclasificacion || !fclasificacion->isVisible())
        return;
    fclasificacion->escribeDatos();
    fclasificacion->repintar();
}

void TFpesaje2::verNoVer()
{
    if (!fclasificacion)
        return;
    if (fclasificacion->isVisible()) {
        fclasificacion->hide();
    } else {
        fclasificacion->setWindowTitle(dm_.TAcomp.fieldByName("Titulo").asString() + " - Jornada: " +
                                       shortDate(dm_.TAjornada.fieldByName("Fecha").asDate()));
        fclasificacion->escribeDatos();
        fclasificacion->LEquipo->setText(primeraLineaMiembros() + "   ");
        fclasificacion->show();
    }
    rotuloVerNoVer();
}

QString TFpesaje2::primeraLineaMiembros() const { return Memo2->toPlainText().section('\n', 0, 0); }

void TFpesaje2::mostrarTally()
{
    lnpuntos->setText(pesaje_.lnpuntos());
    lPuntosEspecies->setText(pesaje_.lPuntosEspecies());
    LEspecies->setText(pesaje_.LEspecies());
    lPuntosCupos->setText(pesaje_.lPuntosCupos());
    LCupos->setText(pesaje_.LCupos());
    lPValidas->setText(pesaje_.lPValidas());
    Lppmayor->setText(pesaje_.Lppmayor());
    lTotal->setText(pesaje_.lTotal());
}

void TFpesaje2::mostrarMejores()
{
    lempuntos->setText(pesaje_.lempuntos());
    lpmayorCamp->setText(pesaje_.lpmayorCamp());
}

void TFpesaje2::done(int r)
{
    if (fclasificacion) {
        fclasificacion->hide();
        delete fclasificacion;
    }
    for (Dataset* ds : std::initializer_list<Dataset*>{&pesaje_.TApes2, &TApesada}) {
        // Leaving the weigh-in: an unsaved entry line is dropped.
        guarded([ds] {
            ds->cancel();
            ds->close();
        });
    }
    QDialog::done(r);
}
