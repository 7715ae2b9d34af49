// The yardstick of the start-up benchmark: a bare Qt program that shows a
// main window with a menu bar (the main window's five menus, no data, no
// screens behind them) and quits right after its first paint, the way the
// program does under TARSELA_SALIR_AL_MOSTRAR=1.
#include <QApplication>
#include <QEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace {

class QuitOnFirstPaint : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        }
        return false;
    }
};

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow w;
    w.setWindowTitle("Ventana desnuda");
    for (const char* caption : {"&Competiciones", "&Pesaje", "&Imprimir", "P&eces", "Pe&scadores"}) {
        QMenu* m = w.menuBar()->addMenu(QString::fromUtf8(caption));
        m->addAction("Uno");
        m->addAction("Dos");
    }
    w.setCentralWidget(new QWidget(&w));
    w.resize(760, 520);
    w.installEventFilter(new QuitOnFirstPaint(&w));
    w.show();
    return app.exec();
}
