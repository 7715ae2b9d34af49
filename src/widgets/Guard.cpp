#include "widgets/Guard.h"

#include "data/Dialogs.h"
#include "engine/DatabaseError.h"
#include "widgets/DataEdit.h"
#include "widgets/DataLookupCombo.h"
#include "widgets/ErrorText.h"

#include <QApplication>

#include <exception>

namespace widgets {

namespace {

// The field a refusal is about: the one it names, else the last of the key
// SQLite found repeated ("UNIQUE constraint failed: JORNADAS.Cod comp,
// JORNADAS.Numero" -> "Numero").
QString faultyField(const engine::DatabaseError& e)
{
    if (!e.field().isEmpty())
        return e.field();
    if (e.kind() != engine::DatabaseError::Kind::DuplicateKey)
        return {};
    const QString last = e.sqliteText().section(QLatin1Char(','), -1).trimmed();
    return last.section(QLatin1Char('.'), -1).trimmed();
}

}  // namespace

void focusFieldAtFault(const engine::DatabaseError& e)
{
    const QString field = faultyField(e);
    QWidget* window = QApplication::activeModalWidget();
    if (!window)
        window = QApplication::activeWindow();
    if (!window && QApplication::focusWidget())
        window = QApplication::focusWidget()->window();
    if (field.isEmpty() || !window)
        return;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisible() || !w->isEnabled())
            continue;
        if (auto* edit = qobject_cast<DataEdit*>(w); edit && edit->fieldName().compare(field, Qt::CaseInsensitive) == 0) {
            edit->setFocus(Qt::OtherFocusReason);
            edit->selectAll();
            return;
        }
        if (auto* combo = qobject_cast<DataLookupCombo*>(w);
            combo && combo->fieldName().compare(field, Qt::CaseInsensitive) == 0) {
            combo->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
}

QString unexpectedErrorText(const char* what)
{
    return QStringLiteral("Error inesperado: %1").arg(QString::fromLocal8Bit(what));
}

bool guarded(const std::function<void()>& action)
{
    try {
        action();
        return true;
    } catch (const engine::Abort&) {
        return false;
    } catch (const engine::DatabaseError& e) {
        userDialogs().showError(userErrorText(e));
        focusFieldAtFault(e);
    } catch (const std::exception& e) {
        userDialogs().showError(unexpectedErrorText(e.what()));
    } catch (...) {
        // Reported, not swallowed: no error may end the program from an event handler.
        userDialogs().showError(QStringLiteral("Error inesperado"));
    }
    return false;
}

}  // namespace widgets
