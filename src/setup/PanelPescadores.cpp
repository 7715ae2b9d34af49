#include "setup/PanelPescadores.h"

#include "data/Helpers.h"
#include "engine/Table.h"
#include "widgets/DataGrid.h"
#include "widgets/EntryFilter.h"
#include "widgets/Guard.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using widgets::guarded;

TPanelPescadores::TPanelPescadores(engine::Table& fishermen, engine::DataSource* source, QWidget* parent)
    : QFrame(parent), fishermen_(fishermen)
{
    setObjectName(QStringLiteral("PanelPescadores"));
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Raised);
    setAutoFillBackground(true);

    EditFiltro = new QLineEdit(this);
    EditFiltro->setObjectName(QStringLiteral("EditFiltro"));
    widgets::limitText(EditFiltro, 50);
    EditFiltro->installEventFilter(this);
    connect(EditFiltro, &QLineEdit::textChanged, this, &TPanelPescadores::filterChanged);

    auto button = [this](const QString& text, const QString& name) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        return b;
    };
    bAceptar = button(QStringLiteral("OK"), QStringLiteral("bAceptar"));
    bCancelar = button(QStringLiteral("Cancelar"), QStringLiteral("bCancelar"));
    connect(bAceptar, &QPushButton::clicked, this, [this] { finish(&TPanelPescadores::chosen); });
    connect(bCancelar, &QPushButton::clicked, this, [this] { finish(&TPanelPescadores::cancelled); });

    DBGridPescadores = new widgets::DataGrid(source, {widgets::GridColumn(QStringLiteral("Nombre"))}, this);
    DBGridPescadores->setObjectName(QStringLiteral("DBGridPescadores"));
    DBGridPescadores->setTitlesVisible(false);
    DBGridPescadores->horizontalHeader()->setStretchLastSection(true);
    DBGridPescadores->installEventFilter(this);

    auto* pl = new QVBoxLayout(this);
    pl->setContentsMargins(4, 4, 4, 4);
    auto* top = new QHBoxLayout;
    top->addWidget(EditFiltro, 1);
    top->addWidget(bAceptar);
    top->addWidget(bCancelar);
    pl->addLayout(top);
    pl->addWidget(DBGridPescadores, 1);
    resize(DBGridPescadores->fontMetrics().averageCharWidth() * 48 + 40, 220);
    QFrame::hide();

    connect(qApp, &QApplication::focusChanged, this, &TPanelPescadores::focusChanged);
}

void TPanelPescadores::open()
{
    show();
    raise();
    bAceptar->setDefault(true);
    EditFiltro->clear();
    filterChanged(QString());
    EditFiltro->setFocus();
}

void TPanelPescadores::dismiss()
{
    hide();
    bAceptar->setDefault(false);
}

void TPanelPescadores::finish(void (TPanelPescadores::*signal)())
{
    dismiss();
    Q_EMIT(this->*signal)();
}

void TPanelPescadores::filterChanged(const QString& text)
{
    if (!isVisible())
        return;
    guarded([&] {
        fishermen_.setFilter(QStringLiteral("Nombre like ") + quotedCode(QStringLiteral("%") + text + QStringLiteral("%")));
        fishermen_.setFiltered(true);
    });
}

void TPanelPescadores::focusChanged(QWidget*, QWidget* now)
{
    if (!isVisible() || !now)
        return;
    if (now != this && !isAncestorOf(now))
        dismiss();
}

bool TPanelPescadores::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() != QEvent::KeyPress)
        return QFrame::eventFilter(watched, e);
    auto* k = static_cast<QKeyEvent*>(e);
    if (watched == EditFiltro) {
        switch (k->key()) {
        case Qt::Key_Escape:
            guarded([this] { fishermen_.setFiltered(false); });
            if (EditFiltro->text().isEmpty())
                finish(&TPanelPescadores::abandoned);
            return true;
        case Qt::Key_Down: guarded([this] { fishermen_.next(); }); return true;
        case Qt::Key_Up: guarded([this] { fishermen_.prior(); }); return true;
        default: break;
        }
    } else if (watched == DBGridPescadores) {
        switch (k->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter: finish(&TPanelPescadores::chosen); return true;
        case Qt::Key_Escape: finish(&TPanelPescadores::cancelled); return true;
        default: break;
        }
    }
    return QFrame::eventFilter(watched, e);
}
