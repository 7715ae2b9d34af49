#include "app/SelfCheck.h"

#include "dialogs/MsgDlg.h"
#include "app/TfMain.h"
#include "engine/Format.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>

namespace {

void out(const QString& line)
{
    std::fprintf(stdout, "%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

QString oneLine(QString t) { return t.replace('\n', ' ').replace('\r', ' '); }

void dumpMenu(const QList<QAction*>& actions, const QString& indent)
{
    for (QAction* a : actions) {
        if (a->isSeparator()) {
            out(indent + QStringLiteral("-"));
            continue;
        }
        out(indent + a->objectName() + QLatin1Char('|') + a->text());
        if (QMenu* sub = a->menu())
            dumpMenu(sub->actions(), indent + QStringLiteral("  "));
    }
}

TfMain* mainWindow()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* m = qobject_cast<TfMain*>(w))
            return m;
    return nullptr;
}

void step(QTimer* timer)
{
    if (QWidget* modal = QApplication::activeModalWidget()) {
        QString text;
        if (auto* mb = qobject_cast<QMessageBox*>(modal))
            text = mb->text();
        else if (auto* box = qobject_cast<TMsgDlgBox*>(modal))
            text = box->messageLabel()->text();
        out(QStringLiteral("modal: %1|%2|%3")
                .arg(QString::fromLatin1(modal->metaObject()->className()), modal->windowTitle(), oneLine(text)));
        if (auto* d = qobject_cast<QDialog*>(modal))
            d->reject();
        else
            modal->close();
        return;
    }
    TfMain* w = mainWindow();
    if (!w || !w->isVisible())
        return;
    timer->stop();
    out(QStringLiteral("title: ") + w->windowTitle());
    dumpMenu(w->menuBar()->actions(), QStringLiteral("menu: "));
    out(QStringLiteral("status: ") + w->statusText());
    out(QStringLiteral("locale: ") + engine::programLocale().name());
    // The long-lived dialogs start-up created, in their order.
    QStringList dialogs;
    for (QObject* c : w->children())
        if (qobject_cast<QDialog*>(c))
            dialogs << QString::fromLatin1(c->metaObject()->className());
    out(QStringLiteral("long-lived: ") + dialogs.join(QLatin1Char('|')));
    if (QAction* quit = w->findChild<QAction*>(QStringLiteral("Salir1")))
        quit->trigger();
}

}  // namespace

void startSelfCheckIfAsked()
{
    if (qEnvironmentVariableIsEmpty("TARSELA_SELFCHECK"))
        return;
    auto* timer = new QTimer(qApp);
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, timer, [timer] { step(timer); });
    timer->start();
}
