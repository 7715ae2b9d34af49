#pragma once

#include <QString>

#include <functional>

namespace widgets {

// Runs an action of a control. A DatabaseError is reported through
// userDialogs().showError in the words of userErrorText (ErrorText.h), any
// other failure with unexpectedErrorText; an engine::Abort is swallowed;
// nothing escapes into the event loop. Returns true when the action ran to
// its end.
bool guarded(const std::function<void()>& action);

// The Spanish text shown for a failure that is not a DatabaseError.
QString unexpectedErrorText(const char* what);

}  // namespace widgets
