#pragma once

#include "engine/Format.h"

#include <QString>

// A text as an SQL literal: between single quotes, inner ones doubled.
QString quotedCode(const QString& code);

// The n-th field of texto cut at a one-character separator: field 1 is the
// text before the first separator; n of 1 or less gives field 1; a field
// beyond the last gives the last one; a text without separator comes whole.
QString extraeCampo(const QString& texto, const QString& separador, int n);

using engine::formatNumber;
using engine::shortDate;
