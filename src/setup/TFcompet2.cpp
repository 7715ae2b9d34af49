#include "setup/TFcompet2.h"

#include "dialogs/Centre.h"
#include "dialogs/GuardarCambios.h"
#include "dialogs/Tfselcomp.h"
#include "data/Dialogs.h"
#include "data/Helpers.h"
#include "data/Tdm.h"
#include "setup/PaginaCupos.h"
#include "setup/PaginaEspeciales.h"
#include "setup/PaginaJornadas.h"
#include "setup/PaginaParticipantes.h"
#include "setup/PaginaPruebas.h"
#include "setup/WorkbookControls.h"
#include "widgets/DataControls.h"
#include "widgets/Guard.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>

TFcompet2* FCompet2 = nullptr;

using widgets::guarded;

namespace {

const QStringList kListSql = {"Select DISTINCT codigo, titulo from competic",
                              "left join jornadas on (competic.codigo = jornadas.[cod comp])",
                              "order by jornadas.fecha desc"};

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
    TSPruebas = new PaginaPruebas(dm_, *this);
    TSJornadas = new PaginaJornadas(dm_);
    TSParticipantes = new PaginaParticipantes(dm_, *this, chooser_);
    TSEspeciales = new PaginaEspeciales(dm_, *this);
    TSCupos = new PaginaCupos(dm_, *this);
    PC->addTab(TSPruebas, "Pruebas");
    PC->addTab(TSJornadas, "Jornadas");
    PC->addTab(TSParticipantes, "Participantes");
    PC->addTab(TSEspeciales, "Especiales");
    PC->addTab(TSCupos, "Cupos");
    lay->addWidget(PC, 1);
    connect(PC, &QTabWidget::currentChanged, this, &TFcompet2::PCChange);

    BTerminar = workbook::button("&Terminar", "BTerminar", this);
    connect(BTerminar, &QPushButton::clicked, this, &QDialog::accept);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(BTerminar);
    lay->addLayout(bottom);

    // A fixed size, the one its contents need.
    lay->setSizeConstraint(QLayout::SetFixedSize);

    // Current competition follows the list.
    connect(&DSabsq, &engine::DataSource::recordChanged, this, &TFcompet2::listMoved);

    // Ctrl+Tab, Ctrl+Shift+Tab, Ctrl+PgDn and Ctrl+PgUp change page from any control.
    for (QWidget* c : findChildren<QWidget*>())
        c->installEventFilter(this);
}

TFcompet2::~TFcompet2()
{
    // The child widgets go after this body, and each one losing the focus
    // would reach this half-destroyed screen through the pick panel.
    if (TSParticipantes)
        TSParticipantes->disconnectPanel();
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
    TSParticipantes->placePanel();
    TSParticipantes->participantStateChanged();
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
            TSParticipantes->BPartCancelarClick();
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
        TSEspeciales->focusFirstField();
    if (index == PagCupos) {
        reopenRuleList(dm_.ABSQueryCupos, "Where cod_comp = " + quotedCode(currentCode()));
        TSCupos->showCuposApagados();
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

void TFcompet2::hidePanel()
{
    if (TSParticipantes)
        TSParticipantes->hidePanel();
}

