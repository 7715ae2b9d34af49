#pragma once

#include "engine/Format.h"

#include <QString>

// A text as an SQL literal: between single quotes, inner ones doubled.
QString quotedCode(const QString& code);

using engine::formatNumber;
using engine::shortDate;
