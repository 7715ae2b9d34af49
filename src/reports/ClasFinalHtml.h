#pragma once

// The final ranking page "clasfinal.html": the final ranking window's grid
// as a table under the competition's title, every text escaped for HTML,
// written in Windows-1252 (a character it cannot hold as a numeric
// character reference), CR LF lines, no byte-order mark.

#include "reports/DayExports.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class Tdm;
struct TClasFinal;

namespace reports {

inline const QString kFicheroClasFinal = QStringLiteral("clasfinal.html");

// The page's lines: the title row spanning the grid's columns, then every
// grid row (heading row, separator and trailing empty rows included).
QStringList lineasClasFinal(const TClasFinal& c, const QString& titulo);
// The page as written.
QByteArray paginaClasFinal(const TClasFinal& c, const QString& titulo);

// Writes folder + "clasfinal.html", whole or not at all. `folder` is used
// as given (see folderOf).
Exportado exportarClasFinal(const TClasFinal& c, const QString& titulo, const QString& folder);

// "Exportación realizada al archivo", a line break and the file's full name.
QString textoExportacionClasFinal(const QString& fichero);

}  // namespace reports
