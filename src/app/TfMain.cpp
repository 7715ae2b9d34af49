#include "app/TfMain.h"

#include "data/Dialogs.h"
#include "data/Globals.h"
#include "data/Seleccion.h"
#include "data/Tdm.h"
#include "dialogs/PrintReport.h"
#include "dialogs/TSeleccion.h"
#include "dialogs/Tfselcomp.h"
#include "engine/ScopeGuard.h"
#include "ranking/Tfclafinal.h"
#include "ranking/TtfPenal.h"
#include "reports/Actas.h"
#include "reports/DayExports.h"
#include "reports/Resumen.h"
#include "reports/TextFile.h"
#include "scoring/Scoring.h"
#include "setup/TFPeces.h"
#include "setup/TFcompet2.h"
#include "setup/TfPescadores.h"
#include "weighin/TFpesaje2.h"
#include "widgets/DataGrid.h"
#include "widgets/Guard.h"

#include <QAction>
#include <QDate>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QSizePolicy>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionToolBar>
#include <QToolBar>
#include <QToolButton>

TfMain::TfMain(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("fMain"));
    setWindowTitle(QStringLiteral("COMPETICIONES DE TARSELA"));
    setContextMenuPolicy(Qt::NoContextMenu);  // the button bar cannot be hidden
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("Client"));
    setCentralWidget(client);

    buildMenu();
    buildButtonBar();
    buildStatusBar();

    // Centred on the screen; the user may resize it.
    resize(760, 520);
    centre();
}

void TfMain::centre()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QSize outer = frameGeometry().size();
    move(area.x() + (area.width() - outer.width()) / 2, area.y() + (area.height() - outer.height()) / 2);
}

// Once more on the first show, when the window's frame is known.
void TfMain::showEvent(QShowEvent* e)
{
    QMainWindow::showEvent(e);
    if (!centred_) {
        centred_ = true;
        centre();
    }
}

void TfMain::buildMenu()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    auto item = [this](QMenu* menu, const QString& caption, const char* name, void (TfMain::*handler)()) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    auto barItem = [this, bar](const QString& caption, const char* name, void (TfMain::*handler)()) {
        QAction* a = bar->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, handler);
        return a;
    };

    QMenu* comp = bar->addMenu(QStringLiteral("&Competiciones"));
    comp->setObjectName(QStringLiteral("Competiciones1"));
    comp->menuAction()->setObjectName(QStringLiteral("Competiciones1"));
    item(comp, QStringLiteral("&Definición"), "Definicin1", &TfMain::Definicin1Click);
    item(comp, QStringLiteral("Imprimir Listado de &Participantes"), "ImprimirListadodeParticipantes1",
         &TfMain::ImprimirListadodeParticipantes1Click);
    comp->addSeparator();
    item(comp, QStringLiteral("P&enalizaciones"), "Penalizaciones", &TfMain::PenalizacionesClick);
    item(comp, QStringLiteral("&Ver Clasificación"), "Verclasificacin1", &TfMain::Verclasificacin1Click);
    comp->addSeparator();
    item(comp, QStringLiteral("&Imprimir Informe Prueba"), "Resumen1", &TfMain::Resumen1Click);
    item(comp, QStringLiteral("I&nforme Prueba (CSV)"), "InformePruebaCSV", &TfMain::InformePruebaCSVClick);
    comp->addSeparator();
    item(comp, QStringLiteral("Exportar a &HTML"), "Exportarahtml1", &TfMain::ExportaraHTML1Click);
    item(comp, QStringLiteral("E&xportar a CSV"), "ExportaraCSV", &TfMain::ExportaraCSVClick);
    comp->addSeparator();
    item(comp, QStringLiteral("&Salir"), "Salir1", &TfMain::Salir1Click);

    barItem(QStringLiteral("&Pesaje"), "Pesaje2", &TfMain::Pesaje2Click);

    QMenu* print = bar->addMenu(QStringLiteral("&Imprimir Clasificación"));
    print->setObjectName(QStringLiteral("ImprimirClasificacin1"));
    print->menuAction()->setObjectName(QStringLiteral("ImprimirClasificacin1"));
    item(print, QStringLiteral("Penalizaciones"), "Penalizaciones1", &TfMain::PenalizacionesClick);
    print->addSeparator();
    item(print, QStringLiteral("Una jornada"), "Acta1", &TfMain::ImprimirActas1Click);
    item(print, QStringLiteral("Final (2 jornadas)"), "Actafinal1", &TfMain::Actafinal1Click);

    barItem(QStringLiteral("P&eces"), "Especies2", &TfMain::Especies2Click);
    barItem(QStringLiteral("Pe&scadores"), "Pescadores1", &TfMain::Pescadores1Click);
}

namespace {

enum class Imagen { Ninguna, Lista, Cerrar };

// The two buttons' images, drawn here: a list in a frame for the
// competitions, a cross for leaving; in the window's text colour, sharp on
// any screen (the style's own images are decoded from several files at
// every start).
QIcon imagenBoton(Imagen imagen, const QPalette& palette, qreal ratio)
{
    constexpr int kLado = 24;
    QPixmap pixmap(QSize(kLado, kLado) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QPen pen(palette.color(QPalette::WindowText), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    if (imagen == Imagen::Lista) {
        p.drawRoundedRect(QRectF(3.5, 3.5, 17, 17), 2.5, 2.5);
        for (qreal y : {8.5, 12.0, 15.5})
            p.drawLine(QPointF(7.5, y), QPointF(16.5, y));
    } else {
        pen.setWidthF(2.6);
        p.setPen(pen);
        p.drawLine(QPointF(6.5, 6.5), QPointF(17.5, 17.5));
        p.drawLine(QPointF(17.5, 6.5), QPointF(6.5, 17.5));
    }
    return QIcon(pixmap);
}

// The button bar as the style draws a main window's tool bar, drawn in
// narrow strips: the toolkit's raster engine hands a long run of blended
// pixels (the style's shaded lines along the bar) to helper threads and
// waits for them, which costs more than the drawing; a strip is too short
// for that, and the pixels are the same.
class BarraBotones : public QToolBar {
public:
    using QToolBar::QToolBar;

protected:
    void paintEvent(QPaintEvent* e) override
    {
        if (isWindow() || isMovable()) {
            QToolBar::paintEvent(e);
            return;
        }
        constexpr int kTira = 48;
        QPainter p(this);
        QStyleOptionToolBar opt;
        initStyleOption(&opt);
        for (int x = 0; x < width(); x += kTira) {
            const QRect tira(x, 0, kTira, height());
            if (!e->region().intersects(tira))
                continue;
            p.setClipRect(tira);
            style()->drawControl(QStyle::CE_ToolBar, &opt, &p, this);
        }
    }
};

}  // namespace

void TfMain::buildButtonBar()
{
    auto* bar = new BarraBotones(this);
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(24, 24));
    addToolBar(Qt::TopToolBarArea, bar);

    QFont bold = font();
    bold.setBold(true);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const qreal ratio = screen ? screen->devicePixelRatio() : 1.0;

    auto button = [this, bar, &bold, ratio](const char* name, const QString& caption, Imagen image,
                                            void (TfMain::*handler)()) {
        auto* b = new QToolButton(bar);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoRaise(true);
        b->setFont(bold);
        b->setText(caption);
        if (image != Imagen::Ninguna)
            b->setIcon(imagenBoton(image, b->palette(), ratio));
        b->setToolButtonStyle(caption.isEmpty()           ? Qt::ToolButtonIconOnly
                              : image == Imagen::Ninguna ? Qt::ToolButtonTextOnly
                                                         : Qt::ToolButtonTextBesideIcon);
        connect(b, &QToolButton::clicked, this, handler);
        return b;
    };

    SBCompeticiones = button("SBCompeticiones", QStringLiteral("Competiciones"), Imagen::Lista, &TfMain::Definicin1Click);
    SBPesaje = button("SBPesaje", QStringLiteral("Pesaje"), Imagen::Ninguna, &TfMain::Pesaje2Click);
    SBsalir = button("SBsalir", QString(), Imagen::Cerrar, &TfMain::Salir1Click);
    SBsalir->setToolTip(QStringLiteral("Salir"));

    auto* spring = new QWidget(bar);
    spring->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    bar->addWidget(SBCompeticiones);
    bar->addWidget(SBPesaje);
    bar->addWidget(spring);
    bar->addWidget(SBsalir);
}

void TfMain::buildStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    statusPanel = new QLabel(bar);
    statusPanel->setObjectName(QStringLiteral("StatusPanel"));
    statusPanel->setText(QStringLiteral("Tarsela, competiciones de pesca submarina (%1)")
                             .arg(QDate::currentDate().toString(QStringLiteral("yyyy"))));
    bar->addWidget(statusPanel, 1);
}

QString TfMain::statusText() const { return statusPanel->text(); }

// Commands. The screens they open are added by the modules that own them.
// The long-lived workbook, created at start.
void TfMain::Definicin1Click()
{
    if (FCompet2)
        FCompet2->exec();
}
namespace {

// The competition and day chooser; false when it was cancelled (or is missing).
bool elegirDia()
{
    return Seleccion && dm && Seleccion->exec() == QDialog::Accepted;
}

}  // namespace

void TfMain::ImprimirListadodeParticipantes1Click()
{
    if (elegirDia())
        printReport([](PrintSurface& s) { imprimirParticipantes(*dm, s); });
}
// The long-lived penalties dialog, after the competition and day chooser.
void TfMain::PenalizacionesClick()
{
    if (!Seleccion || !tfPenal || Seleccion->exec() != QDialog::Accepted)
        return;
    tfPenal->abrir();
}
// A chooser of its own, then the final ranking captioned with the title.
void TfMain::Verclasificacin1Click()
{
    if (!dm)
        return;
    {
        TSeleccion seleccion(*dm, this);
        if (seleccion.exec() != QDialog::Accepted)
            return;
    }
    Tfclafinal fclafinal(*dm, this);
    fclafinal.setWindowTitle(dm->TAcomp.fieldByName("Titulo").asString());
    fclafinal.exec();
}
void TfMain::Resumen1Click()
{
    if (!elegirDia())
        return;
    // The day's catches are looked for once the printer is chosen.
    printReport([](PrintSurface& s) {
        if (!imprimirResumen(*dm, s))
            userDialogs().showMessage(reports::textoSinPesaje());
    });
}
// The catch summary of the chosen day, written into the current directory.
void TfMain::InformePruebaCSVClick()
{
    if (!Seleccion || !dm || Seleccion->exec() != QDialog::Accepted)
        return;
    widgets::guarded([] {
        const QString carpeta = QDir::toNativeSeparators(QDir::currentPath()) + QDir::separator();
        const reports::Exportado r = reports::exportarResumen(*dm, codigoActual(*dm), jornadaActual(*dm), carpeta);
        if (r.vacio)
            userDialogs().showMessage(r.error);
        else if (!r.ok)
            userDialogs().showError(r.error);
        else
            userDialogs().showMessage(reports::textoDatosGuardados(r.ficheros.first()));
    });
}

// The chosen day's ranking page, with its stylesheet beside it when none is
// there, in the folder the user types.
void TfMain::ExportaraHTML1Click()
{
    if (!Seleccion || !dm || Seleccion->exec() != QDialog::Accepted)
        return;
    widgets::guarded([] {
        QString carpeta = reports::defaultFolder();
        if (!reports::askFolder(QStringLiteral("Guardar clasific.htm"), carpeta))
            return;
        const reports::Exportado r =
            reports::exportarClasificacion(*dm, codigoActual(*dm), jornadaActual(*dm), carpeta);
        if (!r.ok) {
            userDialogs().showError(r.error);
            return;
        }
        MsgDlg(reports::textoExportacionRealizada(r.ficheros.first()), mtInformation, mbOK, 0);
        if (!r.error.isEmpty())
            userDialogs().showError(r.error);  // the stylesheet could not be written
        MsgDlg(reports::textoRecuerdeHojaEstilos(), mtInformation, mbOK, 0);
    });
}

// The catch lines of the chosen competition's first day, which becomes the
// current competition and day.
void TfMain::ExportaraCSVClick()
{
    if (!dm)
        return;
    QString codigo;
    {
        Tfselcomp fselcomp(*dm, this);
        if (fselcomp.exec() != QDialog::Accepted)
            return;
        codigo = competicionElegida;
    }
    widgets::guarded([&] {
        const int jornada = reports::primeraJornada(*dm, codigo);
        if (!elegirCompeticion(*dm, codigo, jornada)) {
            ShowMsg(reports::textoCompeticionNoEncontrada(codigo));
            return;
        }
        QString carpeta = reports::defaultFolder();
        if (!reports::askFolder(QStringLiteral("Guardar Pesca "), carpeta))
            return;
        const reports::Exportado r = reports::exportarPesca(*dm, codigo, jornadaActual(*dm), carpeta);
        if (!r.ok) {
            userDialogs().showError(r.error);
            return;
        }
        MsgDlg(reports::textoExportacionPesca(r.ficheros.first()), mtInformation, mbOK, 0);
    });
}
void TfMain::Salir1Click() { close(); }
// The competition and day first; the weigh-in is made for one use.
void TfMain::Pesaje2Click()
{
    if (!Seleccion || !dm || Seleccion->exec() != QDialog::Accepted)
        return;
    TFpesaje2 fPesaje(*dm, this);
    pesajeIniciado = false;
    fPesaje.exec();
}
void TfMain::ImprimirActas1Click()
{
    if (elegirDia())
        printReport([](PrintSurface& s) { imprimirActaJornada(*dm, s); });
}

void TfMain::Actafinal1Click()
{
    if (!Seleccion || !dm)
        return;
    // Only the competition is chosen: the day list is hidden while it shows.
    bool elegida = false;
    {
        Seleccion->setDayListVisible(false);
        engine::ScopeGuard mostrar{[] { Seleccion->setDayListVisible(true); }};
        elegida = Seleccion->exec() == QDialog::Accepted;
    }
    if (elegida)
        printReport([](PrintSurface& s) { imprimirActaFinal(*dm, s); });
}
// The registers: created for one use, shown modally, released on closing.
void TfMain::Especies2Click()
{
    TFPeces fPeces(*dm, this);
    fPeces.exec();
}

void TfMain::Pescadores1Click()
{
    TfPescadores fPescadores(*dm, this);
    fPescadores.exec();
}
