#pragma once

#include "engine/DatabaseError.h"

#include <QString>

namespace widgets {

// What the user reads when the engine refuses something: a plain Spanish
// sentence saying what is wrong ("Falta el dato obligatorio «Nombre».",
// "Ya existe una competición con ese código."), naming the field by the
// label the screens give it. Failures without a sentence of their own give
// the engine's text.
QString userErrorText(const engine::DatabaseError& e);

// The word a user knows for a stored field, its label on the screens
// ("Titulo" -> "Nombre", "DNI" -> "ID"); the field's name when there is none.
QString userFieldName(const QString& field);

}  // namespace widgets
