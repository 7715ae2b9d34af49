#include "setup/TFcompet2.h"

#include "dialogs/Centre.h"
#include "dialogs/GuardarCambios.h"
#include "dialogs/Tfselcomp.h"
#include "data/Dialogs.h"
#include "data/Globals.h"
#include "data/Helpers.h"
#include "data/Tdm.h"
#include "setup/Copia.h"
#include "setup/PanelPescadores.h"
#include "setup/TfDefComp.h"
#include "widgets/DataControls.h"
#include "widgets/DataEdit.h"
#include "widgets/DataGrid.h"
#include "widgets/DataLookupCombo.h"
#include "widgets/DataNavigator.h"
#include "widgets/Guard.h"

#include <QApplication>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <functional>
#include <limits>
#include <memory>

TFcompet2* FCompet2 = nullptr;

using widgets::DataEdit;
using widgets::DataGrid;
using widgets::DataNavigator;
using widgets::GridColumn;
using widgets::guarded;

namespace {

const QStringList kListSql = {"Select DISTINCT codigo, titulo from competic",
                              "left join jornadas on (competic.codigo = jornadas.[cod comp])",
                              "order by jornadas.fecha desc"};

// The DNI field: its owner hears when the user leaves it and when Down asks
// for the fishermen pick list.
class DniEdit : public DataEdit {
public:
    using DataEdit::DataEdit;
    std::function<void()> onExit;
    std::function<void()> onDown;

protected:
    void focusOutEvent(QFocusEvent* e) override
    {
        DataEdit::focusOutEvent(e);  // writes the typed DNI first
        // Leaving the field for another control, not the window losing focus.
        if (onExit && e->reason() != Qt::ActiveWindowFocusReason && e->reason() != Qt::PopupFocusReason)
            onExit();
    }
    void keyPressEvent(QKeyEvent* e) override
    {
        if (e->key() == Qt::Key_Down && !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) && onDown) {
            e->accept();
            onDown();
            return;
        }
        DataEdit::keyPressEvent(e);
    }
};

QPushButton* button(const QString& text, const char* name, QWidget* parent, const QString& hint = {})
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    // Enter in a field never presses a button of the workbook by accident.
    b->setAutoDefault(false);
    if (!hint.isEmpty())
        b->setToolTip(hint);
    return b;
}

DataEdit* edit(engine::DataSource* source, const QString& field, const char* name, QWidget* parent, int chars = 0)
{
    auto* e = new DataEdit(source, field, parent);
    // Weights, points and counts are never negative: whole numbers from 0 to
    // the field's top (text fields ignore the range).
    e->setIntegerRange(0, std::numeric_limits<qint64>::max());
    e->setObjectName(QString::fromLatin1(name));
    if (chars > 0)
        e->setFixedWidth(e->fontMetrics().averageCharWidth() * chars + 16);
    return e;
}

QLabel* label(const QString& text, QWidget* parent, QWidget* buddy = nullptr)
{
    auto* l = new QLabel(text, parent);
    if (buddy)
        l->setBuddy(buddy);
    return l;
}

// A number edit with its unit after it, in one cell.
QWidget* withUnit(QWidget* field, const QString& unit, QWidget* parent)
{
    auto* box = new QWidget(parent);
    auto* h = new QHBoxLayout(box);
    h->setContentsMargins(0, 0, 0, 0);
    h->addWidget(field);
    if (!unit.isEmpty())
        h->addWidget(new QLabel(unit, box));
    h->addStretch();
    return box;
}

}  // namespace

TFcompet2::TFcompet2(Tdm& data, Tfselcomp* chooser, QWidget* parent, widgets::Build build)
    : LazyDialog(parent), ABSQ(data.db), tPescadores(data.db, "PESCADORES"), dm_(data), chooser_(chooser)
{
    setObjectName("FCompet2");
    setWindowTitle("Competiciones");
    // Fixed size: a title and a close button, nothing to maximise.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    ABSQ.setSql(kListSql);
    tPescadores.setIndexName("iNombre");
    DSTaParticipa.setDataset(&dm_.TAparticipa);
    if (!chooser_)
        chooser_ = ownChooser_ = new Tfselcomp(dm_, this, build);
    buildIf(build);
}

// The pages, their controls and what follows the data module. Nothing here
// opens or moves a table: showing the workbook does.
void TFcompet2::buildControls()
{
    auto* lay = new QVBoxLayout(this);
    buildTop();
    lay->addWidget(LTitulo);
    auto* dayLine = new QHBoxLayout;
    dayLine->addWidget(LFecha);
    dayLine->addSpacing(16);
    dayLine->addWidget(LLugar, 1);
    lay->addLayout(dayLine);

    PC = new QTabWidget(this);
    PC->setObjectName("PC");
    buildPruebas();
    buildJornadas();
    buildParticipantes();
    buildEspeciales();
    buildCupos();
    PC->addTab(TSPruebas, "Pruebas");
    PC->addTab(TSJornadas, "Jornadas");
    PC->addTab(TSParticipantes, "Participantes");
    PC->addTab(TSEspeciales, "Especiales");
    PC->addTab(TSCupos, "Cupos");
    lay->addWidget(PC, 1);
    connect(PC, &QTabWidget::currentChanged, this, &TFcompet2::PCChange);

    BTerminar = button("&Terminar", "BTerminar", this);
    connect(BTerminar, &QPushButton::clicked, this, &QDialog::accept);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(BTerminar);
    lay->addLayout(bottom);

    // A fixed size, the one its contents need.
    lay->setSizeConstraint(QLayout::SetFixedSize);

    // Current competition follows the list.
    connect(&DSabsq, &engine::DataSource::recordChanged, this, &TFcompet2::listMoved);
    // The participant buttons follow the participant and the competition.
    connect(&DSTaParticipa, &engine::DataSource::stateChanged, this, &TFcompet2::participantStateChanged);
    connect(&dm_.Scomp, &engine::DataSource::stateChanged, this, &TFcompet2::participantStateChanged);

    BPartGuardar->setEnabled(false);
    BPartCancelar->setEnabled(false);

    // Ctrl+Tab, Ctrl+Shift+Tab, Ctrl+PgDn and Ctrl+PgUp change page from any control.
    for (QWidget* c : findChildren<QWidget*>())
        c->installEventFilter(this);
}

TFcompet2::~TFcompet2()
{
    // The child widgets go after this body, and each one losing the focus
    // would reach this half-destroyed screen through the pick panel.
    if (PanelPescadores) {
        disconnect(qApp, &QApplication::focusChanged, PanelPescadores, nullptr);
        PanelPescadores->disconnect(this);
    }
    if (FCompet2 == this)
        FCompet2 = nullptr;
    try {
        ABSQ.close();
        tPescadores.close();
    } catch (const engine::DatabaseError&) {
        // Read-only views of the screen's own; a destructor must not throw.
    }
}

QString TFcompet2::currentCode()
{
    return dm_.TAcomp.active() ? dm_.TAcomp.fieldByName("Codigo").asString() : QString();
}

// ---- Building ----

void TFcompet2::buildTop()
{
    LTitulo = new widgets::DataLabel(&dm_.Scomp, "Titulo", this);
    LTitulo->setObjectName("LTitulo");
    QFont big = LTitulo->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.4);
    LTitulo->setFont(big);
    LTitulo->setAlignment(Qt::AlignCenter);
    LTitulo->setMinimumHeight(LTitulo->fontMetrics().height() + 6);
    LFecha = new widgets::DataLabel(&dm_.Sjornada, "Fecha", this);
    LFecha->setObjectName("LFecha");
    LLugar = new widgets::DataLabel(&dm_.Sjornada, "Lugar", this);
    LLugar->setObjectName("LLugar");
    QFont bold = LFecha->font();
    bold.setBold(true);
    LFecha->setFont(bold);
    LLugar->setFont(bold);
    LFecha->setMinimumWidth(LFecha->fontMetrics().horizontalAdvance("00/00/00000"));
    // A long name wraps, from its start, and never widens the window.
    for (QLabel* l : {static_cast<QLabel*>(LTitulo), static_cast<QLabel*>(LLugar)}) {
        l->setWordWrap(true);
        l->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    }
}

void TFcompet2::buildPruebas()
{
    TSPruebas = new QWidget;
    TSPruebas->setObjectName("TSPruebas");
    engine::DataSource* s = &dm_.Scomp;

    DBECodigo = edit(s, "Codigo", "DBECodigo", TSPruebas, 8);
    DBETitulo = edit(s, "Titulo", "DBETitulo", TSPruebas);
    DBETitulo->setMinimumWidth(DBETitulo->fontMetrics().averageCharWidth() * 34);
    DBRGTipo = new widgets::DataRadioGroup(" Tipo de Prueba ", TSPruebas);
    DBRGTipo->setObjectName("DBRGTipo");
    DBRGTipo->setItems({"Individual", "Equipos"}, {"I", "E"});
    DBRGTipo->setColumns(2);
    DBRGTipo->setDataSource(s, "Tipo");
    DBEpMinimo = edit(s, "Peso minimo", "DBEpMinimo", TSPruebas, 8);
    DBEPunPieza = edit(s, "Puntos pieza", "DBEPunPieza", TSPruebas, 8);
    DBEPunGramo = edit(s, "Puntos gramo", "DBEPunGramo", TSPruebas, 8);
    DBEPesoMax = edit(s, "Peso maximo", "DBEPesoMax", TSPruebas, 8);
    DBEPesoMax->setToolTip(QString::fromUtf8("Dejar a 0 si no hay máximo"));
    DBEPesoPenal = edit(s, "Peso penalizable", "DBEPesoPenal", TSPruebas, 8);
    DBEPenalGramo = edit(s, "Penalizacion gramo", "DBEPenalGramo", TSPruebas, 8);
    DBEPuntosEsp = edit(s, "Puntos Especie", "DBEPuntosEsp", TSPruebas, 8);
    DBEPuntosCupo = edit(s, "Puntos Cupo", "DBEPuntosCupo", TSPruebas, 8);
    DBEjeCupo = edit(s, "EjemplaresCupo", "DBEjeCupo", TSPruebas, 8);

    auto* form = new QGridLayout;
    int r = 0;
    form->addWidget(label(QString::fromUtf8("Código:"), TSPruebas, DBECodigo), r, 0);
    form->addWidget(DBECodigo, r++, 1, Qt::AlignLeft);
    form->addWidget(label("Nombre:", TSPruebas, DBETitulo), r, 0);
    form->addWidget(DBETitulo, r++, 1);
    form->addWidget(DBRGTipo, r++, 0, 1, 2);
    struct Row {
        const char* caption;
        DataEdit* field;
        const char* unit;
    };
    for (const Row& row : {Row{"Peso mínimo:", DBEpMinimo, "gr."}, Row{"Puntos por pieza:", DBEPunPieza, ""},
                           Row{"Puntos por gramo:", DBEPunGramo, ""}, Row{"Peso máximo puntuable:", DBEPesoMax, "gr."},
                           Row{"Mínimo sin penalizar:", DBEPesoPenal, "gr."},
                           Row{"Penalización:", DBEPenalGramo, "Ptos."}, Row{"Puntos Especie:", DBEPuntosEsp, ""},
                           Row{"Puntos Cupo:", DBEPuntosCupo, ""}, Row{"Ejemplares Cupo", DBEjeCupo, ""}}) {
        form->addWidget(label(QString::fromUtf8(row.caption), TSPruebas, row.field), r, 0);
        form->addWidget(withUnit(row.field, QString::fromUtf8(row.unit), TSPruebas), r++, 1);
    }
    form->setRowStretch(r, 1);
    // Twelve rows in the height of the main window.
    form->setVerticalSpacing(2);

    DBCpompeticiones = new DataGrid(&DSabsq, {GridColumn("codigo", QString::fromUtf8("Código"), {}, 0, 8),
                                              GridColumn("titulo", "Prueba", {}, 0, 36)},
                                    TSPruebas);
    DBCpompeticiones->setObjectName("DBCpompeticiones");
    DBCpompeticiones->horizontalHeader()->setStretchLastSection(true);
    DBCpompeticiones->setMinimumWidth(DBCpompeticiones->fontMetrics().averageCharWidth() * 40 + 40);

    DBNPruebas = new DataNavigator(&DSabsq, {DataNavigator::First, DataNavigator::Prior, DataNavigator::Next,
                                             DataNavigator::Last},
                                   {"Primero", "Anterior", "Siguiente", QString::fromUtf8("Último")}, TSPruebas);
    DBNPruebas->setObjectName("DBNPruebas");
    DBNPruebas->afterAction = [this](DataNavigator::Button) { refreshList(); };

    BNuevaPrueba = button("&Nueva", "BNuevaPrueba", TSPruebas, "Definir una prueba nueva");
    // Both open the definition dialog and carry the same hint.
    bEditarPrueba = button("&Editar", "bEditarPrueba", TSPruebas, "Definir una prueba nueva");
    BBorrarPrueba = button("Borrar", "BBorrarPrueba", TSPruebas, "Borrar una prueba");
    connect(BNuevaPrueba, &QPushButton::clicked, this, &TFcompet2::BNuevaPruebaClick);
    connect(bEditarPrueba, &QPushButton::clicked, this, &TFcompet2::bEditarPruebaClick);
    connect(BBorrarPrueba, &QPushButton::clicked, this, &TFcompet2::BBorrarPruebaClick);

    auto* list = new QVBoxLayout;
    list->addWidget(DBCpompeticiones, 1);
    list->addWidget(DBNPruebas);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BNuevaPrueba);
    buttons->addWidget(bEditarPrueba);
    buttons->addWidget(BBorrarPrueba);
    list->addLayout(buttons);

    auto* page = new QHBoxLayout(TSPruebas);
    page->addLayout(form);
    page->addSpacing(12);
    page->addLayout(list, 1);
}

void TFcompet2::buildJornadas()
{
    TSJornadas = new QWidget;
    TSJornadas->setObjectName("TSJornadas");
    engine::DataSource* s = &dm_.Sjornada;

    LAyudaJornada = new QLabel(QString::fromUtf8("Pulse nuevo (+) para añadir una nueva jornada"), TSJornadas);
    LAyudaJornada->setObjectName("LAyudaJornada");
    DBGJornadas = new DataGrid(s, {GridColumn("Cod comp", QString::fromUtf8("Código"), {}, 0, 8),
                                   GridColumn("Numero", "Jornada", {}, 0, 8), GridColumn("Fecha", {}, {}, 0, 13),
                                   GridColumn("Horario", {}, {}, 0, 16), GridColumn("Lugar", {}, {}, 0, 30)},
                               TSJornadas);
    DBGJornadas->setObjectName("DBGJornadas");
    DBGJornadas->horizontalHeader()->setStretchLastSection(true);

    DBNavJornadas = new DataNavigator(s, {DataNavigator::Insert, DataNavigator::Delete, DataNavigator::Edit,
                                          DataNavigator::Post, DataNavigator::Cancel},
                                      {"Nuevo", "Borrar", "Editar", "Guardar", QString::fromUtf8("Cancelar edición")},
                                      TSJornadas);
    DBNavJornadas->setObjectName("DBNavJornadas");
    DBNavJornadas->setConfirmDelete(true);
    DBNavJornadas->afterAction = [this](DataNavigator::Button b) {
        if (b == DataNavigator::Insert)
            DBENumero->setFocus();
    };

    DBENumero = edit(s, "Numero", "DBENumero", TSJornadas, 6);
    // Day 0 would read as "no day" to the choosers.
    DBENumero->setIntegerRange(1, 32767);
    DBEFecha = edit(s, "Fecha", "DBEFecha", TSJornadas, 11);
    DBEHorario = edit(s, "Horario", "DBEHorario", TSJornadas, 30);
    DBELugar = edit(s, "Lugar", "DBELugar", TSJornadas);

    auto* form = new QGridLayout;
    form->addWidget(label("Jornada Num:", TSJornadas, DBENumero), 0, 0);
    form->addWidget(DBENumero, 0, 1, Qt::AlignLeft);
    form->addWidget(label("Fecha:", TSJornadas, DBEFecha), 0, 2);
    form->addWidget(DBEFecha, 0, 3, Qt::AlignLeft);
    form->addWidget(label("Horario:", TSJornadas, DBEHorario), 1, 0);
    form->addWidget(DBEHorario, 1, 1, 1, 3, Qt::AlignLeft);
    form->addWidget(label("Lugar: ", TSJornadas, DBELugar), 2, 0);
    form->addWidget(DBELugar, 2, 1, 1, 3);
    form->setColumnStretch(3, 1);

    auto* page = new QVBoxLayout(TSJornadas);
    page->addWidget(LAyudaJornada);
    page->addWidget(DBGJornadas, 1);
    page->addWidget(DBNavJornadas);
    page->addSpacing(8);
    page->addLayout(form);
    DBNavJornadas->setKeyScope(TSJornadas);
}

void TFcompet2::buildParticipantes()
{
    TSParticipantes = new QWidget;
    TSParticipantes->setObjectName("TSParticipantes");
    engine::DataSource* s = &dm_.Sparticipa;

    DBEEquipo = edit(s, "Equipo", "DBEEquipo", TSParticipantes, 6);
    DBEEquipo->setIntegerRange(1, 32767);
    auto* dni = new DniEdit(s, "DNI");
    dni->setParent(TSParticipantes);
    dni->setObjectName("DBEDNI");
    dni->setFixedWidth(dni->fontMetrics().averageCharWidth() * 12 + 16);
    dni->onExit = [this] { DBEDNIExit(); };
    dni->onDown = [this] { SBpescadoresClick(); };
    DBEDNI = dni;
    SBpescadores = new QToolButton(TSParticipantes);
    SBpescadores->setObjectName("SBpescadores");
    SBpescadores->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    SBpescadores->setToolTip("Buscar");
    // In the tab order after the DNI; Space presses it.
    SBpescadores->setFocusPolicy(Qt::StrongFocus);
    connect(SBpescadores, &QToolButton::clicked, this, &TFcompet2::SBpescadoresClick);
    DBENombre = edit(s, "Nombre", "DBENombre", TSParticipantes);
    DBEFechaNac = edit(s, "Fecha nacimiento", "DBEFechaNac", TSParticipantes, 11);
    DBELicencia = edit(s, "Licencia", "DBELicencia", TSParticipantes, 12);
    DBEClub = edit(s, "Club", "DBEClub", TSParticipantes);

    auto* dniBox = new QHBoxLayout;
    dniBox->setSpacing(2);
    dniBox->addWidget(DBEDNI);
    dniBox->addWidget(SBpescadores);
    dniBox->addStretch();

    auto* form = new QGridLayout;
    int r = 0;
    form->addWidget(label("Equipo", TSParticipantes, DBEEquipo), r, 0);
    form->addWidget(DBEEquipo, r++, 1, Qt::AlignLeft);
    form->addWidget(label("ID", TSParticipantes, DBEDNI), r, 0);
    form->addLayout(dniBox, r++, 1);
    form->addWidget(label("Nombre", TSParticipantes, DBENombre), r, 0);
    form->addWidget(DBENombre, r++, 1);
    form->addWidget(label("Fecha nacimiento", TSParticipantes, DBEFechaNac), r, 0);
    form->addWidget(DBEFechaNac, r++, 1, Qt::AlignLeft);
    form->addWidget(label("Licencia", TSParticipantes, DBELicencia), r, 0);
    form->addWidget(DBELicencia, r++, 1, Qt::AlignLeft);
    form->addWidget(label("Club", TSParticipantes, DBEClub), r, 0);
    form->addWidget(DBEClub, r++, 1);
    form->setColumnMinimumWidth(1, DBENombre->fontMetrics().averageCharWidth() * 40);
    form->setVerticalSpacing(2);

    BPartNuevo = button("&Nuevo", "BPartNuevo", TSParticipantes);
    BPartEditar = button("&Editar", "BPartEditar", TSParticipantes);
    BPartGuardar = button("&Guardar", "BPartGuardar", TSParticipantes);
    BPartCancelar = button("&Cancelar", "BPartCancelar", TSParticipantes);
    BPartBorrar = button("Borrar", "BPartBorrar", TSParticipantes);
    BBdeAnteriorParticipan =
        button("De anterior", "BBdeAnteriorParticipan", TSParticipantes, "Incorporar de pruebas anteriores");
    connect(BPartNuevo, &QPushButton::clicked, this, &TFcompet2::BPartNuevoClick);
    connect(BPartEditar, &QPushButton::clicked, this, &TFcompet2::BPartEditarClick);
    connect(BPartGuardar, &QPushButton::clicked, this, &TFcompet2::BPartGuardarClick);
    connect(BPartCancelar, &QPushButton::clicked, this, &TFcompet2::BPartCancelarClick);
    connect(BPartBorrar, &QPushButton::clicked, this, &TFcompet2::BPartBorrarClick);
    connect(BBdeAnteriorParticipan, &QPushButton::clicked, this, &TFcompet2::BBdeAnteriorParticipanClick);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {BPartNuevo, BPartEditar, BPartGuardar, BPartCancelar, BPartBorrar})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(BBdeAnteriorParticipan);

    DBGParticipa = new DataGrid(s, {GridColumn("Equipo", {}, {}, 0, 7), GridColumn("Nombre", {}, {}, 0, 36),
                                    GridColumn("Club", {}, {}, 0, 24)},
                                TSParticipantes);
    DBGParticipa->setObjectName("DBGParticipa");
    DBGParticipa->horizontalHeader()->setStretchLastSection(true);

    auto* page = new QVBoxLayout(TSParticipantes);
    page->setSpacing(4);
    auto* top = new QHBoxLayout;
    top->addLayout(form);
    top->addStretch();
    page->addLayout(top);
    page->addLayout(buttons);
    page->addWidget(DBGParticipa, 1);

    // The fishermen pick panel floats over the page, under the DNI field.
    PanelPescadores = new TPanelPescadores(tPescadores, &dsPescadores, TSParticipantes);
    connect(PanelPescadores, &TPanelPescadores::chosen, this, &TFcompet2::fishermanChosen);
    connect(PanelPescadores, &TPanelPescadores::cancelled, this, [this] { DBEDNI->setFocus(); });
    connect(PanelPescadores, &TPanelPescadores::abandoned, this, [this] { DBENombre->setFocus(); });
}

void TFcompet2::buildEspeciales()
{
    TSEspeciales = new QWidget;
    TSEspeciales->setObjectName("TSEspeciales");
    engine::DataSource* s = &dm_.Sespecial;

    DBLCBEspPeces = new widgets::DataLookupCombo(TSEspeciales);
    DBLCBEspPeces->setObjectName("DBLCBEspPeces");
    DBLCBEspPeces->setListSource(&dm_.TAespecies, "Nombre", "Codigo");
    DBLCBEspPeces->setDataSource(s, "Cod pez");
    DBLCBEspPeces->setMinimumWidth(DBLCBEspPeces->fontMetrics().averageCharWidth() * 24);
    DBEEspPesoMinimo = edit(s, "Peso minimo", "DBEEspPesoMinimo", TSEspeciales, 8);
    DBEEspPuntosPieza = edit(s, "Puntos pieza", "DBEEspPuntosPieza", TSEspeciales, 8);
    DBEEspPuntosGramo = edit(s, "Puntos gramo", "DBEEspPuntosGramo", TSEspeciales, 8);
    DBEEspPesoPenal = edit(s, "Peso penalizable", "DBEEspPesoPenal", TSEspeciales, 8);
    DBEEspPenalGramo = edit(s, "Penalizacion gramo", "DBEEspPenalGramo", TSEspeciales, 8);
    DBCBPuntua = new widgets::DataCheckBox(QString::fromUtf8("&Válido pieza mayor"), s, "Puntua", TSEspeciales);
    DBCBPuntua->setObjectName("DBCBPuntua");
    DBCBBonifica = new widgets::DataCheckBox("Boni&fica especie", s, "BonificaEspecie", TSEspeciales);
    DBCBBonifica->setObjectName("DBCBBonifica");

    auto* form = new QGridLayout;
    form->addWidget(label("P&EZ", TSEspeciales, DBLCBEspPeces), 0, 0);
    form->addWidget(DBLCBEspPeces, 0, 1);
    form->addWidget(label(QString::fromUtf8("Peso &mínimo"), TSEspeciales, DBEEspPesoMinimo), 0, 2);
    form->addWidget(DBEEspPesoMinimo, 0, 3);
    form->addWidget(label("&Puntos pieza", TSEspeciales, DBEEspPuntosPieza), 1, 0);
    form->addWidget(DBEEspPuntosPieza, 1, 1, Qt::AlignLeft);
    form->addWidget(label("Puntos &gramo", TSEspeciales, DBEEspPuntosGramo), 1, 2);
    form->addWidget(DBEEspPuntosGramo, 1, 3);
    form->addWidget(label("Peso penaliza&ble (menos de)", TSEspeciales, DBEEspPesoPenal), 2, 0);
    form->addWidget(DBEEspPesoPenal, 2, 1, Qt::AlignLeft);
    form->addWidget(label(QString::fromUtf8("Puntos Penali&zación"), TSEspeciales, DBEEspPenalGramo), 2, 2);
    form->addWidget(DBEEspPenalGramo, 2, 3);
    form->addWidget(DBCBPuntua, 3, 0, 1, 2);
    form->addWidget(DBCBBonifica, 3, 2, 1, 2);
    form->setColumnStretch(4, 1);

    DBNEspeciales = new DataNavigator(s, {DataNavigator::Insert, DataNavigator::Delete, DataNavigator::Edit,
                                          DataNavigator::Post, DataNavigator::Cancel},
                                      {"Nuevo", "Borrar", "Modificar", "Guardar", QString::fromUtf8("Cancelar edición")},
                                      TSEspeciales);
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
        button("&De anterior...", "BBdeAnteriorespeciales", TSEspeciales, "Incorporar de una prueba anterior");
    connect(BBdeAnteriorespeciales, &QPushButton::clicked, this, &TFcompet2::BBdeAnteriorespecialesClick);
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
                                  TSEspeciales);
    DBGEespeciales->setObjectName("DBGEespeciales");
    DBGEespeciales->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);

    auto* page = new QVBoxLayout(TSEspeciales);
    page->addLayout(form);
    page->addLayout(bar);
    page->addWidget(DBGEespeciales, 1);
    DBNEspeciales->setKeyScope(TSEspeciales);
}

void TFcompet2::buildCupos()
{
    TSCupos = new QWidget;
    TSCupos->setObjectName("TSCupos");
    engine::DataSource* s = &dm_.SCupos;

    DBEspecie = new widgets::DataLookupCombo(TSCupos);
    DBEspecie->setObjectName("DBEspecie");
    DBEspecie->setListSource(&dm_.TAespecies, "Nombre", "Codigo");
    DBEspecie->setDataSource(s, "Cod_Especie");
    DBEspecie->setMinimumWidth(DBEspecie->fontMetrics().averageCharWidth() * 24);
    DBECupoEjemplares = edit(s, "EjemplaresCupo", "DBECupoEjemplares", TSCupos, 8);
    DBECupoPuntos = edit(s, "Puntos", "DBECupoPuntos", TSCupos, 8);

    auto* form = new QGridLayout;
    form->addWidget(label("Especie", TSCupos, DBEspecie), 0, 0);
    form->addWidget(DBEspecie, 0, 1, Qt::AlignLeft);
    form->addWidget(label("Ejemplares para cupo", TSCupos, DBECupoEjemplares), 1, 0);
    form->addWidget(DBECupoEjemplares, 1, 1, Qt::AlignLeft);
    form->addWidget(label("Puntos", TSCupos, DBECupoPuntos), 2, 0);
    form->addWidget(DBECupoPuntos, 2, 1, Qt::AlignLeft);
    form->setColumnStretch(2, 1);

    DBNCupos = new DataNavigator(s, {DataNavigator::Insert, DataNavigator::Delete, DataNavigator::Edit,
                                     DataNavigator::Post, DataNavigator::Cancel},
                                 {"Nuevo", "Borrar", "Editar", "Guardar", "Cancelar"}, TSCupos);
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
    BBDeAnteriorCupos = button("De anterior...", "BBDeAnteriorCupos", TSCupos, "Incorporar de una prueba anterior");
    connect(BBDeAnteriorCupos, &QPushButton::clicked, this, &TFcompet2::BBDeAnteriorCuposClick);
    auto* bar = new QHBoxLayout;
    bar->addWidget(DBNCupos);
    bar->addStretch();
    bar->addWidget(BBDeAnteriorCupos);

    DBGCupos = new DataGrid(&dm_.DSQCupos, {GridColumn("nombre", {}, {}, 0, 24), GridColumn("EjemplaresCupo", {}, {}, 0, 12),
                                            GridColumn("Puntos", {}, ",##0", 0, 12)},
                            TSCupos);
    DBGCupos->setObjectName("DBGCupos");
    DBGCupos->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);

    // Quota points are awarded only while the competition's own "Puntos
    // Cupo" is above 0, whatever this page holds.
    LCuposApagados = new QLabel(QString::fromUtf8("Las bonificaciones por cupo no se aplican mientras "
                                                  "«Puntos Cupo» de la prueba sea 0"),
                                TSCupos);
    LCuposApagados->setObjectName("LCuposApagados");
    LCuposApagados->setStyleSheet("color: #a00000; font-weight: bold");
    LCuposApagados->setWordWrap(true);
    LCuposApagados->hide();
    connect(&dm_.Scomp, &engine::DataSource::recordChanged, this, &TFcompet2::showCuposApagados);
    connect(&dm_.Scomp, &engine::DataSource::dataChanged, this, &TFcompet2::showCuposApagados);

    auto* page = new QVBoxLayout(TSCupos);
    page->addWidget(LCuposApagados);
    page->addLayout(form);
    page->addLayout(bar);
    page->addWidget(DBGCupos, 1);
    DBNCupos->setKeyScope(TSCupos);
}

void TFcompet2::showCuposApagados()
{
    if (!LCuposApagados)
        return;
    const bool on = dm_.TAcomp.active() && !dm_.TAcomp.isEmpty() &&
                    dm_.TAcomp.fieldByName("Puntos Cupo").asInteger() > 0;
    LCuposApagados->setVisible(!on && dm_.TAcomp.active() && !dm_.TAcomp.isEmpty());
}

// ---- Showing and closing ----

void TFcompet2::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (e->spontaneous())
        return;
    guarded([this] {
        tPescadores.setFiltered(false);
        tPescadores.open();
    });
    guarded([this] { dm_.TACupos.open(); });
    // Species renamed in their register since the last showing.
    guarded([this] {
        if (dm_.TAespecies.active() && !dm_.TAespecies.isEditing())
            dm_.TAespecies.refresh();
    });
    goToPage(PagPruebas);
    hidePanel();
    guarded([this] {
        ABSQ.close();
        ABSQ.open();
    });
    placePanel();
    participantStateChanged();
    centreOnScreen(this);
}

void TFcompet2::done(int r)
{
    // Nothing is left being edited in the data module: each record still in
    // editing is saved or given up, as the user answers; Cancelar, or one
    // that cannot be saved, keeps the workbook open.
    if (!guardarCambiosAlSalir({&dm_.TAjornada, &dm_.TAparticipa, &dm_.TAespecial, &dm_.TACupos, &dm_.TAcomp}))
        return;
    hidePanel();
    for (engine::Dataset* ds : std::initializer_list<engine::Dataset*>{
             &ABSQ, &tPescadores, &dm_.TACupos, &dm_.ABSQueryCupos, &dm_.ABSQueryEspecial})
        guarded([ds] { ds->close(); });
    QDialog::done(r);
}

void TFcompet2::keyPressEvent(QKeyEvent* e)
{
    // Escape first cancels what is being edited; with nothing being edited
    // it closes the workbook, as in the program's other windows.
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        e->accept();
        if (dm_.TAparticipa.isEditing()) {
            BPartCancelarClick();
            return;
        }
        for (engine::Table* t : {&dm_.TAcomp, &dm_.TAjornada, &dm_.TAespecial, &dm_.TACupos})
            if (t->active() && t->isEditing()) {
                guarded([t] { t->cancel(); });
                return;
            }
        reject();
        return;
    }
    QDialog::keyPressEvent(e);
}

bool TFcompet2::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, e);
    auto* k = static_cast<QKeyEvent*>(e);
    if (!(k->modifiers() & Qt::ControlModifier) || (k->modifiers() & Qt::AltModifier))
        return QDialog::eventFilter(watched, e);
    int step = 0;
    switch (k->key()) {
    case Qt::Key_Tab: step = (k->modifiers() & Qt::ShiftModifier) ? -1 : 1; break;
    case Qt::Key_Backtab: step = -1; break;
    case Qt::Key_PageDown: step = 1; break;
    case Qt::Key_PageUp: step = -1; break;
    default: return QDialog::eventFilter(watched, e);
    }
    e->accept();
    const int before = PC->currentIndex();
    PC->setCurrentIndex((before + step + PC->count()) % PC->count());
    // The focus goes into the page shown, unless a refusal placed it.
    QWidget* page = PC->currentWidget();
    if (PC->currentIndex() != PagEspeciales && !(QApplication::focusWidget() && page->isAncestorOf(QApplication::focusWidget())))
        for (QWidget* w = page->nextInFocusChain(); w && w != page; w = w->nextInFocusChain())
            if (page->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(page) && w->isEnabled()) {
                w->setFocus(Qt::TabFocusReason);
                break;
            }
    return true;
}

// ---- The competition list ----

void TFcompet2::listMoved()
{
    if (!ABSQ.active() || ABSQ.currentRow() < 0)
        return;
    guarded([this] {
        const QVariant code = ABSQ.fieldByName("codigo").value();
        if (dm_.TAcomp.active())
            dm_.TAcomp.locate("codigo", code);
    });
}

void TFcompet2::refreshList()
{
    guarded([this] {
        if (ABSQ.active())
            ABSQ.refresh();
        else
            ABSQ.open();
    });
}

bool TFcompet2::moveListTo(const QString& codigo)
{
    if (!ABSQ.active())
        return false;
    const int fi = ABSQ.fieldIndex("codigo");
    for (int r = 0; r < ABSQ.recordCount(); ++r)
        if (ABSQ.rowValue(r, fi).toString() == codigo) {
            guarded([this, r] { ABSQ.moveTo(r); });
            return true;
        }
    return false;
}

void TFcompet2::BNuevaPruebaClick()
{
    modoDefinicion = 3;
    {
        TfDefComp dlg(dm_, this);
        if (dlg.exec() == QDialog::Accepted) {
            refreshList();
            guarded([this] { ABSQ.first(); });
        }
    }
    refreshList();
}

void TFcompet2::bEditarPruebaClick()
{
    modoDefinicion = 2;
    {
        TfDefComp dlg(dm_, this);
        dlg.exec();
    }
    refreshList();
}

void TFcompet2::BBorrarPruebaClick()
{
    if (!ABSQ.active() || ABSQ.isEmpty()) {
        refreshList();
        return;
    }
    const int fc = ABSQ.fieldIndex("codigo");
    const QString selected = ABSQ.fieldByName("codigo").asString();
    const QString titulo = ABSQ.fieldByName("titulo").asString();
    const int row = ABSQ.currentRow();
    const QString following = row + 1 < ABSQ.recordCount() ? ABSQ.rowValue(row + 1, fc).toString() : QString();

    bool deleted = false;
    if (MsgDlg(QString::fromUtf8("¿Quiere borrar la prueba") + "\n\r" + titulo + "?", mtWarning,
               mbYes | mbNo | mbKeepDefault, 0) ==
        mrYes) {
        deleted = guarded([&] {
            // Only the competition the list shows selected is deleted.
            engine::Table& comp = dm_.TAcomp;
            if (comp.isEditing())
                comp.post();
            if (comp.fieldByName("Codigo").asString() != selected && !comp.locate("Codigo", selected))
                throw engine::Abort();
            comp.remove();  // the record rule asks once more
        });
    }
    refreshList();
    if (deleted && !following.isEmpty())
        moveListTo(following);
}

// ---- Changing page ----

void TFcompet2::goToPage(int index)
{
    changingPage_ = true;
    PC->setCurrentIndex(index);
    changingPage_ = false;
}

void TFcompet2::PCChange(int index)
{
    if (changingPage_)
        return;
    if (dm_.TAjornada.isEditing()) {
        MsgDlg("Debe guardar la jornada antes de continuar", mtError, mbOK, 0);
        goToPage(PagJornadas);
        return;
    }
    if ((index == PagParticipantes || index == PagEspeciales || index == PagCupos) &&
        (!dm_.TAjornada.active() || dm_.TAjornada.isEmpty())) {
        MsgDlg("Debe definir al menos una jornada", mtError, mbOK, 0);
        goToPage(PagJornadas);
        return;
    }
    if (index == PagEspeciales)
        DBLCBEspPeces->setFocus();
    if (index == PagCupos) {
        reopenRuleList(dm_.ABSQueryCupos, "Where cod_comp = " + quotedCode(currentCode()));
        showCuposApagados();
    }
    if (index == PagEspeciales)
        reopenRuleList(dm_.ABSQueryEspecial, "Where [cod comp] = " + quotedCode(currentCode()));
}

void TFcompet2::reopenRuleList(engine::Query& q, const QString& condition)
{
    guarded([&] {
        q.close();
        QStringList& sql = q.sql();
        if (sql.size() < 3)
            throw engine::DatabaseError(QString::fromUtf8("La consulta de la lista no tiene su línea de condición"));
        sql[2] = condition;
        q.open();
    });
}

// ---- Participants ----

void TFcompet2::participantStateChanged()
{
    const bool editing = dm_.TAparticipa.isEditing();
    if (editing) {
        BPartGuardar->setEnabled(true);
        BPartCancelar->setEnabled(true);
        BPartNuevo->setEnabled(false);
        BPartEditar->setEnabled(false);
        BPartBorrar->setEnabled(false);
    } else if (!dm_.TAcomp.isEditing()) {
        BPartGuardar->setEnabled(false);
        BPartCancelar->setEnabled(false);
        BPartNuevo->setEnabled(true);
        BPartEditar->setEnabled(true);
        BPartBorrar->setEnabled(true);
    }
}

void TFcompet2::BPartNuevoClick()
{
    if (guarded([this] { dm_.TAparticipa.insert(); }))
        DBEEquipo->setFocus();
}

void TFcompet2::BPartEditarClick()
{
    guarded([this] { dm_.TAparticipa.edit(); });
}

void TFcompet2::BPartGuardarClick()
{
    // A refusal leaves the participant in editing, everything typed kept.
    guarded([this] { dm_.TAparticipa.post(); });
}

void TFcompet2::BPartCancelarClick()
{
    hidePanel();
    guarded([this] { dm_.TAparticipa.cancel(); });
}

void TFcompet2::BPartBorrarClick()
{
    guarded([this] {
        if (dm_.TAparticipa.isEmpty())
            return;
        dm_.TAparticipa.remove();  // the record rules ask and cascade
    });
}

void TFcompet2::DBEDNIExit()
{
    engine::Table& part = dm_.TAparticipa;
    if (!part.isEditing() || !dm_.TaPescadores.active())
        return;
    guarded([&] {
        const QString dni = part.fieldByName("DNI").asString();
        if (dni.isEmpty())
            return;
        engine::Table& reg = dm_.TaPescadores;
        if (!reg.seek(QVariant(dni)))
            return;
        part.fieldByName("Nombre").setValue(reg.fieldByName("Nombre").value());
        part.fieldByName("Fecha nacimiento").setValue(reg.fieldByName("Fecha _nac").value());
        part.fieldByName("Club").setValue(reg.fieldByName("Club").value());
        part.fieldByName("Licencia").setValue(reg.fieldByName("Licencia").value());
    });
}

void TFcompet2::placePanel()
{
    const QPoint below = DBEDNI->mapTo(TSParticipantes, QPoint(0, DBEDNI->height()));
    PanelPescadores->move(below);
}

void TFcompet2::SBpescadoresClick()
{
    if (!dm_.TAparticipa.isEditing() && !guarded([this] { dm_.TAparticipa.edit(); }))
        return;
    placePanel();
    PanelPescadores->open();
}

void TFcompet2::hidePanel()
{
    if (PanelPescadores)
        PanelPescadores->dismiss();
}

void TFcompet2::fishermanChosen()
{
    engine::Table& part = dm_.TAparticipa;
    if (part.isEditing() && tPescadores.active() && tPescadores.currentRow() >= 0)
        guarded([&] {
            part.fieldByName("DNI").setValue(tPescadores.fieldByName("DNI").value());
            part.fieldByName("Nombre").setValue(tPescadores.fieldByName("Nombre").value());
            part.fieldByName("Fecha nacimiento").setValue(tPescadores.fieldByName("Fecha _nac").value());
            part.fieldByName("Club").setValue(tPescadores.fieldByName("Club").value());
            part.fieldByName("Licencia").setValue(tPescadores.fieldByName("Licencia").value());
        });
    DBENombre->setFocus();
}

// ---- Copy from a previous competition ----

void TFcompet2::BBdeAnteriorParticipanClick()
{
    const QString code = currentCode();
    // The competition being filled is not offered.
    chooser_->setFilter(Tfselcomp::excludeFilter(code));
    chooser_->setFiltered(true);
    const int r = chooser_->exec();
    chooser_->setFilter({});
    chooser_->setFiltered(false);
    if (r != QDialog::Accepted)
        return;
    if (competicionElegida == code) {
        ShowMsg("No puede seleccionar la misma prueba que la de destino");
        return;
    }
    if (competicionElegida.isEmpty())
        return;  // no other competition to copy from
    hidePanel();
    guarded([this] { copiarParticipantes(dm_, competicionElegida); });
}

void TFcompet2::BBdeAnteriorespecialesClick()
{
    Tfselcomp chooser(dm_, this);
    if (chooser.exec() != QDialog::Accepted)
        return;
    if (competicionElegida == currentCode()) {
        ShowMsg("No puede seleccionar la misma prueba que la de destino");
        return;
    }
    guarded([this] { copiarEspeciales(dm_, competicionElegida); });
}

void TFcompet2::BBDeAnteriorCuposClick()
{
    Tfselcomp chooser(dm_, this);
    if (chooser.exec() != QDialog::Accepted) {
        guarded([this] { dm_.QCupos.close(); });
        return;
    }
    if (competicionElegida == currentCode()) {
        ShowMsg("No puede seleccionar la misma prueba que la de destino");
        guarded([this] { dm_.QCupos.close(); });
        return;
    }
    guarded([this] { copiarCupos(dm_, competicionElegida); });
}
