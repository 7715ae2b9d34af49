#pragma once

#include "data/Dialogs.h"

#include <QtGlobal>

class QWidget;

// The print module: PrintModule.cpp, built as a module of its own that
// GuiDialogs loads when the first print is asked for, so that the program
// starts without the toolkit's print support.

// The toolkit's print dialog over parent: the printer it set up, or null on
// Cancel. The caller owns what it returns.
extern "C" Q_DECL_EXPORT PrintDevice* tarselaRequestPrinter(QWidget* parent);
using RequestPrinter = decltype(&tarselaRequestPrinter);

// The module's file, beside the program, and its one function.
inline constexpr const char* kPrintModule = "libtarsela_impresion.so";
inline constexpr const char* kRequestPrinter = "tarselaRequestPrinter";
