#include "data/Tdm.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    app.setApplicationName("Tarsela");
    dm = new Tdm(QCoreApplication::applicationDirPath());
    QMainWindow w;
    w.setWindowTitle("COMPETICIONES DE TARSELA");
    w.show();
    const int rc = app.exec();
    delete dm;
    dm = nullptr;
    return rc;
}
