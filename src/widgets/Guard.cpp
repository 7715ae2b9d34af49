#include "widgets/Guard.h"

#include "data/Dialogs.h"
#include "engine/DatabaseError.h"
#include "widgets/ErrorText.h"

#include <exception>

namespace widgets {

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
    } catch (const std::exception& e) {
        userDialogs().showError(unexpectedErrorText(e.what()));
    } catch (...) {
        // Reported, not swallowed: no error may end the program from an event handler.
        userDialogs().showError(QStringLiteral("Error inesperado"));
    }
    return false;
}

}  // namespace widgets
