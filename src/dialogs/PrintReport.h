#pragma once

#include <functional>

class PrintSurface;

// What every print command of a screen does once its own choice is made:
// the print dialog, then the report drawn on the printer it gave; nothing on
// Cancel. Printed to a file ("Imprimir a archivo"), the file is written whole
// once the report has ended, or left as it was. A failure is reported (the
// document is already ended by then) and goes no further. Returns true when
// the report was drawn to its end (and its file written).
bool printReport(const std::function<void(PrintSurface&)>& report);
