#pragma once

// The virtual printed page and what every report shares: the conversion of
// virtual units (1/600 inch on an A4 sheet) to device units, alignment, the
// print job sequence and the page header of the minutes.

#include "reports/PrintSurface.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <functional>

// The virtual page in force: set by every report with its orientation.
extern int anchoVirtual;
extern int altoVirtual;

constexpr int kA4Ancho = 4961;  // A4 portrait width at 600 units per inch
constexpr int kA4Alto = 7016;

// Device x (or width) for a virtual x: x × page width / anchoVirtual,
// rounded to the nearest integer, halves to even.
int escalaX(const PrintSurface& s, int x);
// Device y (or height) for a virtual y, against the page height and altoVirtual.
int escalaY(const PrintSurface& s, int y);
// Left x of a text of width textW in the box [start, start + boxW): centred
// (each half truncated) or right-aligned (ending at start + boxW).
int alinea(int start, int boxW, int textW, bool centrado);
// Left x of a text centred on the sheet: round(page width / 2 − width / 2),
// halves to even. Differs from alinea by one unit when one width is odd.
int centradoEnHoja(const PrintSurface& s, int textW);
// Rounds to the nearest integer, halves to even.
int redondeoPar(double v);

// The print job: orientation, virtual page and document title; `prepare`
// (the layout in device units, measures taken before the document begins);
// begin the document and save the font size; `draw`. However drawing ends,
// the document is ended and the font size put back (bold off).
void printJob(PrintSurface& s, Orientation o, const QString& title, const std::function<void()>& prepare,
              const std::function<void()>& draw);

// The optional files of the minutes' header, read from the current folder.
struct Cabecera {
    QImage logo;        // null when there is no readable file
    QStringList lineas; // "encabezado.txt", one entry per line
};

// Decodes a JPEG file; a null image when it is missing or does not decode.
QImage leerJpeg(const QString& path);
// The lines of a UTF-8 text file (a byte-order mark skipped, CR LF or LF);
// none when the file is missing.
QStringList leerLineas(const QString& path);
// "escudo.jpg" (else "vexilo.jpg" when conVexilo) and "encabezado.txt" from
// the current working directory.
Cabecera leerCabecera(bool conVexilo);

// The minutes' page header: logo, the header lines in bold centred on the
// sheet, a rule from L to R two lines below. Advances y.
void cabeceraActa(PrintSurface& s, const Cabecera& c, int L, int R, int alturaLinea, int& y);

// Numbers and texts of a report.
QString entero(qint64 v);  // plain decimal

// A text drawn inside a column [a, b) of the line at y, never past it: as it
// is when it fits; else up to two points smaller (not below
// kTamanoLegible), its foot on the same line; else, at that size,
// shortened with "…" (whole characters kept). Left at a, centred, or right
// to end at b. The font size is the surface's again afterwards.
enum class Alineado { Izquierda, Centro, Derecha };
constexpr int kTamanoLegible = 7;
void textoEnColumna(PrintSurface& s, int a, int b, int y, const QString& texto, Alineado al = Alineado::Izquierda);
// The longest start of the text, whole characters, that with "…" after it
// is at most `ancho` wide at the current size ("" when not even "…" fits);
// the text itself when it fits.
QString acortado(PrintSurface& s, const QString& texto, int ancho);
