#pragma once

#include "engine/DatabaseError.h"

#include <QString>

#include <functional>

namespace widgets {

// Runs an action of a control. A DatabaseError is reported through
// userDialogs().showError in the words of userErrorText (ErrorText.h), any
// other failure with unexpectedErrorText; an engine::Abort is swallowed;
// nothing escapes into the event loop. Returns true when the action ran to
// its end.
bool guarded(const std::function<void()>& action);

// After a refusal is shown: the focus goes to the visible control of the
// window in front bound to the field at fault, its text selected.
void focusFieldAtFault(const engine::DatabaseError& e);

// The Spanish text shown for a failure that is not a DatabaseError.
QString unexpectedErrorText(const char* what);

}  // namespace widgets
