#pragma once

// What SQLite's failures mean, for the engine's own use: no code outside
// src/engine sees SQLite's codes or words.

#include <QString>
#include <QStringList>

namespace engine::sqlite {

// The table and fields of SQLite's "UNIQUE constraint failed: JORNADAS.Cod comp,
// JORNADAS.Numero" (or "NOT NULL constraint failed: COMPETIC.Titulo"). Empty
// when the text names no table.field, as for an index on an expression.
struct Refused {
    QString table;
    QStringList fields;
};
Refused refusedBy(const QString& sqliteText);

// The name of the check SQLite refused ("CHECK constraint failed: Peso valido").
QString checkedField(const QString& sqliteText);

// What an SQLite failure means, as a plain Spanish sentence a user can act
// on: extendedCode is SQLite's extended result code, sqliteText its own
// words (used for the missing table or column they name), systemErrno the
// system's error number behind a failed disk operation
// (sqlite3_system_errno), which tells a full disk from other disk errors.
QString errorText(int extendedCode, const QString& sqliteText = {}, int systemErrno = 0);

}  // namespace engine::sqlite
