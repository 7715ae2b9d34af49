#pragma once

#include <QString>
#include <QStringList>
#include <QAbstractButton>
#include <QWidget>

#include <functional>
#include <memory>

// What was seen of a modal window answered by ModalAnswer.
struct ModalSeen {
    bool seen = false;
    QString title;
    QStringList texts;  // texts of its labels, in creation order
    QString className;
};

// Answers the next modal window from the event loop: as soon as a modal
// widget is active (checked with QTimer::singleShot while the caller's exec()
// runs), records its title and texts and then acts on it.
namespace ModalAnswer {

using Action = std::function<void(QWidget*)>;

// Runs action on the next modal window.
std::shared_ptr<ModalSeen> onNext(Action action);
// Presses the button whose text (without '&') is buttonText.
std::shared_ptr<ModalSeen> pressButton(const QString& buttonText);
// Sends a key to the window's focused widget (the window itself when none).
std::shared_ptr<ModalSeen> pressKey(int key);
// Closes the window as its title bar's close button does.
std::shared_ptr<ModalSeen> closeWindow();

// Helpers for actions.
QAbstractButton* findButton(QWidget* w, const QString& buttonText);
void click(QWidget* w, const QString& buttonText);

}  // namespace ModalAnswer
