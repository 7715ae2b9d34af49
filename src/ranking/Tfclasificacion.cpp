#include "ranking/Tfclasificacion.h"

#include "data/Tdm.h"
#include "dialogs/Centre.h"
#include "scoring/Scoring.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QResizeEvent>
#include <QShowEvent>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kColumns = 7;
constexpr int kDataRows = 4;
constexpr int kTallClient = 700;

// Draws every cell itself: the heading row on the button face in black, the
// data rows on the highlight colour in white, bold, larger once the window's
// client area is taller than 700 pixels, and a line between columns.
class CellPainter : public QStyledItemDelegate {
public:
    CellPainter(QWidget* window, const bool* individual, QObject* parent)
        : QStyledItemDelegate(parent), window_(window), individual_(individual) {}

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const bool heading = index.row() == 0;
        const bool tall = window_->height() > kTallClient;
        const QPalette& pal = QApplication::palette();
        p->save();
        p->fillRect(option.rect, heading ? pal.color(QPalette::Button) : pal.color(QPalette::Highlight));
        QFont f = option.font;
        f.setBold(true);
        f.setPointSize(heading ? (tall ? 14 : 10) : (tall ? 18 : 14));
        p->setFont(f);
        p->setPen(heading ? QColor(Qt::black) : QColor(Qt::white));
        const QString text = index.data().toString() + ' ';
        const int col = index.column();
        int flags = 0;
        if (heading || col <= 1)
            flags = Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine;
        else if (col >= 3)
            flags = Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine;
        else if (*individual_)
            flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
        else
            flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
        QString shown = text;
        if (!heading && col == 2 && !*individual_)
            shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        else if (flags & Qt::TextSingleLine) {
            // A figure is never cut: where the face is wider than the column
            // allows, the type gets smaller for that cell.
            while (f.pointSize() > 6 && QFontMetrics(f).horizontalAdvance(shown) > option.rect.width()) {
                f.setPointSize(f.pointSize() - 1);
                p->setFont(f);
            }
        }
        p->drawText(option.rect, flags, shown);
        p->setPen(pal.color(QPalette::Dark));
        p->drawLine(option.rect.topRight(), option.rect.bottomRight());
        p->restore();
    }

private:
    QWidget* window_;
    const bool* individual_;
};

}  // namespace

Tfclasificacion::Tfclasificacion(Tdm& data, QWidget* parent) : QDialog(parent), dm_(data)
{
    setObjectName(QStringLiteral("fclasificacion"));
    setWindowTitle(QString::fromUtf8("CLASIFICACIÓN PESADA"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    setModal(false);
    // Shown beside the weigh-in, it leaves the keyboard to the official.
    setAttribute(Qt::WA_ShowWithoutActivating);

    sg = new QTableWidget(kDataRows + 1, kColumns, this);
    sg->setObjectName(QStringLiteral("sg"));
    sg->horizontalHeader()->hide();
    sg->verticalHeader()->hide();
    sg->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    sg->verticalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    sg->setShowGrid(false);
    sg->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sg->setSelectionMode(QAbstractItemView::NoSelection);
    sg->setFocusPolicy(Qt::NoFocus);
    sg->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    sg->setItemDelegate(new CellPainter(this, &individual_, sg));
    const int widths[kColumns] = {66, 46, 469, 110, 100, 100, 87};
    for (int c = 0; c < kColumns; ++c)
        sg->setColumnWidth(c, widths[c]);
    setRow(0, {QStringLiteral("Pos"), QStringLiteral("Eq"), QStringLiteral("Pescador(es)"), QStringLiteral("Puntos"),
               QStringLiteral("Bonifica"), QStringLiteral("Total"), QStringLiteral(" % ")});

    // Row heights follow the competition that is current when the window is made.
    individual_ = individual();
    sg->setRowHeight(0, 30);
    for (int r = 1; r <= kDataRows; ++r)
        sg->setRowHeight(r, individual_ ? 35 : 75);

    QFont bold = font();
    bold.setBold(true);
    bold.setPixelSize(16);
    LEquipo = new QLabel(this);
    LEquipo->setObjectName(QStringLiteral("LEquipo"));
    LEquipo->setFont(bold);
    LPesada = new QLabel(QStringLiteral("Pesada"), this);
    LPesada->setObjectName(QStringLiteral("LPesada"));
    LPesada->setFont(bold);
    auto* strip = new QHBoxLayout;
    strip->addWidget(LEquipo, 1);
    strip->addWidget(LPesada);

    BSalir = new QPushButton(QStringLiteral("&Salir"), this);
    BSalir->setObjectName(QStringLiteral("BSalir"));
    BSalir->setAutoDefault(false);
    // Nothing here takes the keyboard from the weigh-in; Alt+S still works.
    BSalir->setFocusPolicy(Qt::NoFocus);
    connect(BSalir, &QPushButton::clicked, this, &QDialog::hide);
    auto* bar = new QHBoxLayout;
    bar->addStretch(1);
    bar->addWidget(BSalir);

    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(4, 4, 4, 4);
    lay->addWidget(sg, 1);
    lay->addLayout(strip);
    lay->addLayout(bar);
    resize(1008, 729);
}

void Tfclasificacion::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    // Centred on the screen the first time, where the user may move it from.
    if (centred_ || e->spontaneous())
        return;
    centred_ = true;
    centreOnScreen(this, true);
}

bool Tfclasificacion::individual() const
{
    return dm_.TAcomp.active() && dm_.TAcomp.currentRow() >= 0 &&
           dm_.TAcomp.fieldByName("Tipo").asString() == QLatin1String("I");
}

void Tfclasificacion::setRow(int row, const QStringList& cells)
{
    for (int c = 0; c < kColumns; ++c) {
        QTableWidgetItem* it = sg->item(row, c);
        if (!it) {
            it = new QTableWidgetItem;
            sg->setItem(row, c, it);
        }
        const QString text = c < cells.size() ? cells[c] : QString();
        if (it->text() == text)
            continue;
        it->setText(text);
        cambiado_ += sg->visualItemRect(it);
    }
}

void Tfclasificacion::escribeDatos()
{
    const QString codigo = codigoActual(dm_);
    // The names are read again only when the participants may have changed.
    const quint64 version = dm_.db.version(QStringLiteral("PARTICIP"));
    if (codigo != miembrosDe_ || version != miembrosVersion_ || miembrosDe_.isNull()) {
        miembros_ = miembrosEquipos(dm_, codigo);
        miembrosDe_ = codigo;
        miembrosVersion_ = version;
    }
    const QList<FilaClasificacion> filas = filasClasificacionDia(dm_, codigo, jornadaActual(dm_), miembros_);
    cambiado_ = QRegion();
    const bool wasIndividual = individual_;
    individual_ = individual();
    if (individual_ != wasIndividual)
        cambiado_ += sg->viewport()->rect();  // the names are laid out the other way
    const int dataHeight = sg->rowHeight(1);
    // Four data rows at least, one per team past the fourth; the cells are
    // rewritten in place, so a refill that moves two teams changes two rows.
    const int before = sg->rowCount();
    sg->setRowCount(std::max(kDataRows, int(filas.size())) + 1);
    for (int r = before; r < sg->rowCount(); ++r)
        sg->setRowHeight(r, dataHeight);
    for (int k = 1; k < sg->rowCount(); ++k) {
        if (k <= filas.size()) {
            const FilaClasificacion& f = filas[k - 1];
            setRow(k, {f.pos, f.eq, f.celdaNombres(), f.puntos, f.bonifica, f.total, f.porcentaje});
        } else {
            setRow(k, {});
        }
    }
    sg->viewport()->update(cambiado_);
}

void Tfclasificacion::repintar()
{
    if (isVisible() && !cambiado_.isEmpty())
        sg->viewport()->repaint(cambiado_);
    cambiado_ = QRegion();
}

QString Tfclasificacion::cellText(int row, int column) const
{
    const QTableWidgetItem* it = sg->item(row, column);
    return it ? it->text() : QString();
}

int Tfclasificacion::rowCount() const { return sg->rowCount(); }

void Tfclasificacion::resizeEvent(QResizeEvent* e)
{
    QDialog::resizeEvent(e);
    if (e->size().height() <= kTallClient)
        return;
    const int data = individual_ ? 50 : 100;
    sg->setRowHeight(0, 30);
    for (int r = 1; r < sg->rowCount(); ++r)
        sg->setRowHeight(r, data);
}
