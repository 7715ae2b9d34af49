#include "app/TfMain.h"

#include <QAction>
#include <QApplication>
#include <QDate>
#include <QImage>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

// The menu as "name|caption" lines, "-" for a separator, sub-items indented.
QStringList menuLines(const QList<QAction*>& actions, const QString& indent = {})
{
    QStringList out;
    for (QAction* a : actions) {
        if (a->isSeparator()) {
            out << indent + "-";
            continue;
        }
        out << indent + a->objectName() + "|" + a->text();
        if (a->menu())
            out << menuLines(a->menu()->actions(), indent + "  ");
    }
    return out;
}

const QStringList expectedMenu = {
    "Competiciones1|&Competiciones",
    "  Definicin1|&Definición",
    "  ImprimirListadodeParticipantes1|Imprimir Listado de &Participantes",
    "  -",
    "  Penalizaciones|P&enalizaciones",
    "  Verclasificacin1|&Ver Clasificación",
    "  -",
    "  Resumen1|&Imprimir Informe Prueba",
    "  InformePruebaCSV|I&nforme Prueba (CSV)",
    "  -",
    "  Exportarahtml1|Exportar a &HTML",
    "  ExportaraCSV|E&xportar a CSV",
    "  -",
    "  Salir1|&Salir",
    "Pesaje2|&Pesaje",
    "ImprimirClasificacin1|&Imprimir Clasificación",
    "  Penalizaciones1|Penalizaciones",
    "  -",
    "  Acta1|Una jornada",
    "  Actafinal1|Final (2 jornadas)",
    "Especies2|P&eces",
    "Pescadores1|Pe&scadores",
};

TEST(TfMainTest, MenuHasEveryItemInOrder)
{
    TfMain w;
    EXPECT_EQ(menuLines(w.menuBar()->actions()), expectedMenu);
    // The three commands of the bar itself open no drop-down.
    for (const char* name : {"Pesaje2", "Especies2", "Pescadores1"}) {
        QAction* a = w.findChild<QAction*>(name);
        ASSERT_NE(a, nullptr) << name;
        EXPECT_EQ(a->menu(), nullptr) << name;
        EXPECT_TRUE(w.menuBar()->actions().contains(a)) << name;
    }
}

TEST(TfMainTest, CaptionCentredAndResizable)
{
    TfMain w;
    w.show();
    EXPECT_EQ(w.windowTitle(), "COMPETICIONES DE TARSELA");
    EXPECT_NE(w.minimumSize(), w.maximumSize());
    const QRect area = w.screen()->availableGeometry();
    EXPECT_LE(std::abs(w.frameGeometry().center().x() - area.center().x()), 1);
    EXPECT_LE(std::abs(w.frameGeometry().center().y() - area.center().y()), 1);
}

TEST(TfMainTest, StatusPanelEndsWithTheCurrentYear)
{
    TfMain w;
    const QString year = QDate::currentDate().toString("yyyy");
    EXPECT_TRUE(w.statusText().endsWith(year + ")")) << w.statusText().toStdString();
    // One panel, in the status bar along the bottom.
    const QList<QLabel*> panels = w.statusBar()->findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
    ASSERT_EQ(panels.size(), 1);
    EXPECT_EQ(panels[0]->text(), w.statusText());
    w.show();
    EXPECT_EQ(w.statusBar()->geometry().bottom(), w.rect().bottom());
}

TEST(TfMainTest, ButtonBarHoldsItsThreeButtons)
{
    TfMain w;
    w.show();
    auto* comp = w.findChild<QToolButton*>("SBCompeticiones");
    auto* pesaje = w.findChild<QToolButton*>("SBPesaje");
    auto* salir = w.findChild<QToolButton*>("SBsalir");
    ASSERT_TRUE(comp && pesaje && salir);
    EXPECT_EQ(comp->text(), "Competiciones");
    EXPECT_EQ(pesaje->text(), "Pesaje");
    EXPECT_TRUE(comp->font().bold());
    EXPECT_TRUE(pesaje->font().bold());
    EXPECT_FALSE(comp->icon().isNull());
    EXPECT_FALSE(salir->icon().isNull());
    EXPECT_EQ(salir->toolButtonStyle(), Qt::ToolButtonIconOnly);
    // Left to right, the exit button against the right edge of a bar on top.
    auto* bar = qobject_cast<QToolBar*>(salir->parentWidget());
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(w.toolBarArea(bar), Qt::TopToolBarArea);
    EXPECT_LT(comp->x(), pesaje->x());
    EXPECT_GT(salir->x(), bar->width() / 2);
    EXPECT_LE(bar->width() - salir->geometry().right(), 12);
}

TEST(TfMainTest, SalirClosesTheWindowFromMenuAndButton)
{
    {
        TfMain w;
        w.show();
        ASSERT_TRUE(w.isVisible());
        w.findChild<QAction*>("Salir1")->trigger();
        EXPECT_FALSE(w.isVisible());
    }
    {
        TfMain w;
        w.show();
        w.findChild<QToolButton*>("SBsalir")->click();
        EXPECT_FALSE(w.isVisible());
    }
}

// The button bar is drawn in strips (no helper thread wakes for it) and
// looks exactly as the style draws a main window's tool bar.
TEST(TfMainTest, ButtonBarLooksAsTheStyleDrawsIt)
{
    TfMain w;
    w.show();
    QApplication::processEvents();
    auto* bar = w.findChild<QToolBar*>("ToolBar1");
    ASSERT_TRUE(bar);
    QMainWindow plain;
    auto* reference = new QToolBar(&plain);
    reference->setMovable(false);
    reference->setFloatable(false);
    plain.addToolBar(Qt::TopToolBarArea, reference);
    plain.resize(w.size());
    plain.show();
    QApplication::processEvents();
    reference->setFixedSize(bar->size());
    QApplication::processEvents();
    auto background = [](QToolBar* b) {
        QImage image(b->size(), QImage::Format_RGB32);
        b->render(&image, {}, {}, QWidget::DrawWindowBackground);
        return image;
    };
    EXPECT_TRUE(background(bar) == background(reference));
}

}  // namespace
