#pragma once

#include <functional>

class PrintSurface;

// What every print command of a screen does once its own choice is made:
// the print dialog, then the report drawn on the printer it gave; nothing on
// Cancel. A failure is reported (the document is already ended by then) and
// goes no further. Returns true when the report was drawn to its end.
bool imprimirInforme(const std::function<void(PrintSurface&)>& informe);
