#pragma once

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

// Places a top-level window in the middle of its screen's work area; first
// fits it to its contents unless keepSize.
inline void centreOnScreen(QWidget* w, bool keepSize = false)
{
    QScreen* s = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    if (!s)
        return;
    if (!keepSize)
        w->adjustSize();
    const QRect area = s->availableGeometry();
    const QSize size = w->frameGeometry().size();
    w->move(area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2);
}
