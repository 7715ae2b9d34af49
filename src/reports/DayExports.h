#pragma once

// The files of one competition day: the ranking page "clasific.htm" with its
// stylesheet, the catch lines "Pesca <título>.csv" and the catch summary
// "ResumenCapturas.csv". Each text is a function of the data module and a
// competition code and day; the menu commands and the command line write
// them through exportar*(), which share the folder, encoding and writing
// rules of reports/TextFile.h.

#include "reports/Resumen.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

class Tdm;

namespace reports {

inline const QString kFicheroClasific = QStringLiteral("clasific.htm");
inline const QString kHojaEstilos = QStringLiteral("tablasPesca.css");
inline const QString kFicheroResumen = QStringLiteral("ResumenCapturas.csv");

// --- The texts ----------------------------------------------------------------

// The lines of the day ranking page: team blocks best day total first (equal
// totals: the lower team first), each catch line's points recomputed, each
// team's species and quota bonus counts, its penalty and the total it is
// ranked by (TotalPuntos), every text from the file escaped for HTML.
QStringList lineasClasificacion(Tdm& dm, const QString& codigo, int jornada);
// The page as written: UTF-8 with a byte-order mark, CR LF lines.
QByteArray paginaClasificacion(Tdm& dm, const QString& codigo, int jornada);

// The stylesheet the page links, as shipped with the program.
QByteArray hojaEstilos();

// The catch lines of a day, by team then species name, with the title,
// place and date line and the heading line first.
QStringList lineasPesca(Tdm& dm, const QString& codigo, int jornada);
// As written: Windows-1252, or UTF-8 with a mark when a text does not fit.
QByteArray ficheroPesca(Tdm& dm, const QString& codigo, int jornada);
// "Pesca " + the title + ".csv", the title made a valid file name.
QString nombreFicheroPesca(const QString& titulo);

// The figures of a day's catch summary, printed and written alike; no
// species row when the day has no catch line.
DatosResumen datosResumen(Tdm& dm, const QString& codigo, int jornada);
// The catch summary of a day; nothing when the day has no catch line.
std::optional<QStringList> lineasResumen(Tdm& dm, const QString& codigo, int jornada);

// The competition's title, "" when there is none with that code.
QString tituloCompeticion(Tdm& dm, const QString& codigo);
// The lowest day number of a competition, 0 when it has no day.
int primeraJornada(Tdm& dm, const QString& codigo);

// --- Writing them ---------------------------------------------------------------

// What an export wrote, or why it did not.
struct Exportado {
    bool ok = false;
    QStringList ficheros;  // full names of the files written, in order
    QString error;         // the Spanish sentence when !ok (or when only the stylesheet failed)
    bool vacio = false;    // the summary only: no catch line that day, nothing written
};

// Writes folder + "clasific.htm", then "tablasPesca.css" beside it when no
// file of that name is there. `folder` is used as given (see folderOf).
Exportado exportarClasificacion(Tdm& dm, const QString& codigo, int jornada, const QString& folder);
// Writes folder + nombreFicheroPesca(title).
Exportado exportarPesca(Tdm& dm, const QString& codigo, int jornada, const QString& folder);
// Writes folder + "ResumenCapturas.csv" (UTF-8 with a mark); nothing, with
// vacio set, for a day without catch lines.
Exportado exportarResumen(Tdm& dm, const QString& codigo, int jornada, const QString& folder);

// The messages of the menu commands.
QString textoExportacionRealizada(const QString& fichero);       // page: "…archivo\r\n" + name
QString textoExportacionPesca(const QString& fichero);           // catch CSV: "…archivo\n\r" + name
QString textoRecuerdeHojaEstilos();
QString textoDatosGuardados(const QString& fichero);             // summary
QString textoSinPesaje();                                        // "No hay pesaje de esta competición"
QString textoCompeticionNoEncontrada(const QString& codigo);

}  // namespace reports
