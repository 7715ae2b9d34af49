#include "support/Shown.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QThread>
#include <QWidget>
#include <QWindow>

bool showActive(QWidget* window)
{
    window->show();
    window->raise();
    window->activateWindow();
    QElapsedTimer t;
    t.start();
    auto ready = [window] {
        const QWindow* handle = window->window()->windowHandle();
        return handle && handle->isExposed() && QApplication::activeWindow() == window->window();
    };
    while (!ready() && t.elapsed() < 2000) {
        QApplication::processEvents();
        if (!ready())
            QThread::msleep(2);
    }
    settle();
    return ready();
}

void settle()
{
    for (int turn = 0; turn < 3; ++turn) {
        QApplication::processEvents();
        QApplication::sync();
    }
}

bool showsWhatAFreshPaintShows(QWidget* widget)
{
    settle();
    QWidget* top = widget->window();
    const QRect at(widget->mapTo(top, QPoint(0, 0)), widget->size());
    const QImage screen = top->screen()->grabWindow(top->winId()).toImage().copy(at).convertToFormat(QImage::Format_RGB32);
    const QImage fresh = widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
    return !screen.isNull() && screen == fresh;
}
