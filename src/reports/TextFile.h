#pragma once

// What every file export shares: escaping text for where it goes, the
// encodings, the line ends, the folder the user typed, a valid file name,
// and writing a file whole or not at all.
//
// A typical export builds its lines, joins them, encodes them and writes:
//
//     QString folder = reports::defaultFolder();
//     if (!reports::askFolder("Guardar clasific.htm", folder)) return;   // cancelled
//     QString name = folder + "clasific.htm";
//     QString error;
//     if (!reports::writeWhole(name, reports::utf8WithBom(reports::joinLines(lines)), &error))
//         userDialogs().showError(error);
//     else
//         MsgDlg("Exportación realizada al archivo\r\n" + reports::fullName(name), mtInformation, mbOK, 0);
//
// The command line takes its folder from cli::targetFolder (--carpeta or
// the current directory) and prints reports::fullName of every file written.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace reports {

// --- Escaping ---------------------------------------------------------------

// Text for a web page: & < > " become &amp; &lt; &gt; &quot;, and control
// characters (C0, DEL, C1), which no page text needs, are dropped.
QString htmlEscape(const QString& text);

// One field of a ";"-separated file: a field holding ";", a double quote, a
// CR or an LF is written between double quotes with inner quotes doubled;
// any other field is returned as it is.
QString csvField(const QString& text);
// The fields through csvField, joined with ";".
QString csvLine(const QStringList& fields);
// A text field (a name, a species, a title; never a number) as a spreadsheet
// reads it as text: one starting with "=", "+", "-", "@", a tab or a CR,
// which a spreadsheet would run as a formula, gets a leading apostrophe.
// The result goes into csvField or csvLine like any field.
QString csvText(const QString& text);

// --- Lines and encodings ----------------------------------------------------

// Every line followed by CR LF, the last one too.
QString joinLines(const QStringList& lines);

// True when every character of the text exists in Windows-1252.
bool fitsWindows1252(const QString& text);
// Windows-1252 bytes, no byte-order mark; a character the code page cannot
// hold becomes a numeric character reference ("&#937;"), for web pages.
QByteArray windows1252Html(const QString& text);
// UTF-8 bytes preceded by the byte-order mark EF BB BF.
QByteArray utf8WithBom(const QString& text);
// Windows-1252 bytes when the whole text fits, else UTF-8 with the mark
// (spreadsheets read both; nothing is replaced by "?").
QByteArray windows1252OrUtf8(const QString& text);

// --- Folders and file names -------------------------------------------------

// The folder as written into a file name: a text naming an existing folder
// and not ending with the separator gets it; any other text is kept as
// given (so "/tmp/informe" that is no folder makes "/tmp/informeclasific.htm").
QString folderOf(const QString& typed);

// The program's own folder with its final separator, in this system's form:
// the initial text of the folder question.
QString defaultFolder();

// "Indique dónde guardar el archivo (termine con /)", with this system's
// separator.
QString folderPrompt();

// Asks for the folder with the one-line input dialog (caption, folderPrompt(),
// `folder` as initial text). False when cancelled; otherwise `folder` holds
// the answer through folderOf().
bool askFolder(const QString& caption, QString& folder);

// A name every file system takes: / \ : * ? " < > | and control characters
// become "-".
QString safeFileName(const QString& name);

// The full name of a file as messages and the command line show it:
// absolute, with this system's separators.
QString fullName(const QString& fileName);

// --- Writing ----------------------------------------------------------------

// Writes the bytes to fileName, replacing any file there, whole or not at
// all: the bytes go to a new file beside it, which then takes its name. On
// failure returns false with a Spanish sentence naming the file and the
// system's reason in *error ("No se pudo escribir el archivo …: no existe
// la carpeta."); the old file, if any, is untouched and nothing is left
// behind.
bool writeWhole(const QString& fileName, const QByteArray& bytes, QString* error);

// As writeWhole, but never replaces an existing file: when fileName exists
// it returns true with *created false and writes nothing.
bool writeIfAbsent(const QString& fileName, const QByteArray& bytes, bool* created, QString* error);

}  // namespace reports
