#include "support/ModalAnswer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>

namespace ModalAnswer {

namespace {

void record(QWidget* w, ModalSeen& seen)
{
    seen.seen = true;
    seen.title = w->windowTitle();
    seen.className = QString::fromLatin1(w->metaObject()->className());
    for (QLabel* l : w->findChildren<QLabel*>())
        if (!l->text().isEmpty())
            seen.texts << l->text();
}

// Checks from the event loop until a modal window shows; gives up after many
// turns of the loop so a test that shows nothing cannot hang.
void poll(std::shared_ptr<ModalSeen> seen, Action action, int turnsLeft)
{
    QWidget* w = QApplication::activeModalWidget();
    if (w && w->isVisible()) {
        record(w, *seen);
        action(w);
        return;
    }
    if (turnsLeft <= 0)
        return;
    QTimer::singleShot(turnsLeft > 900 ? 0 : 5, [seen, action, turnsLeft] { poll(seen, action, turnsLeft - 1); });
}

}  // namespace

std::shared_ptr<ModalSeen> onNext(Action action)
{
    auto seen = std::make_shared<ModalSeen>();
    QTimer::singleShot(0, [seen, action] { poll(seen, action, 1000); });
    return seen;
}

QAbstractButton* findButton(QWidget* w, const QString& buttonText)
{
    for (QAbstractButton* b : w->findChildren<QAbstractButton*>()) {
        QString t = b->text();
        t.remove('&');
        if (t == buttonText && b->isVisible())
            return b;
    }
    return nullptr;
}

void click(QWidget* w, const QString& buttonText)
{
    if (QAbstractButton* b = findButton(w, buttonText))
        b->click();
}

std::shared_ptr<ModalSeen> pressButton(const QString& buttonText)
{
    return onNext([buttonText](QWidget* w) { click(w, buttonText); });
}

std::shared_ptr<ModalSeen> pressKey(int key)
{
    return onNext([key](QWidget* w) {
        QWidget* target = w->focusWidget() ? w->focusWidget() : w;
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        QApplication::sendEvent(target, &release);
    });
}

std::shared_ptr<ModalSeen> closeWindow()
{
    return onNext([](QWidget* w) { w->close(); });
}

}  // namespace ModalAnswer
