#include "ranking/Tfclafinal.h"

#include "data/Dialogs.h"
#include "data/Tdm.h"
#include "dialogs/Centre.h"
#include "reports/ClasFinalHtml.h"
#include "reports/TextFile.h"
#include "scoring/Scoring.h"
#include "widgets/Guard.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPalette>
#include <QPushButton>
#include <QShowEvent>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

constexpr int kAncho = 492, kAlto = 686;
constexpr int kAltoFila = 20;
constexpr int kAnchos[] = {28, 39, 185, 64, 64, 64};

// The grid's own drawing: the heading row on the button face, the others on
// white; one blank each side of the text, on a single line, vertically
// centred; centred in the heading row and the team column, left in the names
// column, right elsewhere; a line between columns.
class CeldaClasFinal : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QRect r = option.rect;
        const bool cabecera = index.row() == 0;
        p->save();
        p->fillRect(r, cabecera ? QApplication::palette().color(QPalette::Button) : QColor(Qt::white));
        Qt::Alignment h = Qt::AlignRight;
        if (cabecera || index.column() == 1)
            h = Qt::AlignHCenter;
        else if (index.column() == 2)
            h = Qt::AlignLeft;
        p->setFont(option.font);
        p->setPen(QColor(Qt::black));
        p->drawText(r, int(h | Qt::AlignVCenter) | Qt::TextSingleLine,
                    ' ' + index.data(Qt::DisplayRole).toString() + ' ');
        p->setPen(QApplication::palette().color(QPalette::Mid));
        p->drawLine(r.topRight(), r.bottomRight());
        p->restore();
    }
};

}  // namespace

Tfclafinal::Tfclafinal(Tdm& data, QWidget* parent) : QDialog(parent), dm_(data)
{
    setObjectName(QStringLiteral("fclafinal"));
    // A fixed dialog border: a title and a close button, nothing to resize.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    build();
}

void Tfclafinal::build()
{
    LTitulo = new QLabel(QStringLiteral("Clasificación final por puntos"), this);
    LTitulo->setObjectName(QStringLiteral("LTitulo"));
    LTitulo->setAlignment(Qt::AlignCenter);
    QFont tf = LTitulo->font();
    tf.setItalic(true);
    tf.setPointSize(tf.pointSize() + 3);
    LTitulo->setFont(tf);

    csg = new QTableWidget(5, 4, this);
    csg->setObjectName(QStringLiteral("csg"));
    csg->horizontalHeader()->hide();
    csg->verticalHeader()->hide();
    csg->setShowGrid(false);
    csg->setEditTriggers(QAbstractItemView::NoEditTriggers);
    csg->setSelectionMode(QAbstractItemView::NoSelection);
    csg->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    csg->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    csg->verticalHeader()->setDefaultSectionSize(kAltoFila);
    csg->verticalHeader()->setMinimumSectionSize(kAltoFila);
    QFont gf(QStringLiteral("MS Sans Serif"));
    gf.setStyleHint(QFont::SansSerif);
    gf.setPixelSize(9);
    csg->setFont(gf);
    csg->setItemDelegate(new CeldaClasFinal(csg));

    BExportar = new QPushButton(QStringLiteral("Exportar a &Html"), this);
    BExportar->setObjectName(QStringLiteral("BExportar"));
    BExportar->setAutoDefault(false);
    connect(BExportar, &QPushButton::clicked, this, &Tfclafinal::BExportarClick);
    BSalir = new QPushButton(QStringLiteral("&Salir"), this);
    BSalir->setObjectName(QStringLiteral("BSalir"));
    BSalir->setAutoDefault(false);
    connect(BSalir, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BExportar);
    buttons->addWidget(BSalir);
    auto* lay = new QVBoxLayout(this);
    lay->addWidget(LTitulo);
    lay->addWidget(csg, 1);
    lay->addLayout(buttons);
    setFixedSize(kAncho, kAlto);
    setSizeGripEnabled(false);
}

void Tfclafinal::llenar()
{
    widgets::guarded([this] { clas_ = clasificacionFinal(dm_, codigoActual(dm_)); });
    const std::vector<QStringList> filas = clas_.filas();
    csg->setColumnCount(clas_.columnas());
    csg->setRowCount(int(filas.size()));
    for (int c = 0; c < clas_.columnas(); ++c)
        csg->setColumnWidth(c, kAnchos[c]);
    for (int r = 0; r < int(filas.size()); ++r)
        for (int c = 0; c < clas_.columnas(); ++c) {
            QTableWidgetItem* it = csg->item(r, c);
            if (!it) {
                it = new QTableWidgetItem;
                csg->setItem(r, c, it);
            }
            it->setText(filas[size_t(r)][c]);
        }
}

void Tfclafinal::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (e->spontaneous())
        return;
    llenar();
    centreOnScreen(this);
}

void Tfclafinal::changeEvent(QEvent* e)
{
    QDialog::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow())
        llenar();
}

void Tfclafinal::BExportarClick()
{
    QString carpeta = reports::defaultFolder();
    if (!reports::askFolder(QStringLiteral("Guardar ") + reports::kFicheroClasFinal, carpeta))
        return;
    const reports::Exportado r = reports::exportarClasFinal(clas_, windowTitle(), carpeta);
    if (!r.ok) {
        userDialogs().showError(r.error);
        return;
    }
    MsgDlg(reports::textoExportacionClasFinal(r.ficheros.first()), mtInformation, mbOK, 0);
}
